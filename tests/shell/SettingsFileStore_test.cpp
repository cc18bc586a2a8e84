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
        QVERIFY(store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Number(9)));
        QVERIFY(!store.WriteValue(kSettingsKey, "odd", SettingValue{}));
        // Numbers as JSON numbers, unsigned; texts as strings.
        const QJsonObject root = QJsonDocument::fromJson(ReadWholeFile(m_path)).object();
        const QJsonObject main = root.value(QStringLiteral("software\\Orvex")).toObject();
        QCOMPARE(main.keys(), (QStringList{"Hex Editor", "x"}));
        QCOMPARE(main.value(QStringLiteral("x")).toInteger(), 4294967286LL);
        QCOMPARE(main.value(QStringLiteral("Hex Editor")).toString(),
                 QStringLiteral("/usr/bin/h\u00e9xedit"));
        QCOMPARE(root.value(QStringLiteral("software\\Orvex\\MRU\\Recent Document List"))
                     .toObject()
                     .value(QStringLiteral("DocumentCount"))
                     .toInteger(),
                 9);
        // A second store on the same file reads and deletes what the first wrote.
        CSettingsFileStore other(m_path);
        QCOMPARE(other.ReadValue(kSettingsKey, "x")->number, 0xFFFFFFF6u);
        QVERIFY(other.DeleteValue(kSettingsKey, "x"));
        QVERIFY(!store.ReadValue(kSettingsKey, "x") && !store.DeleteValue(kSettingsKey, "x"));
    }

    void valuesOfOtherTypesCountAsMissing() {
        WriteFile(R"({"software\\Orvex": {
            "AutoParse": 2, "AutoExpand": "1", "NoExpandMDAT": true, "NoExpandQI": 1.5,
            "x": -20, "y": 4294967296, "width": [1], "height": null,
            "Hex Editor": 7}})");
        CSettingsFileStore store(m_path);
        QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));   // a number other than 1: off
        QVERIFY(!GetSwitchSetting(store, SwitchAutoExpand));  // a text: the default
        QVERIFY(!GetSwitchSetting(store, SwitchNoExpandMDAT));
        QVERIFY(!GetSwitchSetting(store, SwitchNoExpandQI));
        QCOMPARE(store.ReadValue(kSettingsKey, "NoExpandQI")->type, SettingValue::Type::Other);
        // A negative whole number holds the bits of a signed coordinate.
        QCOMPARE(ReadNumberSetting(store, kSettingsKey, "x").value(), static_cast<uint32_t>(-20));
        QVERIFY(!ReadNumberSetting(store, kSettingsKey, "y"));  // beyond 32 bits
        QVERIFY(!ReadNumberSetting(store, kSettingsKey, "width"));
        QVERIFY(!ReadNumberSetting(store, kSettingsKey, "height"));
        QVERIFY(!ReadWindowPlacement(store));
        std::string path = "kept";
        QVERIFY(!GetHexEditorPath(store, path));
        QCOMPARE(path, std::string("kept"));

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
            QVERIFY(GetSwitchSetting(store, SwitchAutoParse));
            QVERIFY(SetSwitchSetting(store, SwitchAutoParse, false));
            QVERIFY(!GetSwitchSetting(store, SwitchAutoParse));
            QVERIFY(QJsonDocument::fromJson(ReadWholeFile(m_path)).isObject());
        }
        // The folder of the file is a file: nothing can be created there, the write is lost.
        CSettingsFileStore below(m_path + QStringLiteral("/settings.json"));
        QVERIFY(!SetSwitchSetting(below, SwitchAutoExpand, true));
        QVERIFY(!GetSwitchSetting(below, SwitchAutoExpand));
    }

    void theFileLivesInTheConfigurationFolder() {
        const QByteArray saved[] = {qgetenv("ORVEX_CONFIG_DIR"), qgetenv("XDG_CONFIG_HOME")};
        const struct {
            const char* orvex;
            const char* xdg;
            QString file;
        } cases[] = {
            {"/tmp/orvex-conf", "/tmp/xdg", QStringLiteral("/tmp/orvex-conf/settings.json")},
            {"", "/tmp/xdg", QStringLiteral("/tmp/xdg/Orvex/settings.json")},
            {"", "relative/ignored",
             QDir::homePath() + QStringLiteral("/.config/Orvex/settings.json")}};
        for (const auto& c : cases) {
            SetOrUnset("ORVEX_CONFIG_DIR", c.orvex);
            SetOrUnset("XDG_CONFIG_HOME", c.xdg);
            QCOMPARE(CSettingsFileStore::DefaultFilePath(), c.file);
        }
        SetOrUnset("ORVEX_CONFIG_DIR", saved[0]);
        SetOrUnset("XDG_CONFIG_HOME", saved[1]);
    }

private:
    void WriteFile(const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(m_path).absolutePath());
        QFile file(m_path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

    static void SetOrUnset(const char* name, const QByteArray& value) {
        value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
    }

    QString m_path;
};

QTEST_GUILESS_MAIN(SettingsFileStoreTest)
#include "SettingsFileStore_test.moc"
