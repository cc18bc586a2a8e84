#pragma once

#include <QDialog>

#include "document/Settings.h"

class CGeneralOptionPage;
class CShellPrompts;

// "Options": a sheet of one page, "General", with OK and Cancel. OK writes the page's values to
// the settings; Cancel writes nothing. Nothing else is refreshed: the settings are read again
// wherever they are used.
class COrvexOptions : public QDialog {
    Q_OBJECT

public:
    COrvexOptions(ISettingsStore& settings, CShellPrompts& prompts, QWidget* owner = nullptr);

    CGeneralOptionPage& GetGeneralPage() { return *m_generalPage; }

    void accept() override;

private:
    CGeneralOptionPage* m_generalPage = nullptr;
};
