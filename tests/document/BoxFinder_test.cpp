#include "document/BoxFinder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/TreeGeometry.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

namespace {

// ftyp, moov { trak { dinf { dref { url } } }, trak { dinf { dref { url } } } }, mdat: two
// 'url ' boxes three levels deep in containers that the parse leaves collapsed.
BoxBuilder TwoTracksWithDataReferences() {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0x200).FourCC("isom").Close();
    f.Open("moov");
    for (int track = 0; track < 2; ++track) {
        f.Open("trak").Open("dinf").OpenFull("dref", 0, 0).U32(1);
        f.OpenFull("url ", 0, 1).Close();
        f.Close().Close().Close();
    }
    f.Close();
    f.Leaf("mdat", {1, 2, 3, 4});
    return f;
}

struct Harness : TestDocument {
    Harness() {
        EXPECT_EQ(control.OpenFile(TwoTracksWithDataReferences().WriteTempFile("find.mp4")), 1);
        EXPECT_TRUE(doc.IsParsed());
    }
    // Where the box view places a node as the tree is expanded now; -1 when not displayed.
    int64_t TopInTheView(size_t index) {
        CTreeGeometry geometry;
        geometry.Rebuild(doc.GetViewBoxes(), view.surface);
        const size_t placement = geometry.FindNode(index);
        return placement < geometry.GetCount() ? geometry.GetPlacement(placement).top : -1;
    }

    CBoxFinder finder;
};
}  // namespace

TEST(BoxFinder, FindsInsideCollapsedContainersAndWalksOnToTheEnd) {
    Harness h;
    const auto& nodes = h.doc.GetViewBoxes();
    // The parse leaves every container collapsed.
    const size_t moov = h.IndexOf("moov");
    ASSERT_FALSE(h.Node(moov).IsExpanded());
    const size_t urls[2] = {h.IndexOf("url "), h.IndexOf("url ", h.IndexOf("url ") + 1)};
    ASSERT_LT(urls[1], nodes.size());

    // "url" is padded to "url "; every node up to and including the match is expanded.
    auto first = h.finder.FindNext(nodes, "url", 0, h.view.surface);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->node, urls[0]);
    for (size_t i = 0; i <= urls[0]; ++i)
        EXPECT_TRUE(nodes[i]->IsExpanded()) << i;
    EXPECT_FALSE(nodes[urls[0] + 1]->IsExpanded());
    EXPECT_EQ(first->top, h.TopInTheView(urls[0]));

    // With the match scrolled to the top, the next search finds the next one, then none.
    h.finder.SetShownAt(first->top);
    auto second = h.finder.FindNext(nodes, "URL", first->top, h.view.surface);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->node, urls[1]);
    EXPECT_EQ(second->top, h.TopInTheView(urls[1]));
    h.finder.SetShownAt(second->top);
    EXPECT_FALSE(h.finder.FindNext(nodes, "url", second->top, h.view.surface));
    // A search that finds nothing leaves every node walked expanded.
    for (const auto& node : nodes)
        EXPECT_TRUE(node->IsExpanded());

    // "MOOV" finds 'moov' from the top; nothing above the scroll position counts.
    auto movie = h.finder.FindNext(nodes, "MOOV", 0, h.view.surface);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->node, moov);
    EXPECT_FALSE(h.finder.FindNext(nodes, "moov", movie->top, h.view.surface));
    // A name is only padded, never cut.
    EXPECT_FALSE(h.finder.FindNext(nodes, "trak!", 0, h.view.surface));
}

TEST(BoxFinder, WalksOnWhenTheViewCouldNotScrollTheMatchToTheTop) {
    Harness h;
    const auto& nodes = h.doc.GetViewBoxes();
    auto first = h.finder.FindNext(nodes, "url", 0, h.view.surface);
    ASSERT_TRUE(first);
    // The end of the tree stops the scroll short of the match.
    const int64_t stuck = first->top - 40;
    h.finder.SetShownAt(stuck);
    auto second = h.finder.FindNext(nodes, "url", stuck, h.view.surface);
    ASSERT_TRUE(second);
    EXPECT_GT(second->node, first->node);
    h.finder.SetShownAt(stuck);
    EXPECT_FALSE(h.finder.FindNext(nodes, "url", stuck, h.view.surface));

    // Once the last match is forgotten, the scroll position alone decides again.
    h.finder.Forget();
    auto again = h.finder.FindNext(nodes, "url", stuck, h.view.surface);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->node, first->node);
}
