#pragma once

#include "presentation/DrawingSurface.h"
#include "presentation/ISOViewBox.h"

class CNodeList;
class CTrackInfoCollector;

// The "Quick Information" section at the top of the tree. OnBoxList of the document calls
// BuildQuickInformation after FinishTrack on the collector; it appends the "Quick Information"
// title (depth 0, two children) and the "General Information" node (depth 1), each measured on
// `surface`. The document appends the conformance node right after them.
//
// The title starts expanded when `autoExpand` is set and `noExpandQI` is not ("AutoExpand" and
// "NoExpandQI" of the settings, read by the document). The general information node stays
// expanded: it has no children. With `integritySection` the title counts a third child, the
// integrity node the document appends after the conformance node.
void BuildQuickInformation(const CTrackInfoCollector& collector, IDrawingSurface& surface,
                           bool autoExpand, bool noExpandQI, CNodeList& displayList,
                           bool integritySection = false);

// The items of the "General Information" node: track counts, video and audio codec facts (each
// shown when its presence bit is set) and the biggest chunk of each kind of track.
void FillGeneralInformation(CISOViewBox& node, const CTrackInfoCollector& collector);
