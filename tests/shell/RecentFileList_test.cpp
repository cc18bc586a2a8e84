#include "shell/RecentFileList.h"

#include <QTest>
#include <string>

#include "shell/SettingsFileStore.h"
#include "shell/ShellTestSupport.h"

namespace {
QString Media(int n) {
    return QStringLiteral("/media/clips/file%1.mp4").arg(n);
}

void StoreEntries(ISettingsStore& store, SettingValue count, int documents) {
    store.WriteValue(kRecentFilesKey, "DocumentCount", count);
    for (int i = 1; i <= documents; ++i)
        store.WriteValue(kRecentFilesKey, "Document" + std::to_string(i),
                         SettingValue::Text(Media(i).toStdString()));
}
}  // namespace

class RecentFileListTest : public QObject {
    Q_OBJECT

private slots:
    void keepsNineMostRecentFirstComparingCase() {
        CRecentFileList list;
        for (int i = 1; i <= 10; ++i)
            list.Add(Media(i));
        list.Add(Media(5));
        list.Add(QStringLiteral("/media/clips/FILE5.mp4"));
        QCOMPARE(list.GetEntries(),
                 (QStringList{"/media/clips/FILE5.mp4", Media(5), Media(10), Media(9), Media(8),
                              Media(7), Media(6), Media(4), Media(3)}));
        // A failed entry is removed, an opened one moves up.
        QStringList tried;
        QVERIFY(!list.OpenEntry(1, [&](const QString& path) { return tried << path, false; }));
        QVERIFY(list.OpenEntry(7, [&](const QString& path) { return tried << path, true; }));
        QCOMPARE(tried, (QStringList{Media(5), Media(3)}));
        QCOMPARE(list.GetEntries().mid(0, 3),
                 (QStringList{Media(3), "/media/clips/FILE5.mp4", Media(10)}));
        QCOMPARE(list.GetCount(), 8);
    }

    void readsTheStoredCountOrNine() {
        // The count stored and the entries read: from the maximum down, "Document1" the most
        // recent; without a count stored as a number nothing is read.
        const std::pair<SettingValue, int> cases[] = {
            {SettingValue::Number(0), 9},  {SettingValue::Number(1), 9},
            {SettingValue::Number(17), 9}, {SettingValue::Number(16), 16},
            {SettingValue::Number(4), 4},  {SettingValue::Text("4"), 0}};
        for (const auto& [count, entries] : cases) {
            CMemorySettingsStore store;
            StoreEntries(store, count, 16);
            CRecentFileList list;
            list.ReadFromSettings(store);
            QCOMPARE(list.GetCount(), entries);
            if (entries == 0) continue;
            QCOMPARE(list.GetMaxEntries(), entries);
            QCOMPARE(list.GetEntries().front() + list.GetEntries().back(),
                     Media(1) + Media(entries));
        }
    }

    void roundTripDeletesTheValuesNoLongerHeld() {
        CSettingsFileStore store(TempFile("recent.json"));
        StoreEntries(store, SettingValue::Number(16), 16);
        store.WriteValue(kRecentFilesKey, "Document2", SettingValue::Number(7));  // passed over
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetCount(), 15);
        // The oldest entry fails to open: it must not come back from "Document16".
        QVERIFY(!list.OpenEntry(14, [](const QString&) { return false; }));
        list.WriteToSettings(store);
        CRecentFileList again;
        again.ReadFromSettings(store);
        QCOMPARE(again.GetEntries(), list.GetEntries());
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document15"));
        CRecentFileList small;
        small.Add(Media(1));
        small.WriteToSettings(store);
        QCOMPARE(store.ReadValue(kRecentFilesKey, "DocumentCount")->number, 9u);
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document2"));
    }
};

QTEST_MAIN(RecentFileListTest)
#include "RecentFileList_test.moc"
