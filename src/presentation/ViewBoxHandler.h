#pragma once

#include <cstdint>

namespace ISOFileFormat {
struct Box;
}
class CISOViewBox;

// Fills a new node's contents layer from its box record. The document offers each node to its
// handlers in turn (ISO, 3GPP, Mobile MP4) and stops at the first that claims it.
class IViewBoxHandler {
public:
    virtual ~IViewBoxHandler() = default;
    // Returns 1 when the handler knows the box's type and has filled the node's contents layer,
    // otherwise 0 without touching the node. Sets `fullBox` to 1 when the caller is to add the
    // version and flags of a full box (the caller resets it to 0 before each call).
    virtual int32_t FillViewBox(const ISOFileFormat::Box& box, CISOViewBox& viewBox,
                                int32_t& fullBox) = 0;
};
