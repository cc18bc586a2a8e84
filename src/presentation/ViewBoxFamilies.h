#pragma once

#include <memory>
#include <vector>

#include "presentation/ViewBoxHandler.h"

class CValueFormatContext;

// Appends the view handler of every box family beyond the classic set. The document offers a
// node to them before the classic handlers, and only while it shows the full box set.
void AddViewBoxFamilies(std::vector<std::unique_ptr<IViewBoxHandler>>& handlers,
                        CValueFormatContext& context);
