#pragma once

#include "model/BoxCatalogueRow.h"

// The streaming family beyond the classic set: segment types and indexes, fragment decode times,
// event messages, producer times, and the boxes of common encryption.
inline constexpr BoxCatalogueRow kStreamingBoxRows[] = {
    // ISO/IEC 14496-12:2022, 8.16.2
    {"styp", "Segment Type Box", "brands of a media segment", BoxKind::Box, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.16.3
    {"sidx", "Segment Index Box", "subsegments of a segment: sizes, durations, access points",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.8.12
    {"tfdt", "Track Fragment Decode Time Box", "decode time of the fragment's first sample",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 23009-1, 5.10.3.3
    {"emsg", "Event Message Box", "event for the media presentation timeline", BoxKind::FullBox,
     BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.16.5
    {"prft", "Producer Reference Time Box", "wall-clock time at which a fragment was produced",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.12.5 and 8.12.6
    {"schm", "Scheme Type Box", "protection scheme of a protected entry", BoxKind::FullBox,
     BoxFacts::None},
    {"schi", "Scheme Information Box", "boxes that the protection scheme defines",
     BoxKind::Container, BoxFacts::None},
    // ISO/IEC 23001-7:2016, 8.2 and 8.1
    {"tenc", "Track Encryption Box", "default protection, IV size and key of a track",
     BoxKind::FullBox, BoxFacts::None},
    {"pssh", "Protection System Specific Header Box", "data of one content protection system",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.7.8 and 8.7.9
    {"saiz", "Sample Auxiliary Information Sizes Box",
     "size of each sample's auxiliary information", BoxKind::FullBox, BoxFacts::None},
    {"saio", "Sample Auxiliary Information Offsets Box",
     "where the samples' auxiliary information lies", BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 23001-7:2016, 7.2
    {"senc", "Sample Encryption Box", "initialization vectors and subsamples of protected samples",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.16.4
    {"ssix", "Subsegment Index Box", "byte ranges of each subsegment's levels", BoxKind::FullBox,
     BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.8.13
    {"leva", "Level Assignment Box", "how the samples of a fragment are assigned to levels",
     BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.8.15
    {"trep", "Track Extension Properties Box", "properties of a track's fragments",
     BoxKind::FullBox, BoxFacts::None},
};
