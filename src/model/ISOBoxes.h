#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"

// Records of the boxes of the ISO base media file format (ISO/IEC 14496-12).
//
// Conventions shared by every record here:
// - Field names are those of the standard. Integers hold host values; fields the standard
//   defines as characters (brands, handler_type, language letters) are bytes as read.
// - A count read from the file (entry_count, sample_count...) is kept as read, separately from
//   its table: the table holds only the entries actually read, so it may be shorter than the
//   count when the box or the file ends early. Consumers iterate over the table.
// - kId is the catalogue id the record is made with.
namespace ISOFileFormat {

// The sample flags of 'trex' and 'trun' as one 32-bit word: the first two file bytes (the flag
// bits) stay raw, the first as the least significant byte; the last two bytes, read as a
// big-endian 16-bit sample_degradation_priority, fill the upper half. So sample_depends_on is
// bits 0-1, sample_is_difference_sample bit 8, sample_padding_value bits 9-11,
// sample_has_redundancy bits 12-13, sample_is_depended_on bits 14-15 and
// sample_degradation_priority bits 16-31.
inline uint32_t SampleFlagsWord(const uint8_t bytes[4]) {
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 24) |
           (uint32_t{bytes[3]} << 16);
}

// 'ftyp'
struct FileTypeBox : Box {
    static constexpr int32_t kId = BoxId::Ftyp;
    explicit FileTypeBox(uint64_t size) : Box(kId, size) {}
    uint8_t major_brand[4] = {};
    uint32_t minor_version = 0;
    uint32_t brand_count = 0;  // from the box size: (size - header - 8) / 4
    std::vector<std::array<uint8_t, 4>> compatible_brands;
};

// 'mvhd'
struct MovieHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Mvhd;
    explicit MovieHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint64_t creation_time = 0;
    uint64_t modification_time = 0;
    uint32_t timescale = 0;
    uint64_t duration = 0;
    uint32_t rate = 0x10000;  // 16.16
    uint16_t volume = 0x100;  // 8.8
    uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    uint32_t pre_defined[6] = {};
    uint32_t next_track_ID = 0;
};

// 'tkhd'
struct TrackHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Tkhd;
    explicit TrackHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint64_t creation_time = 0;
    uint64_t modification_time = 0;
    uint32_t track_ID = 0;
    uint64_t duration = 0;
    uint16_t layer = 0;
    uint16_t alternate_group = 0;
    uint16_t volume = 0;  // 8.8
    uint32_t matrix[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
    uint32_t width = 0;   // 16.16
    uint32_t height = 0;  // 16.16
};

// 'hint' and 'cdsc', plain boxes inside 'tref'
struct TrackReferenceTypeBox : Box {
    static constexpr int32_t kHintId = BoxId::Hint;
    static constexpr int32_t kCdscId = BoxId::Cdsc;
    TrackReferenceTypeBox(int32_t id, uint64_t size) : Box(id, size) {}
    uint32_t track_count = 0;  // from the box size: (size - header) / 4
    std::vector<uint32_t> track_IDs;
};

// 'elst'
struct EditListBox : FullBox {
    static constexpr int32_t kId = BoxId::Elst;
    explicit EditListBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint64_t segment_duration = 0;
        int64_t media_time = 0;
        int16_t media_rate_integer = 0;
        int16_t media_rate_fraction = 0;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'mdhd'
struct MediaHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Mdhd;
    explicit MediaHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint64_t creation_time = 0;
    uint64_t modification_time = 0;
    uint32_t timescale = 0;
    uint64_t duration = 0;
    uint8_t language[3] = {};  // ISO 639-2/T letters
    uint16_t pre_defined = 0;
};

// 'hdlr'
struct HandlerRererenceBox : FullBox {
    static constexpr int32_t kId = BoxId::Hdlr;
    // Longest name kept; longer names are cut.
    static constexpr size_t kMaxNameBytes = 50;
    explicit HandlerRererenceBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t pre_defined = 0;
    uint8_t handler_type[4] = {};
    int32_t handlerKind = 0;  // HandlerKind: 1 vide, 2 soun, 3 hint, 4 text, 0 other
    std::string name;         // UTF-8
};

// 'vmhd'
struct VideoMediaHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Vmhd;
    explicit VideoMediaHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint16_t graphicsmode = 0;
    uint16_t opcolor[3] = {};
};

// 'smhd'
struct SoundMediaHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Smhd;
    explicit SoundMediaHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint16_t balance = 0;  // 8.8
};

// 'hmhd'
struct HintMediaHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Hmhd;
    explicit HintMediaHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint16_t maxPDUsize = 0;
    uint16_t avgPDUsize = 0;
    uint32_t maxbitrate = 0;
    uint32_t avgbitrate = 0;
};

namespace detail {
// Stores `entry` at `index` of `table` when it is a `Entry`, growing the table as needed.
template <typename Entry>
bool AdoptEntryInto(std::vector<std::unique_ptr<Entry>>& table, uint32_t index,
                    std::unique_ptr<Box>& entry) {
    if (dynamic_cast<Entry*>(entry.get()) == nullptr) return false;
    if (index >= table.size()) table.resize(size_t{index} + 1);
    table[index].reset(static_cast<Entry*>(entry.release()));
    return true;
}
}  // namespace detail

// 'dref'; its entries ('url ', 'urn ') follow it as boxes and are owned here.
struct DataReferenceBox : FullBox {
    static constexpr int32_t kId = BoxId::Dref;
    explicit DataReferenceBox(uint64_t size) : FullBox(kId, size) {}

    struct DataEntryBox : FullBox {
        DataEntryBox(int32_t id, uint64_t size) : FullBox(id, size) {}
    };
    // 'urn '
    struct DataEntryUrnBox : DataEntryBox {
        static constexpr int32_t kId = BoxId::Urn;
        explicit DataEntryUrnBox(uint64_t size) : DataEntryBox(kId, size) {}
        std::string name;      // UTF-8
        std::string location;  // UTF-8
    };
    // 'url '
    struct DataEntryUrlBox : DataEntryBox {
        static constexpr int32_t kId = BoxId::Url;
        explicit DataEntryUrlBox(uint64_t size) : DataEntryBox(kId, size) {}
        std::string location;  // UTF-8
    };
    // Longest payload of an entry kept; the rest of a longer entry is passed over.
    static constexpr size_t kMaxEntryTextBytes = 200;

    bool AdoptEntry(uint32_t index, std::unique_ptr<Box>& entry) override {
        return detail::AdoptEntryInto(entries, index, entry);
    }

    uint32_t entry_count = 0;
    // One slot per entry the box can hold (at most entry_count); null where no entry was read.
    std::vector<std::unique_ptr<DataEntryBox>> entries;
};

// 'stsd'; its sample entries follow it as boxes and are owned here.
struct SampleDescriptionBox : FullBox {
    static constexpr int32_t kId = BoxId::Stsd;
    explicit SampleDescriptionBox(uint64_t size) : FullBox(kId, size) {}

    bool AdoptEntry(uint32_t index, std::unique_ptr<Box>& entry) override {
        return detail::AdoptEntryInto(entries, index, entry);
    }

    int32_t handlerKind = 0;  // HandlerKind of the track when the box was read
    uint32_t entry_count = 0;
    // One slot per entry the box can hold (at most entry_count); null where no entry was read.
    std::vector<std::unique_ptr<SampleEntry>> entries;
};

// 'stts'
struct TimeToSampleBox : FullBox {
    static constexpr int32_t kId = BoxId::Stts;
    explicit TimeToSampleBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t sample_count = 0;
        uint32_t sample_delta = 0;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'ctts'
struct CompositionOffsetBox : FullBox {
    static constexpr int32_t kId = BoxId::Ctts;
    explicit CompositionOffsetBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t sample_count = 0;
        uint32_t sample_offset = 0;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'stsc'
struct SampleToChunkBox : FullBox {
    static constexpr int32_t kId = BoxId::Stsc;
    explicit SampleToChunkBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t first_chunk = 0;
        uint32_t samples_per_chunk = 0;
        uint32_t sample_description_index = 0;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'stsz'
struct SampleSizeBox : FullBox {
    static constexpr int32_t kId = BoxId::Stsz;
    explicit SampleSizeBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t sample_size = 0;
    uint32_t sample_count = 0;
    std::vector<uint32_t> entry_size;  // empty when sample_size is not 0
};

// 'stz2'
struct CompactSampleSizeBox : FullBox {
    static constexpr int32_t kId = BoxId::Stz2;
    explicit CompactSampleSizeBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t field_size = 0;
    uint32_t sample_count = 0;
    std::vector<uint16_t> entry_size;  // empty for a field_size other than 4, 8 or 16
};

// 'stco'
struct ChunkOffsetBox : FullBox {
    static constexpr int32_t kId = BoxId::Stco;
    explicit ChunkOffsetBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t entry_count = 0;
    std::vector<uint32_t> chunk_offset;
};

// 'co64'
struct ChunkLargeOffsetBox : FullBox {
    static constexpr int32_t kId = BoxId::Co64;
    explicit ChunkLargeOffsetBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t entry_count = 0;
    std::vector<uint64_t> chunk_offset;
};

// 'stss'
struct SyncSampleBox : FullBox {
    static constexpr int32_t kId = BoxId::Stss;
    explicit SyncSampleBox(uint64_t size) : FullBox(kId, size) {}
    // For the boxes laid out as this one under another type.
    SyncSampleBox(int32_t id, uint64_t size) : FullBox(id, size) {}
    uint32_t entry_count = 0;
    std::vector<uint32_t> sample_number;
};

// 'stsh'
struct ShadowSyncSampleBox : FullBox {
    static constexpr int32_t kId = BoxId::Stsh;
    explicit ShadowSyncSampleBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t shadowed_sample_number = 0;
        uint32_t sync_sample_number = 0;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'stdp'; the box holds no count: sample_count is the last 'stsz' sample_count (0 if none).
struct DegradationPriorityBox : FullBox {
    static constexpr int32_t kId = BoxId::Stdp;
    explicit DegradationPriorityBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t sample_count = 0;
    std::vector<uint16_t> priority;
};

// 'sdtp'; the box holds no count: sample_count is the last 'stsz' sample_count (0 if none).
struct SampleDependencyTypeBox : FullBox {
    static constexpr int32_t kId = BoxId::Sdtp;
    explicit SampleDependencyTypeBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint8_t sample_depends_on = 0;
        uint8_t sample_is_depended_on = 0;
        uint8_t sample_has_redundancy = 0;
    };
    uint32_t sample_count = 0;
    std::vector<Entry> entries;
};

// 'sbgp'
struct SampleToGroupBox : FullBox {
    static constexpr int32_t kId = BoxId::Sbgp;
    explicit SampleToGroupBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint32_t sample_count = 0;
        uint32_t group_description_index = 0;
    };
    uint32_t grouping_type = 0;
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// 'mehd'
struct MovieExtendsBox : FullBox {
    static constexpr int32_t kId = BoxId::Mehd;
    explicit MovieExtendsBox(uint64_t size) : FullBox(kId, size) {}
    uint64_t fragment_duration = 0;
};

// 'trex'
struct TrackExtendsBox : FullBox {
    static constexpr int32_t kId = BoxId::Trex;
    explicit TrackExtendsBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t track_ID = 0;
    uint32_t default_sample_description_index = 0;
    uint32_t default_sample_duration = 0;
    uint32_t default_sample_size = 0;
    uint32_t default_sample_flags = 0;  // flags word, see SampleFlagsWord
};

// 'mfhd'
struct MovieFragmentHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Mfhd;
    explicit MovieFragmentHeaderBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t sequence_number = 0;
};

// 'tfhd'; a field whose flag is clear was not in the box and stays 0.
struct TrackFragmentHeaderBox : FullBox {
    static constexpr int32_t kId = BoxId::Tfhd;
    static constexpr uint32_t kBaseDataOffsetPresent = 0x000001;
    static constexpr uint32_t kSampleDescriptionIndexPresent = 0x000002;
    static constexpr uint32_t kDefaultSampleDurationPresent = 0x000008;
    static constexpr uint32_t kDefaultSampleSizePresent = 0x000010;
    static constexpr uint32_t kDefaultSampleFlagsPresent = 0x000020;
    static constexpr uint32_t kDefaultBaseIsMoof = 0x020000;
    explicit TrackFragmentHeaderBox(uint64_t size) : FullBox(kId, size) {}
    bool Has(uint32_t presentFlag) const { return (FlagsValue() & presentFlag) != 0; }

    uint32_t track_ID = 0;
    uint64_t base_data_offset = 0;
    uint32_t sample_description_index = 0;
    uint32_t default_sample_duration = 0;
    uint32_t default_sample_size = 0;
    uint32_t default_sample_flags = 0;  // big-endian u32 as read (not a flags word)
};

// 'trun'; a field whose flag is clear was not in the box and stays 0. When no per-sample field
// is present (flags 0x100 to 0x800 all clear) the samples hold nothing and `entries` stays
// empty: sample_count alone says how many there are, and each is all "Not Available".
struct TrackRunBox : FullBox {
    static constexpr int32_t kId = BoxId::Trun;
    static constexpr uint32_t kDataOffsetPresent = 0x000001;
    static constexpr uint32_t kFirstSampleFlagsPresent = 0x000004;
    static constexpr uint32_t kSampleDurationPresent = 0x000100;
    static constexpr uint32_t kSampleSizePresent = 0x000200;
    static constexpr uint32_t kSampleFlagsPresent = 0x000400;
    static constexpr uint32_t kSampleCompositionTimeOffsetPresent = 0x000800;
    explicit TrackRunBox(uint64_t size) : FullBox(kId, size) {}
    bool Has(uint32_t presentFlag) const { return (FlagsValue() & presentFlag) != 0; }

    struct Entry {
        uint32_t sample_duration = 0;
        uint32_t sample_size = 0;
        uint32_t sample_flags = 0;  // flags word, see SampleFlagsWord
        uint32_t sample_composition_time_offset = 0;
    };
    uint32_t sample_count = 0;
    int32_t data_offset = 0;
    uint32_t first_sample_flags = 0;  // big-endian u32 as read (not a flags word)
    std::vector<Entry> entries;
    // How much of `size` the file holds: a box may declare more than the file has left, and
    // samples without fields are listed by what the box really holds. A record made outside a
    // parse holds its whole size.
    uint64_t sizeInFile = UINT64_MAX;
};

// 'tfra'
struct TrackFragmentRandomAccessBox : FullBox {
    static constexpr int32_t kId = BoxId::Tfra;
    explicit TrackFragmentRandomAccessBox(uint64_t size) : FullBox(kId, size) {}
    struct Entry {
        uint64_t time = 0;
        uint64_t moof_offset = 0;
        uint32_t traf_number = 0;
        uint32_t trun_number = 0;
        uint32_t sample_number = 0;
    };
    uint32_t track_ID = 0;
    // Each field is (its value + 1) bytes wide.
    uint8_t length_size_of_traf_num = 0;
    uint8_t length_size_of_trun_num = 0;
    uint8_t length_size_of_sample_num = 0;
    uint32_t number_of_entry = 0;
    std::vector<Entry> entries;
};

// 'mfro'
struct MovieFragmentRandomAceessOffsetBox : FullBox {
    static constexpr int32_t kId = BoxId::Mfro;
    explicit MovieFragmentRandomAceessOffsetBox(uint64_t size) : FullBox(kId, size) {}
    // The field the standard calls "size": the size of the enclosing 'mfra' box. Named apart
    // from Box::size, which is this box's own size.
    uint32_t mfra_size = 0;
};

// 'cprt'
struct CopyRightBox : FullBox {
    static constexpr int32_t kId = BoxId::Cprt;
    // Longest notice kept; the rest of a longer box is passed over.
    static constexpr size_t kMaxNoticeBytes = 200;
    explicit CopyRightBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};  // ISO 639-2/T letters
    std::string notice;        // UTF-8
};

}  // namespace ISOFileFormat
