#include "shell/RecentFileList.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <string>
#include <vector>

#include "shell/SettingsFileStore.h"

namespace {
QString Media(int n) {
    return QStringLiteral("/media/clips/file%1.mp4").arg(n);
}

void StoreEntries(ISettingsStore& store, int count, int documents) {
    store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Number(count));
    for (int i = 1; i <= documents; ++i)
        store.WriteValue(kRecentFilesKey, "Document" + std::to_string(i),
                         SettingValue::Text(Media(i).toStdString()));
}

uint32_t ReadValueNumber(const ISettingsStore& store, const char* name) {
    const auto value = store.ReadValue(kRecentFilesKey, name);
    return value && value->type == SettingValue::Type::Number32 ? value->number : 0;
}
}  // namespace

class RecentFileListTest : public QObject {
    Q_OBJECT

private slots:
    void tenFilesLeaveNineMostRecentFirst();
    void reopeningMovesToTheTopButCaseMakesAnotherFile();
    void aFailedEntryIsRemovedAndAnOpenedOneMovesUp();
    void documentCountOutsideTwoToSixteenIsIgnored();
    void roundTripDeletesTheValuesNoLongerHeld();
    void menuShowsTheEntriesOrThePlaceholder();
};

void RecentFileListTest::tenFilesLeaveNineMostRecentFirst() {
    CRecentFileList list;
    for (int i = 1; i <= 10; ++i)
        list.Add(Media(i));
    QCOMPARE(list.GetCount(), 9);
    QVERIFY(!list.GetEntries().contains(Media(1)));
    QCOMPARE(CRecentFileList::MenuText(0, list.GetEntries()[0]),
             QStringLiteral("&1 /media/clips/file10.mp4"));
    QCOMPARE(list.GetEntries()[8], Media(2));
}

void RecentFileListTest::reopeningMovesToTheTopButCaseMakesAnotherFile() {
    CRecentFileList list;
    const QString lower = QStringLiteral("/media/clips/a.mp4");
    list.Add(lower);
    list.Add(Media(1));
    list.Add(Media(2));
    list.Add(lower);
    QCOMPARE(list.GetEntries(), (QStringList{lower, Media(2), Media(1)}));
    list.Add(QStringLiteral("/media/clips/A.mp4"));
    QCOMPARE(list.GetCount(), 4);
    QCOMPARE(list.GetEntries()[1], lower);
}

void RecentFileListTest::aFailedEntryIsRemovedAndAnOpenedOneMovesUp() {
    CRecentFileList list;
    for (int i = 1; i <= 4; ++i)
        list.Add(Media(i));  // 4 3 2 1
    QStringList tried;
    QVERIFY(!list.OpenEntry(1, [&](const QString& path) {
        tried << path;
        return false;
    }));
    QCOMPARE(list.GetEntries(), (QStringList{Media(4), Media(2), Media(1)}));
    QVERIFY(list.OpenEntry(2, [&](const QString& path) {
        tried << path;
        return true;
    }));
    QCOMPARE(list.GetEntries(), (QStringList{Media(1), Media(4), Media(2)}));
    QCOMPARE(tried, (QStringList{Media(3), Media(1)}));
    QVERIFY(!list.OpenEntry(3, [](const QString&) { return true; }));
}

void RecentFileListTest::documentCountOutsideTwoToSixteenIsIgnored() {
    for (uint32_t count : {0u, 1u, 17u, 0xFFFFFFFFu}) {
        CMemorySettingsStore store;
        StoreEntries(store, 0, 16);
        store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Number(count));
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetMaxEntries(), 9);
        // Read from the maximum down: "Document1" is the most recent.
        QCOMPARE(list.GetCount(), 9);
        QCOMPARE(list.GetEntries().front(), Media(1));
        QCOMPARE(list.GetEntries().back(), Media(9));
    }
    {
        CMemorySettingsStore store;
        StoreEntries(store, 16, 16);
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetMaxEntries(), 16);
        QCOMPARE(list.GetCount(), 16);
    }
    {
        // Without a count stored as a number, nothing is read.
        CMemorySettingsStore store;
        StoreEntries(store, 4, 4);
        store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Text("4"));
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetCount(), 0);
        store.DeleteValue(kRecentFilesKey, "DocumentCount");
        list.ReadFromSettings(store);
        QCOMPARE(list.GetCount(), 0);
    }
    {
        // Missing entries and values of another type are passed over.
        CMemorySettingsStore store;
        StoreEntries(store, 5, 5);
        store.DeleteValue(kRecentFilesKey, "Document2");
        store.WriteValue(kRecentFilesKey, "Document4", SettingValue::Number(7));
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetEntries(), (QStringList{Media(1), Media(3), Media(5)}));
        QCOMPARE(list.GetMaxEntries(), 5);
    }
}

void RecentFileListTest::roundTripDeletesTheValuesNoLongerHeld() {
    QTemporaryDir dir;
    CSettingsFileStore store(dir.filePath(QStringLiteral("settings.json")));
    StoreEntries(store, 16, 16);
    CRecentFileList list;
    list.ReadFromSettings(store);
    // The oldest entry fails to open and goes; so does another one.
    QVERIFY(!list.OpenEntry(15, [](const QString&) { return false; }));
    QVERIFY(!list.OpenEntry(3, [](const QString&) { return false; }));
    list.Add(QStringLiteral("/home/me/new & old.3gp"));
    list.WriteToSettings(store);

    QCOMPARE(ReadValueNumber(store, "DocumentCount"), 16u);
    QVERIFY(!store.ReadValue(kRecentFilesKey, "Document16"));
    QCOMPARE(list.GetCount(), 15);
    CRecentFileList again;
    again.ReadFromSettings(store);
    QCOMPARE(again.GetEntries(), list.GetEntries());
    QVERIFY(!again.GetEntries().contains(Media(16)));

    // A smaller list at a smaller maximum deletes every value beyond it.
    CRecentFileList small;
    small.SetMaxEntries(3);
    small.Add(Media(1));
    small.WriteToSettings(store);
    QCOMPARE(ReadValueNumber(store, "DocumentCount"), 3u);
    QVERIFY(store.ReadValue(kRecentFilesKey, "Document1"));
    for (int i = 2; i <= 16; ++i)
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document" + std::to_string(i)));
}

void RecentFileListTest::menuShowsTheEntriesOrThePlaceholder() {
    QMenu menu;
    QAction* before = menu.addAction(QStringLiteral("Options..."));
    QAction* placeholder = menu.addAction(QStringLiteral("placeholder"));
    QAction* after = menu.addAction(QStringLiteral("E&xit"));
    std::vector<int> chosen;
    auto onChosen = [&](int index) { chosen.push_back(index); };

    CRecentFileList list;
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    QCOMPARE(menu.actions(), (QList<QAction*>{before, placeholder, after}));
    QCOMPARE(placeholder->text(), QStringLiteral("(MRU list is empty)"));
    QVERIFY(!placeholder->isEnabled());
    QVERIFY(placeholder->isVisible());

    list.Add(Media(1));
    list.Add(QStringLiteral("/tmp/R&D.mp4"));
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    list.Add(Media(2));
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    const QList<QAction*> actions = menu.actions();
    QCOMPARE(actions.size(), 6);
    QCOMPARE(actions[0], before);
    QCOMPARE(actions[1]->text(), QStringLiteral("&1 /media/clips/file2.mp4"));
    QCOMPARE(actions[2]->text(), QStringLiteral("&2 /tmp/R&&D.mp4"));
    QCOMPARE(actions[3]->text(), QStringLiteral("&3 /media/clips/file1.mp4"));
    QCOMPARE(actions[4], placeholder);
    QVERIFY(!placeholder->isVisible());
    actions[2]->trigger();
    QCOMPARE(chosen, (std::vector<int>{1}));
}

QTEST_MAIN(RecentFileListTest)
#include "RecentFileList_test.moc"
