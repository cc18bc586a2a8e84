#include "presentation/ImageViewBoxHandler.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/Format.h"
#include "model/ImageBoxes.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"

using namespace ISOFileFormat;

namespace {

using Layer = CISOViewBoxItemLayer;
using Writer = CItemTextWriter;

// ---- Items ----

void ShowPrimaryItem(const PrimaryItemBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("item_ID", box.item_ID);
}

void ShowItemInfo(const ItemInfoBox& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("entry_count", box.entry_count);
}

void ShowItemInfoEntry(const ItemInfoEntry& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("item_ID", box.item_ID);
    l.AddNumber("item_protection_index", box.item_protection_index);
    if (box.version >= 2) l.AddItem("item_type", CodeText(box.item_type));
    l.AddItem("item_name", box.item_name);
    if (box.version <= 1 || box.IsMime()) {
        l.AddItem("content_type", box.content_type);
        if (box.hasContentEncoding) l.AddItem("content_encoding", box.content_encoding);
    }
    if (box.IsUri()) l.AddItem("item_uri_type", box.item_uri_type);
    if (box.hasExtension) l.AddItem("extension_type", CodeText(box.extension_type));
}

constexpr const char* kConstructionMethods[] = {"file offset", "idat offset", "item offset"};

// One row per item, then one per extent of it.
void ShowItemLocation(const ItemLocationBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("offset_size", box.offset_size);
    l.AddNumber("length_size", box.length_size);
    l.AddNumber("base_offset_size", box.base_offset_size);
    if (box.HasConstructionMethod()) l.AddNumber("index_size", box.index_size);
    l.AddNumber("item_count", box.item_count);
    std::vector<std::pair<uint32_t, int64_t>> rows;  // item, extent (-1: the item itself)
    for (uint32_t i = 0; i < box.items.size(); ++i) {
        rows.emplace_back(i, -1);
        for (size_t e = 0; e < box.items[i].extents.size(); ++e)
            rows.emplace_back(i, static_cast<int64_t>(e));
    }
    l.AddRows(rows.size(), [items = box.items, rows, cm = box.HasConstructionMethod(),
                            indexed = box.index_size > 0](size_t row, Writer& w) {
        const ItemLocationBox::Item& item = items[rows[row].first];
        if (rows[row].second < 0) {
            w.Text("item ").Unsigned(rows[row].first + 1).Value();
            w.Text("item_ID : ").Unsigned(item.item_ID);
            if (cm) {
                w.Text(", construction_method : ").Unsigned(item.construction_method);
                if (item.construction_method < std::size(kConstructionMethods))
                    w.Text(" (").Text(kConstructionMethods[item.construction_method]).Char(')');
            }
            w.Text(", data_reference_index : ").Unsigned(item.data_reference_index);
            w.Text(", base_offset : ").Unsigned(item.base_offset);
            w.Text(", extent_count : ").Unsigned(item.extent_count);
            return;
        }
        const auto e = static_cast<size_t>(rows[row].second);
        const ItemLocationBox::Extent& extent = item.extents[e];
        w.Text("  extent ").Unsigned(e + 1).Value();
        if (indexed) w.Text("extent_index : ").Unsigned(extent.extent_index).Text(", ");
        w.Text("extent_offset : ").Unsigned(extent.extent_offset);
        w.Text(", extent_length : ").Unsigned(extent.extent_length);
        if (extent.beyondFile) w.Text(CImageViewBoxHandler::kBeyondFileText);
    });
}

void ShowItemReference(const FullBox&, const ViewBoxTarget&) {}

// One row per ID: "label[i] : id".
void AddIdRows(Layer& l, std::string_view label, const std::vector<uint32_t>& ids) {
    l.AddRows(ids.size(), [label, ids](size_t row, Writer& w) {
        w.Text(label).Char('[').Unsigned(row).Char(']').Value().Unsigned(ids[row]);
    });
}

void ShowSingleItemReference(const SingleItemTypeReferenceBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("reference_type", CodeText(box.type));
    l.AddNumber("from_item_ID", box.from_item_ID);
    l.AddNumber("reference_count", box.reference_count);
    AddIdRows(l, "to_item_ID", box.to_item_ID);
}

void ShowItemData(const ItemDataBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("data size", static_cast<int64_t>(box.dataSize));
    AddHexItem(l, box.data.size() < box.dataSize ? "data (first bytes)" : "data", box.data);
}

// ---- Properties ----

void ShowPropertyAssociation(const ItemPropertyAssociationBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("entry_count", box.entry_count);
    l.AddRows(box.entries.size(), [entries = box.entries](size_t row, Writer& w) {
        const ItemPropertyAssociationBox::Entry& entry = entries[row];
        w.Text("item_ID ").Unsigned(entry.item_ID).Value();
        w.Text("association_count : ").Unsigned(entry.association_count);
        for (const ItemPropertyAssociationBox::Association& a : entry.associations) {
            w.Text(", [essential : ").Unsigned(a.essential);
            w.Text(", property_index : ").Unsigned(a.property_index).Char(']');
        }
    });
}

void ShowSpatialExtents(const ImageSpatialExtentsProperty& box, const ViewBoxTarget& t) {
    t.contents.AddNumber("image_width", box.image_width);
    t.contents.AddNumber("image_height", box.image_height);
}

void ShowPixelInformation(const PixelInformationProperty& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("num_channels", box.num_channels);
    for (size_t i = 0; i < box.bits_per_channel.size(); ++i)
        l.AddNumber(StrFormat("bits_per_channel[%zu]", i), box.bits_per_channel[i]);
}

void ShowAuxiliaryType(const AuxiliaryTypeProperty& box, const ViewBoxTarget& t) {
    t.contents.AddItem("aux_type", box.aux_type);
    AddHexItem(t.contents, "aux_subtype", box.aux_subtype);
}

void ShowSmallProperty(const ImageSmallProperty& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    if (box.id == BoxId::Irot) {
        l.AddItem("angle", StrFormat("%u (%u degrees anti-clockwise)", box.value, box.value * 90u));
    } else if (box.id == BoxId::Imir) {
        l.AddItem("axis", StrFormat("%u (%s)", box.value,
                                    box.value == 0 ? "vertical axis, left and right swapped"
                                                   : "horizontal axis, top and bottom swapped"));
    } else if (box.id == BoxId::Lsel) {
        l.AddNumber("layer_id", box.value);
    } else {
        l.AddNumber("op_index", box.value);
    }
}

void ShowLayeredImageIndexing(const LayeredImageIndexingProperty& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddNumber("large_size", box.large_size);
    for (size_t i = 0; i < std::size(box.layer_size); ++i)
        l.AddNumber(StrFormat("layer_size[%zu]", i), box.layer_size[i]);
}

// ---- Entity groups ----

void ShowGroupsList(const Box&, const ViewBoxTarget&) {}

void ShowEntityGroup(const EntityToGroupBox& box, const ViewBoxTarget& t) {
    Layer& l = t.contents;
    l.AddItem("grouping_type", CodeText(box.type));
    l.AddNumber("group_id", box.group_id);
    l.AddNumber("num_entities_in_group", box.num_entities_in_group);
    AddIdRows(l, "entity_id", box.entity_id);
}

constexpr CViewBoxTable kRows{
    Row<PrimaryItemBox, ShowPrimaryItem>(BoxId::Pitm),
    Row<ItemInfoBox, ShowItemInfo>(BoxId::Iinf),
    Row<ItemInfoEntry, ShowItemInfoEntry>(BoxId::Infe),
    Row<ItemLocationBox, ShowItemLocation>(BoxId::Iloc),
    Row<FullBox, ShowItemReference>(BoxId::Iref),
    Row<SingleItemTypeReferenceBox, ShowSingleItemReference>(BoxId::ItemReference),
    Row<ItemDataBox, ShowItemData>(BoxId::Idat),
    Row<ItemPropertyAssociationBox, ShowPropertyAssociation>(BoxId::Ipma),
    Row<ImageSpatialExtentsProperty, ShowSpatialExtents>(BoxId::Ispe),
    Row<PixelInformationProperty, ShowPixelInformation>(BoxId::Pixi),
    Row<AuxiliaryTypeProperty, ShowAuxiliaryType>(BoxId::AuxC),
    Row<ImageSmallProperty, ShowSmallProperty>(BoxId::Irot),
    Row<ImageSmallProperty, ShowSmallProperty>(BoxId::Imir),
    Row<ImageSmallProperty, ShowSmallProperty>(BoxId::Lsel),
    Row<ImageSmallProperty, ShowSmallProperty>(BoxId::A1op),
    Row<LayeredImageIndexingProperty, ShowLayeredImageIndexing>(BoxId::A1lx),
    Row<Box, ShowGroupsList>(BoxId::Grpl),
    Row<EntityToGroupBox, ShowEntityGroup>(BoxId::EntityGroup),
};

}  // namespace

CImageViewBoxHandler::CImageViewBoxHandler() : CViewBoxTableHandler(kRows) {}
