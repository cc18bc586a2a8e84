#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "parsing/BoxParsingTable.h"

// Parses the metadata family beyond the classic set: 'meta' with its handler, item list, keys
// and values, 'elng', 'kind', track references of any type, 'sgpd' and 'subs'; and, in place
// of the classic reading, 'hdlr', whose subtitle handler types count as timed text here.
//
// Items of 'ilst' and references of 'tref' come in parent-entry mode: the parent forces the
// id of their generic row and the parse gives each its own row where the catalogue has one.
// A few facts carry from one box to the next within a parse: where the handler of the last
// 'meta' starts, the keys of the last 'keys' (items name them by index) and the last item
// (its 'data' reads by it).
class CMetaBoxParsingHandler : public CTableBoxParsingHandler<CMetaBoxParsingHandler> {
public:
    static std::span<const BoxParseRow<CMetaBoxParsingHandler>> Rows();

private:
    using Context = BoxParseContext;

    void ParseMeta(const Context& c);
    void ParseHandler(const Context& c);
    void ParseItemList(const Context& c);
    void ParseItem(const Context& c);
    void ParseData(const Context& c);
    void ParseMetadataText(const Context& c);
    void ParseKeys(const Context& c);
    void ParseExtendedLanguage(const Context& c);
    void ParseKind(const Context& c);
    void ParseTrackReference(const Context& c);
    void ParseTrackReferenceType(const Context& c);
    void ParseSampleGroupDescription(const Context& c);
    void ParseSubSampleInformation(const Context& c);
    void ParseSampleDependencyType(const Context& c);

    // Whether the rest of the box is a run of whole child boxes. Files in the wild put other
    // bytes in 'meta' and in items; those are passed rather than walked, so that one broken
    // item costs a warning, not the rest of the file.
    bool ChildrenFit(const Context& c);
    // Parent-entry mode for a container whose children all take `forcedId` (when they fit).
    void ForceChildIds(const Context& c, int32_t forcedId);
    // The rest of the box, up to `limit` bytes kept (the rest passed).
    std::vector<uint8_t> ReadRest(const Context& c, uint64_t limit);

    int64_t m_metaHandlerAt = -1;  // file position of the 'hdlr' that opens the last 'meta'
    std::vector<std::string> m_keys;
    int32_t m_itemId = -1;
};
