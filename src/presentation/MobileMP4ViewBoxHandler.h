#pragma once

#include <cstdint>

#include "presentation/ViewBoxHandler.h"

// Shows the two DoCoMo boxes of Mobile MP4 that carry fields: 'dcmd' (the re-distribution
// right) and 'dcmc' (the chapter list). The 'drm ' container has nothing to show.
class CMobileMP4ViewBoxHandler : public IViewBoxHandler {
public:
    int32_t FillViewBox(const ISOFileFormat::Box& box, CISOViewBox& viewBox,
                        int32_t& fullBox) override;
};
