#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "presentation/ViewBoxHandler.h"
#include "support/BoxBuilder.h"

// Parses crafted bytes with every parsing handler (ISO, 3GPP, Mobile MP4) and turns each box
// into a node filled by the given view box handlers, as the document does: for tests of the
// presentation that need no document. The nodes' text forms are returned in file order.
struct ParsedNodes {
    int32_t result = -1;
    std::string log;
    std::vector<std::string> types;  // the four type bytes of each box, in file order
    std::vector<std::string> texts;  // the node's plain text form (GetText(false))
    std::vector<int32_t> depths;

    // The text of the first node of that type ("" when none).
    std::string TextOf(const std::string& type) const;
};

ParsedNodes ParseToNodes(const BoxBuilder& file,
                         const std::vector<std::unique_ptr<IViewBoxHandler>>& viewHandlers);
