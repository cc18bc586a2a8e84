#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "presentation/ViewBoxHandler.h"

class CISOViewBox;
namespace ISOFileFormat {
struct Box;
}

// Offers a new node to the view box handlers in order until one claims it; the claiming
// handler's full-box answer adds the version and flags, and its contents layer is shown.
// When none claims it the contents layer stays hidden. Returns whether a handler claimed it.
bool FillViewBoxFromHandlers(const ISOFileFormat::Box& box, CISOViewBox& node,
                             const std::vector<std::unique_ptr<IViewBoxHandler>>& handlers);
