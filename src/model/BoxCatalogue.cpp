#include "model/BoxCatalogue.h"

#include <array>
#include <string>
#include <unordered_map>

namespace {
// The texts are exactly the ones users see and exported files hold, spelling included.
constexpr BoxCatalogueEntry kCatalogue[kBoxCatalogueSize] = {
    {0, "????", "", "(Err Detected. Refer to the log below with the offset)"},
    {1, "ftyp", "File Type Box", "file type and compatibility"},
    {2, "moov", "Movie Box", "container for all the meta data"},
    {3, "mvhd", "Movie Header Box", "movie header, overall declarations"},
    {4, "trak", "Track Box", "container for an individual track or stream"},
    {5, "tkhd", "Track Header Box", "track header, overall information about the track"},
    {6, "tref", "Track Reference Box", "track reference container"},
    {7, "hint", "Reference Type Box",
     "the referenced track(s) contain the original media for this hint track"},
    {8, "cdsc", "Reference Type Box", "this track describes the referenced track"},
    {9, "edts", "Edit Box", "edit list container"},
    {10, "elst", "Edit List Box", "an edit list"},
    {11, "mdia", "Media Box", "container for the media information in a track"},
    {12, "mdhd", "Media Header Box", "media header, overall information about the media"},
    {13, "hdlr", "Handler Reference Box", "handler, declares the media (handler) type"},
    {14, "minf", "Media Information Box", "media information container"},
    {15, "vmhd", "Video Media Header Box",
     "video media header, overall information (video track only)"},
    {16, "smhd", "Sound Media Header Box",
     "sound media header, overall information (sound track only)"},
    {17, "hmhd", "Hin Media Header Box",
     "hint media header, overall information (hint track only)"},
    {18, "nmhd", "Null Media Header Box",
     "Null media header, overall information (some tracks only)"},
    {19, "dinf", "Data Information Box", "data information box, container"},
    {20, "dref", "Data Reference Box",
     "data reference box, declares source(s) of media data in track"},
    {21, "urn ", "Data Reference Box", "URN entry in data reference box"},
    {22, "url ", "Data Reference Box", "URL entry in data reference box"},
    {23, "stbl", "Sample Table Box", "sample table box, container for the time/space map"},
    {24, "stsd", "Sample Description Box",
     "sample descriptions (codec types, initialization etc.)"},
    {25, "stts", "Decoding Time to Sample Box", "(decoding) time-to-sample"},
    {26, "ctts", "Composition Time to Sample Box", "(composition) time to sample"},
    {27, "stsc", "Sample To Chunk Box", "sample-to-chunk, partial data-offset information"},
    {28, "stsz", "Sample Size Box", "sample sizes (framing)"},
    {29, "stz2", "Sample Size Box", "compact sample sizes (framing)"},
    {30, "stco", "Chunk Offset Box", "chunk offset, partial data-offset information"},
    {31, "co64", "Chunk Offset Box", "64-bit chunk offset"},
    {32, "stss", "Sync Sample Box", "sync sample table (random access points)"},
    {33, "stsh", "Shadow Sync Sample Box", "shadow sync sample table"},
    {34, "padb", "Padding Bits Box", "sample padding bits"},
    {35, "stdp", "Degradation Priority Box", "sample degradation priority"},
    {36, "sdtp", "", "independent and disposable samples"},
    {37, "sbgp", "", "sample-to-group"},
    {38, "sgpd", "", "sample group description"},
    {39, "subs", "", "sub-sample information"},
    {40, "mvex", "Movie Extends Box", "movie extends box"},
    {41, "mehd", "Movie Extends Header Box", "movie extends header box"},
    {42, "trex", "Track Extends Box", "track extends defaults"},
    {43, "ipmc", "", "IPMP Control Box"},
    {44, "moof", "Movie Fragment Box", "movie fragment"},
    {45, "mfhd", "Movie Fragment Header Box", "movie fragment header"},
    {46, "traf", "Track Fragment Box", "track fragment"},
    {47, "tfhd", "Track Fragment Header Box", "track fragment header"},
    {48, "trun", "Track Fragment Run Box", "track fragment run"},
    {49, "mfra", "Movie Fragment Random Access Box", "movie fragment random access"},
    {50, "tfra", "Track Fragment Random Access Box", "track fragment random access"},
    {51, "mfro", "Movie Fragment Random Access Offset Box", "movie fragment random access offset"},
    {52, "mdat", "Media Data Box", "media data container"},
    {53, "free", "Free Sapce Box", "free space"},
    {54, "skip", "Free Sapce Box", "free space"},
    {55, "udta", "User Data Box", "user-data"},
    {56, "cprt", "Copyright Box", "copyright etc."},
    {57, "pdin", "", "progressive download information"},
    {58, "meta", "", "meta data"},
    {59, "iloc", "", "item location"},
    {60, "-", "", "audio sample descriptions"},
    {61, "-", "", "video sample descriptions"},
    {62, "", "HintSampleEntry Box", "hint sample descriptions"},
    {63, "-", "", "text sample descriptions"},
    {64, "-", "", "unknown sample descriptions"},
    {65, "tx3g", "Text Sample Entry Box", "text sample description"},
    {66, "ftab", "Font Table Box", "complete set of fonts used"},
    {67, "dcmd", "DoCoMo DRM Box", "DoCoMo DRM"},
    {68, "dcmc", "DoCoMo Chapter Box", "beginning position info of chapter"},
    {69, "drm ", "DRM Information Box", "drm information box, container"},
    {70, "tsel", "Track Selection Box", "an optional box that aids the selection between tracks"},
    {71, "rtp ", "RTP Movie Inforamtion Box", "information for various description formats"},
    {72, "hnti", "Track Hint Information Box", ""},
    {73, "sdp ", "RTP Track SDP Hint Information", ""},
    {74, "hinf", "Hint Statistics Box", ""},
    {75, "trpy", "Hint Bytes Sent Box", ""},
    {76, "nump", "Hint Packets Sent Box", ""},
    {77, "tpyl", "Hint Bytes Sent Box", ""},
    {78, "totl", "Hint Bytes Sent Box", ""},
    {79, "npck", "Hint Packet Sent Box", ""},
    {80, "tpay", "Hint Bytes Sent Box", ""},
    {81, "maxr", "Hint Maxrate Box", ""},
    {82, "dmed", "Hint Media Bytes Sent Box", ""},
    {83, "dimm", "Hint Immediate Bytes Sent Box", ""},
    {84, "drep", "Hint Repeated Bytes Sent Box", ""},
    {85, "tmin", "Hint Min Relative Time Box", ""},
    {86, "tmax", "Hint Max Relative Time Box", ""},
    {87, "pamx", "Hint Largest Packet Box", ""},
    {88, "dmax", "Hint Longest Packet Box", ""},
    {89, "payt", "Hint Payload ID", ""},
    {90, "auth", "Author Box", "author of the media"},
    {91, "titl", "Title Box", "title for the media"},
    {92, "dscp", "Description Box", "caption or description for the media"},
    {93, "perf", "Performer Box", "performer or artist"},
    {94, "gnre", "Genre Box", "genre(category and style) of the media"},
    {95, "rtng", "Rating Box", "media rating"},
    {96, "clsf", "Classification Box", "classification of the media"},
    {97, "kywd", "Keywords Box", "media keywords"},
    {98, "loci", "Location Information Box", "location information"},
    {99, "albm", "Keywords Box", "album title and track number for the media"},
    {100, "yrrc", "Location Information Box", "recording year for the media"},
    {101, "mp4v", "MP4VisualSampleEntry Box",
     "Entry type for visual smaples defined in the MP4 specification"},
    {102, "mp4a", "MP4AudioSampleEntry Box",
     "Entry type for audio samples defined in the MP4 specification"},
    {103, "esds", "ES Descriptor Box", "Contains ES Descriptors"},
    {104, "samr", "AMRSampleEntry Box", "Entry type for AMR and AMR-WB speech samples"},
    {105, "sawb", "AMRSampleEntry Box", "Entry type for AMR and AMR-WB speech samples"},
    {106, "s263", "H263SampleEntry Box", "Entry type for H.263 visual samples"},
    {107, "damr", "AMRSpecificBox",
     "Structure which holds the AMR and AMR-WB Seecific information"},
    {108, "d263", "H263SpecificBox", "Structure which holds the H.263 Specific information"},
    {109, "bitr", "BitrateBox", "Structure which holds the Bitrate infomation (Opional)"},
    {110, "sawp", "AMRWPSampleEntry", "Entry type for AMR-WB+ audio samples"},
    {111, "dawp", "AMRWPSpecificBox", "Information specific to the AMR_WB+ decoder"},
    {112, "avc1", "AVCSampleEntry Box", "Entry type for AVC"},
    {113, "avcC", "AVCConfigurationBox", ""},
    {114, "btrt", "MPEG4BitrateBox", ""},
    {115, "m4ds", "MPEG4ExtensionDescriptorsBox", ""},
    {116, "uuid", "Extended Type Box", "User extension"},
};

constexpr char kUnknownType[] = "Unknown Type";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string Lowered(std::string_view text) {
    std::string key(text);
    for (char& c : key)
        c = LowerAscii(c);
    return key;
}

// Lower-cased type text -> first id with that type; built once.
const std::unordered_map<std::string, int32_t>& LookupTable() {
    static const std::unordered_map<std::string, int32_t> table = [] {
        std::unordered_map<std::string, int32_t> t;
        for (const auto& e : kCatalogue) {
            if (e.type[0] != '\0') t.emplace(Lowered(e.type), e.id);
        }
        return t;
    }();
    return table;
}
}  // namespace

int32_t FindBoxId(std::string_view typeText) {
    if (typeText.empty()) return 0;
    auto it = LookupTable().find(Lowered(typeText));
    return it == LookupTable().end() ? BoxId::Unknown : it->second;
}

int32_t FindBoxId(const uint8_t type[4]) {
    size_t length = 0;
    while (length < 4 && type[length] != 0)
        ++length;
    return FindBoxId(std::string_view(reinterpret_cast<const char*>(type), length));
}

const BoxCatalogueEntry* GetBoxCatalogueEntry(int32_t id) {
    if (id < 0 || id >= kBoxCatalogueSize) return nullptr;
    return &kCatalogue[id];
}

const char* GetBoxTypeText(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->type : kUnknownType;
}

const char* GetBoxLongName(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->longName : kUnknownType;
}

const char* GetBoxDescription(int32_t id) {
    const BoxCatalogueEntry* e = GetBoxCatalogueEntry(id);
    return e ? e->description : nullptr;
}
