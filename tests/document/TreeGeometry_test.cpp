#include "document/TreeGeometry.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "presentation/FixedMetricSurface.h"
#include "presentation/ISOViewBoxLayer.h"

namespace {

using NodeList = CTreeGeometry::NodeList;
using HitPart = CTreeGeometry::HitPart;

// On the fixed-metric surface a one-layer node is 6 pixels per character plus 12 wide and
// 13 + 12 = 25 tall.
constexpr int32_t kNodeHeight = 25;

// Builds a tree from depths in display order, counting children as the document does.
class TreeBuilder {
public:
    TreeBuilder& Add(int32_t depth, const std::string& text = "node", bool expanded = true) {
        auto node = std::make_unique<CISOViewBox>(nullptr, depth, m_nodes.size() * 100);
        auto layer = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
        layer->SetText(text);
        node->AddLayer(std::move(layer));
        node->SetExpanded(expanded);
        m_lastAtDepth.resize(static_cast<size_t>(depth));
        if (depth > 0) m_lastAtDepth.back()->IncrementChildCount();
        m_lastAtDepth.push_back(node.get());
        m_nodes.push_back(std::move(node));
        return *this;
    }
    NodeList& Nodes() { return m_nodes; }

private:
    NodeList m_nodes;
    std::vector<CISOViewBox*> m_lastAtDepth;
};

std::vector<size_t> DisplayedNodes(const CTreeGeometry& geometry) {
    std::vector<size_t> shown;
    for (size_t i = 0; i < geometry.GetCount(); ++i)
        shown.push_back(geometry.GetPlacement(i).node);
    return shown;
}

}  // namespace

TEST(TreeGeometry, StacksDisplayedNodesAndIndentsByDepth) {
    CFixedMetricSurface surface;
    TreeBuilder tree;
    tree.Add(0, "ftyp").Add(0, "moov").Add(1, "mvhd").Add(1, "trak").Add(2, "tkhd").Add(0, "mdat");
    CTreeGeometry geometry;
    geometry.Rebuild(tree.Nodes(), surface);

    ASSERT_EQ(geometry.GetCount(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        const auto p = geometry.GetPlacement(i);
        EXPECT_EQ(p.node, i);
        EXPECT_EQ(p.top, 5 + static_cast<int64_t>(i) * (kNodeHeight + 10));
        EXPECT_EQ(p.left, 93 + 60 * tree.Nodes()[i]->GetDepth());
        EXPECT_EQ(p.width, 4 * 6 + 12);
        EXPECT_EQ(p.height, kNodeHeight);
    }
}

TEST(TreeGeometry, CollapsedNodesHideTheirSubtreeOnly) {
    CFixedMetricSurface surface;
    TreeBuilder tree;
    // 0 moov (collapsed) { 1 trak { 2 tkhd } 1 mvhd } 2: 0 free
    // 3 moof { 4 traf (collapsed) { 5 tfhd } 6 trun }, 7 mdat
    tree.Add(0, "moov", false).Add(1, "trak").Add(2, "tkhd").Add(1, "mvhd").Add(0, "free");
    tree.Add(0, "moof").Add(1, "traf", false).Add(2, "tfhd").Add(1, "trun").Add(0, "mdat");
    CTreeGeometry geometry;
    geometry.Rebuild(tree.Nodes(), surface);
    EXPECT_EQ(DisplayedNodes(geometry), (std::vector<size_t>{0, 4, 5, 6, 8, 9}));
    EXPECT_EQ(geometry.FindNode(8), 4u);
    EXPECT_EQ(geometry.FindNode(7), geometry.GetCount());

    // A collapsed node without children hides nothing.
    tree.Nodes()[0]->SetExpanded(true);
    tree.Nodes()[2]->SetExpanded(false);
    geometry.Rebuild(tree.Nodes(), surface);
    EXPECT_EQ(DisplayedNodes(geometry), (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6, 8, 9}));
}

TEST(TreeGeometry, HitTestFindsBodiesAndExpandButtons) {
    CFixedMetricSurface surface;
    TreeBuilder tree;
    tree.Add(0, "moov").Add(1, "mvhd").Add(0, "mdat");
    CTreeGeometry geometry;
    geometry.Rebuild(tree.Nodes(), surface);

    // Body corners: left and top inclusive, right and bottom exclusive.
    auto hit = geometry.HitTest(93, 5);
    EXPECT_EQ(hit.part, HitPart::Body);
    EXPECT_EQ(hit.node, 0u);
    EXPECT_EQ(geometry.HitTest(93 + 35, 5 + 24).part, HitPart::Body);
    EXPECT_EQ(geometry.HitTest(93 + 36, 5).part, HitPart::None);
    EXPECT_EQ(geometry.HitTest(93, 5 + 25).part, HitPart::None);  // in the gap

    // moov has a child: its button is the square 20 pixels left of it and 2 below its top.
    hit = geometry.HitTest(73, 7);
    EXPECT_EQ(hit.part, HitPart::Button);
    EXPECT_EQ(hit.node, 0u);
    EXPECT_EQ(geometry.HitTest(88, 22).part, HitPart::Button);
    EXPECT_EQ(geometry.HitTest(89, 22).part, HitPart::None);
    EXPECT_EQ(geometry.HitTest(73, 6).part, HitPart::None);
    EXPECT_EQ(geometry.HitTest(73, 23).part, HitPart::None);

    // mvhd (depth 1) is a body at 153; it has no children, so no button.
    hit = geometry.HitTest(153, 40);
    EXPECT_EQ(hit.part, HitPart::Body);
    EXPECT_EQ(hit.node, 1u);
    EXPECT_EQ(geometry.HitTest(140, 45).part, HitPart::None);
    // mdat has no children either.
    EXPECT_EQ(geometry.HitTest(80, 80).part, HitPart::None);
    EXPECT_EQ(geometry.HitTest(93, 75).node, 2u);

    EXPECT_EQ(CTreeGeometry::ButtonRect(100, 50), (Rect{80, 52, 96, 68}));
}

TEST(TreeGeometry, SearchesAgreeWithAWalkDeepInALargeTree) {
    CFixedMetricSurface surface;
    TreeBuilder tree;
    // Containers of ten children, some of them collapsed, with texts of varying width.
    for (int c = 0; c < 5000; ++c) {
        tree.Add(0, "container", c % 7 != 3);
        for (int k = 0; k < 10; ++k)
            tree.Add(1, std::string(1 + (c + k) % 9, 'x'));
    }
    CTreeGeometry geometry;
    geometry.Rebuild(tree.Nodes(), surface);
    const NodeList& nodes = tree.Nodes();
    ASSERT_GT(geometry.GetCount(), 40000u);

    // A plain walk from the top, as the box view once did it.
    auto walk = [&](int64_t x, int64_t y) {
        for (size_t i = 0; i < geometry.GetCount(); ++i) {
            const auto p = geometry.GetPlacement(i);
            if (x >= p.left && x < p.left + p.width && y >= p.top && y < p.Bottom())
                return std::make_pair(HitPart::Body, p.node);
            const Rect b = CTreeGeometry::ButtonRect(static_cast<int32_t>(p.left),
                                                     static_cast<int32_t>(p.top));
            if (nodes[p.node]->GetChildCount() > 0 && x >= b.left && x < b.right && y >= b.top &&
                y < b.bottom)
                return std::make_pair(HitPart::Button, p.node);
        }
        return std::make_pair(HitPart::None, size_t{0});
    };
    const auto last = geometry.GetPlacement(geometry.GetCount() - 1);
    for (int64_t y : {int64_t{0}, int64_t{5}, int64_t{29}, int64_t{31}, last.top - 36, last.top - 9,
                      last.top, last.Bottom() - 1, last.Bottom(), last.Bottom() + 100, last.top / 2,
                      last.top / 2 + 13, last.top / 3 + 7}) {
        for (int64_t x : {int64_t{75}, int64_t{95}, int64_t{135}, int64_t{155}, int64_t{160}}) {
            const auto hit = geometry.HitTest(x, y);
            const auto expected = walk(x, y);
            EXPECT_EQ(hit.part, expected.first) << "at " << x << "," << y;
            if (hit.part != HitPart::None) {
                EXPECT_EQ(hit.node, expected.second);
            }
        }
    }

    for (int64_t y : {int64_t{-100}, int64_t{0}, last.top / 2, last.Bottom(), last.Bottom() + 1}) {
        const size_t first = geometry.FirstReaching(y);
        if (first < geometry.GetCount()) {
            EXPECT_GE(geometry.GetPlacement(first).Bottom(), y);
        }
        if (first > 0) {
            EXPECT_LT(geometry.GetPlacement(first - 1).Bottom(), y);
        }
    }
    EXPECT_EQ(geometry.FirstReaching(last.Bottom() + 1), geometry.GetCount());
}
