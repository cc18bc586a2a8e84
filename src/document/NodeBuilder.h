#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "model/BoxCatalogue.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ValueFormatContext.h"
#include "presentation/ViewBoxHandler.h"

namespace ISOFileFormat {
struct Box;
}

// Where a box's node sits and how it starts: all that a node needs besides its record.
struct BoxNodePlace {
    uint64_t fileOffset = 0;
    int32_t depth = 0;
    uint32_t headerSize = 0;
    bool container = false;
    bool expanded = false;
    BoxSet boxSet = BoxSet::Full;
    int32_t childCount = 0;
};

// Makes the node of a box from its record: the standard layers, then the contents by the view
// box handlers of the box set. The one place nodes of boxes are made, whether while the parse
// reports its boxes or later, when a node that was left to be made is shown or written.
class CNodeBuilder {
public:
    CNodeBuilder();
    ~CNodeBuilder();
    CNodeBuilder(const CNodeBuilder&) = delete;
    CNodeBuilder& operator=(const CNodeBuilder&) = delete;

    // Back to the formatting state of a fresh parse.
    void Reset() { m_formatContext.Reset(); }

    std::unique_ptr<CISOViewBox> Build(const ISOFileFormat::Box& record, const BoxNodePlace& place);

    // Whether a box's node may be made any time after its parse, from its record alone: the
    // boxes that a fragmented file repeats by the million, whose text depends on nothing read
    // before them. Every other node is made in parse order: a header's durations are shown in
    // the timescale read last, a track's name comes from the tracks.
    static bool CanBuildLater(int32_t id);

private:
    CValueFormatContext m_formatContext;
    std::vector<std::unique_ptr<IViewBoxHandler>> m_classicHandlers;
    // The families beyond the classic set, asked first while the full set is shown.
    std::vector<std::unique_ptr<IViewBoxHandler>> m_familyHandlers;
};
