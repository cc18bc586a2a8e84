#pragma once

#include "presentation/ViewBoxTable.h"

// Shows the audio family beyond the classic set: today's audio sample entries, their decoder
// configurations, the channel layout, and 'esds' with every descriptor it holds.
class CAudioViewBoxHandler : public CViewBoxTableHandler {
public:
    CAudioViewBoxHandler();
};
