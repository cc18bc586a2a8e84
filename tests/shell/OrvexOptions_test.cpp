#include "shell/OrvexOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

#include "shell/GeneralOptionPage.h"
#include "shell/SettingsFileStore.h"
#include "shell/ShellTestSupport.h"

class OrvexOptionsTest : public QObject {
    Q_OBJECT

private slots:
    void okSavesAllFiveCancelNothing() {
        const QString file = TempFile("options.json");
        CSettingsFileStore store(file);
        CScriptedPrompts prompts;
        {
            COrvexOptions untouched(store, prompts);
            QCOMPARE(untouched.findChild<QTabWidget*>()->tabText(0), QStringLiteral("General"));
            CGeneralOptionPage& page = untouched.GetGeneralPage();
            // The defaults, and the dependent boxes only enabled with AutoExpand.
            QVERIFY(page.AutoParseBox().isChecked() && !page.AutoExpandBox().isChecked());
            QVERIFY(!page.NoExpandMDATBox().isEnabled() && !page.NoExpandQIBox().isEnabled());
            page.AutoExpandBox().click();
            QVERIFY(page.NoExpandMDATBox().isEnabled() && page.NoExpandQIBox().isEnabled());
            Click(untouched, QDialogButtonBox::Cancel);
            QVERIFY(!QFile::exists(file));
        }
        SetSwitchSetting(store, SwitchAutoExpand, true);
        SetSwitchSetting(store, SwitchNoExpandMDAT, true);
        SetHexEditorPath(store, "/usr/bin/ghex");
        COrvexOptions options(store, prompts);
        CGeneralOptionPage& page = options.GetGeneralPage();
        QVERIFY(page.NoExpandMDATBox().isChecked());
        QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/usr/bin/ghex"));
        // Unchecking AutoExpand greys both dependent boxes; their states stay and are saved.
        page.AutoExpandBox().click();
        QVERIFY(!page.NoExpandMDATBox().isEnabled() && !page.NoExpandQIBox().isEnabled());
        page.AutoParseBox().click();
        // Browsing fills the path only; a cancelled browse keeps it.
        prompts.openAnswers = QStringList{QStringLiteral("/opt/hex editor/hexed")};
        page.BrowseButton().click();
        page.BrowseButton().click();
        QCOMPARE(prompts.openDialogs.at(0).filters,
                 (QStringList{QStringLiteral("Hex Editor's Execution File Name (*.exe)"),
                              QStringLiteral("All files (*)")}));
        std::string path;
        QVERIFY(GetHexEditorPath(store, path) && path == "/usr/bin/ghex");
        Click(options, QDialogButtonBox::Ok);
        QVERIFY(!GetSwitchSetting(store, SwitchAutoExpand));
        QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
        QVERIFY(GetSwitchSetting(store, SwitchNoExpandMDAT));
        // Each of the five under its own name.
        const auto noExpandQI = store.ReadValue(kSettingsKey, "NoExpandQI");
        QVERIFY(noExpandQI && noExpandQI->number == 0);
        QVERIFY(GetHexEditorPath(store, path));
        QCOMPARE(path, std::string("/opt/hex editor/hexed"));
    }

private:
    static void Click(COrvexOptions& options, QDialogButtonBox::StandardButton which) {
        options.findChild<QDialogButtonBox*>()->button(which)->click();
    }
};

QTEST_MAIN(OrvexOptionsTest)
#include "OrvexOptions_test.moc"
