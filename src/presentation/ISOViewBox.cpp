#include "presentation/ISOViewBox.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "model/Box.h"
#include "model/BoxCatalogue.h"
#include "model/NumberText.h"
#include "model/TextConversion.h"
#include "presentation/ViewPalette.h"

void CISOViewBoxLayerList::PushBack(Pointer layer) {
    if (!layer) return;
    if (!m_many && !m_one) {
        m_one = std::move(layer);
        return;
    }
    if (!m_many) {
        m_many = std::make_unique<std::vector<Pointer>>();
        m_many->reserve(5);  // the layers of a box's node
        m_many->push_back(std::move(m_one));
    }
    m_many->push_back(std::move(layer));
}

CISOViewBox::CISOViewBox(const ISOFileFormat::Box* box, int32_t depth, uint64_t fileOffset)
    : m_fileOffset(fileOffset), m_depth(depth), m_isBox(box != nullptr) {
    if (box) {
        m_boxSize = box->size;
        m_type = uint32_t{box->type[0]} << 24 | uint32_t{box->type[1]} << 16 |
                 uint32_t{box->type[2]} << 8 | box->type[3];
        BuildStandardLayers(*box);
    }
}

CISOViewBox::~CISOViewBox() = default;

std::array<uint8_t, 4> CISOViewBox::GetTypeBytes() const {
    return {static_cast<uint8_t>(m_type >> 24), static_cast<uint8_t>(m_type >> 16),
            static_cast<uint8_t>(m_type >> 8), static_cast<uint8_t>(m_type)};
}

std::string CISOViewBox::ShortTypeName(const ISOFileFormat::Box& box) {
    const BoxCatalogueEntry* entry = GetBoxCatalogueEntry(box.id);
    if (entry && entry->type && entry->type[0] != '\0') return entry->type;
    // A type the catalogue cannot name (or names with an empty text, like the generic hint
    // sample entry) is shown as its own bytes.
    std::string quoted = "'";
    quoted += Latin1CStringToUtf8(box.type, sizeof box.type);
    quoted += '\'';
    return quoted;
}

void CISOViewBox::BuildStandardLayers(const ISOFileFormat::Box& box) {
    const BoxCatalogueEntry* entry = GetBoxCatalogueEntry(box.id);

    auto shortName = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
    shortName->SetText(ShortTypeName(box));
    shortName->SetTextColour(kViewPalette.typeNameText);
    SetShortTypeNameLayer(AddLayer(std::move(shortName)));

    auto longName = std::make_unique<CISOViewBoxLayer>(LayerKind::LongName);
    const char* longText = entry ? entry->longName : GetBoxLongName(BoxId::Unknown);
    longName->SetStaticText(longText ? longText : "");
    longName->SetBackColour(kViewPalette.longNameBack);
    longName->SetTextColour(kViewPalette.longNameText);
    SetLongTypeNameLayer(AddLayer(std::move(longName)));

    if (entry && entry->description && entry->description[0] != '\0') {
        auto description = std::make_unique<CISOViewBoxLayer>(LayerKind::Title);
        description->SetStaticText(entry->description);
        AddLayer(std::move(description));
    }

    auto header = std::make_unique<CISOViewBoxItemLayer>(LayerKind::Header);
    header->SetVisible(false);
    SetHeaderLayer(AddLayer(std::move(header)));

    auto contents = std::make_unique<CISOViewBoxItemLayer>(LayerKind::Contents);
    contents->SetVisible(false);
    SetContentsLayer(AddLayer(std::move(contents)));
}

uint8_t CISOViewBox::IndexOf(const CISOViewBoxLayer* layer) const {
    for (size_t i = 0; i < m_layers.size() && i < kNoLayer; ++i) {
        if (m_layers[i].get() == layer) return static_cast<uint8_t>(i);
    }
    assert(layer == nullptr);  // a role goes to one of the node's first layers
    return kNoLayer;
}

void CISOViewBox::AppendText(CTextSink& out, bool indented) const {
    const int32_t indent = indented ? m_depth : 0;
    for (const auto& layer : m_layers) {
        if (!layer->IsVisible()) continue;
        out.Append('\n');
        layer->AppendText(out, indent);
    }
}

std::string CISOViewBox::GetText(bool indented) const {
    CTextSink sink;
    AppendText(sink, indented);
    return sink.TakeText();
}

void CISOViewBox::Measure(IDrawingSurface& surface) {
    int32_t width = 0;
    int64_t height = 0;
    for (const auto& layer : m_layers) {
        if (!layer->IsVisible()) continue;
        layer->Measure(surface);
        width = std::max(width, layer->GetWidth());
        height += layer->GetHeight();
    }
    for (const auto& layer : m_layers) {
        if (layer->IsVisible()) layer->SetWidth(width);
    }
    m_width = width;
    m_height = static_cast<int32_t>(std::min<int64_t>(height, std::numeric_limits<int32_t>::max()));
    m_needsMeasure = false;
}

void CISOViewBox::Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) {
    if (m_needsMeasure) Measure(surface);
    int64_t top = y;
    for (const auto& layer : m_layers) {
        if (!layer->IsVisible()) continue;
        // Nothing below the visible area can show; a node taller than a pixel coordinate can
        // reach stops here instead of wrapping around.
        if (top > clip.bottom || top > std::numeric_limits<int32_t>::max()) break;
        layer->Draw(surface, x, static_cast<int32_t>(top), clip);
        top += layer->GetHeight();
    }
}

Extent CISOViewBox::GetSize(IDrawingSurface& surface) {
    if (m_needsMeasure) Measure(surface);
    return Extent{m_width, m_height};
}

void CISOViewBox::SetContainer(bool container) {
    m_container = container;
    if (container && m_summary) {
        m_summary = std::make_shared<const std::string>(*m_summary + std::string(kContainerSuffix));
    }
}

std::string CISOViewBox::GetSummaryText() const {
    if (m_summary) return *m_summary;
    std::string summary;
    if (m_isBox) {
        summary = "Box Size : ";
        NumberText::AppendUnsigned(summary, m_boxSize);
        summary += " bytes";
    } else {
        summary = kNotABoxSummary;
    }
    if (m_container) summary.append(kContainerSuffix);
    return summary;
}

void CISOViewBox::SetSummaryText(std::string text) {
    m_summary = std::make_shared<const std::string>(std::move(text));
}

void CISOViewBox::ShareSummaryText(std::shared_ptr<const std::string> text) {
    if (text) m_summary = std::move(text);
}

void CISOViewBox::AddVersionFlags(const ISOFileFormat::FullBox& box) {
    CISOViewBoxItemLayer* header = GetHeaderLayer();
    if (!header) return;
    header->AddNumber("version", box.version);
    header->BeginItem()
        .Text("flags")
        .Value()
        .Hex(box.flags[0], 2)
        .Hex(box.flags[1], 2)
        .Hex(box.flags[2], 2)
        .Char('h');
    header->SetLastItemValue(ItemValue{box.FlagsValue(), 0, ItemValueKind::Flags});
    header->SetVisible(true);
    m_needsMeasure = true;
}

void CISOViewBox::SetTitleColours(Colour text, Colour back) {
    CISOViewBoxLayer* title = GetShortTypeNameLayer();
    if (!title) return;
    title->SetTextColour(text);
    title->SetBackColour(back);
}

void CISOViewBox::AddHeading(std::string_view text) {
    if (CISOViewBoxItemLayer* contents = GetContentsLayer()) {
        contents->AddHeading(text);
        m_needsMeasure = true;
    }
}

void CISOViewBox::AddItem(std::string_view label, std::string_view value) {
    if (CISOViewBoxItemLayer* contents = GetContentsLayer()) {
        contents->AddItem(label, value);
        m_needsMeasure = true;
    }
}

void CISOViewBox::AddNumber(std::string_view label, int64_t value) {
    if (CISOViewBoxItemLayer* contents = GetContentsLayer()) {
        contents->AddNumber(label, value, true);
        m_needsMeasure = true;
    }
}
