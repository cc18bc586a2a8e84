#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <type_traits>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "presentation/ViewBoxHandler.h"

class CISOViewBoxItemLayer;
class CValueFormatContext;

// What a show function writes into: the node's contents layer, the node itself (for a box that
// fills its header layer too) and the format context of the parse, which is null for a handler
// whose boxes carry nothing from one box to the next.
struct ViewBoxTarget {
    CISOViewBoxItemLayer& contents;
    CISOViewBox& node;
    CValueFormatContext* context;
};

// Who writes the version and flags of a full box.
enum class VersionFlags : uint8_t {
    ByCaller,  // added by the caller above the contents
    ByShow,    // written by the show function, which names what the flags mean
};

// One box type a handler shows.
struct ViewBoxRow {
    int32_t id = BoxId::Unknown;
    // Shows the box and returns true when it is the record the row expects; otherwise returns
    // false and leaves the node untouched.
    bool (*show)(const ISOFileFormat::Box& box, const ViewBoxTarget& target) = nullptr;
    bool callerAddsVersionFlags = false;
};

// The id alone is not trusted: a record of another type under a known id (a sample entry type
// met outside a sample description, which the parse keeps as a bare box) is declined and left to
// the next handler, so that no node shows fields that were never read.
template <typename Record, void (*Show)(const Record&, const ViewBoxTarget&)>
bool ShowRecord(const ISOFileFormat::Box& box, const ViewBoxTarget& target) {
    const auto* record = dynamic_cast<const Record*>(&box);
    if (record == nullptr) return false;
    Show(*record, target);
    return true;
}

// The row that shows `Record` under `id` with `Show`. A full box gets its version and flags from
// the caller unless the show function writes them itself; a plain box gets none.
template <typename Record, void (*Show)(const Record&, const ViewBoxTarget&),
          VersionFlags versionFlags = VersionFlags::ByCaller>
constexpr ViewBoxRow Row(int32_t id) {
    return {id, &ShowRecord<Record, Show>,
            versionFlags == VersionFlags::ByCaller &&
                std::is_base_of_v<ISOFileFormat::FullBox, Record>};
}

// A handler's rows, indexed by catalogue id: every node of a file is offered to each handler in
// turn, so finding a box's row costs one look-up, however many rows a family has.
class CViewBoxTable {
public:
    consteval CViewBoxTable(std::initializer_list<ViewBoxRow> rows) {
        for (const ViewBoxRow& row : rows) {
            if (row.id < 0 || row.id >= kBoxCatalogueSize)
                throw "a row's id is not in the catalogue";
            if (m_rows[row.id].show != nullptr) throw "two rows of one table have the same id";
            m_rows[row.id] = row;
        }
    }

    // The row for `id`; null when the table has none.
    const ViewBoxRow* Find(int32_t id) const {
        if (id < 0 || id >= kBoxCatalogueSize) return nullptr;
        const ViewBoxRow& row = m_rows[static_cast<size_t>(id)];
        return row.show != nullptr ? &row : nullptr;
    }

private:
    std::array<ViewBoxRow, kBoxCatalogueSize> m_rows{};
};

// A handler that shows the boxes of one table. Each family of boxes is one such handler: its rows
// and their show functions are all it adds.
class CViewBoxTableHandler : public IViewBoxHandler {
public:
    int32_t FillViewBox(const ISOFileFormat::Box& box, CISOViewBox& viewBox,
                        int32_t& fullBox) final;

protected:
    explicit CViewBoxTableHandler(const CViewBoxTable& table,
                                  CValueFormatContext* context = nullptr)
        : m_table(table), m_context(context) {}

private:
    const CViewBoxTable& m_table;
    CValueFormatContext* m_context;
};
