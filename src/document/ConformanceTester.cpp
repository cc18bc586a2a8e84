#include "document/ConformanceTester.h"

#include <algorithm>
#include <array>
#include <iterator>

#include "document/TrackInfoCollector.h"
#include "model/BoxCatalogue.h"
#include "model/ISOBoxes.h"

namespace {

struct BrandEntry {
    int32_t id;
    std::string_view brand;  // four ASCII characters
    std::string_view description;
};

// Rows 20 to 22 repeat the brands of rows 4, 5 and 7: a lookup always finds the earlier row,
// and these are reached only through the minor version of a major brand.
constexpr std::array<BrandEntry, kBrandTableSize> kBrands{{
    {0, "xxxx", "Unknown Brand Type"},
    {1, "isom", "ISO Base Media File"},
    {2, "iso2", "amended version of the ISO Base Media File"},
    {3, "avc1", "ISO Base Media File with AVC extension"},
    {4, "3gp4", "3GP Release 4"},
    {5, "3gp5", "3GP Release 5"},
    {6, "3gg6", "3GP General profile"},
    {7, "3gp6", "3GP Basic profile"},
    {8, "3gs6", "3GP Streaming-server profile"},
    {9, "3gr6", "3GP Progressive-download profile"},
    {10, "3ge6", "3GP Extended-presentation profile"},
    {11, "3g2a", "3GPP2 Release 0"},
    {12, "3g2b", "3GPP2 Release A"},
    {13, "kddi", "KDDI company extension"},
    {14, "mp41", "version 1 of ISO/IEC 14496-1:2001"},
    {15, "mp42", "ISO/IEC 14496-14"},
    {16, "msnv", "Sonys private brand, used by SonyPSP"},
    {17, "qt  ", "Apple Quick Time"},
    {18, "mjp2", "Motion JPEG 2000"},
    {19, "mmp4", "Mobile MP4 for NTT DoCoMo Progressive Download"},
    {20, "3gp4", "3GP Release 4 for NTT DoCoMo Download (No Text Track)"},
    {21, "3gp5", "3GP Release 5 for NTT DoCoMo Download (with Text Track)"},
    {22, "3gp6", "3GP Basic profile with H.264 for NTT DoCoMo Download"},
    // Beyond the classic table: looked up only in the full box set.
    {23, "iso4", "ISO Base Media File with the iso4 brand requirements (ISO/IEC 14496-12)"},
    {24, "iso5", "ISO Base Media File with the iso5 brand requirements (ISO/IEC 14496-12)"},
    {25, "iso6", "ISO Base Media File with the iso6 brand requirements (ISO/IEC 14496-12)"},
    {26, "iso7", "ISO Base Media File with the iso7 brand requirements (ISO/IEC 14496-12)"},
    {27, "iso8", "ISO Base Media File with the iso8 brand requirements (ISO/IEC 14496-12)"},
    {28, "iso9", "ISO Base Media File with the iso9 brand requirements (ISO/IEC 14496-12)"},
    {29, "cmfc", "CMAF Track Format (ISO/IEC 23000-19)"},
    {30, "cmf2",
     "CMAF Track Format with the structural constraints of version 2 (ISO/IEC 23000-19)"},
    {31, "dash", "MPEG-DASH segment (ISO/IEC 23009-1)"},
    {32, "msdh", "MPEG-DASH media segment"},
    {33, "msix", "MPEG-DASH indexed media segment"},
    {34, "hvc1", "ISO Base Media File with HEVC extension (ISO/IEC 14496-15)"},
    {35, "av01", "ISO Base Media File with AV1 video (AV1 Codec ISO Media File Format Binding)"},
    {36, "avif", "AV1 Image File Format: AV1 image items"},
    {37, "avis", "AV1 Image File Format: AV1 image sequences"},
    {38, "heic", "HEIF image coded with HEVC Main or Main Still Picture profile"},
    {39, "heix", "HEIF image coded with HEVC range extensions (10-bit and above)"},
    {40, "mif1", "HEIF image and image collection (ISO/IEC 23008-12)"},
    {41, "msf1", "HEIF image sequence (ISO/IEC 23008-12)"},
}};

// Texts shown after "Test : ". Several rows are stated for completeness of the brands' rule
// sets but have no test in any sequence yet.
constexpr std::array<std::string_view, kRuleTableSize> kRules{{
    /* 0 */ "The mandatory boxes must exist.",
    /* 1 */ "The file type box 'ftyp' shall occur before any variable-length box.",
    /* 2 */
    "It is strongly recommended that all header boxes be placed first in their container.",
    /* 3 */ "Any Movie Fragment Boxes shall be in sequence order.",
    /* 4 */
    "It is recommended that the boxes within the Sample Table Box be in the following order: "
    "Sample Description, Time to Sample, Sample to Chunk, Sample Size, Chunk Offset.",
    /* 5 */
    "It is strongly recommended that the Track Reference Box and Edit List (if any) should "
    "precede the Media Box.",
    /* 6 */
    "It is strongly recommended that the Handler Reference Box should precede the Media "
    "Information.",
    /* 7 */
    "It is strongly recommended that the Data Information Box should precede the Sample Table "
    "Box",
    /* 8 */
    "It is recommended that user Data Boxes be placed last in their container, which is either "
    "the Movie Box or Track Box.",
    /* 9 */
    "It is recommended that the Movie Fragment Random Access Box, if present, be last in the "
    "file.",
    /* 10 */
    "It is recommended that the progressive download information box be placed as early as "
    "possible in files, for maximum utility.",
    /* 11 */ "Release 4 of 3GPP does not define the timed text.",
    /* 12 */
    "compact sample sizes ('stz2') shall not be used for tracks containing H.263, MPEG-4 video, "
    "AMR, AMR-WB, AAC or Timed text.",
    /* 13 */
    "there shall be no references to external media outside the file, i.e. a file shall be "
    "self-contained.",
    /* 14 */
    "The maximum number of tracks shall be one for video, one for audio and one for text.",
    /* 15 */
    "the maximum number of sample entries shall be one per track for video and audio (but "
    "unrestricted for text).",
    /* 16 */
    "In order to maintain backward compatibility with Release 4 and Release 5, it is not "
    "recommended to use movie fragments in 3GP files for MMS.",
    /* 17 */ "RTP hint tracks shall be included for all media tracks.",
    // Typographic quotes around moov (U+2018, U+2019), straight ones around ftyp.
    /* 18 */
    "the \xE2\x80\x98moov\xE2\x80\x99 box shall be placed right after the 'ftyp' box in the "
    "beginning of the file.",
    /* 19 */ "All of the media data of tracks should be contained in one MDAT.",
    /* 20 */ "The maximum track number for each track (Audio, Video, Text) is one.",
    /* 21 */
    "The number of the Sample Description Atom of Audio and Video is one.and 24 for Text at "
    "maximum.",
    /* 22 */ "FTYP should be the first ATOM for Mobile MP4.",
    /* 23 */ "The minor-version of the major-brand 'mmp4' is '1'.",
    /* 24 */ "The maximum chunk size for video is 20 kbytes, and 80 kbytes for MPEG-4 QVGA.",
    /* 25 */
    "The maximum chunk size for audio is 2 kbytes for AMR, and  5 kbytes for MPEG-4 AAC, "
    "HE_AAC, and EAAC+.",
    /* 26 */ "The maximum chunk size for text is 4 kbytes.",
}};

// The rules tested for each brand, in order.
constexpr int32_t kIsoRules[] = {1, 2, 4, 5, 6, 7};
constexpr int32_t kRelease4Rules[] = {11};
constexpr int32_t kRelease4DownloadRules[] = {11, 20, 22};
constexpr int32_t kRelease5DownloadRules[] = {20, 22};
constexpr int32_t kBasicProfileRules[] = {12};
constexpr int32_t kBasicProfileDownloadRules[] = {12, 20, 22};
constexpr int32_t kProgressiveDownloadRules[] = {18};
constexpr int32_t kMobileMP4Rules[] = {20, 22, 23, 24, 25, 26};

std::span<const int32_t> RulesOf(int32_t brand) {
    switch (brand) {
        case BrandRow::Isom:
        case BrandRow::Avc1:
            return kIsoRules;
        case BrandRow::Release4:
            return kRelease4Rules;
        case BrandRow::Release4Download:
            return kRelease4DownloadRules;
        case BrandRow::Release5Download:
            return kRelease5DownloadRules;
        case BrandRow::BasicProfile:
            return kBasicProfileRules;
        case BrandRow::BasicProfileDownload:
            return kBasicProfileDownloadRules;
        case BrandRow::ProgressiveDownload:
            return kProgressiveDownloadRules;
        case BrandRow::MobileMP4:
            return kMobileMP4Rules;
        default:
            return {};
    }
}

// Chunk limits are in kilobytes of 1024 bytes, compared with the collector's 64-bit sizes: a
// chunk of 4 GiB and more is over any limit, whatever its low 32 bits say.
constexpr uint64_t kKilobyte = 1024;

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameBrand(const uint8_t* a, const uint8_t* b) {
    for (int i = 0; i < 4; ++i) {
        if (AsciiLower(static_cast<char>(a[i])) != AsciiLower(static_cast<char>(b[i])))
            return false;
    }
    return true;
}

const BrandEntry& BrandEntryOf(int32_t brand) {
    if (brand < 0 || brand >= kBrandTableSize) return kBrands[BrandRow::Unknown];
    return kBrands[static_cast<size_t>(brand)];
}

}  // namespace

CConformanceTester::CConformanceTester(
    const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records,
    const CTrackInfoCollector& collector)
    : m_collector(collector) {
    m_ruleResults.fill(kNotRun);
    m_ids.reserve(records.size());
    for (const auto& record : records)
        m_ids.push_back(record ? record->id : -1);
    const ISOFileFormat::FileTypeBox* ftyp = nullptr;
    for (const auto& record : records) {
        if (record && record->id == BoxId::Ftyp) {
            // Only the first 'ftyp' counts, even when its record carries no brands.
            ftyp = dynamic_cast<const ISOFileFormat::FileTypeBox*>(record.get());
            break;
        }
    }
    if (!ftyp) return;

    const BoxSet set = collector.GetBoxSet();
    m_majorBrand = std::max(FindBrand(ftyp->major_brand, set), BrandRow::Unknown);
    m_minorVersion = ftyp->minor_version;

    m_compatibleBrands.reserve(ftyp->compatible_brands.size());
    for (size_t i = 0; i < ftyp->compatible_brands.size(); ++i) {
        const uint8_t* brand = ftyp->compatible_brands[i].data();
        if (i == 0 && SameBrand(brand, ftyp->major_brand)) continue;
        const int32_t row = FindBrand(brand, set);
        if (row >= 0) m_compatibleBrands.push_back(row);
    }

    if (m_majorBrand == BrandRow::Release5 && m_minorVersion == 0x100)
        m_majorBrand = BrandRow::Release5Download;
    else if (m_majorBrand == BrandRow::Release4 && m_minorVersion == 0x300)
        m_majorBrand = BrandRow::Release4Download;
    else if (m_majorBrand == BrandRow::BasicProfile && m_minorVersion == 0x400)
        m_majorBrand = BrandRow::BasicProfileDownload;
}

int32_t CConformanceTester::FindBrand(const uint8_t brand[4], BoxSet set) {
    const size_t rows = set == BoxSet::Classic ? kClassicBrandTableSize : kBrands.size();
    for (size_t i = 0; i < rows; ++i) {
        const BrandEntry& entry = kBrands[i];
        if (SameBrand(reinterpret_cast<const uint8_t*>(entry.brand.data()), brand)) return entry.id;
    }
    return -1;
}

std::string CConformanceTester::GetBrandText(int32_t brand) {
    return std::string(BrandEntryOf(brand).brand);
}

std::string_view CConformanceTester::GetBrandDescription(int32_t brand) {
    return BrandEntryOf(brand).description;
}

std::string_view CConformanceTester::GetRuleText(int32_t rule) {
    if (rule < 0 || rule >= kRuleTableSize) return {};
    return kRules[static_cast<size_t>(rule)];
}

void CConformanceTester::AddPattern(PatternKind kind, std::span<const int32_t> ids) {
    m_patterns.push_back(Pattern{kind, std::vector<int32_t>(ids.begin(), ids.end())});
}

int32_t CConformanceTester::IdAt(size_t index) const {
    return m_ids[index];
}

int64_t CConformanceTester::MatchAdjacent(const std::vector<int32_t>& ids) const {
    const size_t n = ids.size();
    const size_t count = m_ids.size();
    if (n == 0) return 0;
    int64_t runs = 0;
    size_t i = 0;
    while (i < count) {
        size_t matched = 0;
        while (matched < n && i + matched < count && IdAt(i + matched) == ids[matched])
            ++matched;
        if (matched == n) {
            ++runs;
            i += n;
        } else {
            // A run can start at any record after the failed start, the mismatching one
            // included.
            ++i;
        }
    }
    return runs;
}

int64_t CConformanceTester::MatchOrdered(const std::vector<int32_t>& ids) const {
    const size_t n = ids.size();
    if (n == 0) return 0;
    int64_t sequences = 0;
    size_t awaited = 0;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        const int32_t id = IdAt(i);
        if (id == ids[awaited]) {
            if (++awaited == n) {
                ++sequences;
                awaited = 0;
            }
        } else if (std::find(ids.begin() + static_cast<std::ptrdiff_t>(awaited) + 1, ids.end(),
                             id) != ids.end()) {
            // A later id of the pattern came before the one awaited: the order is broken.
            break;
        }
    }
    return sequences;
}

bool CConformanceTester::SampleTablesInOrder() const {
    // ISO/IEC 14496-12, 6.2.3: 'stsd', 'stts', 'stsc', 'stsz' or 'stz2', 'stco' or 'co64'. These
    // ids are children of 'stbl' only, so their order in the record list between two 'stbl'
    // records is the order of one 'stbl''s own children, whatever lies between them (sample
    // entries and their boxes, 'stss', 'ctts', 'sdtp').
    const auto rank = [](int32_t id) {
        switch (id) {
            case BoxId::Stsd:
                return 0;
            case BoxId::Stts:
                return 1;
            case BoxId::Stsc:
                return 2;
            case BoxId::Stsz:
            case BoxId::Stz2:
                return 3;
            case BoxId::Stco:
            case BoxId::Co64:
                return 4;
            default:
                return -1;
        }
    };
    int32_t last = -1;
    for (size_t i = 0; i < m_ids.size(); ++i) {
        const int32_t id = IdAt(i);
        if (id == BoxId::Stbl) last = -1;
        const int32_t r = rank(id);
        if (r < 0) continue;
        if (r < last) return false;
        last = r;
    }
    return true;
}

void CConformanceTester::MatchPatterns() {
    m_results.assign(m_patterns.size(), 0);
    for (size_t i = 0; i < m_patterns.size(); ++i) {
        const Pattern& pattern = m_patterns[i];
        switch (pattern.kind) {
            case PatternKind::AdjacentSequence:
                m_results[i] = MatchAdjacent(pattern.ids);
                break;
            case PatternKind::OrderedSequence:
                m_results[i] = MatchOrdered(pattern.ids);
                break;
            case PatternKind::FirstBox:
                m_results[i] =
                    (!pattern.ids.empty() && !m_ids.empty() && IdAt(0) == pattern.ids.front()) ? 1
                                                                                               : 0;
                break;
        }
    }
    m_patterns.clear();
}

int64_t CConformanceTester::GetResult(size_t index) const {
    return index < m_results.size() ? m_results[index] : 0;
}

int64_t CConformanceTester::MatchOne(PatternKind kind, std::span<const int32_t> ids) {
    AddPattern(kind, ids);
    MatchPatterns();
    return GetResult(0);
}

int32_t CConformanceTester::RunNextTest(int32_t brand, int32_t& rule, int32_t& result) {
    const std::span<const int32_t> rules = RulesOf(brand);
    if (rules.empty()) return -2;
    if (m_step < 1 || static_cast<size_t>(m_step) > rules.size()) {
        m_step = 1;
        return -1;
    }
    rule = rules[static_cast<size_t>(m_step) - 1];
    result = RunTest(rule);
    ++m_step;
    return 0;
}

int32_t CConformanceTester::RunTest(int32_t rule) {
    // A rule's outcome depends on the file only, not on the brand it is tested for, so each is
    // matched once however many brands (or repeats of one brand) ask for it.
    if (rule < 0 || rule >= kRuleTableSize) return 0;
    int8_t& cached = m_ruleResults[static_cast<size_t>(rule)];
    if (cached == kNotRun) cached = static_cast<int8_t>(EvaluateRule(rule));
    return cached;
}

int32_t CConformanceTester::EvaluateRule(int32_t rule) {
    const CTrackInfoCollector& c = m_collector;
    switch (rule) {
        case 1: {
            constexpr int32_t moov[] = {BoxId::Moov};
            return MatchOne(PatternKind::FirstBox, moov) == 0;
        }
        case 2: {
            constexpr int32_t movieHeader[] = {BoxId::Moov, BoxId::Mvhd};
            constexpr int32_t trackHeader[] = {BoxId::Trak, BoxId::Tkhd};
            constexpr int32_t mediaHeader[] = {BoxId::Mdia, BoxId::Mdhd};
            AddPattern(PatternKind::AdjacentSequence, movieHeader);
            AddPattern(PatternKind::AdjacentSequence, trackHeader);
            AddPattern(PatternKind::AdjacentSequence, mediaHeader);
            MatchPatterns();
            const int64_t tracks = c.GetTotalTrackCount();
            return GetResult(0) == 1 && GetResult(1) == tracks && GetResult(2) == tracks;
        }
        case 4: {
            if (c.GetBoxSet() == BoxSet::Full) return SampleTablesInOrder();
            constexpr int32_t sampleSize[] = {BoxId::Stsz};
            constexpr int32_t fullTable[] = {BoxId::Stsd, BoxId::Stts, BoxId::Stsc, BoxId::Stsz,
                                             BoxId::Stco};
            constexpr int32_t tableWithoutSizes[] = {BoxId::Stsd, BoxId::Stts, BoxId::Stsc,
                                                     BoxId::Stco};
            const int64_t sizeTables = MatchOne(PatternKind::OrderedSequence, sampleSize);
            if (sizeTables > 0)
                return MatchOne(PatternKind::AdjacentSequence, fullTable) == sizeTables;
            return MatchOne(PatternKind::AdjacentSequence, tableWithoutSizes) > 0;
        }
        case 5: {
            constexpr int32_t edit[] = {BoxId::Edts};
            constexpr int32_t reference[] = {BoxId::Tref};
            constexpr int32_t editBeforeMedia[] = {BoxId::Edts, BoxId::Mdia};
            constexpr int32_t referenceBeforeMedia[] = {BoxId::Tref, BoxId::Mdia};
            AddPattern(PatternKind::OrderedSequence, edit);
            AddPattern(PatternKind::OrderedSequence, reference);
            MatchPatterns();
            const bool hasEdits = GetResult(0) > 0;
            const bool hasReferences = GetResult(1) > 0;
            if (!hasEdits && !hasReferences) return 1;
            if (hasEdits) AddPattern(PatternKind::OrderedSequence, editBeforeMedia);
            if (hasReferences) AddPattern(PatternKind::OrderedSequence, referenceBeforeMedia);
            const size_t patterns = m_patterns.size();
            MatchPatterns();
            for (size_t i = 0; i < patterns; ++i) {
                if (GetResult(i) <= 0) return 0;
            }
            return 1;
        }
        case 6: {
            constexpr int32_t handlerBeforeInformation[] = {BoxId::Hdlr, BoxId::Minf};
            return MatchOne(PatternKind::OrderedSequence, handlerBeforeInformation) > 0;
        }
        case 7: {
            constexpr int32_t dataInformationBeforeTable[] = {BoxId::Dinf, BoxId::Stbl};
            return MatchOne(PatternKind::OrderedSequence, dataInformationBeforeTable) > 0;
        }
        case 11:
            return c.GetTextTrackCount() == 0;
        case 12: {
            constexpr int32_t compactSizes[] = {BoxId::Stz2};
            if (MatchOne(PatternKind::OrderedSequence, compactSizes) == 0) return 1;
            const std::string& video = c.GetVideoInfo().name;
            const std::string& audio = c.GetAudioInfo().name;
            return video != "H.263" && video != "MPEG-4" && audio != "AMR" &&
                   audio != "AMR WideBand" && audio != "AAC" && c.GetTextTrackCount() == 0;
        }
        case 18: {
            constexpr int32_t movieAfterType[] = {BoxId::Ftyp, BoxId::Moov};
            return MatchOne(PatternKind::AdjacentSequence, movieAfterType) == 1;
        }
        case 20:
            return c.GetSoundTrackCount() <= 1 && c.GetVideoTrackCount() <= 1 &&
                   c.GetTextTrackCount() <= 1;
        case 22: {
            constexpr int32_t fileType[] = {BoxId::Ftyp};
            return MatchOne(PatternKind::FirstBox, fileType) == 1;
        }
        case 23:
            return m_majorBrand != BrandRow::MobileMP4 || m_minorVersion == 1;
        case 24: {
            if (c.GetVideoTrackCount() == 0) return 1;
            const VideoCodecInfo& video = c.GetVideoInfo();
            const bool qvgaMpeg4 =
                video.name == "MPEG-4" && video.width == 320 && video.height == 240;
            return c.GetBiggestVideoChunk() <= (qvgaMpeg4 ? 80 : 20) * kKilobyte;
        }
        case 25: {
            if (c.GetSoundTrackCount() == 0) return 1;
            const bool amr = c.GetAudioInfo().name == "AMR";
            return c.GetBiggestSoundChunk() <= (amr ? 2 : 5) * kKilobyte;
        }
        case 26:
            return c.GetTextTrackCount() == 0 || c.GetBiggestTextChunk() <= 4 * kKilobyte;
        default:
            return 0;
    }
}
