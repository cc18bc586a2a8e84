#include "shell/OrvexOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "shell/GeneralOptionPage.h"
#include "shell/ScriptedPrompts.h"
#include "shell/SettingsFileStore.h"

class OrvexOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void onePageWithTheDefaultsAndTheEnableRule();
    void okSavesAllFiveCancelNothing();
    void browseFillsThePathOnly();

private:
    static void Click(COrvexOptions& options, QDialogButtonBox::StandardButton which) {
        options.findChild<QDialogButtonBox*>()->button(which)->click();
    }
};

void OrvexOptionsTest::onePageWithTheDefaultsAndTheEnableRule() {
    CMemorySettingsStore store;
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    QCOMPARE(options.findChild<QTabWidget*>()->count(), 1);
    QCOMPARE(options.findChild<QTabWidget*>()->tabText(0), QStringLiteral("General"));
    QCOMPARE(options.findChild<QDialogButtonBox*>()->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    CGeneralOptionPage& page = options.GetGeneralPage();
    QVERIFY(page.AutoParseBox().isChecked());
    QVERIFY(!page.AutoExpandBox().isChecked());
    QVERIFY(!page.NoExpandMDATBox().isEnabled());
    QVERIFY(!page.NoExpandQIBox().isEnabled());
    page.AutoExpandBox().click();
    QVERIFY(page.NoExpandMDATBox().isEnabled());
    QVERIFY(page.NoExpandQIBox().isEnabled());
}

void OrvexOptionsTest::okSavesAllFiveCancelNothing() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.json"));
    {
        CSettingsFileStore untouched(file);
        CScriptedPrompts prompts;
        COrvexOptions options(untouched, prompts);
        options.GetGeneralPage().AutoExpandBox().click();
        Click(options, QDialogButtonBox::Cancel);
        QVERIFY(!QFile::exists(file));
    }
    CSettingsFileStore store(file);
    SetSwitchSetting(store, SwitchAutoExpand, true);
    SetSwitchSetting(store, SwitchNoExpandMDAT, true);
    SetHexEditorPath(store, "/usr/bin/ghex");
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    CGeneralOptionPage& page = options.GetGeneralPage();
    QVERIFY(page.NoExpandMDATBox().isChecked());
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/usr/bin/ghex"));

    // Unchecking "AutoExpand" greys both dependent boxes; their states stay and are saved.
    page.AutoExpandBox().click();
    QVERIFY(!page.NoExpandMDATBox().isEnabled());
    QVERIFY(!page.NoExpandQIBox().isEnabled());
    page.AutoParseBox().click();
    page.HexEditorEdit().setText(QStringLiteral("/opt/hex editor/hexed"));
    Click(options, QDialogButtonBox::Ok);
    QVERIFY(!GetSwitchSetting(store, SwitchAutoExpand));
    QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
    QVERIFY(GetSwitchSetting(store, SwitchNoExpandMDAT));
    QCOMPARE(store.ReadValue(kSettingsKey, "NoExpandQI")->number, 0u);
    std::string path;
    QVERIFY(GetHexEditorPath(store, path));
    QCOMPARE(path, std::string("/opt/hex editor/hexed"));
}

void OrvexOptionsTest::browseFillsThePathOnly() {
    CMemorySettingsStore store;
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    CGeneralOptionPage& page = options.GetGeneralPage();
    page.AutoExpandBox().click();
    page.NoExpandQIBox().click();
    prompts.openAnswers = QStringList{QStringLiteral("/opt/hex editor/hexed")};
    page.BrowseButton().click();
    QCOMPARE(prompts.openDialogs.at(0).filters,
             (QStringList{QStringLiteral("Hex Editor's Execution File Name (*.exe)"),
                          QStringLiteral("All files (*)")}));
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/opt/hex editor/hexed"));
    QVERIFY(page.AutoExpandBox().isChecked());
    QVERIFY(page.NoExpandQIBox().isChecked());
    // Cancelled, the path stays; nothing is stored before OK.
    page.BrowseButton().click();
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/opt/hex editor/hexed"));
    std::string path;
    QVERIFY(!GetHexEditorPath(store, path));
}

QTEST_MAIN(OrvexOptionsTest)
#include "OrvexOptions_test.moc"
