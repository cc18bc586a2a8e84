#include "presentation/ImageViewBoxHandler.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RecordPipeline.h"

// The forms ffmpeg and heif-enc write ('iloc' versions 0 and 1, 'infe' version 2, 'ipma'
// version 0, 'iref' version 0, 'ispe', 'pixi', 'auxC', 'idat') are pinned by the expected
// exports; these are the others.
TEST(ImageViewBoxHandler, EveryVersionAndWidth) {
    BoxBuilder ilocV2;  // 8-byte offsets, 4-byte index, each construction method; two extents
    ilocV2.OpenFull("iloc", 2, 0).U8(0x84).U8(0x44).U32(3);  // that start or end past the file
    ilocV2.U32(1).U16(0).U16(0).U32(0).U16(2).U32(7).U64(0x100000).U32(16).U32(8).U64(0);
    ilocV2.U32(0x100000);
    ilocV2.U32(2).U16(1).U16(0).U32(8).U16(2).U32(1).U64(0).U32(4).U32(2).U64(4).U32(4);
    ilocV2.U32(70000).U16(2).U16(0).U32(0).U16(1).U32(1).U64(0).U32(0).Close();
    BoxBuilder ilocV0;  // no offset field; the reserved bits where later versions have an index
    ilocV0.OpenFull("iloc", 0, 0).U8(0x04).U8(0x8F).U16(1);
    ilocV0.U16(5).U16(0).U64(16).U16(2).U32(3).U32(5).Close();
    BoxBuilder ipmaV1;  // 32-bit item IDs, 15-bit property indexes
    ipmaV1.OpenFull("ipma", 1, 1).U32(1).U32(0x10000).U8(2).U16(0x8123).U16(5).Close();
    BoxBuilder infeMime;
    infeMime.OpenFull("infe", 2, 1).U16(3).U16(0).FourCC("mime").Text("XMP", true);
    infeMime.Text("application/rdf+xml", true).Text("gzip", true).Close();
    BoxBuilder infeUri;  // version 3: a 32-bit item ID
    infeUri.OpenFull("infe", 3, 0).U32(0x12345).U16(1).FourCC("uri ").Text("meta", true);
    infeUri.Text("urn:example:x", true).Close();
    BoxBuilder infeV0;
    infeV0.OpenFull("infe", 0, 0).U16(1).U16(0).Text("name", true).Text("text/plain", true);
    infeV0.Close();
    BoxBuilder irefV1;  // 32-bit IDs; 'cdsc' is a track reference type too
    irefV1.OpenFull("iref", 1, 0).Open("cdsc").U32(0x10001).U16(2).U32(1).U32(0x20000);
    irefV1.Close().Close();
    BoxBuilder grpl;
    grpl.Open("grpl").OpenFull("altr", 0, 0).U32(100).U32(2).U32(1).U32(2).Close().Close();
    BoxBuilder a1lx;  // 32-bit layer sizes
    a1lx.Open("a1lx").U8(1).U32(100).U32(200).U32(0x10000).Close();
    ExpectNodeFields(
        {
            {"iloc",
             ilocV2,
             {"...", "| + offset_size : 8 (0x8)", "|   length_size : 4 (0x4)",
              "|   base_offset_size : 4 (0x4)", "|   index_size : 4 (0x4)",
              "|   item_count : 3 (0x3)",
              "|   item 1 : item_ID : 1, construction_method : 0 (file offset), "
              "data_reference_index : 0, base_offset : 0, extent_count : 2",
              "|     extent 1 : extent_index : 7, extent_offset : 1048576, extent_length : 16 "
              "(beyond the end of the file)",
              "|     extent 2 : extent_index : 8, extent_offset : 0, extent_length : 1048576 "
              "(beyond the end of the file)",
              "|   item 2 : item_ID : 2, construction_method : 1 (idat offset), "
              "data_reference_index : 0, base_offset : 8, extent_count : 2",
              "|     extent 1 : extent_index : 1, extent_offset : 0, extent_length : 4",
              "|     extent 2 : extent_index : 2, extent_offset : 4, extent_length : 4",
              "|   item 3 : item_ID : 70000, construction_method : 2 (item offset), "
              "data_reference_index : 0, base_offset : 0, extent_count : 1",
              "|     extent 1 : extent_index : 1, extent_offset : 0, extent_length : 0"}},
            {"iloc",
             ilocV0,
             {"...", "| + offset_size : 0 (0x0)", "|   length_size : 4 (0x4)",
              "|   base_offset_size : 8 (0x8)", "|   item_count : 1 (0x1)",
              "|   item 1 : item_ID : 5, data_reference_index : 0, base_offset : 16, "
              "extent_count : 2",
              "|     extent 1 : extent_offset : 0, extent_length : 3",
              "|     extent 2 : extent_offset : 0, extent_length : 5"}},
            {"ipma",
             ipmaV1,
             {"...", "| + entry_count : 1 (0x1)",
              "|   item_ID 65536 : association_count : 2, [essential : 1, property_index : 291], "
              "[essential : 0, property_index : 5]"}},
            {"infe",
             infeMime,
             {"...", "| + item_ID : 3 (0x3)", "|   item_protection_index : 0 (0x0)",
              "|   item_type : 'mime'", "|   item_name : XMP",
              "|   content_type : application/rdf+xml", "|   content_encoding : gzip"}},
            {"infe",
             infeUri,
             {"...", "| + item_ID : 74565 (0x12345)", "|   item_protection_index : 1 (0x1)",
              "|   item_type : 'uri '", "|   item_name : meta",
              "|   item_uri_type : urn:example:x"}},
            {"infe",
             infeV0,
             {"...", "| + item_ID : 1 (0x1)", "|   item_protection_index : 0 (0x0)",
              "|   item_name : name", "|   content_type : text/plain"}},
            {"cdsc",
             irefV1,
             {"...", "| + reference_type : 'cdsc'", "|   from_item_ID : 65537 (0x10001)",
              "|   reference_count : 2 (0x2)", "|   to_item_ID[0] : 1",
              "|   to_item_ID[1] : 131072"}},
            {"altr",
             grpl,
             {"...", "| + grouping_type : 'altr'", "|   group_id : 100 (0x64)",
              "|   num_entities_in_group : 2 (0x2)", "|   entity_id[0] : 1",
              "|   entity_id[1] : 2"}},
            {"irot",
             BoxBuilder().Leaf("irot", {0x03}),
             {"...", "| + angle : 3 (270 degrees anti-clockwise)"}},
            {"imir",
             BoxBuilder().Leaf("imir", {0x01}),
             {"...", "| + axis : 1 (horizontal axis, top and bottom swapped)"}},
            {"lsel", BoxBuilder().Leaf("lsel", {0x00, 0x02}), {"...", "| + layer_id : 2 (0x2)"}},
            {"a1op", BoxBuilder().Leaf("a1op", {0x01}), {"...", "| + op_index : 1 (0x1)"}},
            {"idat",
             BoxBuilder().Leaf("idat", std::vector<uint8_t>(300, 0xAA)),
             {"| + data size : 300 (0x12C)",
              "|   data (first bytes) : 0x" + std::string(2 * 256, 'A')}},
            {"a1lx",
             a1lx,
             {"...", "| + large_size : 1 (0x1)", "|   layer_size[0] : 100 (0x64)",
              "|   layer_size[1] : 200 (0xC8)", "|   layer_size[2] : 65536 (0x10000)"}},
        },
        BoxSet::Full);
}
