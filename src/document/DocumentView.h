#pragma once

#include <cstdint>
#include <string>

#include "presentation/DrawingSurface.h"

// The box view's layout metrics, in pixels: shared by the document's extent, the view's
// painting and hit testing.
namespace ViewLayout {
constexpr int32_t kTopMargin = 5;
constexpr int32_t kBandToBoxGap = 23;
constexpr int32_t kOffsetBandWidth = 70;
constexpr int32_t kLeftOffset = kOffsetBandWidth + kBandToBoxGap;  // 93
constexpr int32_t kVerticalGap = 10;
constexpr int32_t kIndentPerDepth = 60;
}  // namespace ViewLayout

// What the document and its parse control need of the window that shows them. The desktop box
// view implements it with real scrolling and message boxes; the CLI and the tests with plain
// objects.
class IDocumentView {
public:
    virtual ~IDocumentView() = default;
    // The surface nodes are measured on.
    virtual IDrawingSurface& GetMeasureSurface() = 0;
    // Whether the window shows the nodes at all. Without it nothing is drawn or scrolled, so
    // nodes are measured only when something asks for their size.
    virtual bool ShowsGeometry() const { return true; }
    virtual void ScrollToOrigin() = 0;
    virtual void SetScrollSize(int32_t width, int32_t height) = 0;
    // Redraws the whole window, background included.
    virtual void Invalidate() = 0;
    // A message box titled `title` with an OK button and the warning icon.
    virtual void ShowWarning(const std::string& title, const std::string& text) = 0;
};
