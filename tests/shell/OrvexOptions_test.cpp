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
    void showsTheDefaultsAndGreysTheDependentBoxes();
    void uncheckingAutoExpandGreysBothAndOkSavesEverything();
    void cancelWritesNothing();
    void browseFillsThePathOnly();
    void centresOnItsOwner();

private:
    static void ClickButton(COrvexOptions& options, QDialogButtonBox::StandardButton which) {
        options.findChild<QDialogButtonBox*>()->button(which)->click();
    }
};

void OrvexOptionsTest::showsTheDefaultsAndGreysTheDependentBoxes() {
    CMemorySettingsStore store;
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    QCOMPARE(options.windowTitle(), QStringLiteral("Options"));
    // One page, no Apply button.
    QCOMPARE(options.findChild<QTabWidget*>()->count(), 1);
    QCOMPARE(options.findChild<QTabWidget*>()->tabText(0), QStringLiteral("General"));
    QCOMPARE(options.findChild<QDialogButtonBox*>()->standardButtons(),
             QDialogButtonBox::Ok | QDialogButtonBox::Cancel);

    CGeneralOptionPage& page = options.GetGeneralPage();
    QVERIFY(page.AutoParseBox().isChecked());
    QVERIFY(!page.AutoExpandBox().isChecked());
    QVERIFY(!page.NoExpandMDATBox().isEnabled());
    QVERIFY(!page.NoExpandQIBox().isEnabled());
    QVERIFY(page.HexEditorEdit().text().isEmpty());
    QCOMPARE(page.AutoParseBox().text(),
             QStringLiteral("Automatically starts parsing when openning done."));
    QCOMPARE(page.NoExpandMDATBox().text(), QStringLiteral("Do not expand the 'mdat' box."));

    // Checking "AutoExpand" enables both at once.
    page.AutoExpandBox().click();
    QVERIFY(page.NoExpandMDATBox().isEnabled());
    QVERIFY(page.NoExpandQIBox().isEnabled());
}

void OrvexOptionsTest::uncheckingAutoExpandGreysBothAndOkSavesEverything() {
    QTemporaryDir dir;
    CSettingsFileStore store(dir.filePath(QStringLiteral("settings.json")));
    SetSwitchSetting(store, SwitchAutoExpand, true);
    SetSwitchSetting(store, SwitchNoExpandMDAT, true);
    SetHexEditorPath(store, "/usr/bin/ghex");
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    CGeneralOptionPage& page = options.GetGeneralPage();
    QVERIFY(page.AutoExpandBox().isChecked());
    QVERIFY(page.NoExpandMDATBox().isChecked());
    QVERIFY(page.NoExpandMDATBox().isEnabled());
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/usr/bin/ghex"));

    page.AutoExpandBox().click();
    QVERIFY(!page.NoExpandMDATBox().isEnabled());
    QVERIFY(!page.NoExpandQIBox().isEnabled());
    QVERIFY(page.NoExpandMDATBox().isChecked());  // greyed, not cleared
    page.AutoParseBox().click();
    page.HexEditorEdit().setText(QStringLiteral("/opt/hex editor/hexed"));

    ClickButton(options, QDialogButtonBox::Ok);
    QCOMPARE(options.result(), int(QDialog::Accepted));
    QVERIFY(!GetSwitchSetting(store, SwitchAutoExpand));
    QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
    QVERIFY(GetSwitchSetting(store, SwitchNoExpandMDAT));
    QVERIFY(!GetSwitchSetting(store, SwitchNoExpandQI));
    // Every switch is written, the unchanged ones too, as a 32-bit number.
    QCOMPARE(store.ReadValue(kSettingsKey, "NoExpandQI")->type, SettingValue::Type::Number32);
    std::string path;
    QVERIFY(GetHexEditorPath(store, path));
    QCOMPARE(path, std::string("/opt/hex editor/hexed"));
}

void OrvexOptionsTest::cancelWritesNothing() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("settings.json"));
    CSettingsFileStore store(file);
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts);
    options.GetGeneralPage().AutoExpandBox().click();
    options.GetGeneralPage().HexEditorEdit().setText(QStringLiteral("/bin/true"));
    ClickButton(options, QDialogButtonBox::Cancel);
    QCOMPARE(options.result(), int(QDialog::Rejected));
    QVERIFY(!QFile::exists(file));
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
    QCOMPARE(prompts.openDialogs.size(), size_t{1});
    QCOMPARE(prompts.openDialogs[0].filters,
             (QStringList{QStringLiteral("Hex Editor's Execution File Name (*.exe)"),
                          QStringLiteral("All files (*)")}));
    QVERIFY(prompts.openDialogs[0].defaultSuffix.isEmpty());
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/opt/hex editor/hexed"));
    QVERIFY(page.AutoExpandBox().isChecked());
    QVERIFY(page.NoExpandQIBox().isChecked());

    // A cancelled dialog keeps the path.
    page.BrowseButton().click();
    QCOMPARE(page.HexEditorEdit().text(), QStringLiteral("/opt/hex editor/hexed"));
    // Nothing is stored before OK.
    std::string path;
    QVERIFY(!GetHexEditorPath(store, path));
}

void OrvexOptionsTest::centresOnItsOwner() {
    QWidget owner;
    owner.setGeometry(100, 80, 900, 700);
    owner.show();
    QVERIFY(QTest::qWaitForWindowExposed(&owner));
    CMemorySettingsStore store;
    CScriptedPrompts prompts;
    COrvexOptions options(store, prompts, &owner);
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    const QPoint offset = options.frameGeometry().center() - owner.frameGeometry().center();
    QVERIFY2(offset.manhattanLength() <= 4,
             qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    options.reject();
}

QTEST_MAIN(OrvexOptionsTest)
#include "OrvexOptions_test.moc"
