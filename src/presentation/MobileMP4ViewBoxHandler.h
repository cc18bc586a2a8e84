#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the two DoCoMo boxes of Mobile MP4 that carry fields: 'dcmd' (the re-distribution
// right) and 'dcmc' (the chapter list). The 'drm ' container has nothing to show.
class CMobileMP4ViewBoxHandler : public CViewBoxTableHandler {
public:
    CMobileMP4ViewBoxHandler();
};
