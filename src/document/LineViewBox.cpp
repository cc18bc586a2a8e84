#include "document/LineViewBox.h"

#include <memory>

#include "presentation/ViewPalette.h"

CLineViewBox::CLineViewBox(int32_t depth, uint64_t fileOffset, uint64_t size)
    : CISOViewBox(nullptr, depth, fileOffset) {
    SetBoxSize(size);
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText(kInitialTitle);
    title->SetBackColour(kViewPalette.lineBack);
    title->SetTextColour(kViewPalette.lineText);
    SetShortTypeNameLayer(AddLayer(std::move(title)));
}

CLineViewBox::~CLineViewBox() = default;

void CLineViewBox::SetTitle(std::string_view title) {
    GetShortTypeNameLayer()->AssignText(title);
    InvalidateMeasure();
}
