#pragma once

#include <cstdint>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

namespace BoxId {
inline constexpr int32_t Pasp = Of("pasp");
}  // namespace BoxId

// Records of the video family beyond the classic set (rows in model/VideoBoxRows.h).
namespace ISOFileFormat {

// ISO/IEC 14496-12:2022, 12.1.4.2: the relative width and height of a pixel.
struct PixelAspectRatioBox : Box {
    static constexpr int32_t kId = BoxId::Pasp;
    explicit PixelAspectRatioBox(uint64_t size) : Box(kId, size) {}
    uint32_t hSpacing = 0;
    uint32_t vSpacing = 0;
};

}  // namespace ISOFileFormat
