#include "presentation/ViewBoxFamilies.h"

#include "presentation/AudioViewBoxHandler.h"
#include "presentation/ImageViewBoxHandler.h"
#include "presentation/MetaViewBoxHandler.h"
#include "presentation/StreamingViewBoxHandler.h"
#include "presentation/VideoViewBoxHandler.h"

void AddViewBoxFamilies(std::vector<std::unique_ptr<IViewBoxHandler>>& handlers,
                        CValueFormatContext& context) {
    handlers.push_back(std::make_unique<CVideoViewBoxHandler>());
    // The track header's duration is shown in the last timescale handed to the context.
    handlers.push_back(std::make_unique<CMetaViewBoxHandler>(context));
    handlers.push_back(std::make_unique<CAudioViewBoxHandler>());
    handlers.push_back(std::make_unique<CStreamingViewBoxHandler>());
    handlers.push_back(std::make_unique<CImageViewBoxHandler>());
}
