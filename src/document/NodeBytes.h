#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/NodeList.h"

// What a byte of the file is to the node the hex pane shows: its size and type fields, the rest
// of it, one of its direct children (neighbouring children alternate, so that two of them never
// run together), or none of it.
enum class BytePart : uint8_t { Outside, Header, Payload, Child, NextChild };

// The byte range of one node of the list, split into its parts. A node without bytes (one of our
// own sections) has none, and every byte is outside it.
class CNodeBytes {
public:
    // Takes the node at `index`: its range, header and direct children. The children are walked
    // once here, so that painting asks nothing of the list.
    void Select(CNodeList& nodes, size_t index);
    void Clear();

    uint64_t Begin() const { return m_begin; }
    uint64_t End() const { return m_end; }
    bool Empty() const { return m_end == m_begin; }
    BytePart PartAt(uint64_t offset) const;

private:
    struct Span {
        uint64_t begin;
        uint64_t end;
    };
    uint64_t m_begin = 0;
    uint64_t m_end = 0;
    uint64_t m_headerEnd = 0;
    std::vector<Span> m_children;  // in file order
};

// The nodes on the way down to the innermost node whose bytes hold `offset`, outermost first,
// with the innermost last; empty when no node holds it. Ancestors without bytes of their own (a
// track's line above its chunks) are on the way too, so that expanding the way displays the last.
std::vector<size_t> NodesHolding(CNodeList& nodes, uint64_t offset);
