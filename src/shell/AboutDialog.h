#pragma once

#include <QDialog>

// "About": the program's title and version and its version history.
class CAboutDialog : public QDialog {
    Q_OBJECT

public:
    explicit CAboutDialog(QWidget* parent = nullptr);

    static const char* const kTitleText;
    // The version line as the dialog shows it.
    static QString VersionText();
    // The version history, a text resource.
    static QString HistoryText();
};
