#include "document/GeneralViewBox.h"

#include <memory>
#include <utility>

#include "presentation/ViewPalette.h"

CGeneralViewBox::CGeneralViewBox(int32_t depth) : CISOViewBox(nullptr, depth, 0) {
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText("General Information");
    title->SetBackColour(kViewPalette.sectionTitleBack);
    title->SetTextColour(kViewPalette.sectionTitleText);
    SetShortTypeNameLayer(AddLayer(std::move(title)));

    auto items = std::make_unique<CISOViewBoxItemLayer>(LayerKind::Contents);
    items->SetLabelColumnColour(kViewPalette.sectionLabelColumn);
    items->SetBackColour(kViewPalette.sectionBack);
    items->SetTextColour(kViewPalette.sectionText);
    items->SetShadeColour(kViewPalette.sectionShade);
    SetContentsLayer(AddLayer(std::move(items)));
}

CGeneralViewBox::~CGeneralViewBox() = default;
