#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Box.h"
#include "model/BoxCatalogue.h"

namespace BoxId {
inline constexpr int32_t Pitm = Of("pitm");
inline constexpr int32_t Iinf = Of("iinf");
inline constexpr int32_t Infe = Of("infe");
inline constexpr int32_t Idat = Of("idat");
inline constexpr int32_t Iref = Of("iref");
inline constexpr int32_t ItemReference = OfDescription("the items one item refers to");
inline constexpr int32_t Iprp = Of("iprp");
inline constexpr int32_t Ipco = Of("ipco");
inline constexpr int32_t Ipma = Of("ipma");
inline constexpr int32_t Ispe = Of("ispe");
inline constexpr int32_t Pixi = Of("pixi");
inline constexpr int32_t AuxC = Of("auxC");
inline constexpr int32_t Irot = Of("irot");
inline constexpr int32_t Lsel = Of("lsel");
inline constexpr int32_t Imir = Of("imir");
inline constexpr int32_t A1op = Of("a1op");
inline constexpr int32_t A1lx = Of("a1lx");
inline constexpr int32_t Grpl = Of("grpl");
inline constexpr int32_t EntityGroup =
    OfDescription("entities (items or tracks) grouped by one type");
}  // namespace BoxId

// Records of the image family (rows in model/ImageBoxRows.h). Tables hold the entries the box
// actually holds, never more than their counts.
namespace ISOFileFormat {

// ISO/IEC 14496-12:2022, 8.11.4.2; version 1 has a 32-bit ID.
struct PrimaryItemBox : FullBox {
    static constexpr int32_t kId = BoxId::Pitm;
    explicit PrimaryItemBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t item_ID = 0;
};

// ISO/IEC 14496-12:2022, 8.11.6.2: the count, then the entries as child boxes.
struct ItemInfoBox : FullBox {
    static constexpr int32_t kId = BoxId::Iinf;
    explicit ItemInfoBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t entry_count = 0;
};

// ISO/IEC 14496-12:2022, 8.11.6.2. Versions 0 and 1 have no item type; from version 2 on, the
// type says which of the trailing strings follow.
struct ItemInfoEntry : FullBox {
    static constexpr int32_t kId = BoxId::Infe;
    explicit ItemInfoEntry(uint64_t size) : FullBox(kId, size) {}
    uint32_t item_ID = 0;
    uint16_t item_protection_index = 0;
    uint8_t item_type[4] = {};
    std::string item_name;
    std::string content_type;      // versions 0 and 1, or item type 'mime'
    std::string content_encoding;  // optional
    bool hasContentEncoding = false;
    std::string item_uri_type;       // item type 'uri '
    uint8_t extension_type[4] = {};  // version 1, optional
    bool hasExtension = false;
    bool IsMime() const { return version >= 2 && std::string(item_type, item_type + 4) == "mime"; }
    bool IsUri() const { return version >= 2 && std::string(item_type, item_type + 4) == "uri "; }
};

// ISO/IEC 14496-12:2022, 8.11.3.2
struct ItemLocationBox : FullBox {
    static constexpr int32_t kId = BoxId::Iloc;
    explicit ItemLocationBox(uint64_t size) : FullBox(kId, size) {}
    struct Extent {
        uint64_t extent_index = 0;
        uint64_t extent_offset = 0;
        uint64_t extent_length = 0;
        // In this file (construction method 0, data reference 0) but past its end: shown,
        // never read.
        bool beyondFile = false;
    };
    struct Item {
        uint32_t item_ID = 0;
        uint8_t construction_method = 0;  // versions 1 and 2
        uint16_t data_reference_index = 0;
        uint64_t base_offset = 0;
        uint16_t extent_count = 0;
        std::vector<Extent> extents;
    };
    uint8_t offset_size = 0;  // bytes: 0, 4 or 8
    uint8_t length_size = 0;
    uint8_t base_offset_size = 0;
    uint8_t index_size = 0;  // versions 1 and 2
    uint32_t item_count = 0;
    std::vector<Item> items;
    bool HasConstructionMethod() const { return version == 1 || version == 2; }
};

// ISO/IEC 14496-12:2022, 8.11.12.2: one reference type (the box's type), from one item to
// others; 32-bit IDs when the 'iref' is version 1.
struct SingleItemTypeReferenceBox : Box {
    static constexpr int32_t kId = BoxId::ItemReference;
    explicit SingleItemTypeReferenceBox(uint64_t size) : Box(kId, size) {}
    bool large = false;
    uint32_t from_item_ID = 0;
    uint16_t reference_count = 0;
    std::vector<uint32_t> to_item_ID;
};

// ISO/IEC 14496-12:2022, 8.11.11.2: the first bytes only, for a long box.
struct ItemDataBox : Box {
    static constexpr int32_t kId = BoxId::Idat;
    explicit ItemDataBox(uint64_t size) : Box(kId, size) {}
    uint64_t dataSize = 0;
    std::vector<uint8_t> data;
};

// ISO/IEC 14496-12:2022, 8.11.14.2
struct ItemPropertyAssociationBox : FullBox {
    static constexpr int32_t kId = BoxId::Ipma;
    explicit ItemPropertyAssociationBox(uint64_t size) : FullBox(kId, size) {}
    static constexpr uint32_t kWideIndex = 1;
    struct Association {
        uint8_t essential = 0;
        uint16_t property_index = 0;  // 7 bits, or 15 with flag 1
    };
    struct Entry {
        uint32_t item_ID = 0;
        uint8_t association_count = 0;
        std::vector<Association> associations;
    };
    uint32_t entry_count = 0;
    std::vector<Entry> entries;
};

// ISO/IEC 23008-12:2022, 6.5.3.2
struct ImageSpatialExtentsProperty : FullBox {
    static constexpr int32_t kId = BoxId::Ispe;
    explicit ImageSpatialExtentsProperty(uint64_t size) : FullBox(kId, size) {}
    uint32_t image_width = 0;
    uint32_t image_height = 0;
};

// ISO/IEC 23008-12:2022, 6.5.6.2
struct PixelInformationProperty : FullBox {
    static constexpr int32_t kId = BoxId::Pixi;
    explicit PixelInformationProperty(uint64_t size) : FullBox(kId, size) {}
    uint8_t num_channels = 0;
    std::vector<uint8_t> bits_per_channel;
};

// ISO/IEC 23008-12:2022, 6.5.8.2
struct AuxiliaryTypeProperty : FullBox {
    static constexpr int32_t kId = BoxId::AuxC;
    explicit AuxiliaryTypeProperty(uint64_t size) : FullBox(kId, size) {}
    std::string aux_type;
    std::vector<uint8_t> aux_subtype;
};

// One small field after a plain box header: 'irot' (angle), 'imir' (axis), 'lsel' (layer_id),
// 'a1op' (op_index). The id says which.
struct ImageSmallProperty : Box {
    ImageSmallProperty(int32_t id, uint64_t size) : Box(id, size) {}
    uint16_t value = 0;
};

// AV1 Image File Format 1.1.0, 2.3.2.3.2
struct LayeredImageIndexingProperty : Box {
    static constexpr int32_t kId = BoxId::A1lx;
    explicit LayeredImageIndexingProperty(uint64_t size) : Box(kId, size) {}
    uint8_t large_size = 0;
    uint32_t layer_size[3] = {};
};

// ISO/IEC 14496-12:2022, 8.18.3.2: the grouping type is the box's type.
struct EntityToGroupBox : FullBox {
    static constexpr int32_t kId = BoxId::EntityGroup;
    explicit EntityToGroupBox(uint64_t size) : FullBox(kId, size) {}
    uint32_t group_id = 0;
    uint32_t num_entities_in_group = 0;
    std::vector<uint32_t> entity_id;
};

}  // namespace ISOFileFormat
