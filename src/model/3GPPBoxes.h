#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/SampleEntries.h"

// Records of the boxes that 3GPP (TS 26.244, timed text TS 26.245), the MP4 file format
// (ISO/IEC 14496-14) and the AVC file format (ISO/IEC 14496-15) add to the ISO base media file
// format. The sample entry records are in model/SampleEntries.h.
//
// Texts are UTF-8. A 3GPP asset text keeps a terminating zero character when the file has one:
// it is the embedded byte '\0' at the end of the std::string. Show such texts through
// TextBeforeZero. Languages are the three letters of the packed ISO 639-2/T code, without a
// terminator.
namespace ISOFileFormat {

// The part of a record text that is shown: everything before its first zero character.
inline std::string_view TextBeforeZero(const std::string& text) {
    const size_t zero = text.find('\0');
    return std::string_view(text).substr(0, zero);
}

// 'auth', 'titl', 'dscp', 'perf', 'gnre': a language and one UTF-8 or UTF-16 text.
struct AuthorBox : FullBox {
    static constexpr int32_t kId = BoxId::Auth;
    explicit AuthorBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string author;
};

struct TitleBox : FullBox {
    static constexpr int32_t kId = BoxId::Titl;
    explicit TitleBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string title;
};

struct DescriptionBox : FullBox {
    static constexpr int32_t kId = BoxId::Dscp;
    explicit DescriptionBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string description;
};

struct PerformerBox : FullBox {
    static constexpr int32_t kId = BoxId::Perf;
    explicit PerformerBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string performer;
};

struct GenreBox : FullBox {
    static constexpr int32_t kId = BoxId::Gnre;
    explicit GenreBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string genre;
};

struct RatingBox : FullBox {
    static constexpr int32_t kId = BoxId::Rtng;
    explicit RatingBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t RatingEntity[4] = {};    // four-character code, file order
    uint8_t RatingCriteria[4] = {};  // four-character code, file order
    uint8_t language[3] = {};
    std::string RatingInfo;  // single-byte text, at most 200 characters
};

struct ClassificationBox : FullBox {
    static constexpr int32_t kId = BoxId::Clsf;
    explicit ClassificationBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t ClassificationEntity[4] = {};
    uint16_t ClassificationTable = 0;
    uint8_t language[3] = {};
    std::string ClassificationInfo;  // single-byte text, at most 200 characters
};

struct KeywordsBox : FullBox {
    static constexpr int32_t kId = BoxId::Kywd;
    explicit KeywordsBox(uint64_t size) : FullBox(kId, size) {}
    struct KeywordEntry {
        uint8_t KeywordSize = 0;
        std::string KeywordInfo;  // single-byte text, at most 200 characters
    };
    uint8_t language[3] = {};
    uint8_t KeywordCnt = 0;              // as declared in the file
    std::vector<KeywordEntry> keywords;  // the keywords read, in file order
};

struct LocationInformationBox : FullBox {
    static constexpr int32_t kId = BoxId::Loci;
    explicit LocationInformationBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string Name;
    uint8_t Role = 0;
    uint32_t Longitude = 0;  // 16.16 fixed point, bits as read
    uint32_t Latitude = 0;   // 16.16 fixed point, bits as read
    uint32_t altitude = 0;   // 16.16 fixed point, bits as read
    std::string Astronomical_body;
    std::string Additional_notes;
};

struct AlbumBox : FullBox {
    static constexpr int32_t kId = BoxId::Albm;
    explicit AlbumBox(uint64_t size) : FullBox(kId, size) {}
    uint8_t language[3] = {};
    std::string AlbumTitle;
    uint8_t TrackNumber = 0;
};

struct RecordingYearBox : FullBox {
    static constexpr int32_t kId = BoxId::Yrrc;
    explicit RecordingYearBox(uint64_t size) : FullBox(kId, size) {}
    uint16_t RecordingYear = 0;
};

// 'ftab' of a timed-text sample entry.
struct FontTableBox : Box {
    static constexpr int32_t kId = BoxId::Ftab;
    explicit FontTableBox(uint64_t size) : Box(kId, size) {}
    struct FontRecord {
        uint16_t font_ID = 0;
        uint8_t font_name_length = 0;
        std::vector<uint8_t> font_name;  // not terminated
    };
    uint16_t entry_count = 0;         // as declared in the file
    std::vector<FontRecord> entries;  // the fonts read, in file order
};

// 'esds': the ES_Descriptor of ISO/IEC 14496-1 with its decoder configuration, and the audio
// (ISO/IEC 14496-3 AudioSpecificConfig) or visual (object sequence) decoder specific info.
struct ESDescriptorBox : FullBox {
    static constexpr int32_t kId = BoxId::Esds;
    explicit ESDescriptorBox(uint64_t size) : FullBox(kId, size) {}
    uint16_t ES_ID = 0;
    uint8_t streamDependenceFlag = 0;
    uint8_t URL_Flag = 0;
    uint8_t OCRstreamFlag = 0;
    uint8_t streamPriority = 0;
    // DecoderConfigDescriptor
    uint8_t objectTypeIndication = 0;
    uint8_t streamType = 0;
    uint8_t upStream = 0;
    uint32_t bufferSizeDB = 0;
    uint32_t maxBitrate = 0;
    uint32_t avgBitrate = 0;
    // AudioSpecificConfig
    uint8_t audioObjectType = 0;
    uint8_t samplingFrequencyIndex = 0;
    uint8_t channelConfiguration = 0;
    uint8_t frameLengthFlag = 0;
    uint8_t dependsOnCoreCoder = 0;
    uint8_t extensionFlag = 0;
    uint8_t sbrPresentFlag = 0;
    uint8_t psPresentFlag = 0;
    uint8_t extensionAudioObjectType = 0;
    uint16_t syncExtensionType = 0;   // 0x2B7 when SBR signalling follows
    uint16_t syncExtensionType2 = 0;  // 0x548 when parametric stereo signalling follows
    uint8_t extensionSamplingFrequencyIndex = 0;
    // Visual object sequence
    uint32_t visual_object_sequence_start_code = 0;
    uint8_t profile_and_level_indication = 0;
    uint32_t visual_object_sequence_end_code = 0;
};

struct AVCConfigurationBox : Box {
    static constexpr int32_t kId = BoxId::AvcC;
    explicit AVCConfigurationBox(uint64_t size) : Box(kId, size) {}
    struct ParameterSet {
        uint16_t length = 0;
        std::vector<uint8_t> nalUnit;
    };
    uint8_t configurationVersion = 1;
    uint8_t AVCProfileIndication = 0;
    uint8_t profile_compatibility = 0;
    uint8_t AVCLevelIndication = 0;
    uint8_t lengthSizeMinusOne = 0;
    uint8_t numOfSequenceParameterSets = 0;  // as declared in the file
    std::vector<ParameterSet> sequenceParameterSets;
    uint8_t numOfPicutreParamterSets = 0;  // as declared in the file
    std::vector<ParameterSet> pictureParameterSets;
};

// 'btrt' (ISO/IEC 14496-12 / 14496-14).
struct MPEG4BitRateBox : Box {
    static constexpr int32_t kId = BoxId::Btrt;
    explicit MPEG4BitRateBox(uint64_t size) : Box(kId, size) {}
    uint32_t bufferSizeDB = 0;
    uint32_t maxBitrate = 0;
    uint32_t avgBitrate = 0;
};

// 'bitr' of an H.263 entry (TS 26.244).
struct BitrateBox : Box {
    static constexpr int32_t kId = BoxId::Bitr;
    explicit BitrateBox(uint64_t size) : Box(kId, size) {}
    uint32_t avgBitrate = 0;
    uint32_t maxBitrate = 0;
};

struct AMRSpecificBox : Box {
    static constexpr int32_t kId = BoxId::Damr;
    explicit AMRSpecificBox(uint64_t size) : Box(kId, size) {}
    uint8_t vendor[4] = {};  // file order
    uint8_t decoder_version = 0;
    uint16_t mode_set = 0;
    uint8_t mode_change_period = 0;
    uint8_t frames_per_sample = 0;
};

struct H263SpecificBox : Box {
    static constexpr int32_t kId = BoxId::D263;
    explicit H263SpecificBox(uint64_t size) : Box(kId, size) {}
    uint8_t vendor[4] = {};  // file order
    uint8_t decoder_version = 0;
    uint8_t H263_Level = 0;
    uint8_t H263_Profile = 0;
};

struct AMRWPSpecificBox : Box {
    static constexpr int32_t kId = BoxId::Dawp;
    explicit AMRWPSpecificBox(uint64_t size) : Box(kId, size) {}
    uint8_t vendor[4] = {};  // file order
    uint8_t decoder_version = 0;
};

struct TrackSelectionBox : FullBox {
    static constexpr int32_t kId = BoxId::Tsel;
    explicit TrackSelectionBox(uint64_t size) : FullBox(kId, size) {}
    int32_t SwitchGroup = 0;
    // One four-character code per attribute, file order; the count is the vector's size.
    std::vector<std::array<uint8_t, 4>> AttributeList;
};

// 'hnti': a container of 'rtp ' and 'sdp '.
struct MovieHinttInformation : Box {
    static constexpr int32_t kId = BoxId::Hnti;
    explicit MovieHinttInformation(uint64_t size) : Box(kId, size) {}
};

// 'sdp ': the track's SDP text. Not terminated: its length is the vector's size.
struct RTPTrackSDPHintInformation : Box {
    static constexpr int32_t kId = BoxId::Sdp;
    explicit RTPTrackSDPHintInformation(uint64_t size) : Box(kId, size) {}
    std::vector<uint8_t> sdptext;
};

// 'rtp ': the movie's description text. Not terminated: its length is the vector's size.
struct RTPMovieHintInformation : Box {
    static constexpr int32_t kId = BoxId::Rtp;
    explicit RTPMovieHintInformation(uint64_t size) : Box(kId, size) {}
    uint8_t descriptionformat[4] = {};  // file order
    std::vector<uint8_t> sdptext;
};

}  // namespace ISOFileFormat
