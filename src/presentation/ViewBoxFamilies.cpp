#include "presentation/ViewBoxFamilies.h"

#include "presentation/AudioViewBoxHandler.h"
#include "presentation/VideoViewBoxHandler.h"

void AddViewBoxFamilies(std::vector<std::unique_ptr<IViewBoxHandler>>& handlers,
                        CValueFormatContext& context) {
    (void)context;
    handlers.push_back(std::make_unique<CVideoViewBoxHandler>());
    handlers.push_back(std::make_unique<CAudioViewBoxHandler>());
}
