#include "presentation/ViewBoxFilling.h"

#include "model/Box.h"
#include "presentation/ISOViewBox.h"

bool FillViewBoxFromHandlers(const ISOFileFormat::Box& box, CISOViewBox& node,
                             const std::vector<std::unique_ptr<IViewBoxHandler>>& handlers) {
    CISOViewBoxItemLayer* contents = node.GetContentsLayer();
    for (const auto& handler : handlers) {
        int32_t fullBox = 0;
        if (handler->FillViewBox(box, node, fullBox) == 1) {
            if (fullBox == 1) {
                // Only full boxes are ever marked so; a handler that says so of a plain box
                // gets no header rather than a wrong one.
                if (const auto* full = dynamic_cast<const ISOFileFormat::FullBox*>(&box)) {
                    node.AddVersionFlags(*full);
                }
            }
            if (contents) contents->SetVisible(true);
            return true;
        }
        if (contents) contents->SetVisible(false);
    }
    return false;
}
