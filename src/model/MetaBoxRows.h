#pragma once

#include "model/BoxCatalogueRow.h"

// The metadata family beyond the classic set: the item list of a 'meta' box with its keys and
// values, the language and role of a track, track references of any type, and the sample
// groups and sub-samples the classic set names but does not decode.
//
// Items of 'ilst' are named by their own type bytes (the empty type text shows them as read):
// their types are Latin-1 ('\xA9nam') or a key index (0x00000001), neither a catalogue text.
inline constexpr BoxCatalogueRow kMetaBoxRows[] = {
    // QuickTime File Format, Metadata atoms and types: the item list and its keys
    {"ilst", "Metadata Item List Box", "metadata items", BoxKind::Container, BoxFacts::None},
    {"keys", "Metadata Item Keys Box", "keys of the metadata items", BoxKind::FullBox,
     BoxFacts::None},
    {"data", "Metadata Value Box", "type, locale and value of a metadata item", BoxKind::Box,
     BoxFacts::None},
    {"mean", "Metadata Mean Box", "namespace of a custom metadata item", BoxKind::FullBox,
     BoxFacts::None},
    {"name", "Metadata Name Box", "name of a custom metadata item", BoxKind::FullBox,
     BoxFacts::None},
    {"", "Metadata Item Box", "metadata item", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "title", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "artist", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "encoding tool", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "date", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "track number", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "disc number", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "cover art", BoxKind::Container, BoxFacts::None},
    {"", "Metadata Item Box", "custom metadata item (mean, name)", BoxKind::Container,
     BoxFacts::None},
    {"", "Metadata Item Box", "metadata item named by its key index", BoxKind::Container,
     BoxFacts::None},
    // ISO/IEC 14496-12:2015, 8.4.6
    {"elng", "Extended Language Box", "extended language tag of the media", BoxKind::FullBox,
     BoxFacts::None},
    // ISO/IEC 14496-12:2015, 8.10.4
    {"kind", "Kind Box", "role or kind of the track", BoxKind::FullBox, BoxFacts::None},
    // ISO/IEC 14496-12:2015, 8.3.3: a reference type the classic set has no row for
    {"", "Track Reference Type Box", "the track(s) this track refers to", BoxKind::Box,
     BoxFacts::None},
};
