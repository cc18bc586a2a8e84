#pragma once

#include "model/BoxCatalogueRow.h"

// The video family beyond the classic set: today's video sample entries, their decoder
// configurations, and the boxes that describe the picture (aspect ratio, colour, aperture).
inline constexpr BoxCatalogueRow kVideoBoxRows[] = {
    // ISO/IEC 14496-12:2022, 12.1.4
    {"pasp", "PixelAspectRatioBox", "relative width and height of a pixel", BoxKind::Box,
     BoxFacts::None},
};
