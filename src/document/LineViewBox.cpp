#include "document/LineViewBox.h"

#include <memory>
#include <utility>

CLineViewBox::CLineViewBox(int32_t depth, uint64_t fileOffset, uint64_t size)
    : CISOViewBox(nullptr, depth, fileOffset) {
    SetBoxSize(size);
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText(kInitialTitle);
    title->SetBackColour(Rgb(255, 255, 255));
    title->SetTextColour(Rgb(0, 0, 0));
    SetShortTypeNameLayer(AddLayer(std::move(title)));
}

CLineViewBox::~CLineViewBox() = default;

void CLineViewBox::SetTitle(std::string title) {
    GetShortTypeNameLayer()->SetText(std::move(title));
    InvalidateMeasure();
}
