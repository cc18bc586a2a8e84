#pragma once

#include <string>
#include <vector>

#include "document/DocumentView.h"
#include "presentation/FixedMetricSurface.h"

// The document's view for tests without a window: measures with fixed metrics and records
// what the document and its parse control ask of it.
class CTestDocumentView : public IDocumentView {
public:
    IDrawingSurface& GetMeasureSurface() override { return surface; }
    void ScrollToOrigin() override { ++scrollsToOrigin; }
    void SetScrollSize(int32_t width, int32_t height) override {
        scrollSizes.push_back({width, height});
    }
    void Invalidate() override { ++invalidations; }
    void ShowWarning(const std::string& title, const std::string& text) override {
        warnings.push_back(title + ": " + text);
        lastMessage = text;
    }

    CFixedMetricSurface surface;
    int scrollsToOrigin = 0;
    int invalidations = 0;
    std::vector<Extent> scrollSizes;
    std::vector<std::string> warnings;  // "title: text"
    std::string lastMessage;            // the text of the last message alone
};
