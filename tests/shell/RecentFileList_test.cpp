#include "shell/RecentFileList.h"

#include <QMenu>
#include <QTest>
#include <string>
#include <vector>

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
        const struct {
            SettingValue count;
            int maxEntries;
        } cases[] = {{SettingValue::Number(0), 9},  {SettingValue::Number(1), 9},
                     {SettingValue::Number(17), 9}, {SettingValue::Number(16), 16},
                     {SettingValue::Number(4), 4},  {SettingValue::Text("4"), -1}};
        for (const auto& c : cases) {
            CMemorySettingsStore store;
            StoreEntries(store, c.count, 16);
            CRecentFileList list;
            list.ReadFromSettings(store);
            // Read from the maximum down: "Document1" is the most recent. Without a count
            // stored as a number nothing is read.
            QCOMPARE(list.GetCount(), std::max(c.maxEntries, 0));
            if (c.maxEntries < 0) continue;
            QCOMPARE(list.GetMaxEntries(), c.maxEntries);
            QCOMPARE(list.GetEntries().front(), Media(1));
            QCOMPARE(list.GetEntries().back(), Media(c.maxEntries));
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

    void menuShowsTheEntriesOrThePlaceholder() {
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
        QVERIFY(!placeholder->isEnabled() && placeholder->isVisible());
        // A rebuild replaces the entries put there before.
        list.Add(Media(1));
        RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
        list.Add(QStringLiteral("/tmp/R&D.mp4"));
        RebuildRecentFileMenu(menu, *placeholder, list, onChosen);
        const QList<QAction*> actions = menu.actions();
        QCOMPARE(actions.size(), 5);
        QCOMPARE(actions[1]->text(), QStringLiteral("&1 /tmp/R&&D.mp4"));
        QCOMPARE(actions[2]->text(), QStringLiteral("&2 /media/clips/file1.mp4"));
        QVERIFY(actions[3] == placeholder && !placeholder->isVisible());
        actions[2]->trigger();
        QCOMPARE(chosen, (std::vector<int>{1}));
    }
};

QTEST_MAIN(RecentFileListTest)
#include "RecentFileList_test.moc"
