#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/ViewBoxHandler.h"
#include "support/BoxBuilder.h"

// Parses crafted bytes with every parsing handler (ISO, 3GPP, Mobile MP4) and turns each box
// into a node filled by view box handlers, as the document does: for tests of the presentation
// that need no document. The nodes' text forms are returned in file order.
struct ParsedNodes {
    int32_t result = -1;
    std::string log;
    std::vector<std::string> types;  // the four type bytes of each box, in file order
    std::vector<std::string> texts;  // the node's plain text form (GetText(false))

    // The text of the `nth` node of that type, from 0 ("" when there is none).
    std::string TextOf(const std::string& type, size_t nth = 0) const;
};

ParsedNodes ParseToNodes(const BoxBuilder& file,
                         const std::vector<std::unique_ptr<IViewBoxHandler>>& viewHandlers);

// With the document's handlers in the document's order (ISO, 3GPP, Mobile MP4) and the fresh
// format context of a new parse.
ParsedNodes ParseWithDocumentHandlers(const BoxBuilder& file);

// The lines a handler filled in: a node's lines from the first that holds " : " (the version of
// a full box, or the first item) on. None when no handler claimed the node.
std::vector<std::string> FieldLines(const std::string& nodeText);

// A crafted file and the field lines expected of its `nth` node of `type`, in which a line "..."
// stands for any run of lines.
struct NodeCase {
    std::string type;
    BoxBuilder file;
    std::vector<std::string> fields;
    size_t nth = 0;
};

// A full box whose payload is these 32-bit big-endian words: most fields of the boxes shown are
// words, and pairs of 16-bit fields or 64-bit fields are two halves of a pair of words.
BoxBuilder WordBox(std::string_view type, uint8_t version, uint32_t flags,
                   std::initializer_list<uint32_t> words);

// Parses each case's file with the document's handlers and checks the node's field lines.
void ExpectNodeFields(const std::vector<NodeCase>& cases);
