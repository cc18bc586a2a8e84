#include "document/NodeList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "document/NodeBuilder.h"
#include "document/TreeExport.h"
#include "model/ISOBoxes.h"
#include "support/TestDocumentView.h"

namespace {

std::string TreeText(const CNodeList& nodes) {
    CTextSink sink;
    WriteTreeText(nodes, "x", true, sink);
    return sink.TakeText();
}

std::unique_ptr<ISOFileFormat::Box> Mfhd(uint32_t sequence) {
    auto box = std::make_unique<ISOFileFormat::MovieFragmentHeaderBox>(16);
    box->sequence_number = sequence;
    const uint8_t type[4] = {'m', 'f', 'h', 'd'};
    std::copy(type, type + 4, box->type);
    return box;
}

}  // namespace

// The boxes of movie fragments are kept as records and made into nodes when asked: everything
// the list says of them is what their node says, whichever way it is asked and in any order.
TEST(NodeList, BoxesKeptAsRecordsAnswerAsTheirNodes) {
    for (const bool autoExpand : {false, true}) {
        SCOPED_TRACE(autoExpand);
        TestDocument t;
        SetSwitchSetting(t.settings, SwitchAutoExpand, autoExpand);
        ASSERT_EQ(t.control.OpenFile(std::string(ORVEX_TEST_DATA_DIR) + "/fragmented.mp4"), 1);
        CNodeList& nodes = t.doc.GetNodes();
        size_t later = 0;
        for (size_t i = 0; i < nodes.size(); ++i) {
            if (nodes.GetLine(i)) continue;
            const std::string title(nodes.GetTitle(i));
            const CISOViewBox& node = *nodes.Stored(i);
            const std::string text = node.GetText(true);
            // A search reads titles without making nodes.
            if (const CISOViewBoxLayer* shortName = node.GetShortTypeNameLayer()) {
                EXPECT_EQ(title, shortName->Text());
            }
            // A walk after it leaves a command's node alone.
            const CISOViewBox& command = nodes.Node(i);
            const auto check = [&](const CISOViewBox* n) {
                EXPECT_EQ(nodes.GetDepth(i), n->GetDepth()) << title;
                EXPECT_EQ(nodes.GetChildCount(i), n->GetChildCount()) << title;
                EXPECT_EQ(nodes.IsExpanded(i), n->IsExpanded()) << title;
                EXPECT_EQ(nodes.IsContainer(i), n->IsContainer()) << title;
                EXPECT_EQ(nodes.IsBox(i), n->IsBox()) << title;
                EXPECT_EQ(nodes.GetFileOffset(i), n->GetFileOffset()) << title;
                EXPECT_EQ(nodes.GetBoxSize(i), n->GetBoxSize()) << title;
            };
            check(&node);
            (void)nodes.GetTitle(i + 1 < nodes.size() ? i + 1 : 0);
            check(&command);
            EXPECT_EQ(command.GetText(true), text);
            later += CNodeBuilder::CanBuildLater(FindBoxId(title)) ? 1 : 0;
        }
        EXPECT_GT(later, 10u);
    }
}

// Expanding and collapsing a box kept as its record shows and hides its children as for any
// node, and the node made for it afterwards says so.
TEST(NodeList, ExpandingABoxKeptAsItsRecord) {
    TestDocument t;
    ASSERT_EQ(t.control.OpenFile(std::string(ORVEX_TEST_DATA_DIR) + "/fragmented.mp4"), 1);
    CNodeList& nodes = t.doc.GetNodes();
    const size_t moof = t.IndexOf("moof");
    ASSERT_LT(moof, nodes.size());
    ASSERT_GT(nodes.GetChildCount(moof), 0);
    const auto displayed = [&] {
        size_t count = 0;
        nodes.ForEachDisplayed([&](size_t) {
            ++count;
            return true;
        });
        return count;
    };
    const size_t collapsed = displayed();
    const int32_t height = (t.doc.ComputeExtent(), t.doc.GetExtentHeight());
    t.doc.GetNodes().SetExpanded(moof, true);
    EXPECT_TRUE(nodes.Node(moof).IsExpanded());
    EXPECT_EQ(displayed(), collapsed + static_cast<size_t>(nodes.GetChildCount(moof)));
    t.doc.ComputeExtent();
    EXPECT_GT(t.doc.GetExtentHeight(), height);
    nodes.SetExpanded(moof, false);
    EXPECT_FALSE(nodes.Stored(moof)->IsExpanded());
    EXPECT_EQ(displayed(), collapsed);
}

// A box whose record is held by another record, here one that precedes the records found:
// every waiting box becomes its node at once, while all records still live, and the text stays.
TEST(NodeList, KeepRecordsFallsBackToNodesWhenARecordIsHeldElsewhere) {
    struct Holder : ISOFileFormat::Box {
        Holder() : Box(-1, 8) {}
        std::unique_ptr<ISOFileFormat::Box> held;
    };
    CNodeBuilder builder;
    for (const bool complete : {true, false}) {
        SCOPED_TRACE(complete);
        CNodeList nodes;
        nodes.SetBuilder(builder);
        std::vector<std::unique_ptr<ISOFileFormat::Box>> records;
        auto holder = std::make_unique<Holder>();
        std::unique_ptr<ISOFileFormat::Box> first = Mfhd(7);
        std::unique_ptr<ISOFileFormat::Box> second = Mfhd(8);
        nodes.PushBackLater(*first, BoxNodePlace{0, 0, 8, false, true, BoxSet::Full});
        nodes.PushBackLater(*second, BoxNodePlace{16, 0, 8, false, true, BoxSet::Full});
        if (complete) {
            records.push_back(std::move(first));
        } else {
            holder->held = std::move(second);
        }
        records.push_back(std::move(holder));
        records.push_back(complete ? std::move(second) : std::move(first));
        const std::string before = TreeText(nodes);
        EXPECT_NE(before.find("sequence_number : 8 (0x8)"), std::string::npos);
        EXPECT_EQ(nodes.KeepRecords(std::move(records)), complete);
        EXPECT_EQ(TreeText(nodes), before);
    }
}
