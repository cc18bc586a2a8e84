#include "document/NodeBuilder.h"

#include "model/Box.h"
#include "model/ISOBoxes.h"
#include "model/StreamingBoxes.h"
#include "presentation/3GPPViewBoxHandler.h"
#include "presentation/ISOViewBoxHandler.h"
#include "presentation/MobileMP4ViewBoxHandler.h"
#include "presentation/ViewBoxFamilies.h"
#include "presentation/ViewBoxFilling.h"

CNodeBuilder::CNodeBuilder() {
    m_classicHandlers.push_back(std::make_unique<CISOViewBoxHandler>(m_formatContext));
    m_classicHandlers.push_back(std::make_unique<C3GPPViewBoxHandler>());
    m_classicHandlers.push_back(std::make_unique<CMobileMP4ViewBoxHandler>());
    AddViewBoxFamilies(m_familyHandlers, m_formatContext);
}

CNodeBuilder::~CNodeBuilder() = default;

std::unique_ptr<CISOViewBox> CNodeBuilder::Build(const ISOFileFormat::Box& record,
                                                 const BoxNodePlace& place) {
    auto node = std::make_unique<CISOViewBox>(&record, place.depth, place.fileOffset);
    node->SetHeaderSize(place.headerSize);
    node->SetExpanded(place.expanded);
    node->SetContainer(place.container);
    node->SetChildCount(place.childCount);
    // The families show what they know better than the classic reading; with the classic set
    // only the classic handlers are asked.
    if (place.boxSet == BoxSet::Classic ||
        !FillViewBoxFromHandlers(record, *node, m_familyHandlers)) {
        FillViewBoxFromHandlers(record, *node, m_classicHandlers);
    }
    return node;
}

bool CNodeBuilder::CanBuildLater(int32_t id) {
    switch (id) {
        case BoxId::Mdat:
        case BoxId::Moof:
        case BoxId::Mfhd:
        case BoxId::Traf:
        case BoxId::Tfhd:
        case BoxId::Trun:
        case BoxId::Tfdt:
        case BoxId::Sdtp:
        case BoxId::Sbgp:
        case BoxId::Sgpd:
        case BoxId::Subs:
        case BoxId::Saiz:
        case BoxId::Saio:
        case BoxId::Senc:
        case BoxId::Styp:
        case BoxId::Sidx:
        case BoxId::Emsg:
        case BoxId::Prft:
            return true;
        default:
            return false;
    }
}
