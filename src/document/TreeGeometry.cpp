#include "document/TreeGeometry.h"

#include <algorithm>
#include <limits>

#include "document/DocumentView.h"

namespace {
// Deeper than any node: nothing is hidden.
constexpr int64_t kNothingHidden = std::numeric_limits<int64_t>::max();

bool Contains(int64_t left, int64_t top, int64_t width, int64_t height, int64_t x, int64_t y) {
    return x >= left && x < left + width && y >= top && y < top + height;
}
}  // namespace

void CTreeGeometry::Rebuild(const NodeList& nodes, IDrawingSurface& surface) {
    m_placements.clear();
    // The same walk as the document's extent: after a collapsed node with children, every
    // following deeper node is skipped until one comes back to the collapsed node's depth.
    int64_t hiddenDepth = kNothingHidden;
    int64_t top = ViewLayout::kTopMargin;
    for (size_t i = 0; i < nodes.size(); ++i) {
        CISOViewBox& node = *nodes[i];
        const int64_t depth = node.GetDepth();
        if (depth > hiddenDepth) continue;
        if (depth == hiddenDepth) hiddenDepth = kNothingHidden;
        if (node.GetChildCount() > 0 && !node.IsExpanded()) hiddenDepth = depth;
        const Extent size = node.GetSize(surface);
        m_placements.push_back(Placement{i, top, NodeLeft(node.GetDepth()), size.width,
                                         std::max<int32_t>(size.height, 0)});
        top += int64_t{std::max<int32_t>(size.height, 0)} + ViewLayout::kVerticalGap;
    }
}

size_t CTreeGeometry::FirstReaching(int64_t y) const {
    // Bottoms strictly grow from one placement to the next (each starts a gap below the last).
    auto it = std::partition_point(m_placements.begin(), m_placements.end(),
                                   [y](const Placement& p) { return p.Bottom() < y; });
    return static_cast<size_t>(it - m_placements.begin());
}

size_t CTreeGeometry::FindNode(size_t node) const {
    auto it = std::lower_bound(m_placements.begin(), m_placements.end(), node,
                               [](const Placement& p, size_t n) { return p.node < n; });
    if (it == m_placements.end() || it->node != node) return m_placements.size();
    return static_cast<size_t>(it - m_placements.begin());
}

CTreeGeometry::Hit CTreeGeometry::HitTest(const NodeList& nodes, int64_t x, int64_t y) const {
    // A button reaches below its node's top by at most this much.
    const int64_t buttonReach = kButtonBelowTop + kButtonSize;
    for (size_t i = FirstReaching(y - buttonReach); i < m_placements.size(); ++i) {
        const Placement& p = m_placements[i];
        if (p.top > y) break;
        if (Contains(p.left, p.top, p.width, p.height, x, y)) return Hit{HitPart::Body, p.node, i};
        if (p.node < nodes.size() && nodes[p.node]->GetChildCount() > 0 &&
            Contains(p.left - kButtonLeftOfNode, p.top + kButtonBelowTop, kButtonSize, kButtonSize,
                     x, y)) {
            return Hit{HitPart::Button, p.node, i};
        }
    }
    return Hit{};
}

int64_t CTreeGeometry::NodeLeft(int32_t depth) {
    return ViewLayout::kLeftOffset + int64_t{ViewLayout::kIndentPerDepth} * depth;
}

Rect CTreeGeometry::ButtonRect(int32_t nodeLeft, int32_t nodeTop) {
    const int32_t left = nodeLeft - kButtonLeftOfNode;
    const int32_t top = nodeTop + kButtonBelowTop;
    return Rect{left, top, left + kButtonSize, top + kButtonSize};
}
