#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

#include "document/Settings.h"

class QCheckBox;
class QLineEdit;
class QPushButton;
class CShellPrompts;

// The "General" page of the options: the four switches and the hex editor's path. The page reads
// the settings when it is created and writes all five values when the sheet is confirmed; until
// then nothing is stored.
class CGeneralOptionPage : public QWidget {
    Q_OBJECT

public:
    static const char* const kTitle;
    // The choices of the hex editor's file dialog, here and in the box commands. Programs have
    // no extension on this platform, so every file is offered besides the "*.exe" filter.
    static QStringList HexEditorFilters();

    CGeneralOptionPage(ISettingsStore& settings, CShellPrompts& prompts, QWidget* parent = nullptr);

    // Takes the controls' states and writes them to the settings.
    void Apply();

    QCheckBox& AutoParseBox() { return *m_autoParseBox; }
    QCheckBox& AutoExpandBox() { return *m_autoExpandBox; }
    QCheckBox& NoExpandMDATBox() { return *m_noExpandMDATBox; }
    QCheckBox& NoExpandQIBox() { return *m_noExpandQIBox; }
    QCheckBox& ClassicBox() { return *m_classicBox; }
    QLineEdit& HexEditorEdit() { return *m_hexEditorEdit; }
    QPushButton& BrowseButton() { return *m_browseButton; }

private:
    void ReadSettings();
    // From the controls to the members, or back.
    void TakeControls();
    void ShowMembers();
    // The two "do not expand" switches only matter while the tree is expanded after parsing.
    void EnableExpandOptions();
    void OnBrowse();

    ISettingsStore& m_settings;
    CShellPrompts& m_prompts;

    int32_t m_autoParse = 1;
    int32_t m_autoExpand = 1;
    int32_t m_noExpandMDAT = 0;
    int32_t m_noExpandQI = 0;
    int32_t m_classic = 0;
    QString m_hexEditorPath;

    QCheckBox* m_autoParseBox = nullptr;
    QCheckBox* m_autoExpandBox = nullptr;
    QCheckBox* m_noExpandMDATBox = nullptr;
    QCheckBox* m_noExpandQIBox = nullptr;
    QCheckBox* m_classicBox = nullptr;
    QLineEdit* m_hexEditorEdit = nullptr;
    QPushButton* m_browseButton = nullptr;
};
