#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

#include "document/Settings.h"

class QAction;
class QMenu;

// The list of recently opened files, most recent first, as the "&File" menu shows it and as the
// settings keep it under the recent-files key: "DocumentCount" (the maximum), "Document%i" (the
// paths, number 1 the most recent) and, for a media segment opened with its init segment,
// "DocumentInit%i" (the init segment's path).
//
// Paths are compared case-sensitively: two names that differ only in case are two files here.
class CRecentFileList {
public:
    // A file, or a media segment with the init segment it was opened with. The segment alone
    // and the segment with its init are two entries.
    struct Entry {
        Entry() = default;
        Entry(QString segmentOrFile, QString init = {})
            : path(std::move(segmentOrFile)), initPath(std::move(init)) {}
        QString path;
        QString initPath;  // empty for a file opened alone
        bool operator==(const Entry&) const = default;
    };

    static constexpr int kDefaultMaxEntries = 9;
    static constexpr int kMinMaxEntries = 2;
    static constexpr int kMaxMaxEntries = 16;
    static const char* const kEmptyMenuText;

    int GetMaxEntries() const { return m_maxEntries; }
    // A maximum outside 2 to 16 is refused; a smaller one drops the oldest entries.
    bool SetMaxEntries(int count);

    const QList<Entry>& GetEntries() const { return m_entries; }
    int GetCount() const { return static_cast<int>(m_entries.size()); }

    // Puts the entry at the top, removing an equal entry first; the oldest entry goes when the
    // list would grow beyond its maximum.
    void Add(const Entry& entry);
    void RemoveEntry(int index);
    void MoveToTop(int index);

    // Runs `openFile` on the entry: on success the entry moves to the top, on failure it is
    // removed. The result of `openFile`.
    bool OpenEntry(int index, const std::function<bool(const Entry&)>& openFile);

    // "&%i %s" with the number from 1, followed by " (with %s)" and the init segment's file name
    // for a pair; an ampersand in the paths is shown as itself.
    static QString MenuText(int index, const Entry& entry);

    // Reads the list when "DocumentCount" is there; a count outside 2 to 16 keeps the maximum.
    void ReadFromSettings(const ISettingsStore& store);
    // Writes the maximum and the entries, and deletes the values of entries no longer held.
    void WriteToSettings(ISettingsStore& store) const;

private:
    int m_maxEntries = kDefaultMaxEntries;
    QList<Entry> m_entries;
};

// Puts the list's entries into `menu` just before `placeholder`, replacing those put there
// before. The placeholder stands alone, greyed, as "(MRU list is empty)" when the list is empty,
// and is hidden otherwise. Choosing an entry calls `onChosen` with its index.
void RebuildRecentFileMenu(QMenu& menu, QAction& placeholder, const CRecentFileList& list,
                           const std::function<void(int index)>& onChosen);
