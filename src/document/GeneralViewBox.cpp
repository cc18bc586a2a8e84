#include "document/GeneralViewBox.h"

#include <memory>
#include <utility>

CGeneralViewBox::CGeneralViewBox(int32_t depth) : CISOViewBox(nullptr, depth, 0) {
    auto title = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    title->SetText("General Information");
    title->SetBackColour(Rgb(79, 104, 77));
    title->SetTextColour(Rgb(255, 255, 255));
    SetShortTypeNameLayer(AddLayer(std::move(title)));

    auto items = std::make_unique<CISOViewBoxItemLayer>(LayerKind::Contents);
    items->SetLabelColumnColour(Rgb(192, 192, 192));
    items->SetBackColour(Rgb(255, 255, 255));
    items->SetTextColour(Rgb(0, 0, 0));
    items->SetShadeColour(Rgb(138, 138, 138));
    SetContentsLayer(AddLayer(std::move(items)));
}

CGeneralViewBox::~CGeneralViewBox() = default;
