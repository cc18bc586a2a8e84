#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "presentation/DrawingSurface.h"
#include "presentation/ISOViewBox.h"

namespace ISOFileFormat {
struct Box;
}  // namespace ISOFileFormat

class CNodeList;
class CTrackInfoCollector;

// The "Conformance Information" section: a title, then per tested brand a grey header naming
// the brand and what it stands for, and a white layer with one "Test : ..." line and its
// outcome per test.
class CConformanceViewBox : public CISOViewBox {
public:
    explicit CConformanceViewBox(int32_t depth);
    ~CConformanceViewBox() override;

    // Starts the block of a brand: a grey header of two lines, the brand and then the standard
    // it stands for (the brand table's description). The brand's test lines go into a new
    // layer below it.
    void AddBrandHeader(std::string_view brand, std::string_view description);
    // With a rule text: "Test : <text>" and then "=> O.K." when `result` is non-zero, else a
    // red "=> Failure". Without: "-> conformance test not available for this".
    void AddTestLine(std::optional<std::string_view> ruleText, int32_t result);
    // After the last block when brands were left untested: "<n> more compatible brands not
    // tested".
    void AddUntestedBrandsLine(uint64_t count);

    // The layer the current brand's test lines go into; null right after a brand header.
    CISOViewBoxMultiLineLayer* GetCurrentTestLayer() const { return m_currentTestLayer; }

    static constexpr std::string_view kTitle = "Conformance Information";

private:
    CISOViewBoxMultiLineLayer* m_currentTestLayer = nullptr;
};

// Entry point of the document: OnBoxList calls this right after BuildQuickInformation, with the
// record list it was given and the collector (FinishTrack done). It tests the brands of the
// file's 'ftyp' (the major brand first, then each compatible brand in file order), builds the
// "Conformance Information" node (depth 1, expanded, no children), measures it on `surface`
// and appends it to `displayList`.
//
// At most kMaxTestedCompatibleBrands compatible brands get a block; the node then ends with a
// line saying how many more the file lists.
void BuildConformanceInformation(const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records,
                                 const CTrackInfoCollector& collector, IDrawingSurface& surface,
                                 CNodeList& displayList);

// Real files list a handful of compatible brands; a crafted 'ftyp' can list millions, each of
// which would cost a block of lines hundreds of times its four bytes.
constexpr size_t kMaxTestedCompatibleBrands = 100;
