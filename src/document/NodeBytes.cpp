#include "document/NodeBytes.h"

#include <algorithm>
#include <limits>

namespace {

// The end of [offset, offset + size), kept inside 64 bits for sizes that a damaged file claims.
uint64_t EndOf(uint64_t offset, uint64_t size) {
    return size > std::numeric_limits<uint64_t>::max() - offset
               ? std::numeric_limits<uint64_t>::max()
               : offset + size;
}

}  // namespace

void CNodeBytes::Select(CNodeList& nodes, size_t index) {
    Clear();
    if (index >= nodes.size()) return;
    m_begin = nodes.GetFileOffset(index);
    m_end = EndOf(m_begin, nodes.GetBoxSize(index));
    if (m_end == m_begin) return;
    const CISOViewBox* stored = nodes.Stored(index);
    const uint64_t header = stored != nullptr && stored->IsBox() ? stored->GetHeaderSize() : 0;
    m_headerEnd = std::min(EndOf(m_begin, header), m_end);

    const int32_t depth = nodes.GetDepth(index);
    for (size_t i = index + 1; i < nodes.size(); ++i) {
        const int32_t childDepth = nodes.GetDepth(i);
        if (childDepth <= depth) break;
        if (childDepth != depth + 1) continue;
        const uint64_t begin = nodes.GetFileOffset(i);
        const uint64_t end = EndOf(begin, nodes.GetBoxSize(i));
        if (end > begin) m_children.push_back(Span{begin, end});
    }
    std::stable_sort(m_children.begin(), m_children.end(),
                     [](const Span& a, const Span& b) { return a.begin < b.begin; });
}

void CNodeBytes::Clear() {
    m_begin = m_end = m_headerEnd = 0;
    m_children.clear();
}

BytePart CNodeBytes::PartAt(uint64_t offset) const {
    if (offset < m_begin || offset >= m_end) return BytePart::Outside;
    if (offset < m_headerEnd) return BytePart::Header;
    const auto after = std::upper_bound(m_children.begin(), m_children.end(), offset,
                                        [](uint64_t at, const Span& s) { return at < s.begin; });
    if (after == m_children.begin()) return BytePart::Payload;
    const auto child = after - 1;
    if (offset >= child->end) return BytePart::Payload;
    return (child - m_children.begin()) % 2 == 0 ? BytePart::Child : BytePart::NextChild;
}

std::vector<size_t> NodesHolding(CNodeList& nodes, uint64_t offset) {
    // The way down as walked so far: the nodes above the current one.
    std::vector<size_t> way;
    std::vector<size_t> found;
    size_t i = 0;
    while (i < nodes.size()) {
        const int32_t depth = nodes.GetDepth(i);
        // Boxes do not overlap their siblings: once the innermost holder's subtree ends, no node
        // further on holds the offset more deeply.
        if (!found.empty() && depth <= nodes.GetDepth(found.back())) break;
        while (!way.empty() && nodes.GetDepth(way.back()) >= depth)
            way.pop_back();
        const uint64_t begin = nodes.GetFileOffset(i);
        const uint64_t size = nodes.GetBoxSize(i);
        if (size == 0) {
            // No bytes of its own, but its children may have some.
            way.push_back(i++);
            continue;
        }
        if (offset >= begin && offset - begin < size) {
            way.push_back(i++);
            found = way;
            continue;
        }
        for (++i; i < nodes.size() && nodes.GetDepth(i) > depth;)
            ++i;
    }
    return found;
}
