#include "presentation/ISOViewBoxLayer.h"

#include <algorithm>
#include <cassert>
#include <limits>

#include "model/NumberText.h"

namespace {

// Height of one line of text in the given font.
int32_t TextLineHeight(IDrawingSurface& surface, const FontSpec* font) {
    return surface.MeasureText(font, std::string_view(), false).height;
}

// Item texts are stored with 32-bit lengths; a longer text (which no sane box holds) is cut at
// a character boundary rather than wrapping the length.
constexpr size_t kMaxItemText = std::numeric_limits<uint32_t>::max();

size_t CutAtCharBoundary(const std::string& chars, size_t start, size_t length) {
    if (length <= kMaxItemText) return length;
    size_t cut = kMaxItemText;
    while (cut > 0 && (static_cast<unsigned char>(chars[start + cut]) & 0xC0) == 0x80)
        --cut;
    return cut;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CISOViewBoxLayer

CISOViewBoxLayer::CISOViewBoxLayer(int32_t kind) : m_kind(static_cast<int8_t>(kind)) {}

CISOViewBoxLayer::~CISOViewBoxLayer() = default;

void CISOViewBoxLayer::AppendText(CTextSink& out, int32_t indent) const {
    out.AppendTabs(indent);
    out.Append("| + ");
    out.Append(Text());
    out.LineDone();
}

std::string CISOViewBoxLayer::GetText(int32_t indent) const {
    CTextSink sink;
    AppendText(sink, indent);
    return sink.TakeText();
}

void CISOViewBoxLayer::Measure(IDrawingSurface& surface) {
    const Extent extent = surface.MeasureText(GetFont(), Text(), false);
    SetSizeFromContent(extent.width, extent.height);
}

void CISOViewBoxLayer::Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) {
    (void)clip;
    DrawFrame(surface, x, y);
    surface.DrawText(GetFont(), Text(), Rect{x, y, x + m_width, y + m_height}, m_textColour,
                     TextAlign::Centre, false);
}

CISOViewBoxLayer::Style& CISOViewBoxLayer::EditStyle() {
    if (!m_style) m_style = std::make_unique<Style>();
    return *m_style;
}

void CISOViewBoxLayer::SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    EditStyle().margins = LayerMargins{left, top, right, bottom};
}

const LayerMargins& CISOViewBoxLayer::GetMargins() const {
    static const LayerMargins kDefaultMargins;
    return m_style ? m_style->margins : kDefaultMargins;
}

void CISOViewBoxLayer::SetFont(std::string faceName, int32_t sizeTenths, bool bold, bool italic) {
    EditStyle().font = FontSpec{std::move(faceName), sizeTenths, bold, italic};
}

void CISOViewBoxLayer::SetSizeFromContent(int32_t contentWidth, int32_t contentHeight) {
    const LayerMargins& margins = GetMargins();
    m_width = Saturate(int64_t{contentWidth} + margins.left + margins.right + 2 * kFrameWidth);
    m_height = Saturate(int64_t{contentHeight} + margins.top + margins.bottom + 2 * kFrameWidth);
}

void CISOViewBoxLayer::DrawFrame(IDrawingSurface& surface, int32_t x, int32_t y) const {
    // The outline is drawn this much larger so that stacked layers share their borders.
    const Rect frame{x, y, Saturate(int64_t{x} + m_width + kOutlinePenWidth),
                     Saturate(int64_t{y} + m_height + kOutlinePenWidth)};
    surface.DrawRectangle(frame, m_backColour, m_frameColour, kOutlinePenWidth);
}

// ---------------------------------------------------------------------------------------------
// CISOViewBoxItemLayer

CISOViewBoxItemLayer::CISOViewBoxItemLayer(int32_t kind) : CISOViewBoxLayer(kind) {
    SetTextColour(kViewPalette.itemText);
    SetBackColour(kViewPalette.itemBack);
}

CISOViewBoxItemLayer::~CISOViewBoxItemLayer() = default;

// ---- Writing item texts ----

CItemTextWriter& CItemTextWriter::Text(std::string_view text) {
    m_out.append(text);
    return *this;
}

CItemTextWriter& CItemTextWriter::Char(char c) {
    m_out.push_back(c);
    return *this;
}

CItemTextWriter& CItemTextWriter::Signed(int64_t value) {
    NumberText::AppendSigned(m_out, value);
    return *this;
}

CItemTextWriter& CItemTextWriter::Unsigned(uint64_t value, int minDigits) {
    NumberText::AppendUnsigned(m_out, value, minDigits);
    return *this;
}

CItemTextWriter& CItemTextWriter::Hex(uint64_t value, int minDigits) {
    NumberText::AppendHex(m_out, value, minDigits);
    return *this;
}

CItemTextWriter& CItemTextWriter::HexBytes(std::span<const uint8_t> bytes) {
    m_out.append("0x");
    for (const uint8_t byte : bytes)
        NumberText::AppendHex(m_out, byte, 2);
    return *this;
}

CItemTextWriter& CItemTextWriter::Value() {
    if (m_valueStart == std::string::npos) {
        m_out.append(m_separator);
        m_valueStart = m_out.size();
    }
    return *this;
}

void CItemTextWriter::Finish() {
    Value();
    if (m_out.size() == m_valueStart) m_out.append(CISOViewBoxItemLayer::kEmptyValueText);
}

CISOViewBoxItemLayer::ItemWriter::ItemWriter(CISOViewBoxItemLayer& layer)
    : CItemTextWriter(layer.m_chars), m_layer(layer), m_start(layer.m_chars.size()) {
    assert(!layer.m_writerOpen);
    layer.ReserveForItems();
    layer.m_writerOpen = true;
}

CISOViewBoxItemLayer::ItemWriter::~ItemWriter() {
    Value();
    m_layer.CommitItem(m_start, m_valueStart);
    m_layer.m_writerOpen = false;
}

ItemValue CISOViewBoxItemLayer::WriteNumber(CItemTextWriter& item, std::string_view label,
                                            int64_t value, bool decimalOnly) {
    item.Text(label).Value().Signed(value);
    if (!decimalOnly) item.Text(" (0x").Hex(static_cast<uint64_t>(value)).Char(')');
    return ItemValue{static_cast<uint64_t>(value), 0, ItemValueKind::Number};
}

// ---- Stored items and rows ----

void CISOViewBoxItemLayer::AddRows(size_t count, std::unique_ptr<CItemRows> rows) {
    assert(!m_writerOpen);
    if (count == 0) return;
    m_blocks.push_back(RowBlock{GetItemCount(), count, m_items.size(), std::move(rows)});
    m_rowCount += count;
}

CISOViewBoxItemLayer::Place CISOViewBoxItemLayer::Locate(size_t index) const {
    auto after = std::upper_bound(m_blocks.begin(), m_blocks.end(), index,
                                  [](size_t i, const RowBlock& block) { return i < block.first; });
    if (after == m_blocks.begin()) return Place{nullptr, index};
    const RowBlock& block = *std::prev(after);
    const size_t row = index - block.first;
    if (row < block.count) return Place{&block, row};
    return Place{nullptr, block.storedBefore + (row - block.count)};
}

std::string_view CISOViewBoxItemLayer::StoredLabel(size_t stored) const {
    const Item& item = m_items[stored];
    return std::string_view(m_chars.data() + item.start, item.labelLength);
}

std::string_view CISOViewBoxItemLayer::StoredValue(size_t stored) const {
    const Item& item = m_items[stored];
    return std::string_view(m_chars.data() + item.start + item.labelLength, item.valueLength);
}

void CISOViewBoxItemLayer::ReadItem(size_t index, ItemText& out) const {
    out.chars.clear();
    const Place place = Locate(index);
    if (place.block) {
        CItemTextWriter writer(out.chars);
        out.value = place.block->rows->WriteRow(place.position, writer);
        writer.Finish();
        out.labelLength = writer.ValueStart();
        return;
    }
    const std::string_view label = StoredLabel(place.position);
    out.chars.append(label).append(StoredValue(place.position));
    out.labelLength = label.size();
    out.value = GetItemValue(index);
}

std::string CISOViewBoxItemLayer::GetLabel(size_t index) const {
    ItemText text;
    ReadItem(index, text);
    return std::string(text.Label());
}

std::string CISOViewBoxItemLayer::GetValue(size_t index) const {
    ItemText text;
    ReadItem(index, text);
    return std::string(text.Value());
}

bool CISOViewBoxItemLayer::IsHeading(size_t index) const {
    const Place place = Locate(index);
    return !place.block && m_items[place.position].labelLength == 0;
}

ItemValue CISOViewBoxItemLayer::GetItemValue(size_t index) const {
    const Place place = Locate(index);
    if (place.block) {
        std::string scratch;
        CItemTextWriter writer(scratch);
        return place.block->rows->WriteRow(place.position, writer);
    }
    auto it = std::lower_bound(m_values.begin(), m_values.end(), index,
                               [](const TypedItem& typed, size_t i) { return typed.index < i; });
    return it != m_values.end() && it->index == index ? it->value : ItemValue{};
}

void CISOViewBoxItemLayer::SetLastItemValue(ItemValue value) {
    if (m_items.empty()) return;
    const size_t index = GetItemCount() - 1;
    // Rows carry their own values.
    if (Locate(index).block) return;
    if (!m_values.empty() && m_values.back().index == index)
        m_values.back().value = value;
    else
        m_values.push_back(TypedItem{value, index});
}

void CISOViewBoxItemLayer::CommitItem(size_t start, size_t valueStart) {
    if (m_chars.size() == valueStart) m_chars.append(kEmptyValueText);
    size_t labelLength = valueStart - start;
    const size_t keptLabel = CutAtCharBoundary(m_chars, start, labelLength);
    if (keptLabel != labelLength) {
        m_chars.erase(start + keptLabel, labelLength - keptLabel);
        valueStart = start + keptLabel;
        labelLength = keptLabel;
    }
    const size_t valueLength = CutAtCharBoundary(m_chars, valueStart, m_chars.size() - valueStart);
    m_chars.resize(valueStart + valueLength);
    m_items.push_back(Item{static_cast<uint64_t>(start), static_cast<uint32_t>(labelLength),
                           static_cast<uint32_t>(valueLength)});
}

void CISOViewBoxItemLayer::ReserveForItems() {
    // A node's items come a few at a time: growing three buffers from nothing would allocate
    // each of them several times for every node made.
    if (m_items.capacity() != 0) return;
    m_items.reserve(8);
    m_values.reserve(8);
    m_chars.reserve(160);
}

void CISOViewBoxItemLayer::AddItem(std::string_view label, std::string_view value) {
    assert(!m_writerOpen);
    ReserveForItems();
    const size_t start = m_chars.size();
    m_chars.append(label);
    const size_t valueStart = m_chars.size();
    m_chars.append(value);
    CommitItem(start, valueStart);
    SetLastItemValue(ItemValue{0, 0, ItemValueKind::Text});
}

void CISOViewBoxItemLayer::AddHeading(std::string_view text) {
    assert(!m_writerOpen);
    ReserveForItems();
    const size_t start = m_chars.size();
    m_chars.append(text);
    // A heading keeps an empty text: it is a blank band, not an empty field.
    m_items.push_back(Item{static_cast<uint64_t>(start), 0,
                           static_cast<uint32_t>(CutAtCharBoundary(m_chars, start, text.size()))});
    m_chars.resize(start + m_items.back().valueLength);
    SetLastItemValue(ItemValue{0, 0, ItemValueKind::Heading});
}

void CISOViewBoxItemLayer::AppendText(CTextSink& out, int32_t indent) const {
    const size_t count = GetItemCount();
    for (size_t i = 0; i < count; ++i) {
        if (i != 0) out.Append('\n');
        out.AppendTabs(indent);
        out.Append(i == 0 ? "| + " : "|   ");
        const Place place = Locate(i);
        if (place.block) {
            // Straight into the sink: the export of a big table keeps no row.
            CItemTextWriter writer(out.Buffer(), " : ");
            place.block->rows->WriteRow(place.position, writer);
            writer.Finish();
        } else {
            out.Append(StoredLabel(place.position));
            out.Append(" : ");
            out.Append(StoredValue(place.position));
        }
        out.LineDone();
    }
}

void CISOViewBoxItemLayer::Measure(IDrawingSurface& surface) {
    const FontSpec* font = GetFont();
    // Tabs are measured expanded, as they are drawn, so that a value never overruns its column.
    int32_t labelWidth = 0;
    int32_t valueWidth = 0;
    int64_t contentHeight = 0;
    m_lineHeight = kSpaceAboveLine + kSpaceBelowLine + TextLineHeight(surface, font);
    // Each row is written once, measured and forgotten: a proportional font gives no widest
    // row short of measuring them all.
    ItemText text;
    const size_t count = GetItemCount();
    for (size_t i = 0; i < count; ++i) {
        ReadItem(i, text);
        const std::string_view label = text.Label();
        if (!label.empty())
            labelWidth = std::max(labelWidth, surface.MeasureText(font, label, true).width);
        else if (i != 0)
            contentHeight += 2 * kHeadingExtra;
        valueWidth = std::max(valueWidth, surface.MeasureText(font, text.Value(), true).width);
        contentHeight += m_lineHeight;
    }
    m_labelColumnWidth = labelWidth;
    m_valueColumnWidth = valueWidth;
    const int64_t contentWidth =
        int64_t{labelWidth} + valueWidth + 2 * (kGapBeforeColumn + kGapAfterColumn);
    SetSizeFromContent(Saturate(contentWidth), Saturate(contentHeight));
}

Colour CISOViewBoxItemLayer::MixWithShade(Colour colour, Colour shade) {
    // shade * (1 - 150/255) + colour * 150/255, truncated; exact in integers.
    auto mix = [](uint8_t c, uint8_t s) {
        return static_cast<uint8_t>((unsigned{s} * 105 + unsigned{c} * 150) / 255);
    };
    return Colour{mix(colour.r, shade.r), mix(colour.g, shade.g), mix(colour.b, shade.b)};
}

void CISOViewBoxItemLayer::Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) {
    DrawFrame(surface, x, y);
    const FontSpec* font = GetFont();
    const LayerMargins& margins = GetMargins();
    const int32_t width = GetWidth();
    const int32_t labelLeft = Saturate(int64_t{x} + margins.left + kGapBeforeColumn);
    const int32_t labelRight = Saturate(int64_t{labelLeft} + m_labelColumnWidth);
    const int32_t columnRight = Saturate(int64_t{labelRight} + kGapAfterColumn);
    const int32_t valueLeft = Saturate(int64_t{columnRight} + kGapBeforeColumn);
    const int32_t valueRight = Saturate(int64_t{x} + width - margins.right);
    const int32_t innerRight = Saturate(int64_t{x} + width + 1);

    surface.FillRect(Rect{x + 1, y + 1, columnRight, Saturate(int64_t{y} + GetHeight() + 1)},
                     m_labelColumnColour);

    const Colour labelShade = MixWithShade(m_labelColumnColour, m_shadeColour);
    const Colour backShade = MixWithShade(GetBackColour(), m_shadeColour);
    // Lines are laid out in 64 bits: a list of millions of entries is taller than a pixel
    // coordinate can hold, and only the lines inside the clip rectangle are written and drawn.
    int64_t top = int64_t{y} + margins.top;
    ItemText text;
    const size_t count = GetItemCount();
    for (size_t i = 0; i < count; ++i) {
        const Place place = Locate(i);
        if (place.block && place.position == 0 && m_lineHeight > 0) {
            // Rows are all one line high: those wholly above the clip are stepped over at once.
            const int64_t above = clip.top - top;
            const size_t skip =
                above > 0
                    ? std::min(static_cast<size_t>((above - 1) / m_lineHeight), place.block->count)
                    : 0;
            if (skip != 0) {
                top += static_cast<int64_t>(skip) * m_lineHeight;
                i += skip - 1;
                continue;
            }
        }
        const bool heading = !place.block && m_items[place.position].labelLength == 0;
        const int32_t extra = (heading && i != 0) ? kHeadingExtra : 0;
        const int64_t lineTop = top + extra;
        const int64_t lineBottom = lineTop + m_lineHeight + extra;
        top = lineBottom;
        if (lineBottom < clip.top) continue;
        if (lineTop > clip.bottom) break;
        const int32_t t = static_cast<int32_t>(lineTop);
        const int32_t b = static_cast<int32_t>(lineBottom);
        ReadItem(i, text);
        if (heading) {
            surface.FillRect(Rect{x + 1, t, columnRight, b}, labelShade);
            surface.FillRect(Rect{columnRight, t, innerRight, b}, backShade);
            surface.DrawText(font, text.Value(), Rect{x, t, Saturate(int64_t{x} + width), b},
                             GetTextColour(), TextAlign::Centre, true);
        } else {
            surface.DrawText(font, text.Label(), Rect{labelLeft, t, labelRight, b}, GetTextColour(),
                             TextAlign::Left, true);
            surface.DrawText(font, text.Value(), Rect{valueLeft, t, valueRight, b}, GetTextColour(),
                             TextAlign::Left, true);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// CISOViewBoxMultiLineLayer

CISOViewBoxMultiLineLayer::CISOViewBoxMultiLineLayer(int32_t kind) : CISOViewBoxLayer(kind) {}

CISOViewBoxMultiLineLayer::~CISOViewBoxMultiLineLayer() = default;

void CISOViewBoxMultiLineLayer::AddLine(std::string text, Colour colour) {
    m_lines.push_back(Line{std::move(text), colour});
}

void CISOViewBoxMultiLineLayer::AddLine(std::string text) {
    AddLine(std::move(text), GetTextColour());
}

void CISOViewBoxMultiLineLayer::AppendText(CTextSink& out, int32_t indent) const {
    for (size_t i = 0; i < m_lines.size(); ++i) {
        if (i != 0) out.Append('\n');
        out.AppendTabs(indent);
        out.Append("| + ");
        out.Append(m_lines[i].text);
        out.LineDone();
    }
}

void CISOViewBoxMultiLineLayer::Measure(IDrawingSurface& surface) {
    const FontSpec* font = GetFont();
    m_lineHeight = kSpaceAboveLine + kSpaceBelowLine + TextLineHeight(surface, font);
    m_widestLine = 0;
    for (const Line& line : m_lines)
        m_widestLine = std::max(m_widestLine, surface.MeasureText(font, line.text, false).width);
    const int64_t contentHeight = int64_t{m_lineHeight} * static_cast<int64_t>(m_lines.size());
    SetSizeFromContent(Saturate(int64_t{kLeftGap} + kRightGap + m_widestLine),
                       Saturate(contentHeight));
}

void CISOViewBoxMultiLineLayer::Draw(IDrawingSurface& surface, int32_t x, int32_t y,
                                     const Rect& clip) {
    (void)clip;
    DrawFrame(surface, x, y);
    const FontSpec* font = GetFont();
    const LayerMargins& margins = GetMargins();
    const int32_t left = Saturate(int64_t{x} + margins.left);
    const int32_t right = Saturate(int64_t{x} + GetWidth() - margins.right);
    int64_t top = int64_t{y} + margins.top;
    for (const Line& line : m_lines) {
        const int64_t bottom = top + m_lineHeight;
        surface.DrawText(font, line.text, Rect{left, Saturate(top), right, Saturate(bottom)},
                         line.colour, TextAlign::Left, false);
        top = bottom;
    }
}
