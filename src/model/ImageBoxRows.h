#pragma once

#include "model/BoxCatalogueRow.h"

// The image family beyond the classic set: the items of a file-level 'meta' (where they lie,
// what they are, how they refer to each other), their properties and their entity groups.
// 'iloc' keeps its classic row; the reference and group boxes are read under the ids their
// parents force, since any type may name them.
inline constexpr BoxCatalogueRow kImageBoxRows[] = {
    // ISO/IEC 14496-12:2022, 8.11.4, 8.11.6, 8.11.11 and 8.11.12
    {"pitm", "Primary Item Box", "the item that is the file's primary content", BoxKind::FullBox,
     BoxFacts::None},
    {"iinf", "Item Information Box", "the information entries of the items", BoxKind::FullBox,
     BoxFacts::None},
    {"infe", "Item Information Entry", "ID, type and name of one item", BoxKind::FullBox,
     BoxFacts::None},
    {"idat", "Item Data Box", "data of the items built within the 'meta'", BoxKind::Box,
     BoxFacts::None},
    {"iref", "Item Reference Box", "references from items to other items", BoxKind::FullBox,
     BoxFacts::None},
    {"", "Single Item Type Reference Box", "the items one item refers to", BoxKind::Box,
     BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.11.14
    {"iprp", "Item Properties Box", "the item properties and their associations",
     BoxKind::Container, BoxFacts::None},
    {"ipco", "Item Property Container Box", "the item properties, indexed from 1",
     BoxKind::Container, BoxFacts::None},
    {"ipma", "Item Property Association Box", "the properties of each item", BoxKind::FullBox,
     BoxFacts::None},
    // ISO/IEC 23008-12:2022, 6.5.3, 6.5.6, 6.5.8, 6.5.10, 6.5.11 and 6.5.12
    {"ispe", "Image Spatial Extents Property", "width and height of the image", BoxKind::FullBox,
     BoxFacts::None},
    {"pixi", "Pixel Information Property", "channels and bits per channel", BoxKind::FullBox,
     BoxFacts::None},
    {"auxC", "Auxiliary Type Property", "kind of an auxiliary image (alpha, depth...)",
     BoxKind::FullBox, BoxFacts::None},
    {"irot", "Image Rotation Property", "anti-clockwise rotation in steps of 90 degrees",
     BoxKind::Box, BoxFacts::None},
    {"lsel", "Layer Selector Property", "layer of a layered image to show", BoxKind::Box,
     BoxFacts::None},
    {"imir", "Image Mirroring Property", "axis the image is mirrored about", BoxKind::Box,
     BoxFacts::None},
    // AV1 Image File Format 1.1.0, 2.3.2.1 and 2.3.2.3
    {"a1op", "Operating Point Selector Property", "AV1 operating point to decode", BoxKind::Box,
     BoxFacts::None},
    {"a1lx", "Layered Image Indexing Property", "sizes of the layers of an AV1 image", BoxKind::Box,
     BoxFacts::None},
    // ISO/IEC 14496-12:2022, 8.18.3
    {"grpl", "Groups List Box", "entity groups of the file", BoxKind::Container, BoxFacts::None},
    {"", "Entity To Group Box", "entities (items or tracks) grouped by one type", BoxKind::FullBox,
     BoxFacts::None},
};
