#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the streaming family beyond the classic set: segment type and index, fragment decode
// time, event messages, producer reference time, and the boxes of common encryption.
class CStreamingViewBoxHandler : public CViewBoxTableHandler {
public:
    CStreamingViewBoxHandler();
};
