#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

namespace BoxId {
inline constexpr int32_t Ilst = Of("ilst");
inline constexpr int32_t Keys = Of("keys");
inline constexpr int32_t Data = Of("data");
inline constexpr int32_t Mean = Of("mean");
inline constexpr int32_t Name = Of("name");
inline constexpr int32_t MetadataItem = OfDescription("metadata item");
inline constexpr int32_t TitleItem = OfDescription("title");
inline constexpr int32_t ArtistItem = OfDescription("artist");
inline constexpr int32_t EncodingToolItem = OfDescription("encoding tool");
inline constexpr int32_t DateItem = OfDescription("date");
inline constexpr int32_t TrackNumberItem = OfDescription("track number");
inline constexpr int32_t DiscNumberItem = OfDescription("disc number");
inline constexpr int32_t CoverItem = OfDescription("cover art");
inline constexpr int32_t CustomItem = OfDescription("custom metadata item (mean, name)");
inline constexpr int32_t KeyedItem = OfDescription("metadata item named by its key index");
inline constexpr int32_t Elng = Of("elng");
inline constexpr int32_t Kind = Of("kind");
inline constexpr int32_t TrackReference = OfDescription("the track(s) this track refers to");
}  // namespace BoxId

// Records of the metadata family beyond the classic set (rows in model/MetaBoxRows.h).
namespace ISOFileFormat {

// ISO/IEC 14496-12:2015, 8.11.1.2. The QuickTime form has no version and flags: it is told
// apart by a 'hdlr' box header right after its own.
struct MetaBox : FullBox {
    static constexpr int32_t kId = BoxId::Meta;
    explicit MetaBox(uint64_t size) : FullBox(kId, size) {}
    bool quickTimeStyle = false;
};

// ISO/IEC 14496-12:2015, 8.4.3.2, as the first box of a 'meta': it declares the metadata's
// format ('mdir', 'mdta', 'ID32'...), not a track's media. A record of its own, so that it is
// never counted as a track's handler.
struct MetaHandlerBox : FullBox {
    static constexpr int32_t kId = BoxId::Hdlr;
    explicit MetaHandlerBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t pre_defined = 0;
    uint8_t handler_type[4] = {};
    uint32_t reserved[3] = {};
    std::string name;  // UTF-8 up to its terminating zero
};

// An item of 'ilst': its type names it, or is the 1-based index of its key in 'keys'.
struct MetadataItemBox : Box {
    MetadataItemBox(int32_t id, uint64_t size) : Box(id, size) {}
    uint32_t keyIndex = 0;  // 0 unless the type is a key index
    std::string key;        // the key's namespace and value when 'keys' holds that index
};

// QuickTime File Format, Metadata atoms and types, Value atom: the value of an item.
struct DataBox : Box {
    static constexpr int32_t kId = BoxId::Data;
    explicit DataBox(uint64_t size) : Box(kId, size) {}
    // The item it belongs to, for the values whose layout the item decides ('trkn', 'disk').
    int32_t itemId = BoxId::Unknown;
    uint8_t typeSet = 0;  // 0: the well-known types
    uint32_t type = 0;    // 24 bits
    uint16_t country = 0;
    uint16_t language = 0;
    uint64_t valueSize = 0;      // the whole value, in bytes
    std::vector<uint8_t> value;  // its first kMaxKeptBytes bytes; none for images
    static constexpr uint64_t kMaxKeptBytes = 4096;
};

// 'mean' and 'name' of a custom ('----') item: a full box and UTF-8 text to its end.
struct MetadataTextBox : FullBox {
    MetadataTextBox(int32_t id, uint64_t size) : FullBox(id, size) {}
    std::string text;
};

// QuickTime File Format, Metadata item keys atom.
struct MetadataKeysBox : FullBox {
    static constexpr int32_t kId = BoxId::Keys;
    explicit MetadataKeysBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t key_size = 0;
        uint8_t key_namespace[4] = {};
        std::string key_value;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;  // those the box holds
};

// ISO/IEC 14496-12:2015, 8.4.6.2
struct ExtendedLanguageBox : FullBox {
    static constexpr int32_t kId = BoxId::Elng;
    explicit ExtendedLanguageBox(uint64_t size) : FullBox(kId, size) {}
    std::string extended_language;
};

// ISO/IEC 14496-12:2015, 8.10.4.2
struct KindBox : FullBox {
    static constexpr int32_t kId = BoxId::Kind;
    explicit KindBox(uint64_t size) : FullBox(kId, size) {}
    std::string schemeURI;
    std::string value;
};

// ISO/IEC 14496-12:2015, 8.9.3.2. Entries are kept as their bytes; how they read depends on
// grouping_type and is decided where they are shown.
struct SampleGroupDescriptionBox : FullBox {
    static constexpr int32_t kId = BoxId::Sgpd;
    explicit SampleGroupDescriptionBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        bool hasLength = false;  // description_length was in the box
        uint32_t description_length = 0;
        size_t offset = 0;  // of its bytes in `bytes`
        size_t length = 0;
    };
    uint8_t grouping_type[4] = {};
    uint32_t default_length = 0;                    // version 1
    uint32_t default_sample_description_index = 0;  // version 2 and later
    uint32_t entry_count = 0;
    std::vector<Entry> entries;  // those the box holds
    std::vector<uint8_t> bytes;  // the entries' bytes, one after the other
    // Entries of a grouping type whose entry size only description_length could tell (version
    // 0 and 2): the rest of the box is kept as one undivided entry.
    bool undivided = false;
};

// ISO/IEC 14496-12:2015, 8.7.7.2
struct SubSampleInformationBox : FullBox {
    static constexpr int32_t kId = BoxId::Subs;
    explicit SubSampleInformationBox(uint64_t size) : FullBox(kId, size) {}
    struct SubSample {
        uint32_t subsample_size = 0;
        uint8_t subsample_priority = 0;
        uint8_t discardable = 0;
        uint32_t codec_specific_parameters = 0;
    };
    struct Entry {
        uint32_t sample_delta = 0;
        uint16_t subsample_count = 0;
        uint32_t firstSubSample = 0;  // index into subSamples
        uint16_t readSubSamples = 0;  // of subsample_count, those the box holds
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
    std::vector<SubSample> subSamples;
};

}  // namespace ISOFileFormat
