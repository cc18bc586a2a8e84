#include "document/TreeGeometry.h"

#include <algorithm>
#include <limits>

#include "document/DocumentView.h"

namespace {
bool Contains(int64_t left, int64_t top, int64_t width, int64_t height, int64_t x, int64_t y) {
    return x >= left && x < left + width && y >= top && y < top + height;
}
}  // namespace

void CTreeGeometry::Rebuild(CNodeList& nodes, IDrawingSurface& surface) {
    m_nodes = &nodes;
    m_surface = &surface;
    m_entries.clear();
    int64_t top = ViewLayout::kTopMargin;
    m_lastBottom = top;
    nodes.ForEachDisplayed([&](size_t i) {
        const int64_t height = std::max<int32_t>(nodes.GetHeight(i, surface), 0);
        m_entries.push_back(Entry{i, top});
        m_lastBottom = top + height;
        top = m_lastBottom + ViewLayout::kVerticalGap;
        return true;
    });
}

void CTreeGeometry::Clear() {
    m_entries.clear();
    m_nodes = nullptr;
    m_surface = nullptr;
}

int64_t CTreeGeometry::BottomOf(size_t index) const {
    return index + 1 < m_entries.size() ? m_entries[index + 1].top - ViewLayout::kVerticalGap
                                        : m_lastBottom;
}

CTreeGeometry::Placement CTreeGeometry::GetPlacement(size_t index) const {
    const Entry& entry = m_entries[index];
    const int64_t top = entry.top;
    return Placement{entry.node, top, NodeLeft(m_nodes->GetDepth(entry.node)),
                     m_nodes->GetSize(entry.node, *m_surface).width,
                     static_cast<int32_t>(BottomOf(index) - top)};
}

size_t CTreeGeometry::FirstReaching(int64_t y) const {
    // Bottoms strictly grow from one placement to the next (each starts a gap below the last).
    size_t low = 0;
    size_t high = m_entries.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (BottomOf(middle) < y)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

size_t CTreeGeometry::FindNode(size_t node) const {
    auto it = std::lower_bound(m_entries.begin(), m_entries.end(), node,
                               [](const Entry& e, size_t n) { return e.node < n; });
    if (it == m_entries.end() || it->node != node) return m_entries.size();
    return static_cast<size_t>(it - m_entries.begin());
}

CTreeGeometry::Hit CTreeGeometry::HitTest(int64_t x, int64_t y) const {
    // A button reaches below its node's top by at most this much.
    const int64_t buttonReach = kButtonBelowTop + kButtonSize;
    for (size_t i = FirstReaching(y - buttonReach); i < m_entries.size(); ++i) {
        if (m_entries[i].top > y) break;
        const Placement p = GetPlacement(i);
        if (Contains(p.left, p.top, p.width, p.height, x, y)) return Hit{HitPart::Body, p.node, i};
        if (m_nodes->GetChildCount(p.node) > 0 &&
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
