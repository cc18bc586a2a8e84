#include "document/NodeList.h"

#include <algorithm>

#include "document/DocumentView.h"
#include "document/LineViewBox.h"
#include "presentation/ViewPalette.h"

CNodeList::CNodeList() : m_scratch(std::make_unique<CLineViewBox>(0, 0, 0)) {}

CNodeList::~CNodeList() = default;

void CNodeList::clear() {
    // Lines first: they read the tables of a collector that may go next.
    m_blocks.clear();
    m_stored.clear();
    m_commandLine.reset();
    m_size = 0;
    m_lastBlock = 0;
    ++m_generation;
}

CISOViewBox& CNodeList::PushBack(std::unique_ptr<CISOViewBox> node) {
    CISOViewBox& stored = *node;
    m_stored.push_back(std::move(node));
    ++m_size;
    return stored;
}

void CNodeList::Append(CNodeList& other) {
    for (Block& block : other.m_blocks) {
        block.first += m_size;
        block.storedBefore += m_stored.size();
        m_blocks.push_back(std::move(block));
    }
    m_size += other.m_size;
    for (std::unique_ptr<CISOViewBox>& node : other.m_stored)
        m_stored.push_back(std::move(node));
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

CISOViewBox* CNodeList::Stored(size_t index) const {
    const Place place = Locate(index);
    return place.block ? nullptr : m_stored[place.position].get();
}

const MediaDataLine* CNodeList::GetLine(size_t index) const {
    const Place place = Locate(index);
    return place.block ? &place.block->lines->Line(place.position) : nullptr;
}

const CISOViewBox& CNodeList::Node(size_t index) {
    const Place place = Locate(index);
    if (!place.block) return *m_stored[place.position];
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

bool CNodeList::IsBox(size_t index) const {
    const CISOViewBox* node = Stored(index);
    return node && node->IsBox();
}

bool CNodeList::IsContainer(size_t index) const {
    const CISOViewBox* node = Stored(index);
    return node && node->IsContainer();
}

template <class OfLine, class OfNode>
auto CNodeList::Read(size_t index, OfLine ofLine, OfNode ofNode) const {
    const Place place = Locate(index);
    return place.block ? ofLine(place.block->lines->Line(place.position))
                       : ofNode(*m_stored[place.position]);
}

int32_t CNodeList::GetDepth(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.depth; },
        [](const CISOViewBox& n) { return n.GetDepth(); });
}

int32_t CNodeList::GetChildCount(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.childCount; },
        [](const CISOViewBox& n) { return n.GetChildCount(); });
}

bool CNodeList::IsExpanded(size_t index) const {
    const Place place = Locate(index);
    return place.block ? place.block->lines->IsExpanded(place.position)
                       : m_stored[place.position]->IsExpanded();
}

void CNodeList::SetExpanded(size_t index, bool expanded) {
    const Place place = Locate(index);
    if (place.block)
        place.block->lines->SetExpanded(place.position, expanded);
    else
        m_stored[place.position]->SetExpanded(expanded);
}

uint64_t CNodeList::GetFileOffset(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.fileOffset; },
        [](const CISOViewBox& n) { return n.GetFileOffset(); });
}

uint64_t CNodeList::GetBoxSize(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return l.size; },
        [](const CISOViewBox& n) { return n.GetBoxSize(); });
}

std::string CNodeList::GetSummaryText(size_t index) const {
    return Read(
        index, [](const MediaDataLine& l) { return std::string(CMediaDataLines::SummaryText(l)); },
        [](const CISOViewBox& n) { return n.GetSummaryText(); });
}

std::string_view CNodeList::GetTitle(size_t index) const {
    const Place place = Locate(index);
    if (!place.block) {
        const CISOViewBoxLayer* title = m_stored[place.position]->GetShortTypeNameLayer();
        return title ? std::string_view(title->Text()) : std::string_view();
    }
    const CMediaDataLines& lines = *place.block->lines;
    m_title.clear();
    lines.WriteTitle(lines.Line(place.position), m_title);
    return m_title;
}

void CNodeList::AppendText(size_t index, CTextSink& out, bool indented) const {
    const Place place = Locate(index);
    if (!place.block) {
        m_stored[place.position]->AppendText(out, indented);
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

Extent CNodeList::GetSize(size_t index, IDrawingSurface& surface) {
    const Place place = Locate(index);
    if (!place.block) return m_stored[place.position]->GetSize(surface);
    const CMediaDataLines& lines = *place.block->lines;
    return Extent{LineWidth(lines, lines.Line(place.position), surface), LineHeight(surface)};
}

int32_t CNodeList::GetHeight(size_t index, IDrawingSurface& surface) {
    const Place place = Locate(index);
    if (!place.block) return m_stored[place.position]->GetSize(surface).height;
    return LineHeight(surface);
}

void CNodeList::Draw(size_t index, IDrawingSurface& surface, int32_t x, int32_t y,
                     const Rect& clip) {
    const Place place = Locate(index);
    if (!place.block) {
        m_stored[place.position]->Draw(surface, x, y, clip);
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
            const Extent size = m_stored[place.position]->GetSize(surface);
            add(m_stored[place.position]->GetDepth(), size.width, size.height, 1);
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
