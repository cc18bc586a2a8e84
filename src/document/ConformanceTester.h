#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/BoxCatalogue.h"

namespace ISOFileFormat {
struct Box;
}  // namespace ISOFileFormat

class CTrackInfoCollector;

// How a box pattern is matched against the record list.
enum class PatternKind : int32_t {
    // Runs of consecutive records whose ids are the pattern's ids in order. Runs do not
    // overlap; a try that fails is taken up again at the record after the one it started at, so
    // a run starting at the record that broke the try still counts.
    AdjacentSequence = 0,
    // The pattern's ids in order, other records allowed between them, until the order is first
    // broken (an id of the pattern arrives before the ones awaited ahead of it).
    OrderedSequence = 1,
    // 1 when the very first record has the pattern's first id.
    FirstBox = 3,
};

// Rows of the brand table that the tests name.
namespace BrandRow {
constexpr int32_t Unknown = 0;
constexpr int32_t Isom = 1;
constexpr int32_t Avc1 = 3;
constexpr int32_t Release4 = 4;
constexpr int32_t Release5 = 5;
constexpr int32_t BasicProfile = 7;
constexpr int32_t ProgressiveDownload = 9;
constexpr int32_t MobileMP4 = 19;
// Reached only through the 'ftyp' minor version of a major brand, never by lookup.
constexpr int32_t Release4Download = 20;
constexpr int32_t Release5Download = 21;
constexpr int32_t BasicProfileDownload = 22;
}  // namespace BrandRow

// The classic table is the first rows; the full box set knows today's brands too.
constexpr int32_t kClassicBrandTableSize = 23;
constexpr int32_t kBrandTableSize = 42;
constexpr int32_t kRuleTableSize = 27;

// Tests the brands an ISO base media file declares in its 'ftyp' box against the rules of
// ISO/IEC 14496-12, of the 3GPP releases and profiles (TS 26.244) and of Mobile MP4. The tests
// look at the order and adjacency of the parsed records, at the track counts, codec names and
// biggest chunks the collector gathered, and at the 'ftyp' minor version.
//
// The tester reads the record list of OnBoxList, so it lives only inside that callback: the
// records and the collector must outlive it. Use:
//   CConformanceTester tester(records, collector);
//   for each brand of {GetMajorBrand()} + GetCompatibleBrands():
//       tester.ResetStep();
//       while (tester.RunNextTest(brand, rule, result) == 0) ...show rule and result...
class CConformanceTester {
public:
    // Resolves the brands of the first 'ftyp' record. The major brand is the unknown row when
    // there is no 'ftyp' or its brand is not in the table; compatible brands not in the table
    // are dropped, and so is a first compatible brand that repeats the major brand (files
    // routinely list their major brand again first, and one block per brand is enough; a brand
    // repeated anywhere else is tested again). A major brand of a 3GP release or of the basic
    // profile becomes its download variant when the minor version says so.
    CConformanceTester(const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records,
                       const CTrackInfoCollector& collector);
    CConformanceTester(const CConformanceTester&) = delete;
    CConformanceTester& operator=(const CConformanceTester&) = delete;

    int32_t GetMajorBrand() const { return m_majorBrand; }
    uint32_t GetMinorVersion() const { return m_minorVersion; }
    // Brand rows in file order.
    const std::vector<int32_t>& GetCompatibleBrands() const { return m_compatibleBrands; }

    // Queues a pattern for the next MatchPatterns.
    void AddPattern(PatternKind kind, std::span<const int32_t> ids);
    // Matches every queued pattern against the records, from the first, then empties the queue.
    void MatchPatterns();
    // Result of pattern `index` of the last run; 0 for an index that run did not have.
    int64_t GetResult(size_t index) const;

    // Starts the test sequence of a brand over; call before the first RunNextTest of a brand.
    void ResetStep() { m_step = 1; }
    // Runs the next test of `brand`'s sequence: 0 when a test ran (`rule` is its rule row,
    // `result` 1 when it passed, 0 when it failed), -1 when the sequence is over (the step
    // starts over), -2 when the brand has no tests.
    int32_t RunNextTest(int32_t brand, int32_t& rule, int32_t& result);

    // The brand's four characters and its description; the unknown row for an id outside the
    // table.
    static std::string GetBrandText(int32_t brand);
    static std::string_view GetBrandDescription(int32_t brand);
    // The rule's text; empty for an id outside the table.
    static std::string_view GetRuleText(int32_t rule);
    // The first row whose brand equals the four bytes, ASCII letters compared without case;
    // -1 when none does. The download variants are never found this way, and today's brands
    // only in the full box set.
    static int32_t FindBrand(const uint8_t brand[4], BoxSet set = BoxSet::Full);

private:
    struct Pattern {
        PatternKind kind;
        std::vector<int32_t> ids;
    };

    int32_t RunTest(int32_t rule);
    int32_t EvaluateRule(int32_t rule);
    int32_t IdAt(size_t index) const;
    int64_t MatchAdjacent(const std::vector<int32_t>& ids) const;
    int64_t MatchOrdered(const std::vector<int32_t>& ids) const;
    // Whether the tables of every 'stbl' come in the recommended order, other boxes allowed
    // between them.
    bool SampleTablesInOrder() const;
    // One run of a single pattern.
    int64_t MatchOne(PatternKind kind, std::span<const int32_t> ids);

    // The records' ids in record order (-1 for a missing record): the rules walk them again and
    // again, and a fragmented file has millions of records scattered over the heap.
    std::vector<int32_t> m_ids;
    const CTrackInfoCollector& m_collector;
    std::vector<Pattern> m_patterns;
    std::vector<int64_t> m_results;
    std::vector<int32_t> m_compatibleBrands;
    static constexpr int8_t kNotRun = -1;
    std::array<int8_t, kRuleTableSize> m_ruleResults{};
    int32_t m_majorBrand = BrandRow::Unknown;
    uint32_t m_minorVersion = 0;
    int32_t m_step = 1;
};
