#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "model/Box.h"
#include "model/FileReader.h"
#include "parsing/BitReader.h"
#include "parsing/ParserInterfaces.h"
#include "parsing/TableReading.h"

// What every per-box parse of a handler works from.
struct BoxParseContext {
    const uint8_t* type;    // the box's four type bytes
    int32_t id;             // the catalogue id (or the id forced by the box's parent)
    uint64_t size;          // the box's size, header included
    uint32_t& headerBytes;  // bytes counted as header so far
    BoxParseResult& result;
    int64_t boxEnd;  // file position one past the box
};

// The rest of a box after `used` more bytes of its payload, read into memory for a CBitReader.
// A box the file does not hold ends the parse inside this call.
inline std::vector<uint8_t> ReadBoxPayload(CFileReader& r, const BoxParseContext& c,
                                           uint64_t used) {
    std::vector<uint8_t> bytes;
    ReadBoxBytes(r, c.boxEnd, BytesAfter(c.size, c.headerBytes, used), bytes);
    return bytes;
}

// At most `limit` bytes of the rest of a box; the others are passed unread. A box the file
// does not hold ends the parse inside this call.
inline std::vector<uint8_t> ReadBoxHead(CFileReader& r, const BoxParseContext& c, uint64_t limit) {
    const int64_t position = r.GetPosition();
    const uint64_t left = c.boxEnd > position ? static_cast<uint64_t>(c.boxEnd - position) : 0;
    std::vector<uint8_t> bytes;
    if (ReadBoxBytes(r, c.boxEnd, left < limit ? left : limit, bytes))
        PassFieldBytes(r, left - bytes.size());
    return bytes;
}

// Room for the entries of a table read from a payload in memory that the bytes left can hold,
// never for the count alone (`entryBytes`: the fewest bytes an entry takes; 0 counts as 1).
template <typename T>
void ReserveEntries(std::vector<T>& table, uint64_t count, const CBitReader& bits,
                    uint64_t entryBytes) {
    const uint64_t room = bits.BytesLeft() / (entryBytes > 0 ? entryBytes : 1);
    table.reserve(static_cast<size_t>(count < room ? count : room));
}

// After fields read from a payload in memory: when they wanted more than the box held, the
// missing bytes are passed as far as the file goes, so that the driver says by how much the box
// was short.
inline void PassBitsMissed(CFileReader& r, const CBitReader& bits) {
    if (bits.Overrun()) PassMissingBytes(r, bits.MissingBytes());
}

// One row of a handler's table: the catalogue id it claims and the member that parses it. A row
// may claim only some of the types read under its id (`accepts`; every type when null): a family
// takes the sample entries of its own types and leaves the others to the classic reading.
template <typename Handler>
struct BoxParseRow {
    int32_t id;
    void (Handler::*parse)(const BoxParseContext&);
    bool (*accepts)(const uint8_t type[4]) = nullptr;
};

// The dispatch every parsing handler shares. `Handler` lists its ids once, in
// `static std::span<const BoxParseRow<Handler>> Rows()`. Every box is offered to every handler,
// and a fragmented file has millions of boxes: each handler finds the rows of an id through an
// index by id, made once, instead of walking its whole table.
template <typename Handler>
class CTableBoxParsingHandler : public CBoxParsingHandlerImpl {
public:
    int32_t ParseBox(const uint8_t type[4], int32_t id, uint64_t size, uint32_t& headerBytes,
                     BoxParseResult& result) final {
        const std::span<const BoxParseRow<Handler>> rows = Handler::Rows();
        const std::vector<std::vector<uint16_t>>& byId = RowsById();
        if (id < 0 || static_cast<size_t>(id) >= byId.size()) return 0;
        for (const uint16_t index : byId[static_cast<size_t>(id)]) {
            const BoxParseRow<Handler>& row = rows[index];
            if (row.accepts != nullptr && !row.accepts(type)) continue;
            const BoxParseContext c{
                type, id, size, headerBytes, result, BoxEndPosition(Reader(), size, headerBytes)};
            result.descend = 0;
            (static_cast<Handler*>(this)->*row.parse)(c);
            return 1;
        }
        return 0;
    }

protected:
    // A full box's version and flags into `record`, then the rest of its payload in memory.
    std::vector<uint8_t> ReadFullPayload(const BoxParseContext& c, ISOFileFormat::FullBox& record) {
        ReadVersionAndFlags(record.version, record.flags);
        return ReadBoxPayload(Reader(), c, 4);
    }

private:
    // For each id, the positions of its rows in table order.
    static const std::vector<std::vector<uint16_t>>& RowsById() {
        static const std::vector<std::vector<uint16_t>> index = [] {
            std::vector<std::vector<uint16_t>> byId;
            const std::span<const BoxParseRow<Handler>> rows = Handler::Rows();
            for (size_t i = 0; i < rows.size(); ++i) {
                if (rows[i].id < 0) continue;
                const auto id = static_cast<size_t>(rows[i].id);
                if (byId.size() <= id) byId.resize(id + 1);
                byId[id].push_back(static_cast<uint16_t>(i));
            }
            return byId;
        }();
        return index;
    }
};
