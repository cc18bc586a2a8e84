#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "parsing/BoxParsingTable.h"

namespace ISOFileFormat {
struct FullBox;
}

// Parses the image family beyond the classic set: the item boxes of a 'meta' (primary item,
// item information, locations, references, data), the item properties with their
// associations, and the entity groups.
//
// The references of an 'iref' and the groups of a 'grpl' come in parent-entry mode: any type
// may name them, so the parent forces the id of their row. A reference reads 32-bit IDs when
// the last 'iref' was version 1.
class CImageBoxParsingHandler : public CTableBoxParsingHandler<CImageBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CImageBoxParsingHandler>> Rows();

    // Bytes of an 'idat' kept for display; the rest is passed unread.
    static constexpr uint64_t kMaxShownDataBytes = 256;

private:
    using Context = BoxParseContext;

    void ParsePrimaryItem(const Context& c);
    void ParseItemInfo(const Context& c);
    void ParseItemInfoEntry(const Context& c);
    void ParseItemLocation(const Context& c);
    void ParseItemReference(const Context& c);
    void ParseSingleItemReference(const Context& c);
    void ParseItemData(const Context& c);
    void ParsePropertyAssociation(const Context& c);
    void ParseSpatialExtents(const Context& c);
    void ParsePixelInformation(const Context& c);
    void ParseAuxiliaryType(const Context& c);
    void ParseSmallProperty(const Context& c);
    void ParseLayeredImageIndexing(const Context& c);
    void ParseGroupsList(const Context& c);
    void ParseEntityGroup(const Context& c);

    // Parent-entry mode for a box whose children all take `forcedId`.
    static void ForceChildIds(const Context& c, int32_t forcedId);

    bool m_largeReferences = false;
};
