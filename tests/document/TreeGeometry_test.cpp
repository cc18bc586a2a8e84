#include "document/TreeGeometry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "presentation/FixedMetricSurface.h"
#include "presentation/ISOViewBoxLayer.h"

namespace {

using HitPart = CTreeGeometry::HitPart;

// Builds a tree from depths in display order, counting children as the document does. On the
// fixed-metric surface a node is 6 pixels a character plus 12 wide and 25 tall.
class TreeBuilder {
public:
    TreeBuilder& Add(int32_t depth, const std::string& text = "node", bool expanded = true) {
        auto node = std::make_unique<CISOViewBox>(nullptr, depth, m_list.size() * 100);
        auto layer = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
        layer->SetText(text);
        node->AddLayer(std::move(layer));
        node->SetExpanded(expanded);
        m_lastAtDepth.resize(static_cast<size_t>(depth));
        if (depth > 0) m_lastAtDepth.back()->IncrementChildCount();
        m_lastAtDepth.push_back(node.get());
        m_nodes.push_back(&m_list.PushBack(std::move(node)));
        return *this;
    }
    CTreeGeometry Geometry() {
        CTreeGeometry geometry;
        geometry.Rebuild(m_list, m_surface);
        return geometry;
    }
    CNodeList m_list;
    std::vector<CISOViewBox*> m_nodes;

private:
    CFixedMetricSurface m_surface;
    std::vector<CISOViewBox*> m_lastAtDepth;
};

std::vector<size_t> DisplayedNodes(const CTreeGeometry& geometry) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < geometry.GetCount(); ++i)
        shown.push_back(geometry.GetPlacement(i).node);
    return shown;
}

}  // namespace

TEST(TreeGeometry, StacksDisplayedNodesIndentedByDepthAndHidesCollapsedSubtrees) {
    TreeBuilder tree;
    tree.Add(0, "ftyp").Add(0, "moov").Add(1, "mvhd").Add(1, "trak").Add(2, "tkhd").Add(0, "mdat");
    const CTreeGeometry geometry = tree.Geometry();
    ASSERT_EQ(geometry.GetCount(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        const auto p = geometry.GetPlacement(i);
        EXPECT_EQ(p.node, i);
        EXPECT_EQ(p.top, 5 + static_cast<int64_t>(i) * (25 + 10));
        EXPECT_EQ(p.left, 93 + 60 * tree.m_nodes[i]->GetDepth());
        EXPECT_EQ(p.width, 4 * 6 + 12);
        EXPECT_EQ(p.height, 25);
    }

    // moov (collapsed) { trak { tkhd } mvhd } free moof { traf (collapsed) { tfhd } trun } mdat
    TreeBuilder hidden;
    hidden.Add(0, "moov", false).Add(1, "trak").Add(2, "tkhd").Add(1, "mvhd").Add(0, "free");
    hidden.Add(0, "moof").Add(1, "traf", false).Add(2, "tfhd").Add(1, "trun").Add(0, "mdat");
    CTreeGeometry shown = hidden.Geometry();
    EXPECT_EQ(DisplayedNodes(shown), (std::vector<size_t>{0, 4, 5, 6, 8, 9}));
    EXPECT_EQ(shown.FindNode(8), 4u);
    EXPECT_EQ(shown.FindNode(7), shown.GetCount());
    // A collapsed node without children hides nothing.
    hidden.m_nodes[0]->SetExpanded(true);
    hidden.m_nodes[2]->SetExpanded(false);
    shown = hidden.Geometry();
    EXPECT_EQ(DisplayedNodes(shown), (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 8, 9}));
}

// The searches are binary: deep in a large tree they must land on the same node as at its top,
// bodies and expand buttons alike.
TEST(TreeGeometry, HitTestsDeepInALargeTree) {
    TreeBuilder tree;
    for (int c = 0; c < 5000; ++c) {
        tree.Add(0, "container", c % 7 != 3);
        for (int k = 0; k < 10; ++k)
            tree.Add(1, std::string(1 + (c + k) % 9, 'x'));
    }
    const CTreeGeometry geometry = tree.Geometry();
    const size_t count = geometry.GetCount();
    ASSERT_GT(count, 40000u);
    for (size_t i : {size_t{0}, size_t{1}, count / 2, count / 2 + 1, count - 11, count - 1}) {
        const auto p = geometry.GetPlacement(i);
        using enum HitPart;
        const HitPart button = tree.m_nodes[p.node]->GetChildCount() > 0 ? Button : None;
        // From the body's top left: the body is width x height; a container's button is 16
        // pixels square, 20 left of the body and 2 below its top.
        const int64_t w = p.width, h = p.height;
        const struct {
            int64_t dx, dy;
            HitPart part;
        } hits[] = {{0, 0, Body},     {w - 1, h - 1, Body}, {w, 0, None},   {0, h, None},
                    {-20, 2, button}, {-5, 17, button},     {-21, 2, None}, {-4, 17, None},
                    {-20, 1, None},   {-20, 18, None}};
        for (const auto& [dx, dy, part] : hits) {
            const auto hit = geometry.HitTest(p.left + dx, p.top + dy);
            EXPECT_EQ(hit.part, part) << i << " at " << dx << "," << dy;
            EXPECT_TRUE(part == None || hit.node == p.node) << i;
        }
        EXPECT_EQ(geometry.FirstReaching(p.Bottom()), i);
        EXPECT_EQ(geometry.FirstReaching(p.Bottom() + 1), i + 1);
        EXPECT_EQ(geometry.FindNode(p.node), i);
    }
    EXPECT_EQ(geometry.FirstReaching(-100), 0u);
    EXPECT_EQ(CTreeGeometry::ButtonRect(100, 50), (Rect{80, 52, 96, 68}));
}
