#include "document/ConformanceViewBox.h"

#include <algorithm>
#include <string>
#include <utility>

#include "document/ConformanceTester.h"
#include "document/NodeList.h"
#include "model/Format.h"
#include "presentation/ViewPalette.h"

namespace {

std::unique_ptr<CISOViewBoxMultiLineLayer> MakeLinesLayer(Colour back) {
    auto layer = std::make_unique<CISOViewBoxMultiLineLayer>(LayerKind::Contents);
    layer->SetBackColour(back);
    layer->SetMargins(2, 1, 2, 1);
    return layer;
}

void AddBrandBlock(CConformanceViewBox& node, CConformanceTester& tester, int32_t brand) {
    node.AddBrandHeader(CConformanceTester::GetBrandText(brand),
                        CConformanceTester::GetBrandDescription(brand));
    tester.ResetStep();
    int32_t rule = 0;
    int32_t result = 0;
    int32_t r;
    while ((r = tester.RunNextTest(brand, rule, result)) == 0)
        node.AddTestLine(CConformanceTester::GetRuleText(rule), result);
    if (r < -1) node.AddTestLine(std::nullopt, r);
}

}  // namespace

CConformanceViewBox::CConformanceViewBox(int32_t depth) : CISOViewBox(nullptr, depth, 0) {
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText(std::string(kTitle));
    title->SetBackColour(kViewPalette.sectionTitleBack);
    title->SetTextColour(kViewPalette.sectionTitleText);
    SetShortTypeNameLayer(AddLayer(std::move(title)));
}

CConformanceViewBox::~CConformanceViewBox() = default;

void CConformanceViewBox::AddBrandHeader(std::string_view brand, std::string_view description) {
    auto header = MakeLinesLayer(kViewPalette.conformanceHeaderBack);
    header->AddLine(StrFormat("%.*s : ", static_cast<int>(brand.size()), brand.data()));
    header->AddLine(StrFormat("Conforming to the specification '%.*s'",
                              static_cast<int>(description.size()), description.data()));
    AddLayer(std::move(header));
    m_currentTestLayer = nullptr;
}

void CConformanceViewBox::AddTestLine(std::optional<std::string_view> ruleText, int32_t result) {
    if (!m_currentTestLayer) {
        auto tests = MakeLinesLayer(kViewPalette.sectionBack);
        tests->SetFont("Tahoma", 80, false, true);
        tests->SetTextColour(kViewPalette.sectionText);
        m_currentTestLayer = AddLayer(std::move(tests));
    }
    if (ruleText) {
        m_currentTestLayer->AddLine(
            StrFormat("Test : %.*s", static_cast<int>(ruleText->size()), ruleText->data()));
        if (result != 0)
            m_currentTestLayer->AddLine("=> O.K.");
        else
            m_currentTestLayer->AddLine("=> Failure", kViewPalette.conformanceFailureText);
    } else {
        m_currentTestLayer->AddLine("-> conformance test not available for this");
    }
    InvalidateMeasure();
}

void CConformanceViewBox::AddUntestedBrandsLine(uint64_t count) {
    auto layer = MakeLinesLayer(kViewPalette.conformanceHeaderBack);
    layer->AddLine(StrFormat("%llu more compatible brands not tested",
                             static_cast<unsigned long long>(count)));
    AddLayer(std::move(layer));
    m_currentTestLayer = nullptr;
}

void BuildConformanceInformation(const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records,
                                 const CTrackInfoCollector& collector, IDrawingSurface& surface,
                                 CNodeList& displayList) {
    CConformanceTester tester(records, collector);
    auto node = std::make_unique<CConformanceViewBox>(1);

    AddBrandBlock(*node, tester, tester.GetMajorBrand());
    const std::vector<int32_t>& compatible = tester.GetCompatibleBrands();
    const size_t tested = std::min(compatible.size(), kMaxTestedCompatibleBrands);
    for (size_t i = 0; i < tested; ++i)
        AddBrandBlock(*node, tester, compatible[i]);
    if (compatible.size() > tested) node->AddUntestedBrandsLine(compatible.size() - tested);

    node->Measure(surface);
    displayList.PushBack(std::move(node));
}
