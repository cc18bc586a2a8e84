#include "document/BoxFinder.h"

#include <gtest/gtest.h>

#include <string>

#include "document/TreeGeometry.h"
#include "support/BoxBuilder.h"
#include "support/TestDocumentView.h"

// Two 'url ' boxes three levels deep in containers that the parse leaves collapsed.
TEST(BoxFinder, FindsInsideCollapsedContainersAndWalksOnToTheEnd) {
    BoxBuilder f;
    f.Open("ftyp").FourCC("isom").U32(0x200).FourCC("isom").Close().Open("moov");
    for (int track = 0; track < 2; ++track) {
        f.Open("trak").Open("dinf").OpenFull("dref", 0, 0).U32(1).OpenFull("url ", 0, 1).Close();
        f.Close().Close().Close();
    }
    f.Close().Leaf("mdat", {1, 2, 3, 4});
    TestDocument t;
    ASSERT_EQ(t.control.OpenFile(f.WriteTempFile("find.mp4")), 1);
    CNodeList& nodes = t.doc.GetNodes();
    const size_t moov = t.IndexOf("moov"), url = t.IndexOf("url "),
                 url2 = t.IndexOf("url ", url + 1);
    ASSERT_FALSE(t.Node(moov).IsExpanded());
    ASSERT_LT(url2, nodes.size());
    CBoxFinder finder;
    const auto find = [&](const char* name, int64_t from) {
        return finder.FindNext(nodes, name, from, t.view.surface);
    };

    // "url" is padded to "url "; every node up to and including the match is expanded, and the
    // match is placed where the box view shows it.
    auto first = find("url", 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->node, url);
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_EQ(nodes.IsExpanded(i), i <= url) << i;
    CTreeGeometry geometry;
    geometry.Rebuild(nodes, t.view.surface);
    EXPECT_EQ(first->top, geometry.GetPlacement(geometry.FindNode(url)).top);

    // The end of the tree may stop the scroll short of the match: the next search still walks
    // on, then finds nothing, leaving every node walked expanded.
    const int64_t stuck = first->top - 40;
    finder.SetShownAt(stuck);
    auto second = find("url", stuck);
    ASSERT_TRUE(second);
    EXPECT_EQ(second->node, url2);
    finder.SetShownAt(stuck);
    EXPECT_FALSE(find("url", stuck));
    for (size_t i = 0; i < nodes.size(); ++i)
        EXPECT_TRUE(nodes.IsExpanded(i));
    // Once the last match is forgotten, the scroll position alone decides again.
    finder.Forget();
    auto again = find("url", stuck);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->node, url);

    // "MOOV" (case aside) finds 'moov' from the top; nothing above the scroll position counts; a
    // name is only padded, never cut.
    finder.Forget();
    auto movie = find("MOOV", 0);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->node, moov);
    EXPECT_FALSE(find("moov", movie->top));
    EXPECT_FALSE(find("trak!", 0));
}
