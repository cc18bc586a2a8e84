#include "parsing/ImageBoxParsingHandler.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <span>
#include <string>

#include "model/ImageBoxes.h"
#include "parsing/BitReader.h"
#include "parsing/TableReading.h"

using namespace ISOFileFormat;

namespace {

// A field of `bytes` bytes (0 to 15, as 'iloc' sizes can say); bytes beyond the eighth are
// passed as leading zeros of the value.
uint64_t ReadSized(CBitReader& bits, uint8_t bytes) {
    if (bytes > 8) bits.Read((bytes - 8) * 8);
    return bits.Read(std::min<int>(bytes, 8) * 8);
}

}  // namespace

std::span<const BoxParseRow<CImageBoxParsingHandler>> CImageBoxParsingHandler::Rows() {
    using H = CImageBoxParsingHandler;
    static constexpr BoxParseRow<H> kRows[] = {
        {PrimaryItemBox::kId, &H::ParsePrimaryItem},
        {ItemInfoBox::kId, &H::ParseItemInfo},
        {ItemInfoEntry::kId, &H::ParseItemInfoEntry},
        {ItemLocationBox::kId, &H::ParseItemLocation},
        {BoxId::Iref, &H::ParseItemReference},
        {SingleItemTypeReferenceBox::kId, &H::ParseSingleItemReference},
        {ItemDataBox::kId, &H::ParseItemData},
        {ItemPropertyAssociationBox::kId, &H::ParsePropertyAssociation},
        {ImageSpatialExtentsProperty::kId, &H::ParseSpatialExtents},
        {PixelInformationProperty::kId, &H::ParsePixelInformation},
        {AuxiliaryTypeProperty::kId, &H::ParseAuxiliaryType},
        {BoxId::Irot, &H::ParseSmallProperty},
        {BoxId::Imir, &H::ParseSmallProperty},
        {BoxId::Lsel, &H::ParseSmallProperty},
        {BoxId::A1op, &H::ParseSmallProperty},
        {LayeredImageIndexingProperty::kId, &H::ParseLayeredImageIndexing},
        {BoxId::Grpl, &H::ParseGroupsList},
        {EntityToGroupBox::kId, &H::ParseEntityGroup},
    };
    return kRows;
}

void CImageBoxParsingHandler::ForceChildIds(const Context& c, int32_t forcedId) {
    c.result.parent = c.result.record.get();
    c.result.expectedEntries = static_cast<uint32_t>(std::min<uint64_t>(
        BytesAfter(c.size, c.headerBytes, 0) / 8, std::numeric_limits<uint32_t>::max()));
    c.result.forcedId = forcedId;
    c.result.descend = 1;
}

// ISO/IEC 14496-12:2022, 8.11.4.2
void CImageBoxParsingHandler::ParsePrimaryItem(const Context& c) {
    auto record = std::make_unique<PrimaryItemBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->item_ID = static_cast<uint32_t>(bits.Read(record->version == 0 ? 16 : 32));
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.11.6.2: the count, then the entries as child boxes.
void CImageBoxParsingHandler::ParseItemInfo(const Context& c) {
    CFileReader& r = Reader();
    auto record = std::make_unique<ItemInfoBox>(c.size);
    if (BytesAfter(c.size, c.headerBytes, 0) < 4) {
        c.result.record = std::move(record);
        return;
    }
    ReadVersionAndFlags(record->version, record->flags);
    c.headerBytes += 4;
    const uint32_t countBytes = record->version == 0 ? 2 : 4;
    if (BytesAfter(c.size, c.headerBytes, 0) < countBytes) {
        c.result.record = std::move(record);
        return;
    }
    record->entry_count = countBytes == 2 ? r.ReadUInt16() : r.ReadUInt32();
    c.headerBytes += countBytes;
    c.result.record = std::move(record);
    c.result.descend = 1;
}

// ISO/IEC 14496-12:2022, 8.11.6.2
void CImageBoxParsingHandler::ParseItemInfoEntry(const Context& c) {
    auto record = std::make_unique<ItemInfoEntry>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    if (record->version <= 1) {
        record->item_ID = bits.U16();
        record->item_protection_index = bits.U16();
        record->item_name = ReadCString(bits);
        record->content_type = ReadCString(bits);
        if (bits.BytesLeft() > 0 && !bits.Overrun()) {
            record->hasContentEncoding = true;
            record->content_encoding = ReadCString(bits);
        }
        if (record->version == 1 && bits.BytesLeft() >= 4) {
            record->hasExtension = true;
            ReadInto(bits, record->extension_type);
        }
    } else {
        record->item_ID = static_cast<uint32_t>(bits.Read(record->version == 2 ? 16 : 32));
        record->item_protection_index = bits.U16();
        ReadInto(bits, record->item_type);
        record->item_name = ReadCString(bits);
        if (record->IsMime()) {
            record->content_type = ReadCString(bits);
            if (bits.BytesLeft() > 0 && !bits.Overrun()) {
                record->hasContentEncoding = true;
                record->content_encoding = ReadCString(bits);
            }
        } else if (record->IsUri()) {
            record->item_uri_type = ReadCString(bits);
        }
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.11.3.2. Extents with no offset or length field cost the box no
// byte each; they are listed while the box has bytes to match, as a bound on hostile counts.
void CImageBoxParsingHandler::ParseItemLocation(const Context& c) {
    auto record = std::make_unique<ItemLocationBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->offset_size = static_cast<uint8_t>(bits.Read(4));
    record->length_size = static_cast<uint8_t>(bits.Read(4));
    record->base_offset_size = static_cast<uint8_t>(bits.Read(4));
    const bool indexed = record->HasConstructionMethod();
    record->index_size = static_cast<uint8_t>(bits.Read(4));
    if (!indexed) record->index_size = 0;  // reserved
    const int idBits = record->version < 2 ? 16 : 32;
    record->item_count = static_cast<uint32_t>(bits.Read(idBits));
    const uint64_t itemBytes = idBits / 8 + (indexed ? 2 : 0) + 2 + record->base_offset_size + 2;
    const uint64_t extentBytes =
        uint64_t{record->index_size} + record->offset_size + record->length_size;
    const uint64_t fileSize = static_cast<uint64_t>(std::max<int64_t>(Reader().GetFileSize(), 0));
    uint64_t bareExtentBudget = bytes.size();
    ReserveEntries(record->items, record->item_count, bits, itemBytes);
    for (uint32_t i = 0; i < record->item_count && !bits.Overrun(); ++i) {
        ItemLocationBox::Item item;
        item.item_ID = static_cast<uint32_t>(bits.Read(idBits));
        if (indexed) {
            bits.Read(12);  // reserved
            item.construction_method = static_cast<uint8_t>(bits.Read(4));
        }
        item.data_reference_index = bits.U16();
        item.base_offset = ReadSized(bits, record->base_offset_size);
        item.extent_count = bits.U16();
        if (bits.Overrun()) break;
        if (extentBytes > 0) ReserveEntries(item.extents, item.extent_count, bits, extentBytes);
        for (uint32_t e = 0; e < item.extent_count && !bits.Overrun(); ++e) {
            if (extentBytes == 0) {
                if (bareExtentBudget == 0) break;
                --bareExtentBudget;
            }
            ItemLocationBox::Extent extent;
            extent.extent_index = ReadSized(bits, record->index_size);
            extent.extent_offset = ReadSized(bits, record->offset_size);
            extent.extent_length = ReadSized(bits, record->length_size);
            if (bits.Overrun()) break;
            if (item.construction_method == 0 && item.data_reference_index == 0) {
                const uint64_t start = item.base_offset + extent.extent_offset;
                extent.beyondFile = start < item.base_offset || start > fileSize ||
                                    extent.extent_length > fileSize - start;
            }
            item.extents.push_back(extent);
        }
        record->items.push_back(std::move(item));
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.11.12.2: version and flags, then the references as child boxes.
void CImageBoxParsingHandler::ParseItemReference(const Context& c) {
    auto record = std::make_unique<FullBox>(BoxId::Iref, c.size);
    if (BytesAfter(c.size, c.headerBytes, 0) < 4) {
        c.result.record = std::move(record);
        return;
    }
    ReadVersionAndFlags(record->version, record->flags);
    c.headerBytes += 4;
    m_largeReferences = record->version != 0;
    c.result.record = std::move(record);
    ForceChildIds(c, SingleItemTypeReferenceBox::kId);
}

// ISO/IEC 14496-12:2022, 8.11.12.2
void CImageBoxParsingHandler::ParseSingleItemReference(const Context& c) {
    auto record = std::make_unique<SingleItemTypeReferenceBox>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    record->large = m_largeReferences;
    const int idBits = record->large ? 32 : 16;
    record->from_item_ID = static_cast<uint32_t>(bits.Read(idBits));
    record->reference_count = bits.U16();
    ReserveEntries(record->to_item_ID, record->reference_count, bits, idBits / 8);
    for (uint32_t i = 0; i < record->reference_count && !bits.Overrun(); ++i) {
        const auto id = static_cast<uint32_t>(bits.Read(idBits));
        if (!bits.Overrun()) record->to_item_ID.push_back(id);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.11.11.2
void CImageBoxParsingHandler::ParseItemData(const Context& c) {
    auto record = std::make_unique<ItemDataBox>(c.size);
    record->dataSize = BytesAfter(c.size, c.headerBytes, 0);
    record->data = ReadBoxHead(Reader(), c, kMaxShownDataBytes);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.11.14.2
void CImageBoxParsingHandler::ParsePropertyAssociation(const Context& c) {
    auto record = std::make_unique<ItemPropertyAssociationBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    const int idBits = record->version < 1 ? 16 : 32;
    const bool wide = record->FlagsValue() & ItemPropertyAssociationBox::kWideIndex;
    record->entry_count = bits.U32();
    ReserveEntries(record->entries, record->entry_count, bits, idBits / 8 + 1);
    for (uint32_t i = 0; i < record->entry_count && !bits.Overrun(); ++i) {
        ItemPropertyAssociationBox::Entry entry;
        entry.item_ID = static_cast<uint32_t>(bits.Read(idBits));
        entry.association_count = bits.U8();
        if (bits.Overrun()) break;
        ReserveEntries(entry.associations, entry.association_count, bits, wide ? 2 : 1);
        for (uint32_t a = 0; a < entry.association_count; ++a) {
            ItemPropertyAssociationBox::Association association;
            association.essential = static_cast<uint8_t>(bits.Read(1));
            association.property_index = static_cast<uint16_t>(bits.Read(wide ? 15 : 7));
            if (bits.Overrun()) break;
            entry.associations.push_back(association);
        }
        record->entries.push_back(std::move(entry));
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23008-12:2022, 6.5.3.2
void CImageBoxParsingHandler::ParseSpatialExtents(const Context& c) {
    auto record = std::make_unique<ImageSpatialExtentsProperty>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->image_width = bits.U32();
    record->image_height = bits.U32();
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23008-12:2022, 6.5.6.2
void CImageBoxParsingHandler::ParsePixelInformation(const Context& c) {
    auto record = std::make_unique<PixelInformationProperty>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->num_channels = bits.U8();
    if (!bits.Overrun()) bits.ReadBytes(record->num_channels, record->bits_per_channel);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23008-12:2022, 6.5.8.2
void CImageBoxParsingHandler::ParseAuxiliaryType(const Context& c) {
    auto record = std::make_unique<AuxiliaryTypeProperty>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->aux_type = ReadCString(bits);
    if (!bits.Overrun()) bits.ReadRest(record->aux_subtype);
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 23008-12:2022, 6.5.10.2 ('irot'), 6.5.12.2 ('imir'), 6.5.11.2 ('lsel'); AV1 Image
// File Format 1.1.0, 2.3.2.1.2 ('a1op').
void CImageBoxParsingHandler::ParseSmallProperty(const Context& c) {
    auto record = std::make_unique<ImageSmallProperty>(c.id, c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    if (c.id == BoxId::Irot) {
        bits.Read(6);  // reserved
        record->value = static_cast<uint16_t>(bits.Read(2));
    } else if (c.id == BoxId::Imir) {
        bits.Read(7);  // reserved
        record->value = static_cast<uint16_t>(bits.Read(1));
    } else if (c.id == BoxId::Lsel) {
        record->value = bits.U16();
    } else {
        record->value = bits.U8();
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// AV1 Image File Format 1.1.0, 2.3.2.3.2
void CImageBoxParsingHandler::ParseLayeredImageIndexing(const Context& c) {
    auto record = std::make_unique<LayeredImageIndexingProperty>(c.size);
    const std::vector<uint8_t> bytes = ReadBoxPayload(Reader(), c, 0);
    CBitReader bits(bytes);
    bits.Read(7);  // reserved
    record->large_size = static_cast<uint8_t>(bits.Read(1));
    for (uint32_t& size : record->layer_size)
        size = static_cast<uint32_t>(bits.Read(record->large_size ? 32 : 16));
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}

// ISO/IEC 14496-12:2022, 8.18.3.2: a container of entity groups of any type.
void CImageBoxParsingHandler::ParseGroupsList(const Context& c) {
    c.result.record = std::make_unique<Box>(BoxId::Grpl, c.size);
    ForceChildIds(c, EntityToGroupBox::kId);
}

// ISO/IEC 14496-12:2022, 8.18.3.2. Fields a grouping type adds after the entities are passed.
void CImageBoxParsingHandler::ParseEntityGroup(const Context& c) {
    auto record = std::make_unique<EntityToGroupBox>(c.size);
    const std::vector<uint8_t> bytes = ReadFullPayload(c, *record);
    CBitReader bits(bytes);
    record->group_id = bits.U32();
    record->num_entities_in_group = bits.U32();
    ReserveEntries(record->entity_id, record->num_entities_in_group, bits, 4);
    for (uint32_t i = 0; i < record->num_entities_in_group && !bits.Overrun(); ++i) {
        const uint32_t id = bits.U32();
        if (!bits.Overrun()) record->entity_id.push_back(id);
    }
    PassBitsMissed(Reader(), bits);
    c.result.record = std::move(record);
}
