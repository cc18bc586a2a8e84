#include "shell/SettingsFileStore.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include "shell/ShellTestSupport.h"
#include "shell/WindowPlacement.h"

class SettingsFileStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        static int tests = 0;
        m_path = TempFile("store" + std::to_string(++tests) + "/conf/settings.json");
    }

    void writesOneJsonObjectPerKey() {
        CSettingsFileStore store(m_path);  // not even its folder exists yet
        QVERIFY(store.WriteValue(kSettingsKey, "x", SettingValue::Number(0xFFFFFFF6u)));
        QVERIFY(SetHexEditorPath(store, "/usr/bin/h\xC3\xA9xedit"));
        QVERIFY(!store.WriteValue(kSettingsKey, "odd", SettingValue{}));
        // One object per key; numbers as JSON numbers, unsigned; texts as strings.
        const QJsonObject root = QJsonDocument::fromJson(ReadWholeFile(m_path)).object();
        const QJsonObject main = root.value(QStringLiteral("software\\Orvex")).toObject();
        QCOMPARE(main.keys(), (QStringList{"Hex Editor", "x"}));
        QCOMPARE(main.value(QStringLiteral("x")).toInteger(), 4294967286LL);
        QCOMPARE(main.value(QStringLiteral("Hex Editor")).toString(),
                 QStringLiteral("/usr/bin/h\u00e9xedit"));
        // A second store on the same file reads and deletes what the first wrote.
        CSettingsFileStore other(m_path);
        QCOMPARE(other.ReadValue(kSettingsKey, "x")->number, 0xFFFFFFF6u);
        QVERIFY(other.DeleteValue(kSettingsKey, "x"));
        QVERIFY(!store.ReadValue(kSettingsKey, "x") && !store.DeleteValue(kSettingsKey, "x"));
    }

    void jsonValuesReadAsNumbersTextsOrOther() {
        WriteFile(R"({"software\\Orvex": {"a": 2, "b": "1", "c": true, "d": 1.5, "e": -20,
            "f": 4294967296, "g": [1], "h": null}})");
        CSettingsFileStore store(m_path);
        // A negative whole number holds the bits of a signed coordinate; beyond 32 bits, a
        // fraction or any other JSON type is of no type the readers accept.
        QCOMPARE(store.ReadValue(kSettingsKey, "a")->number, 2u);
        QCOMPARE(store.ReadValue(kSettingsKey, "b")->text, std::string("1"));
        QCOMPARE(store.ReadValue(kSettingsKey, "e")->number, 0xFFFFFFECu);
        for (const char* name : {"c", "d", "f", "g", "h"})
            QVERIFY2(store.ReadValue(kSettingsKey, name)->type == SettingValue::Type::Other, name);
        // Nothing is cached: a change behind the store's back is read, a removed file is gone.
        WriteFile(R"({"software\\Orvex": {"AutoParse": 1}})");
        QVERIFY(GetSwitchSetting(store, SwitchAutoParse));
        QFile::remove(m_path);
        QVERIFY(!store.ReadValue(kSettingsKey, "AutoParse"));
    }

    void aCorruptFileReadsAsDefaultsAndIsReplacedByTheNextWrite() {
        // The last: a key that is not an object holds no values.
        for (const char* corrupt : {"{\"software\\\\Orvex\": {\"AutoExpand\": 1", "[1, 2]",
                                    "\xFF\xFE garbage", "", "{\"software\\\\Orvex\": 5}"}) {
            WriteFile(corrupt);
            CSettingsFileStore store(m_path);
            QVERIFY(!store.ReadValue(kSettingsKey, "AutoExpand"));
            QVERIFY(SetSwitchSetting(store, SwitchAutoParse, false));
            QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
        }
        // The folder of the file is a file: nothing can be created there, the write is lost.
        CSettingsFileStore below(m_path + QStringLiteral("/settings.json"));
        QVERIFY(!SetSwitchSetting(below, SwitchAutoExpand, true));
    }

    void theFileLivesInTheConfigurationFolder() {
        // Nothing else here reads these variables: they are left as the last step set them.
        qputenv("ORVEX_CONFIG_DIR", "/tmp/orvex-conf");
        qputenv("XDG_CONFIG_HOME", "/tmp/xdg");
        QCOMPARE(CSettingsFileStore::DefaultFilePath(), "/tmp/orvex-conf/settings.json");
        qunsetenv("ORVEX_CONFIG_DIR");
        QCOMPARE(CSettingsFileStore::DefaultFilePath(), "/tmp/xdg/Orvex/settings.json");
        qputenv("XDG_CONFIG_HOME", "relative/ignored");
        QCOMPARE(CSettingsFileStore::DefaultFilePath(),
                 QDir::homePath() + QStringLiteral("/.config/Orvex/settings.json"));
    }

private:
    void WriteFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    QString m_path;
};

QTEST_GUILESS_MAIN(SettingsFileStoreTest)
#include "SettingsFileStore_test.moc"
