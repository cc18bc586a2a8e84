#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/NodeList.h"
#include "presentation/DrawingSurface.h"

// Where each displayed node of the box view lies, in content coordinates (before scrolling),
// and what lies under a point. A node is displayed when no ancestor is collapsed; displayed
// nodes are stacked from the top margin down, each indented by its depth.
//
// The placements are kept in one array in display order, rebuilt only when the set of displayed
// nodes changes (a parse, an expansion or a collapse). Their tops only grow, so the first node
// that reaches a given height is found by binary search: painting and hit testing cost the same
// at the end of a tree of millions of nodes as at its top.
class CTreeGeometry {
public:
    struct Placement {
        size_t node;  // index in the document's node list
        int64_t top;
        int64_t left;
        int32_t width;
        int32_t height;

        int64_t Bottom() const { return top + height; }
    };

    enum class HitPart { None, Body, Button };
    struct Hit {
        HitPart part = HitPart::None;
        size_t node = 0;  // index in the document's node list; meaningful unless part is None
        size_t placement = 0;
    };

    // The expand button: a square of this size, this far left of the node and below its top.
    static constexpr int32_t kButtonSize = 16;
    static constexpr int32_t kButtonLeftOfNode = 20;
    static constexpr int32_t kButtonBelowTop = 2;
    // How far a node's own painting (its offset text, its images, the outline of its frame) may
    // reach below its measured bottom.
    static constexpr int32_t kPaintOverhang = 20;

    // Walks the displayed nodes once. Sizes come from the nodes, measured on `surface` when
    // needed. The geometry reads the list and measures on the surface until the next Rebuild or
    // Clear: neither may change or go between.
    void Rebuild(CNodeList& nodes, IDrawingSurface& surface);
    void Clear();

    size_t GetCount() const { return m_entries.size(); }
    // The placement of the index-th displayed node.
    Placement GetPlacement(size_t index) const;

    // The first placement whose bottom lies at or below `y`: every placement before it ends
    // above `y`. GetCount() when there is none.
    size_t FirstReaching(int64_t y) const;
    // The placement of a node by its index in the node list, or GetCount() when the node is not
    // displayed.
    size_t FindNode(size_t node) const;

    // What lies under the content point (x, y): the first displayed node whose body holds it,
    // or, for a node with children, whose expand button holds it.
    Hit HitTest(int64_t x, int64_t y) const;

    static int64_t NodeLeft(int32_t depth);
    // The expand button of a node whose top-left corner is (nodeLeft, nodeTop), in the same
    // coordinates.
    static Rect ButtonRect(int32_t nodeLeft, int32_t nodeTop);

private:
    // A tree can show millions of nodes: each costs only its index and its top. Its bottom is
    // the next one's top less the gap (the last one's is kept apart), the rest is the node's.
    struct Entry {
        size_t node;
        int64_t top;
    };
    int64_t BottomOf(size_t index) const;

    CNodeList* m_nodes = nullptr;
    IDrawingSurface* m_surface = nullptr;
    std::vector<Entry> m_entries;
    int64_t m_lastBottom = 0;
};
