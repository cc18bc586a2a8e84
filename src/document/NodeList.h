#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "document/MediaDataView.h"
#include "document/NodeBuilder.h"
#include "presentation/DrawingSurface.h"
#include "presentation/ISOViewBox.h"
#include "presentation/TextSink.h"

class CLineViewBox;
namespace ISOFileFormat {
struct Box;
}

// Every node of the displayed tree in display order, each with its depth: a node's children are
// the nodes after it with a greater depth. Boxes and our own sections are stored nodes; the
// lines under an 'mdat' node are a block of lines right after it, computed from the collector's
// tables whenever they are asked for (a file can have millions of them). The boxes that
// fragmented files repeat by the million are kept as their records and made into nodes only
// when shown or written (CNodeBuilder::CanBuildLater): a node costs far more than its record.
//
// Nodes are addressed by index. Asking about the node after the one asked last costs one step;
// any other index is found by binary search. A node's text, size and summary are the same
// whether it is stored or a line.
class CNodeList {
public:
    CNodeList();
    ~CNodeList();
    CNodeList(const CNodeList&) = delete;
    CNodeList& operator=(const CNodeList&) = delete;

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear();
    // Changes with every clear: whoever remembers an index can tell that the nodes were replaced.
    uint64_t GetGeneration() const { return m_generation; }

    // Appends a stored node and returns it.
    CISOViewBox& PushBack(std::unique_ptr<CISOViewBox> node);
    // The builder that makes the nodes of boxes kept as their records, those of lists appended
    // to this one included (any builder makes the same node of such a box). It must outlive the
    // list's nodes.
    void SetBuilder(CNodeBuilder& builder) { m_builder = &builder; }
    // Appends a box whose node the builder makes from `record` when it is asked for. The record
    // must live until KeepRecords takes it or the list is cleared.
    void PushBackLater(const ISOFileFormat::Box& record, const BoxNodePlace& place);
    // Takes the records of the boxes appended with PushBackLater since the last call, and any
    // other records, which are freed. False, with nothing taken, when a record of such a box is
    // missing: then every such box has been made into its node already, while its record lived.
    bool KeepRecords(std::vector<std::unique_ptr<ISOFileFormat::Box>> records);
    // Counts one more child of the node at `index`.
    void AddChild(size_t index);
    // Moves every node of `other` to the end of this list, in order; `other` is left empty.
    void Append(CNodeList& other);
    // Appends the lines of the node appended last (an 'mdat'); a block without lines is dropped.
    void AppendLines(std::unique_ptr<CMediaDataLines> lines);

    // The node of the box or section at `index`, made for it when it is kept as its record
    // (then valid until the next call that makes one); null for a line.
    const CISOViewBox* Stored(size_t index) const;
    // The node at `index`: the stored node, or for a line a node made for it, which stays valid
    // until the next call. For commands on one node, not for walks.
    const CISOViewBox& Node(size_t index);

    bool IsBox(size_t index) const;
    bool IsContainer(size_t index) const;
    int32_t GetDepth(size_t index) const;
    int32_t GetChildCount(size_t index) const;
    bool IsExpanded(size_t index) const;
    void SetExpanded(size_t index, bool expanded);
    uint64_t GetFileOffset(size_t index) const;
    uint64_t GetBoxSize(size_t index) const;
    std::string GetSummaryText(size_t index) const;
    // The short type name, or a line's title; valid until the next call.
    std::string_view GetTitle(size_t index) const;
    // The line at `index`, or null for a stored node; valid until the next call.
    const MediaDataLine* GetLine(size_t index) const;

    // The text form, as CISOViewBox::AppendText writes it.
    void AppendText(size_t index, CTextSink& out, bool indented) const;
    Extent GetSize(size_t index, IDrawingSurface& surface);
    int32_t GetHeight(size_t index, IDrawingSurface& surface);
    void Draw(size_t index, IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip);

    // Calls visit(index) for every displayed node (none of its ancestors collapsed), in order.
    // For a line, visit returns whether to walk on into its children; for a stored node its
    // result is not used.
    template <class Visit>
    void ForEachDisplayed(Visit visit);

    // The widest and the summed heights of the displayed nodes, as the view lays them out:
    // each node indented by its depth, a gap after each. Lines are measured once per chunk.
    void MeasureDisplayed(IDrawingSurface& surface, int64_t& width, int64_t& height);

private:
    struct Block {
        size_t first;         // index of its first line
        size_t storedBefore;  // stored nodes before it
        std::unique_ptr<CMediaDataLines> lines;
    };
    // A box kept as its record; its node is made when asked for.
    struct Later {
        const ISOFileFormat::Box* record;
        BoxNodePlace place;
        // Its size on `sizeSurface`, once measured.
        const IDrawingSurface* sizeSurface = nullptr;
        Extent size{};
    };
    // A stored node, or a box kept as its record: then `node` is null and `later` says which.
    struct Slot {
        std::unique_ptr<CISOViewBox> node;
        size_t later = 0;
    };
    // Where an index lives: a line of a block, or a stored node.
    struct Place {
        const Block* block;  // null for a stored node
        size_t position;     // the line in the block, or the stored node's index
    };
    Place Locate(size_t index) const;
    // ofLine(the line), ofNode(the stored node) or ofLater(the box kept as its record) at
    // `index`.
    template <class OfLine, class OfNode, class OfLater>
    auto Read(size_t index, OfLine ofLine, OfNode ofNode, OfLater ofLater) const;
    // The node of slot `position`: the stored one, or the one made last for it (one at a time).
    CISOViewBox& NodeOf(size_t position) const;
    Extent SizeOf(size_t position, IDrawingSurface& surface);
    // The line's node drawn or measured: the one scratch node, filled for it.
    CLineViewBox& Scratch(const CMediaDataLines& lines, const MediaDataLine& line);
    int32_t LineWidth(const CMediaDataLines& lines, const MediaDataLine& line,
                      IDrawingSurface& surface);
    int32_t LineHeight(IDrawingSurface& surface);

    std::vector<Slot> m_stored;
    std::vector<Later> m_later;
    CNodeBuilder* m_builder = nullptr;
    // Where the records not yet taken by KeepRecords start in m_later.
    size_t m_laterKept = 0;
    std::vector<std::unique_ptr<ISOFileFormat::Box>> m_records;
    // The node made last for a box kept as its record, and its slot.
    mutable std::unique_ptr<CISOViewBox> m_made;
    mutable size_t m_madePosition = SIZE_MAX;
    std::vector<Block> m_blocks;
    size_t m_size = 0;
    uint64_t m_generation = 0;
    mutable size_t m_lastBlock = 0;
    mutable std::string m_title;
    std::unique_ptr<CLineViewBox> m_scratch;
    std::unique_ptr<CLineViewBox> m_commandLine;
    std::unique_ptr<CISOViewBox> m_commandNode;
    const IDrawingSurface* m_heightSurface = nullptr;
    int32_t m_lineHeight = 0;
};

template <class Visit>
void CNodeList::ForEachDisplayed(Visit visit) {
    // After a collapsed stored node with children, every following deeper node is skipped until
    // one comes back to its depth. A block of lines is displayed or hidden as a whole: all its
    // lines are deeper than its 'mdat' and the node after it.
    constexpr int32_t kNothingHidden = std::numeric_limits<int32_t>::max();
    int32_t hiddenDepth = kNothingHidden;
    size_t index = 0;
    while (index < m_size) {
        const Place place = Locate(index);
        if (place.block) {
            const CMediaDataLines& lines = *place.block->lines;
            const size_t first = place.block->first;
            if (lines.Line(0).depth <= hiddenDepth) {
                size_t k = 0;
                while (k < lines.size()) {
                    const bool descend = visit(first + k);
                    const MediaDataLine& line = lines.Line(k);
                    k = line.childCount > 0 && (!descend || !lines.IsExpanded(k))
                            ? lines.SubtreeEnd(k)
                            : k + 1;
                }
            }
            index = first + lines.size();
            continue;
        }
        const Slot& slot = m_stored[place.position];
        const Later* later = slot.node ? nullptr : &m_later[slot.later];
        const int32_t depth = later ? later->place.depth : slot.node->GetDepth();
        ++index;
        if (depth > hiddenDepth) continue;
        if (depth == hiddenDepth) hiddenDepth = kNothingHidden;
        const bool collapsed = later ? later->place.childCount > 0 && !later->place.expanded
                                     : slot.node->GetChildCount() > 0 && !slot.node->IsExpanded();
        if (collapsed) hiddenDepth = depth;
        visit(index - 1);
    }
}
