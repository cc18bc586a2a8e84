#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the video family beyond the classic set: today's video sample entries, their decoder
// configurations and the boxes that describe the picture.
class CVideoViewBoxHandler : public CViewBoxTableHandler {
public:
    CVideoViewBoxHandler();
};
