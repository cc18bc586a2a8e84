#include "presentation/VideoViewBoxHandler.h"

#include "model/VideoBoxes.h"
#include "presentation/ISOViewBox.h"

using namespace ISOFileFormat;

namespace {

void ShowPixelAspectRatio(const PixelAspectRatioBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("hSpacing", box.hSpacing);
    t.contents.AddNumber("vSpacing", box.vSpacing);
}

constexpr CViewBoxTable kRows{
    Row<PixelAspectRatioBox, ShowPixelAspectRatio>(BoxId::Pasp),
};

}  // namespace

CVideoViewBoxHandler::CVideoViewBoxHandler() : CViewBoxTableHandler(kRows) {}
