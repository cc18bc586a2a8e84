#pragma once

#include <string>
#include <vector>

#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/ParseControl.h"
#include "document/Settings.h"
#include "parsing/LogWriter.h"
#include "presentation/FixedMetricSurface.h"

// The document's view for tests without a window: measures with fixed metrics and records
// the sizes and messages the document and its parse control give it.
class CTestDocumentView : public IDocumentView {
public:
    IDrawingSurface& GetMeasureSurface() override { return surface; }
    void ScrollToOrigin() override {}
    void SetScrollSize(int32_t width, int32_t height) override {
        scrollSizes.push_back({width, height});
    }
    void Invalidate() override {}
    void ShowWarning(const std::string& title, const std::string& text) override {
        warnings.push_back(title + ": " + text);
        lastMessage = text;
    }

    CFixedMetricSurface surface;
    std::vector<Extent> scrollSizes;
    std::vector<std::string> warnings;  // "title: text"
    std::string lastMessage;            // the text of the last message alone
};

// The index of the first node of `document` from `from` on whose short type name is `type`;
// the node count when there is none.
inline size_t IndexOfType(const COrvexDoc& document, const std::string& type, size_t from = 0) {
    const CNodeList& nodes = document.GetNodes();
    for (size_t i = from; i < nodes.size(); ++i) {
        if (nodes.GetTitle(i) == type) return i;
    }
    return nodes.size();
}

// A document with its parse control, settings in memory and the log as text: what the window
// holds, without the window.
struct TestDocument {
    CTestDocumentView view;
    CStringLogWriter log;
    CMemorySettingsStore settings;
    COrvexDoc doc{view, &log, settings};
    CParseControl control{doc, view, settings};

    size_t IndexOf(const std::string& type, size_t from = 0) const {
        return IndexOfType(doc, type, from);
    }
    // The node at `index`; for a line, valid until the next call.
    const CISOViewBox& Node(size_t index) { return doc.GetNodes().Node(index); }
};
