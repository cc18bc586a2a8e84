#include "shell/RecentFileList.h"

#include <QAction>
#include <QFileInfo>
#include <QMenu>
#include <optional>
#include <string>

#include "shell/WindowPlacement.h"

namespace {
constexpr char kCountValue[] = "DocumentCount";
// Marks the menu's actions that stand for entries, so that a rebuild finds them again.
constexpr char kEntryProperty[] = "orvexRecentFileEntry";

std::string EntryValueName(int number) {
    return "Document" + std::to_string(number);
}

std::string InitValueName(int number) {
    return "DocumentInit" + std::to_string(number);
}

QString ReadText(const ISettingsStore& store, const std::string& name) {
    const std::optional<SettingValue> value = store.ReadValue(kRecentFilesKey, name);
    if (!value || value->type != SettingValue::Type::Text) return {};
    return QString::fromStdString(value->text);
}

void WriteOrDeleteText(ISettingsStore& store, const std::string& name, const QString& text) {
    if (text.isEmpty()) {
        store.DeleteValue(kRecentFilesKey, name);
    } else {
        store.WriteValue(kRecentFilesKey, name, SettingValue::Text(text.toStdString()));
    }
}
}  // namespace

const char* const CRecentFileList::kEmptyMenuText = "(MRU list is empty)";

bool CRecentFileList::SetMaxEntries(int count) {
    if (count < kMinMaxEntries || count > kMaxMaxEntries) return false;
    m_maxEntries = count;
    while (m_entries.size() > m_maxEntries)
        m_entries.removeLast();
    return true;
}

void CRecentFileList::Add(const Entry& entry) {
    if (entry.path.isEmpty()) return;
    m_entries.removeAll(entry);
    m_entries.prepend(entry);
    while (m_entries.size() > m_maxEntries)
        m_entries.removeLast();
}

void CRecentFileList::RemoveEntry(int index) {
    if (index >= 0 && index < m_entries.size()) m_entries.removeAt(index);
}

void CRecentFileList::MoveToTop(int index) {
    if (index > 0 && index < m_entries.size()) m_entries.move(index, 0);
}

bool CRecentFileList::OpenEntry(int index, const std::function<bool(const Entry&)>& openFile) {
    if (index < 0 || index >= m_entries.size()) return false;
    const Entry entry = m_entries[index];
    const bool opened = openFile(entry);
    // The open may have changed the list meanwhile: find the entry again by its paths.
    const int now = static_cast<int>(m_entries.indexOf(entry));
    if (opened) {
        MoveToTop(now);
    } else {
        RemoveEntry(now);
    }
    return opened;
}

QString CRecentFileList::MenuText(int index, const Entry& entry) {
    QString shown = entry.path;
    if (!entry.initPath.isEmpty())
        shown += QStringLiteral(" (with %1)").arg(QFileInfo(entry.initPath).fileName());
    shown.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

void CRecentFileList::ReadFromSettings(const ISettingsStore& store) {
    const std::optional<uint32_t> count = ReadNumberSetting(store, kRecentFilesKey, kCountValue);
    if (!count) return;
    if (*count >= kMinMaxEntries && *count <= kMaxMaxEntries)
        SetMaxEntries(static_cast<int>(*count));
    // Oldest first, so that "Document1" ends up at the top.
    for (int number = m_maxEntries; number >= 1; --number)
        Add({ReadText(store, EntryValueName(number)), ReadText(store, InitValueName(number))});
}

void CRecentFileList::WriteToSettings(ISettingsStore& store) const {
    // Failures are silent: a list that cannot be written at close is lost.
    store.WriteValue(kRecentFilesKey, kCountValue,
                     SettingValue::Number(static_cast<uint32_t>(m_maxEntries)));
    // Up to the largest maximum: a value left behind would bring a removed entry (or the init
    // segment of a pair no longer at that number) back the next time the list is read.
    for (int number = 1; number <= kMaxMaxEntries; ++number) {
        const Entry* entry = number <= m_entries.size() ? &m_entries[number - 1] : nullptr;
        WriteOrDeleteText(store, EntryValueName(number), entry ? entry->path : QString());
        WriteOrDeleteText(store, InitValueName(number), entry ? entry->initPath : QString());
    }
}

void RebuildRecentFileMenu(QMenu& menu, QAction& placeholder, const CRecentFileList& list,
                           const std::function<void(int index)>& onChosen) {
    for (QAction* action : menu.actions()) {
        if (!action->property(kEntryProperty).toBool()) continue;
        menu.removeAction(action);
        // Later: the action may be the one whose choice led to this rebuild.
        action->deleteLater();
    }
    const QList<CRecentFileList::Entry>& entries = list.GetEntries();
    for (int i = 0; i < entries.size(); ++i) {
        auto* action = new QAction(CRecentFileList::MenuText(i, entries[i]), &menu);
        action->setProperty(kEntryProperty, true);
        QObject::connect(action, &QAction::triggered, &menu, [onChosen, i] { onChosen(i); });
        menu.insertAction(&placeholder, action);
    }
    placeholder.setText(QString::fromLatin1(CRecentFileList::kEmptyMenuText));
    placeholder.setEnabled(false);
    placeholder.setVisible(entries.isEmpty());
}
