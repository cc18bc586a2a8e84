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

void StoreEntries(ISettingsStore& store, uint32_t count, int documents) {
    store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Number(count));
    for (int i = 1; i <= documents; ++i)
        store.WriteValue(kRecentFilesKey, "Document" + std::to_string(i),
                         SettingValue::Text(Media(i).toStdString()));
}
}  // namespace

class RecentFileListTest : public QObject {
    Q_OBJECT

private slots:
    void keepsNineMostRecentFirstComparingCase();
    void aFailedEntryIsRemovedAnOpenedOneMovesUp();
    void documentCountOutsideTwoToSixteenIsIgnored();
    void roundTripDeletesTheValuesNoLongerHeld();
    void menuShowsTheEntriesOrThePlaceholder();
};

void RecentFileListTest::keepsNineMostRecentFirstComparingCase() {
    CRecentFileList list;
    for (int i = 1; i <= 10; ++i)
        list.Add(Media(i));
    QCOMPARE(list.GetCount(), 9);
    QVERIFY(!list.GetEntries().contains(Media(1)));
    QCOMPARE(CRecentFileList::MenuText(0, list.GetEntries()[0]),
             QStringLiteral("&1 /media/clips/file10.mp4"));

    list.Add(Media(5));
    QCOMPARE(list.GetCount(), 9);
    QCOMPARE(list.GetEntries()[0], Media(5));
    list.Add(QStringLiteral("/media/clips/FILE5.mp4"));
    QCOMPARE(list.GetEntries()[1], Media(5));
}

void RecentFileListTest::aFailedEntryIsRemovedAnOpenedOneMovesUp() {
    CRecentFileList list;
    for (int i = 1; i <= 4; ++i)
        list.Add(Media(i));  // 4 3 2 1
    QStringList tried;
    auto opens = [&](bool result) {
        return [&tried, result](const QString& path) {
            tried << path;
            return result;
        };
    };
    QVERIFY(!list.OpenEntry(1, opens(false)));
    QVERIFY(list.OpenEntry(2, opens(true)));
    QCOMPARE(tried, (QStringList{Media(3), Media(1)}));
    QCOMPARE(list.GetEntries(), (QStringList{Media(1), Media(4), Media(2)}));
}

void RecentFileListTest::documentCountOutsideTwoToSixteenIsIgnored() {
    for (uint32_t count : {0u, 1u, 17u}) {
        CMemorySettingsStore store;
        StoreEntries(store, count, 16);
        CRecentFileList list;
        list.ReadFromSettings(store);
        QCOMPARE(list.GetMaxEntries(), 9);
        // Read from the maximum down: "Document1" is the most recent.
        QCOMPARE(list.GetCount(), 9);
        QCOMPARE(list.GetEntries().front(), Media(1));
        QCOMPARE(list.GetEntries().back(), Media(9));
    }
    // Without a count stored as a number nothing is read; entries of another type are passed.
    CMemorySettingsStore store;
    StoreEntries(store, 4, 4);
    store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Text("4"));
    CRecentFileList list;
    list.ReadFromSettings(store);
    QCOMPARE(list.GetCount(), 0);
    store.WriteValue(kRecentFilesKey, "DocumentCount", SettingValue::Number(4));
    store.WriteValue(kRecentFilesKey, "Document2", SettingValue::Number(7));
    list.ReadFromSettings(store);
    QCOMPARE(list.GetEntries(), (QStringList{Media(1), Media(3), Media(4)}));
    QCOMPARE(list.GetMaxEntries(), 4);
}

void RecentFileListTest::roundTripDeletesTheValuesNoLongerHeld() {
    QTemporaryDir dir;
    CSettingsFileStore store(dir.filePath(QStringLiteral("settings.json")));
    StoreEntries(store, 16, 16);
    CRecentFileList list;
    list.ReadFromSettings(store);
    QCOMPARE(list.GetCount(), 16);
    // The oldest entry fails to open: it must not come back from "Document16".
    QVERIFY(!list.OpenEntry(15, [](const QString&) { return false; }));
    list.WriteToSettings(store);
    CRecentFileList again;
    again.ReadFromSettings(store);
    QCOMPARE(again.GetEntries(), list.GetEntries());
    QVERIFY(!store.ReadValue(kRecentFilesKey, "Document16"));

    CRecentFileList small;
    small.Add(Media(1));
    small.WriteToSettings(store);
    QCOMPARE(store.ReadValue(kRecentFilesKey, "DocumentCount")->number, 9u);
    for (int i = 2; i <= 16; ++i)
        QVERIFY(!store.ReadValue(kRecentFilesKey, "Document" + std::to_string(i)));
}

void RecentFileListTest::menuShowsTheEntriesOrThePlaceholder() {
    QMenu menu;
    QAction* before = menu.addAction(QStringLiteral("Options..."));
    QAction* placeholder = menu.addAction(QString());
    QAction* after = menu.addAction(QStringLiteral("E&xit"));
    std::vector<int> chosen;
    auto onChosen = [&](int index) { chosen.push_back(index); };

    CRecentFileList list;
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    QCOMPARE(menu.actions(), (QList<QAction*>{before, placeholder, after}));
    QCOMPARE(placeholder->text(), QStringLiteral("(MRU list is empty)"));
    QVERIFY(!placeholder->isEnabled());
    QVERIFY(placeholder->isVisible());

    // A rebuild replaces the entries put there before.
    list.Add(Media(1));
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    list.Add(QStringLiteral("/tmp/R&D.mp4"));
    RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
    const QList<QAction*> actions = menu.actions();
    QCOMPARE(actions.size(), 5);
    QCOMPARE(actions[1]->text(), QStringLiteral("&1 /tmp/R&&D.mp4"));
    QCOMPARE(actions[2]->text(), QStringLiteral("&2 /media/clips/file1.mp4"));
    QCOMPARE(actions[3], placeholder);
    QVERIFY(!placeholder->isVisible());
    actions[2]->trigger();
    QCOMPARE(chosen, (std::vector<int>{1}));
}

QTEST_MAIN(RecentFileListTest)
#include "RecentFileList_test.moc"
