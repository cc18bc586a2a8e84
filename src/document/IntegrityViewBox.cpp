#include "document/IntegrityViewBox.h"

#include <memory>
#include <string>

#include "model/Format.h"
#include "presentation/ViewPalette.h"

CIntegrityViewBox::CIntegrityViewBox(int32_t depth) : CISOViewBox(nullptr, depth, 0) {
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText(std::string(kTitle));
    title->SetBackColour(kViewPalette.integrityTitleBack);
    title->SetTextColour(kViewPalette.integrityTitleText);
    SetShortTypeNameLayer(AddLayer(std::move(title)));
}

CIntegrityViewBox::~CIntegrityViewBox() = default;

void CIntegrityViewBox::SetFindings(std::span<const Finding> findings) {
    auto lines = std::make_unique<CISOViewBoxMultiLineLayer>(LayerKind::Contents);
    lines->SetBackColour(kViewPalette.integrityBack);
    lines->SetTextColour(kViewPalette.integrityText);
    lines->SetMargins(2, 1, 2, 1);
    m_offsets.clear();
    if (findings.empty()) lines->AddLine("no problem found");
    for (const Finding& f : findings) {
        const bool wholeFile = f.offset == 0 && f.type == std::array<uint8_t, 4>{};
        m_offsets.push_back(wholeFile ? std::nullopt : std::optional<uint64_t>(f.offset));
        const Colour colour = f.severity == FindingSeverity::Error ? kViewPalette.integrityErrorText
                              : f.severity == FindingSeverity::Warning
                                  ? kViewPalette.integrityWarningText
                                  : kViewPalette.integrityText;
        const std::string_view severity = SeverityName(f.severity);
        lines->AddLine(StrFormat("%.*s : %.*s at 0x%08llX : %s", static_cast<int>(severity.size()),
                                 severity.data(), static_cast<int>(f.id.size()), f.id.data(),
                                 static_cast<unsigned long long>(f.offset), f.sentence.c_str()),
                       colour);
    }
    AddLayer(std::move(lines));
    InvalidateMeasure();
}

std::optional<uint64_t> CIntegrityViewBox::OffsetAtHeight(int64_t y) const {
    int64_t top = 0;
    for (const auto& layer : GetLayers()) {
        if (!layer->IsVisible()) continue;
        const auto* lines = dynamic_cast<const CISOViewBoxMultiLineLayer*>(layer.get());
        if (lines && lines->GetLineHeight() > 0) {
            const int64_t first = top + lines->GetMargins().top;
            const int64_t line = y < first ? -1 : (y - first) / lines->GetLineHeight();
            if (line >= 0 && static_cast<size_t>(line) < m_offsets.size())
                return m_offsets[static_cast<size_t>(line)];
        }
        top += layer->GetHeight();
    }
    return std::nullopt;
}
