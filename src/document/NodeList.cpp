#include "document/NodeList.h"

#include <algorithm>
#include <stdexcept>

#include "document/DocumentView.h"
#include "document/LineViewBox.h"
#include "model/Box.h"
#include "presentation/ViewPalette.h"

CNodeList::CNodeList() : m_scratch(std::make_unique<CLineViewBox>(0, 0, 0)) {}

CNodeList::~CNodeList() = default;

void CNodeList::clear() {
    // Lines first: they read the tables of a collector that may go next.
    m_blocks.clear();
    m_stored.clear();
    m_made.reset();
    m_madePosition = SIZE_MAX;
    m_later.clear();
    m_laterKept = 0;
    m_records.clear();
    m_commandLine.reset();
    m_commandNode.reset();
    m_size = 0;
    m_lastBlock = 0;
    ++m_generation;
}

CISOViewBox& CNodeList::PushBack(std::unique_ptr<CISOViewBox> node) {
    CISOViewBox& stored = *node;
    m_stored.push_back(Slot{std::move(node)});
    ++m_size;
    return stored;
}

void CNodeList::PushBackLater(const ISOFileFormat::Box& record, const BoxNodePlace& place) {
    if (m_builder == nullptr) throw std::logic_error("a node list without a builder");
    m_stored.push_back(Slot{nullptr, m_later.size()});
    m_later.push_back(Later{&record, place});
    ++m_size;
}

bool CNodeList::KeepRecords(std::vector<std::unique_ptr<ISOFileFormat::Box>> records) {
    // The records are in the order of their boxes, as the boxes kept as records are: one merge
    // finds them all. Nothing is freed before every one is found: a record missing from the
    // list may be owned by another record in it.
    const auto merge = [&](auto found) {
        size_t next = m_laterKept;
        for (std::unique_ptr<ISOFileFormat::Box>& record : records) {
            if (next < m_later.size() && record.get() == m_later[next].record) {
                ++next;
                found(record);
            }
        }
        return next;
    };
    if (merge([](std::unique_ptr<ISOFileFormat::Box>&) {}) != m_later.size()) {
        // Held by the record of its parent box, or out of order: each such box gets its node
        // now, while every record lives.
        for (Slot& slot : m_stored) {
            if (slot.node || slot.later < m_laterKept) continue;
            const Later& later = m_later[slot.later];
            slot.node = m_builder->Build(*later.record, later.place);
        }
        m_laterKept = m_later.size();
        m_made.reset();
        m_madePosition = SIZE_MAX;
        return false;
    }
    merge([&](std::unique_ptr<ISOFileFormat::Box>& record) {
        m_records.push_back(std::move(record));
    });
    m_laterKept = m_later.size();
    return true;
}

void CNodeList::AddChild(size_t index) {
    const Place place = Locate(index);
    if (place.block) return;
    Slot& slot = m_stored[place.position];
    if (slot.node) {
        slot.node->IncrementChildCount();
        return;
    }
    ++m_later[slot.later].place.childCount;
    if (m_madePosition == place.position) m_made->IncrementChildCount();
}

void CNodeList::Append(CNodeList& other) {
    for (Block& block : other.m_blocks) {
        block.first += m_size;
        block.storedBefore += m_stored.size();
        m_blocks.push_back(std::move(block));
    }
    m_size += other.m_size;
    const size_t laterBefore = m_later.size();
    for (Slot& slot : other.m_stored) {
        if (!slot.node) slot.later += laterBefore;
        m_stored.push_back(std::move(slot));
    }
    for (const Later& later : other.m_later)
        m_later.push_back(later);
    // Records still to be taken by KeepRecords stay in order only behind kept ones.
    if (m_laterKept == laterBefore) m_laterKept += other.m_laterKept;
    for (std::unique_ptr<ISOFileFormat::Box>& record : other.m_records)
        m_records.push_back(std::move(record));
    other.clear();
}

void CNodeList::AppendLines(std::unique_ptr<CMediaDataLines> lines) {
    if (!lines || lines->size() == 0) return;
    const size_t count = lines->size();
    m_blocks.push_back(Block{m_size, m_stored.size(), std::move(lines)});
    m_size += count;
}

CNodeList::Place CNodeList::Locate(size_t index) const {
    if (m_blocks.empty()) return Place{nullptr, index};
    // Walks stay in or next to one block: try the one found last before searching.
    const Block* block = &m_blocks[std::min(m_lastBlock, m_blocks.size() - 1)];
    const bool inOrAfter = index >= block->first;
    const bool beforeNext = &m_blocks.back() == block || index < m_blocks[m_lastBlock + 1].first;
    if (!inOrAfter || !beforeNext) {
        const auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), index,
                                            [](size_t i, const Block& b) { return i < b.first; });
        if (after == m_blocks.begin()) return Place{nullptr, index};
        block = &*(after - 1);
        m_lastBlock = static_cast<size_t>(block - m_blocks.data());
    }
    const size_t end = block->first + block->lines->size();
    if (index < end) return Place{block, index - block->first};
    return Place{nullptr, block->storedBefore + (index - end)};
}

CISOViewBox& CNodeList::NodeOf(size_t position) const {
    const Slot& slot = m_stored[position];
    if (slot.node) return *slot.node;
    if (m_madePosition != position) {
        const Later& later = m_later[slot.later];
        m_made.reset();
        m_madePosition = SIZE_MAX;
        m_made = m_builder->Build(*later.record, later.place);
        m_madePosition = position;
    }
    return *m_made;
}

const CISOViewBox* CNodeList::Stored(size_t index) const {
    const Place place = Locate(index);
    return place.block ? nullptr : &NodeOf(place.position);
}

const MediaDataLine* CNodeList::GetLine(size_t index) const {
    const Place place = Locate(index);
    return place.block ? &place.block->lines->Line(place.position) : nullptr;
}

const CISOViewBox& CNodeList::Node(size_t index) {
    const Place place = Locate(index);
    if (!place.block) {
        const Slot& slot = m_stored[place.position];
        if (slot.node) return *slot.node;
        // Its own copy, so that walks in between leave it alone.
        const Later& later = m_later[slot.later];
        m_commandNode = m_builder->Build(*later.record, later.place);
        return *m_commandNode;
    }
    const CMediaDataLines& lines = *place.block->lines;
    const MediaDataLine& line = lines.Line(place.position);
    m_commandLine = std::make_unique<CLineViewBox>(line.depth, line.fileOffset, line.size);
    m_title.clear();
    lines.WriteTitle(line, m_title);
    m_commandLine->SetTitle(m_title);
    m_commandLine->SetTitleColours(kViewPalette.lineText, CMediaDataLines::BackColour(line));
    m_commandLine->SetSummaryText(std::string(CMediaDataLines::SummaryText(line)));
    m_commandLine->SetExpanded(lines.IsExpanded(place.position));
    return *m_commandLine;
}

template <class OfLine, class OfNode, class OfLater>
auto CNodeList::Read(size_t index, OfLine ofLine, OfNode ofNode, OfLater ofLater) const {
    const Place place = Locate(index);
    if (place.block) return ofLine(place.block->lines->Line(place.position));
    const Slot& slot = m_stored[place.position];
    return slot.node ? ofNode(*slot.node) : ofLater(m_later[slot.later]);
}

bool CNodeList::IsBox(size_t index) const {
    return Read(
        index, [](const MediaDataLine&) { return false; },
        [](const CISOViewBox& n) { return n.IsBox(); }, [](const Later&) { return true; });
}

bool CNodeList::IsContainer(size_t index) const {
    return Read(
        index, [](const MediaDataLine&) { return false; },
        [](const CISOViewBox& n) { return n.IsContainer(); },
        [](const Later& l) { return l.place.container; });
}

int32_t CNodeList::GetDepth(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.depth; },
        [](const CISOViewBox& n) { return n.GetDepth(); },
        [](const Later& l) { return l.place.depth; });
}

int32_t CNodeList::GetChildCount(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.childCount; },
        [](const CISOViewBox& n) { return n.GetChildCount(); },
        [](const Later& l) { return l.place.childCount; });
}

bool CNodeList::IsExpanded(size_t index) const {
    const Place place = Locate(index);
    if (place.block) return place.block->lines->IsExpanded(place.position);
    const Slot& slot = m_stored[place.position];
    return slot.node ? slot.node->IsExpanded() : m_later[slot.later].place.expanded;
}

void CNodeList::SetExpanded(size_t index, bool expanded) {
    const Place place = Locate(index);
    if (place.block) {
        place.block->lines->SetExpanded(place.position, expanded);
        return;
    }
    Slot& slot = m_stored[place.position];
    if (slot.node) {
        slot.node->SetExpanded(expanded);
        return;
    }
    m_later[slot.later].place.expanded = expanded;
    if (m_madePosition == place.position) m_made->SetExpanded(expanded);
}

uint64_t CNodeList::GetFileOffset(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.fileOffset; },
        [](const CISOViewBox& n) { return n.GetFileOffset(); },
        [](const Later& l) { return l.place.fileOffset; });
}

uint64_t CNodeList::GetBoxSize(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.size; },
        [](const CISOViewBox& n) { return n.GetBoxSize(); },
        [](const Later& l) { return l.record->size; });
}

std::string CNodeList::GetSummaryText(size_t index) const {
    const Place place = Locate(index);
    if (place.block)
        return std::string(CMediaDataLines::SummaryText(place.block->lines->Line(place.position)));
    return NodeOf(place.position).GetSummaryText();
}

std::string_view CNodeList::GetTitle(size_t index) const {
    const Place place = Locate(index);
    if (!place.block) {
        const Slot& slot = m_stored[place.position];
        if (!slot.node) {
            // A search reads every title: a box kept as its record is not made for it.
            m_title = CISOViewBox::ShortTypeName(*m_later[slot.later].record);
            return m_title;
        }
        const CISOViewBoxLayer* title = slot.node->GetShortTypeNameLayer();
        return title ? title->Text() : std::string_view();
    }
    const CMediaDataLines& lines = *place.block->lines;
    m_title.clear();
    lines.WriteTitle(lines.Line(place.position), m_title);
    return m_title;
}

void CNodeList::AppendText(size_t index, CTextSink& out, bool indented) const {
    const Place place = Locate(index);
    if (!place.block) {
        NodeOf(place.position).AppendText(out, indented);
        return;
    }
    // As the node of a line writes its one layer, straight into the sink.
    const CMediaDataLines& lines = *place.block->lines;
    const MediaDataLine& line = lines.Line(place.position);
    out.Append('\n');
    out.AppendTabs(indented ? line.depth : 0);
    out.Append("| + ");
    lines.WriteTitle(line, out.Buffer());
    out.LineDone();
}

CLineViewBox& CNodeList::Scratch(const CMediaDataLines& lines, const MediaDataLine& line) {
    m_title.clear();
    lines.WriteTitle(line, m_title);
    m_scratch->SetTitle(m_title);
    m_scratch->SetTitleColours(kViewPalette.lineText, CMediaDataLines::BackColour(line));
    return *m_scratch;
}

int32_t CNodeList::LineWidth(const CMediaDataLines& lines, const MediaDataLine& line,
                             IDrawingSurface& surface) {
    return Scratch(lines, line).GetSize(surface).width;
}

int32_t CNodeList::LineHeight(IDrawingSurface& surface) {
    // Every line is one line of text in the same font: measured once per surface.
    if (m_heightSurface != &surface) {
        m_lineHeight = m_scratch->GetSize(surface).height;
        m_heightSurface = &surface;
    }
    return m_lineHeight;
}

Extent CNodeList::SizeOf(size_t position, IDrawingSurface& surface) {
    Slot& slot = m_stored[position];
    if (slot.node) return slot.node->GetSize(surface);
    // Measured once per surface: a node kept as its record is made again for every measure.
    Later& later = m_later[slot.later];
    if (later.sizeSurface != &surface) {
        later.size = NodeOf(position).GetSize(surface);
        later.sizeSurface = &surface;
    }
    return later.size;
}

Extent CNodeList::GetSize(size_t index, IDrawingSurface& surface) {
    const Place place = Locate(index);
    if (!place.block) return SizeOf(place.position, surface);
    const CMediaDataLines& lines = *place.block->lines;
    return Extent{LineWidth(lines, lines.Line(place.position), surface), LineHeight(surface)};
}

int32_t CNodeList::GetHeight(size_t index, IDrawingSurface& surface) {
    const Place place = Locate(index);
    if (!place.block) return SizeOf(place.position, surface).height;
    return LineHeight(surface);
}

void CNodeList::Draw(size_t index, IDrawingSurface& surface, int32_t x, int32_t y,
                     const Rect& clip) {
    const Place place = Locate(index);
    if (!place.block) {
        NodeOf(place.position).Draw(surface, x, y, clip);
        return;
    }
    const CMediaDataLines& lines = *place.block->lines;
    Scratch(lines, lines.Line(place.position)).Draw(surface, x, y, clip);
}

void CNodeList::MeasureDisplayed(IDrawingSurface& surface, int64_t& width, int64_t& height) {
    // Summed in 64 bits: a crafted file can describe more pixels than 32 bits hold.
    width = 0;
    height = 0;
    auto add = [&](int32_t depth, int32_t nodeWidth, int64_t nodeHeight, int64_t count) {
        width = std::max<int64_t>(width, int64_t{depth} * ViewLayout::kIndentPerDepth +
                                             ViewLayout::kLeftOffset + nodeWidth);
        height += count * (ViewLayout::kVerticalGap + nodeHeight);
    };
    ForEachDisplayed([&](size_t index) {
        const Place place = Locate(index);
        if (!place.block) {
            const Extent size = SizeOf(place.position, surface);
            add(GetDepth(index), size.width, size.height, 1);
            return true;
        }
        const CMediaDataLines& lines = *place.block->lines;
        const size_t k = place.position;
        const MediaDataLine line = lines.Line(k);
        const int32_t lineHeight = LineHeight(surface);
        add(line.depth, LineWidth(lines, line, surface), lineHeight, 1);
        // The lines under an open chunk are all as high as one line: their widest, measured
        // once, stands for them all.
        if (line.kind != MediaDataLine::Kind::Chunk || line.childCount == 0 || !lines.IsExpanded(k))
            return true;
        const int32_t widest = lines.WidestChild(
            k, [&](const MediaDataLine& child) { return LineWidth(lines, child, surface); });
        const size_t children = lines.SubtreeEnd(k) - k - 1;
        add(line.depth + 1, widest, lineHeight, static_cast<int64_t>(children));
        return false;
    });
}
