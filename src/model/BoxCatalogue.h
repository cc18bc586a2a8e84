#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "model/AudioBoxRows.h"
#include "model/BoxCatalogueRow.h"
#include "model/ImageBoxRows.h"
#include "model/MetaBoxRows.h"
#include "model/StreamingBoxRows.h"
#include "model/VideoBoxRows.h"

// The fixed table of every box type the system knows: the one source of box facts. Everything
// downstream compares the catalogue id, never the four-character code, and names ids through
// the constants of BoxId below, which are derived from this table when compiling.

// The classic rows in id order. Families beyond the classic set keep their rows in tables of
// their own (src/model/<Family>BoxRows.h), joined after these below.
// Adding a box type takes its row, its record (src/model), one row in its family's parse table
// (BoxParseRow, src/parsing/BoxParsingTable.h) and one in its show table (ViewBoxRow,
// src/presentation/ViewBoxTable.h), and its named id below, which the compiler derives from the
// row by its type.
// The texts are exactly the ones users see and exported files hold, spelling included.
inline constexpr BoxCatalogueEntry kClassicBoxes[] = {
    {0, "????", "", "(Err Detected. Refer to the log below with the offset)", BoxKind::Box,
     BoxFacts::None},
    {1, "ftyp", "File Type Box", "file type and compatibility", BoxKind::Box, BoxFacts::None},
    {2, "moov", "Movie Box", "container for all the meta data", BoxKind::Container, BoxFacts::None},
    {3, "mvhd", "Movie Header Box", "movie header, overall declarations", BoxKind::FullBox,
     BoxFacts::None},
    {4, "trak", "Track Box", "container for an individual track or stream", BoxKind::Container,
     BoxFacts::Track},
    {5, "tkhd", "Track Header Box", "track header, overall information about the track",
     BoxKind::FullBox, BoxFacts::None},
    {6, "tref", "Track Reference Box", "track reference container", BoxKind::Container,
     BoxFacts::None},
    {7, "hint", "Reference Type Box",
     "the referenced track(s) contain the original media for this hint track", BoxKind::Box,
     BoxFacts::None},
    {8, "cdsc", "Reference Type Box", "this track describes the referenced track", BoxKind::Box,
     BoxFacts::None},
    {9, "edts", "Edit Box", "edit list container", BoxKind::Container, BoxFacts::None},
    {10, "elst", "Edit List Box", "an edit list", BoxKind::FullBox, BoxFacts::None},
    {11, "mdia", "Media Box", "container for the media information in a track", BoxKind::Container,
     BoxFacts::None},
    {12, "mdhd", "Media Header Box", "media header, overall information about the media",
     BoxKind::FullBox, BoxFacts::None},
    {13, "hdlr", "Handler Reference Box", "handler, declares the media (handler) type",
     BoxKind::FullBox, BoxFacts::Track},
    {14, "minf", "Media Information Box", "media information container", BoxKind::Container,
     BoxFacts::None},
    {15, "vmhd", "Video Media Header Box",
     "video media header, overall information (video track only)", BoxKind::FullBox,
     BoxFacts::None},
    {16, "smhd", "Sound Media Header Box",
     "sound media header, overall information (sound track only)", BoxKind::FullBox,
     BoxFacts::None},
    {17, "hmhd", "Hin Media Header Box", "hint media header, overall information (hint track only)",
     BoxKind::FullBox, BoxFacts::None},
    {18, "nmhd", "Null Media Header Box",
     "Null media header, overall information (some tracks only)", BoxKind::FullBox, BoxFacts::None},
    {19, "dinf", "Data Information Box", "data information box, container", BoxKind::Container,
     BoxFacts::None},
    {20, "dref", "Data Reference Box",
     "data reference box, declares source(s) of media data in track", BoxKind::FullBox,
     BoxFacts::None},
    {21, "urn ", "Data Reference Box", "URN entry in data reference box", BoxKind::DataEntry,
     BoxFacts::None},
    {22, "url ", "Data Reference Box", "URL entry in data reference box", BoxKind::DataEntry,
     BoxFacts::None},
    {23, "stbl", "Sample Table Box", "sample table box, container for the time/space map",
     BoxKind::Container, BoxFacts::None},
    {24, "stsd", "Sample Description Box", "sample descriptions (codec types, initialization etc.)",
     BoxKind::FullBox, BoxFacts::None},
    {25, "stts", "Decoding Time to Sample Box", "(decoding) time-to-sample", BoxKind::FullBox,
     BoxFacts::None},
    {26, "ctts", "Composition Time to Sample Box", "(composition) time to sample", BoxKind::FullBox,
     BoxFacts::None},
    {27, "stsc", "Sample To Chunk Box", "sample-to-chunk, partial data-offset information",
     BoxKind::FullBox, BoxFacts::Track},
    {28, "stsz", "Sample Size Box", "sample sizes (framing)", BoxKind::FullBox, BoxFacts::Track},
    {29, "stz2", "Sample Size Box", "compact sample sizes (framing)", BoxKind::FullBox,
     BoxFacts::None},
    {30, "stco", "Chunk Offset Box", "chunk offset, partial data-offset information",
     BoxKind::FullBox, BoxFacts::Track},
    {31, "co64", "Chunk Offset Box", "64-bit chunk offset", BoxKind::FullBox, BoxFacts::Track},
    {32, "stss", "Sync Sample Box", "sync sample table (random access points)", BoxKind::FullBox,
     BoxFacts::Track},
    {33, "stsh", "Shadow Sync Sample Box", "shadow sync sample table", BoxKind::FullBox,
     BoxFacts::None},
    {34, "padb", "Padding Bits Box", "sample padding bits", BoxKind::FullBox, BoxFacts::None},
    {35, "stdp", "Degradation Priority Box", "sample degradation priority", BoxKind::FullBox,
     BoxFacts::None},
    {36, "sdtp", "", "independent and disposable samples", BoxKind::FullBox, BoxFacts::None},
    {37, "sbgp", "", "sample-to-group", BoxKind::FullBox, BoxFacts::None},
    {38, "sgpd", "", "sample group description", BoxKind::FullBox, BoxFacts::None},
    {39, "subs", "", "sub-sample information", BoxKind::FullBox, BoxFacts::None},
    {40, "mvex", "Movie Extends Box", "movie extends box", BoxKind::Container, BoxFacts::None},
    {41, "mehd", "Movie Extends Header Box", "movie extends header box", BoxKind::FullBox,
     BoxFacts::None},
    {42, "trex", "Track Extends Box", "track extends defaults", BoxKind::FullBox, BoxFacts::None},
    {43, "ipmc", "", "IPMP Control Box", BoxKind::Box, BoxFacts::None},
    {44, "moof", "Movie Fragment Box", "movie fragment", BoxKind::Container, BoxFacts::None},
    {45, "mfhd", "Movie Fragment Header Box", "movie fragment header", BoxKind::FullBox,
     BoxFacts::None},
    {46, "traf", "Track Fragment Box", "track fragment", BoxKind::Container, BoxFacts::None},
    {47, "tfhd", "Track Fragment Header Box", "track fragment header", BoxKind::FullBox,
     BoxFacts::None},
    {48, "trun", "Track Fragment Run Box", "track fragment run", BoxKind::FullBox, BoxFacts::None},
    {49, "mfra", "Movie Fragment Random Access Box", "movie fragment random access",
     BoxKind::Container, BoxFacts::None},
    {50, "tfra", "Track Fragment Random Access Box", "track fragment random access",
     BoxKind::FullBox, BoxFacts::None},
    {51, "mfro", "Movie Fragment Random Access Offset Box", "movie fragment random access offset",
     BoxKind::FullBox, BoxFacts::None},
    {52, "mdat", "Media Data Box", "media data container", BoxKind::Box, BoxFacts::None},
    {53, "free", "Free Sapce Box", "free space", BoxKind::Box, BoxFacts::None},
    {54, "skip", "Free Sapce Box", "free space", BoxKind::Box, BoxFacts::None},
    {55, "udta", "User Data Box", "user-data", BoxKind::Container, BoxFacts::None},
    {56, "cprt", "Copyright Box", "copyright etc.", BoxKind::FullBox, BoxFacts::None},
    {57, "pdin", "", "progressive download information", BoxKind::FullBox, BoxFacts::None},
    {58, "meta", "", "meta data", BoxKind::FullBox, BoxFacts::None},
    {59, "iloc", "", "item location", BoxKind::FullBox, BoxFacts::None},
    {60, "-", "", "audio sample descriptions", BoxKind::SampleEntry, BoxFacts::None},
    {61, "-", "", "video sample descriptions", BoxKind::SampleEntry, BoxFacts::None},
    {62, "", "HintSampleEntry Box", "hint sample descriptions", BoxKind::SampleEntry,
     BoxFacts::None},
    {63, "-", "", "text sample descriptions", BoxKind::SampleEntry, BoxFacts::None},
    {64, "-", "", "unknown sample descriptions", BoxKind::SampleEntry, BoxFacts::None},
    {65, "tx3g", "Text Sample Entry Box", "text sample description", BoxKind::SampleEntry,
     BoxFacts::None},
    {66, "ftab", "Font Table Box", "complete set of fonts used", BoxKind::Box, BoxFacts::None},
    {67, "dcmd", "DoCoMo DRM Box", "DoCoMo DRM", BoxKind::FullBox, BoxFacts::None},
    {68, "dcmc", "DoCoMo Chapter Box", "beginning position info of chapter", BoxKind::FullBox,
     BoxFacts::None},
    {69, "drm ", "DRM Information Box", "drm information box, container", BoxKind::Box,
     BoxFacts::None},
    {70, "tsel", "Track Selection Box", "an optional box that aids the selection between tracks",
     BoxKind::FullBox, BoxFacts::None},
    {71, "rtp ", "RTP Movie Inforamtion Box", "information for various description formats",
     BoxKind::Box, BoxFacts::None},
    {72, "hnti", "Track Hint Information Box", "", BoxKind::Box, BoxFacts::None},
    {73, "sdp ", "RTP Track SDP Hint Information", "", BoxKind::Box, BoxFacts::None},
    {74, "hinf", "Hint Statistics Box", "", BoxKind::Box, BoxFacts::None},
    {75, "trpy", "Hint Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {76, "nump", "Hint Packets Sent Box", "", BoxKind::Box, BoxFacts::None},
    {77, "tpyl", "Hint Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {78, "totl", "Hint Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {79, "npck", "Hint Packet Sent Box", "", BoxKind::Box, BoxFacts::None},
    {80, "tpay", "Hint Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {81, "maxr", "Hint Maxrate Box", "", BoxKind::Box, BoxFacts::None},
    {82, "dmed", "Hint Media Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {83, "dimm", "Hint Immediate Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {84, "drep", "Hint Repeated Bytes Sent Box", "", BoxKind::Box, BoxFacts::None},
    {85, "tmin", "Hint Min Relative Time Box", "", BoxKind::Box, BoxFacts::None},
    {86, "tmax", "Hint Max Relative Time Box", "", BoxKind::Box, BoxFacts::None},
    {87, "pamx", "Hint Largest Packet Box", "", BoxKind::Box, BoxFacts::None},
    {88, "dmax", "Hint Longest Packet Box", "", BoxKind::Box, BoxFacts::None},
    {89, "payt", "Hint Payload ID", "", BoxKind::Box, BoxFacts::None},
    {90, "auth", "Author Box", "author of the media", BoxKind::FullBox, BoxFacts::None},
    {91, "titl", "Title Box", "title for the media", BoxKind::FullBox, BoxFacts::None},
    {92, "dscp", "Description Box", "caption or description for the media", BoxKind::FullBox,
     BoxFacts::None},
    {93, "perf", "Performer Box", "performer or artist", BoxKind::FullBox, BoxFacts::None},
    {94, "gnre", "Genre Box", "genre(category and style) of the media", BoxKind::FullBox,
     BoxFacts::None},
    {95, "rtng", "Rating Box", "media rating", BoxKind::FullBox, BoxFacts::None},
    {96, "clsf", "Classification Box", "classification of the media", BoxKind::FullBox,
     BoxFacts::None},
    {97, "kywd", "Keywords Box", "media keywords", BoxKind::FullBox, BoxFacts::None},
    {98, "loci", "Location Information Box", "location information", BoxKind::FullBox,
     BoxFacts::None},
    {99, "albm", "Keywords Box", "album title and track number for the media", BoxKind::FullBox,
     BoxFacts::None},
    {100, "yrrc", "Location Information Box", "recording year for the media", BoxKind::FullBox,
     BoxFacts::None},
    {101, "mp4v", "MP4VisualSampleEntry Box",
     "Entry type for visual smaples defined in the MP4 specification", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {102, "mp4a", "MP4AudioSampleEntry Box",
     "Entry type for audio samples defined in the MP4 specification", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {103, "esds", "ES Descriptor Box", "Contains ES Descriptors", BoxKind::CodecConfiguration,
     BoxFacts::Codec},
    {104, "samr", "AMRSampleEntry Box", "Entry type for AMR and AMR-WB speech samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {105, "sawb", "AMRSampleEntry Box", "Entry type for AMR and AMR-WB speech samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {106, "s263", "H263SampleEntry Box", "Entry type for H.263 visual samples",
     BoxKind::SampleEntry, BoxFacts::Codec},
    {107, "damr", "AMRSpecificBox", "Structure which holds the AMR and AMR-WB Seecific information",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    {108, "d263", "H263SpecificBox", "Structure which holds the H.263 Specific information",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    {109, "bitr", "BitrateBox", "Structure which holds the Bitrate infomation (Opional)",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    {110, "sawp", "AMRWPSampleEntry", "Entry type for AMR-WB+ audio samples", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {111, "dawp", "AMRWPSpecificBox", "Information specific to the AMR_WB+ decoder",
     BoxKind::CodecConfiguration, BoxFacts::Codec},
    {112, "avc1", "AVCSampleEntry Box", "Entry type for AVC", BoxKind::SampleEntry,
     BoxFacts::Codec},
    {113, "avcC", "AVCConfigurationBox", "", BoxKind::CodecConfiguration, BoxFacts::Codec},
    {114, "btrt", "MPEG4BitrateBox", "", BoxKind::CodecConfiguration, BoxFacts::Codec},
    {115, "m4ds", "MPEG4ExtensionDescriptorsBox", "", BoxKind::CodecConfiguration, BoxFacts::None},
    {116, "uuid", "Extended Type Box", "User extension", BoxKind::Box, BoxFacts::None},
};

// Ids below this are the classic set: with the classic switch on, nothing else is known.
inline constexpr int32_t kClassicBoxCount = static_cast<int32_t>(std::size(kClassicBoxes));

namespace CatalogueJoin {
template <size_t Classic, size_t... Family>
consteval auto Join(const BoxCatalogueEntry (&classic)[Classic],
                    const BoxCatalogueRow (&... families)[Family]) {
    std::array<BoxCatalogueEntry, (Classic + ... + Family)> all{};
    size_t next = 0;
    for (const BoxCatalogueEntry& e : classic)
        all[next++] = e;
    auto append = [&](const auto& rows) {
        for (const BoxCatalogueRow& r : rows) {
            all[next] = {
                static_cast<int32_t>(next), r.type, r.longName, r.description, r.kind, r.facts};
            ++next;
        }
    };
    (append(families), ...);
    return all;
}
}  // namespace CatalogueJoin

// Every row, classic first, then each family's in the order listed: a row's id is its position.
inline constexpr auto kBoxCatalogue = CatalogueJoin::Join(
    kClassicBoxes, kVideoBoxRows, kMetaBoxRows, kAudioBoxRows, kStreamingBoxRows, kImageBoxRows);

constexpr int32_t kBoxCatalogueSize = static_cast<int32_t>(std::size(kBoxCatalogue));

namespace BoxId {
constexpr int32_t Unknown = -1;

// The id of the first row of exactly this type. Used only when compiling: a type that is not in
// the table stops the build.
consteval int32_t Of(std::string_view type) {
    for (const BoxCatalogueEntry& e : kBoxCatalogue) {
        if (type == e.type) return e.id;
    }
    throw "no catalogue row has this type";
}

// The id of the one row with this description, for the rows whose type is no name ("-", "").
consteval int32_t OfDescription(std::string_view description) {
    int32_t found = Unknown;
    for (const BoxCatalogueEntry& e : kBoxCatalogue) {
        if (description != e.description) continue;
        if (found != Unknown) throw "more than one catalogue row has this description";
        found = e.id;
    }
    if (found == Unknown) throw "no catalogue row has this description";
    return found;
}

inline constexpr int32_t Empty = Of("????");
inline constexpr int32_t Ftyp = Of("ftyp");
inline constexpr int32_t Moov = Of("moov");
inline constexpr int32_t Mvhd = Of("mvhd");
inline constexpr int32_t Trak = Of("trak");
inline constexpr int32_t Tkhd = Of("tkhd");
inline constexpr int32_t Tref = Of("tref");
inline constexpr int32_t Hint = Of("hint");
inline constexpr int32_t Cdsc = Of("cdsc");
inline constexpr int32_t Edts = Of("edts");
inline constexpr int32_t Elst = Of("elst");
inline constexpr int32_t Mdia = Of("mdia");
inline constexpr int32_t Mdhd = Of("mdhd");
inline constexpr int32_t Hdlr = Of("hdlr");
inline constexpr int32_t Minf = Of("minf");
inline constexpr int32_t Vmhd = Of("vmhd");
inline constexpr int32_t Smhd = Of("smhd");
inline constexpr int32_t Hmhd = Of("hmhd");
inline constexpr int32_t Nmhd = Of("nmhd");
inline constexpr int32_t Dinf = Of("dinf");
inline constexpr int32_t Dref = Of("dref");
inline constexpr int32_t Urn = Of("urn ");
inline constexpr int32_t Url = Of("url ");
inline constexpr int32_t Stbl = Of("stbl");
inline constexpr int32_t Stsd = Of("stsd");
inline constexpr int32_t Stts = Of("stts");
inline constexpr int32_t Ctts = Of("ctts");
inline constexpr int32_t Stsc = Of("stsc");
inline constexpr int32_t Stsz = Of("stsz");
inline constexpr int32_t Stz2 = Of("stz2");
inline constexpr int32_t Stco = Of("stco");
inline constexpr int32_t Co64 = Of("co64");
inline constexpr int32_t Stss = Of("stss");
inline constexpr int32_t Stsh = Of("stsh");
inline constexpr int32_t Padb = Of("padb");
inline constexpr int32_t Stdp = Of("stdp");
inline constexpr int32_t Sdtp = Of("sdtp");
inline constexpr int32_t Sbgp = Of("sbgp");
inline constexpr int32_t Sgpd = Of("sgpd");
inline constexpr int32_t Subs = Of("subs");
inline constexpr int32_t Mvex = Of("mvex");
inline constexpr int32_t Mehd = Of("mehd");
inline constexpr int32_t Trex = Of("trex");
inline constexpr int32_t Ipmc = Of("ipmc");
inline constexpr int32_t Moof = Of("moof");
inline constexpr int32_t Mfhd = Of("mfhd");
inline constexpr int32_t Traf = Of("traf");
inline constexpr int32_t Tfhd = Of("tfhd");
inline constexpr int32_t Trun = Of("trun");
inline constexpr int32_t Mfra = Of("mfra");
inline constexpr int32_t Tfra = Of("tfra");
inline constexpr int32_t Mfro = Of("mfro");
inline constexpr int32_t Mdat = Of("mdat");
inline constexpr int32_t Free = Of("free");
inline constexpr int32_t Skip = Of("skip");
inline constexpr int32_t Udta = Of("udta");
inline constexpr int32_t Cprt = Of("cprt");
inline constexpr int32_t Pdin = Of("pdin");
inline constexpr int32_t Meta = Of("meta");
inline constexpr int32_t Iloc = Of("iloc");
inline constexpr int32_t AudioSampleEntry = OfDescription("audio sample descriptions");
inline constexpr int32_t VisualSampleEntry = OfDescription("video sample descriptions");
inline constexpr int32_t HintSampleEntry = OfDescription("hint sample descriptions");
inline constexpr int32_t TextSampleEntry = OfDescription("text sample descriptions");
inline constexpr int32_t UnknownSampleEntry = OfDescription("unknown sample descriptions");
inline constexpr int32_t Tx3g = Of("tx3g");
inline constexpr int32_t Ftab = Of("ftab");
inline constexpr int32_t Dcmd = Of("dcmd");
inline constexpr int32_t Dcmc = Of("dcmc");
inline constexpr int32_t Drm = Of("drm ");
inline constexpr int32_t Tsel = Of("tsel");
inline constexpr int32_t Rtp = Of("rtp ");
inline constexpr int32_t Hnti = Of("hnti");
inline constexpr int32_t Sdp = Of("sdp ");
inline constexpr int32_t Hinf = Of("hinf");
inline constexpr int32_t Trpy = Of("trpy");
inline constexpr int32_t Nump = Of("nump");
inline constexpr int32_t Tpyl = Of("tpyl");
inline constexpr int32_t Totl = Of("totl");
inline constexpr int32_t Npck = Of("npck");
inline constexpr int32_t Tpay = Of("tpay");
inline constexpr int32_t Maxr = Of("maxr");
inline constexpr int32_t Dmed = Of("dmed");
inline constexpr int32_t Dimm = Of("dimm");
inline constexpr int32_t Drep = Of("drep");
inline constexpr int32_t Tmin = Of("tmin");
inline constexpr int32_t Tmax = Of("tmax");
inline constexpr int32_t Pamx = Of("pamx");
inline constexpr int32_t Dmax = Of("dmax");
inline constexpr int32_t Payt = Of("payt");
inline constexpr int32_t Auth = Of("auth");
inline constexpr int32_t Titl = Of("titl");
inline constexpr int32_t Dscp = Of("dscp");
inline constexpr int32_t Perf = Of("perf");
inline constexpr int32_t Gnre = Of("gnre");
inline constexpr int32_t Rtng = Of("rtng");
inline constexpr int32_t Clsf = Of("clsf");
inline constexpr int32_t Kywd = Of("kywd");
inline constexpr int32_t Loci = Of("loci");
inline constexpr int32_t Albm = Of("albm");
inline constexpr int32_t Yrrc = Of("yrrc");
inline constexpr int32_t Mp4v = Of("mp4v");
inline constexpr int32_t Mp4a = Of("mp4a");
inline constexpr int32_t Esds = Of("esds");
inline constexpr int32_t Samr = Of("samr");
inline constexpr int32_t Sawb = Of("sawb");
inline constexpr int32_t S263 = Of("s263");
inline constexpr int32_t Damr = Of("damr");
inline constexpr int32_t D263 = Of("d263");
inline constexpr int32_t Bitr = Of("bitr");
inline constexpr int32_t Sawp = Of("sawp");
inline constexpr int32_t Dawp = Of("dawp");
inline constexpr int32_t Avc1 = Of("avc1");
inline constexpr int32_t AvcC = Of("avcC");
inline constexpr int32_t Btrt = Of("btrt");
inline constexpr int32_t M4ds = Of("m4ds");
inline constexpr int32_t Uuid = Of("uuid");
}  // namespace BoxId

consteval bool ClassicIdsArePositions() {
    for (int32_t i = 0; i < kClassicBoxCount; ++i) {
        if (kClassicBoxes[i].id != i) return false;
    }
    return true;
}
static_assert(ClassicIdsArePositions(), "a classic row's id is its position in the table");

// Which rows a lookup may find: every row, or only those of the classic set.
enum class BoxSet : uint8_t { Full, Classic };

// Case-insensitive (A-Z only) lookup of a type text; the first entry in id order wins.
// An empty text yields 0; a type not in the table (or not in `set`) yields -1.
int32_t FindBoxId(std::string_view typeText, BoxSet set = BoxSet::Full);

// The same for the four raw type bytes of a box header: the text ends at the first zero byte.
int32_t FindBoxId(const uint8_t type[4], BoxSet set = BoxSet::Full);

// Accessors for the catalogue's ids and -1 ("Unknown Type"; no description: nullptr).
const char* GetBoxTypeText(int32_t id);
const char* GetBoxLongName(int32_t id);
const char* GetBoxDescription(int32_t id);
const BoxCatalogueEntry* GetBoxCatalogueEntry(int32_t id);

// The row's kind and facts; an id outside the table is a plain box that feeds no facts.
BoxKind GetBoxKind(int32_t id);
bool BoxFeeds(int32_t id, uint8_t facts);
