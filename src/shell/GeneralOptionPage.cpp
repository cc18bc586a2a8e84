#include "shell/GeneralOptionPage.h"

#include <QCheckBox>
#include <QFont>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <string>

#include "shell/ShellPrompts.h"

namespace {
// How far the two dependent check boxes stand in from the others.
constexpr int kIndent = 20;
}  // namespace

const char* const CGeneralOptionPage::kTitle = "General";

QStringList CGeneralOptionPage::HexEditorFilters() {
    return QStringList{QStringLiteral("Hex Editor's Execution File Name (*.exe)"),
                       QStringLiteral("All files (*)")};
}

CGeneralOptionPage::CGeneralOptionPage(ISettingsStore& settings, CShellPrompts& prompts,
                                       QWidget* parent)
    : QWidget(parent), m_settings(settings), m_prompts(prompts) {
    QFont font(QStringLiteral("MS Shell Dlg"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    m_autoParseBox =
        new QCheckBox(QStringLiteral("Automatically starts parsing when openning done."), this);
    m_autoExpandBox =
        new QCheckBox(QStringLiteral("Expands all the sub boxes when parsing done."), this);
    m_noExpandMDATBox = new QCheckBox(QStringLiteral("Do not expand the 'mdat' box."), this);
    m_noExpandQIBox = new QCheckBox(QStringLiteral("Do not expand the Quick Information."), this);
    m_classicBox = new QCheckBox(QStringLiteral("Decode only the classic box set"), this);
    m_classicBox->setToolTip(QStringLiteral(
        "Shows only the boxes of the early MP4 and 3GPP years, exactly as they were always "
        "shown; takes effect at the next parse."));
    layout->addWidget(m_autoParseBox);
    layout->addWidget(m_autoExpandBox);
    for (QCheckBox* indented : {m_noExpandMDATBox, m_noExpandQIBox}) {
        auto* row = new QHBoxLayout;
        row->addSpacing(kIndent);
        row->addWidget(indented);
        layout->addLayout(row);
    }
    layout->addWidget(m_classicBox);

    layout->addSpacing(8);
    layout->addWidget(new QLabel(QStringLiteral("Hex Editor Path:"), this));
    auto* pathRow = new QHBoxLayout;
    m_hexEditorEdit = new QLineEdit(this);
    m_browseButton = new QPushButton(QStringLiteral("Browse"), this);
    pathRow->addWidget(m_hexEditorEdit, 1);
    pathRow->addWidget(m_browseButton);
    layout->addLayout(pathRow);
    layout->addStretch(1);

    ReadSettings();
    ShowMembers();
    EnableExpandOptions();

    connect(m_autoExpandBox, &QCheckBox::toggled, this, [this] {
        TakeControls();
        EnableExpandOptions();
    });
    connect(m_browseButton, &QPushButton::clicked, this, &CGeneralOptionPage::OnBrowse);
}

void CGeneralOptionPage::ReadSettings() {
    m_autoExpand = GetSwitchSetting(m_settings, SwitchAutoExpand) ? 1 : 0;
    m_autoParse = GetSwitchSetting(m_settings, SwitchAutoParse) ? 1 : 0;
    m_noExpandMDAT = GetSwitchSetting(m_settings, SwitchNoExpandMDAT) ? 1 : 0;
    m_noExpandQI = GetSwitchSetting(m_settings, SwitchNoExpandQI) ? 1 : 0;
    m_classic = GetSwitchSetting(m_settings, SwitchClassicBoxSet) ? 1 : 0;
    std::string path;
    if (GetHexEditorPath(m_settings, path)) m_hexEditorPath = QString::fromStdString(path);
}

void CGeneralOptionPage::TakeControls() {
    m_autoParse = m_autoParseBox->isChecked() ? 1 : 0;
    m_autoExpand = m_autoExpandBox->isChecked() ? 1 : 0;
    m_noExpandMDAT = m_noExpandMDATBox->isChecked() ? 1 : 0;
    m_noExpandQI = m_noExpandQIBox->isChecked() ? 1 : 0;
    m_classic = m_classicBox->isChecked() ? 1 : 0;
    m_hexEditorPath = m_hexEditorEdit->text();
}

void CGeneralOptionPage::ShowMembers() {
    m_autoParseBox->setChecked(m_autoParse != 0);
    m_autoExpandBox->setChecked(m_autoExpand != 0);
    m_noExpandMDATBox->setChecked(m_noExpandMDAT != 0);
    m_noExpandQIBox->setChecked(m_noExpandQI != 0);
    m_classicBox->setChecked(m_classic != 0);
    m_hexEditorEdit->setText(m_hexEditorPath);
}

void CGeneralOptionPage::EnableExpandOptions() {
    m_noExpandMDATBox->setEnabled(m_autoExpand != 0);
    m_noExpandQIBox->setEnabled(m_autoExpand != 0);
}

void CGeneralOptionPage::OnBrowse() {
    CShellPrompts::FileDialog dialog;
    dialog.caption = QStringLiteral("Open");
    dialog.filters = HexEditorFilters();
    // No default suffix: it would turn a program's name into a file that does not exist.
    const QString path = m_prompts.GetOpenFileName(window(), dialog);
    if (path.isEmpty()) return;
    m_hexEditorPath = path;
    m_hexEditorEdit->setText(path);
}

void CGeneralOptionPage::Apply() {
    TakeControls();
    // Failures are silent: the settings keep what they had.
    SetSwitchSetting(m_settings, SwitchAutoExpand, m_autoExpand != 0);
    SetSwitchSetting(m_settings, SwitchAutoParse, m_autoParse != 0);
    SetSwitchSetting(m_settings, SwitchNoExpandMDAT, m_noExpandMDAT != 0);
    SetSwitchSetting(m_settings, SwitchNoExpandQI, m_noExpandQI != 0);
    SetSwitchSetting(m_settings, SwitchClassicBoxSet, m_classic != 0);
    SetHexEditorPath(m_settings, m_hexEditorPath.toStdString());
}
