#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "presentation/DrawingSurface.h"
#include "presentation/ISOViewBox.h"

class CTrackInfoCollector;

// The lines under an 'mdat' node. OnBoxEntry of the document calls BuildMediaDataView right
// after it appended the node `mdat` of an 'mdat' box at file offset `offset` with box size
// `size` and depth `depth`. For every chunk table of the collector whose first chunk lies in
// [offset, offset + size), in track order, it appends in pre-order a track line (depth + 1),
// below it one line per chunk (depth + 2) and below each chunk one line per listed sample
// (depth + 3), random access points in their own colour with the summary
// "Random Access Point". A track is listed whole under the 'mdat' that holds its first chunk.
//
// Samples past the collector's sample limit get no line: the chunk where listing stopped ends
// with one line "<n> more samples not listed" (n, then kUnlistedSamplesText) giving how many
// samples of the whole file have no line, at the byte offset of the first of them.
//
// The 'mdat' node and every line start expanded when `autoExpand` is set and `noExpandMDAT` is
// not ("AutoExpand" and "NoExpandMDAT" of the settings, read by the document).
void BuildMediaDataView(CISOViewBox& mdat, uint64_t offset, uint64_t size, int32_t depth,
                        const CTrackInfoCollector& collector, IDrawingSurface& surface,
                        bool autoExpand, bool noExpandMDAT,
                        std::vector<std::unique_ptr<CISOViewBox>>& displayList);

constexpr std::string_view kUnlistedSamplesText = " more samples not listed";
