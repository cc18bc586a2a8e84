#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "presentation/DrawingSurface.h"
#include "presentation/ItemValue.h"
#include "presentation/TextSink.h"
#include "presentation/ViewPalette.h"

class CValueFormatContext;

// What a layer is for. Stored with the layer; drawing and the text form do not look at it.
namespace LayerKind {
constexpr int32_t Title = 0;     // short type name, description, title of a synthetic section
constexpr int32_t LongName = 1;  // long type name
constexpr int32_t Header = 2;    // version and flags
constexpr int32_t Contents = 3;  // decoded fields, lines of synthetic sections
}  // namespace LayerKind

struct LayerMargins {
    int32_t left = 5;
    int32_t top = 5;
    int32_t right = 5;
    int32_t bottom = 5;
};

// One line of text centred in a framed rectangle. The base of the item and multi-line layers.
class CISOViewBoxLayer {
public:
    explicit CISOViewBoxLayer(int32_t kind);
    virtual ~CISOViewBoxLayer();
    CISOViewBoxLayer(const CISOViewBoxLayer&) = delete;
    CISOViewBoxLayer& operator=(const CISOViewBoxLayer&) = delete;

    // Appends the layer's text form, every line preceded by `indent` tabs and lines joined by
    // "\n" (none after the last).
    virtual void AppendText(CTextSink& out, int32_t indent) const;
    // Computes width and height on `surface` with the layer's font (or the surface's).
    virtual void Measure(IDrawingSurface& surface);
    // Draws the layer with its top-left corner at (x, y). `clip` is the visible area in the
    // same coordinates; layers with long lists skip what lies outside it.
    virtual void Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip);

    // The text form as a string.
    std::string GetText(int32_t indent) const;

    // The layer's own line of text (the base layer shows it; the others do not use it).
    std::string_view Text() const { return m_staticText ? std::string_view(m_staticText) : m_text; }
    void SetText(std::string text) {
        m_text = std::move(text);
        m_staticText = nullptr;
    }
    // The same, keeping the layer's buffer: a layer redrawn with many texts allocates once.
    void AssignText(std::string_view text) {
        m_text.assign(text);
        m_staticText = nullptr;
    }
    // The same with a text of the program's own that lives as long as the program (a box's
    // names from the catalogue): nothing is copied, and a node made for every box it writes
    // allocates nothing for them.
    void SetStaticText(const char* text) { m_staticText = text; }

    void SetVisible(bool visible) { m_visible = visible; }
    bool IsVisible() const { return m_visible; }
    int32_t GetKind() const { return m_kind; }

    void SetTextColour(Colour colour) { m_textColour = colour; }
    Colour GetTextColour() const { return m_textColour; }
    void SetBackColour(Colour colour) { m_backColour = colour; }
    Colour GetBackColour() const { return m_backColour; }
    void SetFrameColour(Colour colour) { m_frameColour = colour; }
    Colour GetFrameColour() const { return m_frameColour; }
    static constexpr int32_t GetFrameWidth() { return kFrameWidth; }

    void SetMargins(int32_t left, int32_t top, int32_t right, int32_t bottom);
    const LayerMargins& GetMargins() const;

    // Replaces the layer's font; bold means weight 700.
    void SetFont(std::string faceName, int32_t sizeTenths, bool bold, bool italic);
    // The layer's font, or null when the surface's current font is used.
    const FontSpec* GetFont() const { return m_style && m_style->font ? &*m_style->font : nullptr; }

    // Results of Measure; the node then widens every visible layer to its own width.
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }
    void SetWidth(int32_t width) { m_width = width; }

    // Width of the outline pen; the frame is drawn this much larger on the right and bottom.
    static constexpr int32_t kOutlinePenWidth = 2;
    // Added twice to the width and the height by measuring.
    static constexpr int32_t kFrameWidth = 1;

protected:
    // Sets width and height from the content extent: margins and frame around it.
    void SetSizeFromContent(int32_t contentWidth, int32_t contentHeight);
    // Fills the layer's rectangle with the back colour and outlines it in the frame colour.
    void DrawFrame(IDrawingSurface& surface, int32_t x, int32_t y) const;

private:
    // What only a few layers change: most keep the default margins and the surface's font,
    // and a large file has millions of one-layer lines, so this is kept apart.
    struct Style {
        LayerMargins margins;
        std::optional<FontSpec> font;
    };
    Style& EditStyle();

    std::string m_text;
    const char* m_staticText = nullptr;
    std::unique_ptr<Style> m_style;
    int32_t m_width = 0;
    int32_t m_height = 0;
    Colour m_frameColour = kViewPalette.layerFrame;
    Colour m_textColour = kViewPalette.layerText;
    Colour m_backColour = kViewPalette.layerBack;
    int8_t m_kind;  // one of LayerKind
    bool m_visible = true;
};

// Writes an item's label and then, after Value(), its value onto the end of a string, in
// place and without temporary strings:
//   item.Text("entry ").Unsigned(n).Value().Text("chunk_offset : 0x").Hex(v, 8);
// `separator` is written between the two (the text export writes " : " there).
class CItemTextWriter {
public:
    explicit CItemTextWriter(std::string& out, std::string_view separator = {})
        : m_out(out), m_separator(separator) {}
    CItemTextWriter(const CItemTextWriter&) = delete;
    CItemTextWriter& operator=(const CItemTextWriter&) = delete;

    CItemTextWriter& Text(std::string_view text);
    CItemTextWriter& Char(char c);
    CItemTextWriter& Signed(int64_t value);                        // "%lld"
    CItemTextWriter& Unsigned(uint64_t value, int minDigits = 1);  // "%llu", "%02llu"...
    CItemTextWriter& Hex(uint64_t value, int minDigits = 1);       // "%llX", "%08llX"...
    // "0x" and every byte as two upper-case hexadecimal digits ("0x" alone for none).
    CItemTextWriter& HexBytes(std::span<const uint8_t> bytes);
    // Ends the label; what follows is the value.
    CItemTextWriter& Value();
    // Ends the item: an empty value becomes CISOViewBoxItemLayer::kEmptyValueText.
    void Finish();

    // Where the value starts in the string (its end before Value()).
    size_t ValueStart() const {
        return m_valueStart == std::string::npos ? m_out.size() : m_valueStart;
    }

protected:
    std::string& m_out;
    std::string_view m_separator;
    size_t m_valueStart = std::string::npos;
};

// Rows of a table, written only when they are measured, drawn or exported: a box can list
// millions of entries, and their texts would cost far more than the entries themselves. A
// source keeps a copy of the entries it shows (the records die when the parse returns). A row
// always has a label, so it is never a heading.
class CItemRows {
public:
    virtual ~CItemRows() = default;
    // Writes row `row` and returns the value it shows (kind None when its text is all).
    virtual ItemValue WriteRow(size_t row, CItemTextWriter& out) const = 0;
};

// One item's texts and value, read back from a layer into a buffer that can be reused.
struct ItemText {
    std::string chars;  // label, then value
    size_t labelLength = 0;
    ItemValue value;

    std::string_view Label() const { return std::string_view(chars).substr(0, labelLength); }
    std::string_view Value() const { return std::string_view(chars).substr(labelLength); }
};

// A two-column list of label/value items. An item with an empty label is a heading: drawn as
// a shaded band with its text centred across the layer.
//
// Items are kept compactly: all texts of the layer live in one character buffer, each item is
// an offset and two lengths; the rows of big tables are not kept as text at all (CItemRows).
class CISOViewBoxItemLayer : public CISOViewBoxLayer {
public:
    // The value shown for an empty text.
    static constexpr std::string_view kEmptyValueText = "'empty' (zero-lengthed field)";

    explicit CISOViewBoxItemLayer(int32_t kind);
    ~CISOViewBoxItemLayer() override;

    void AppendText(CTextSink& out, int32_t indent) const override;
    void Measure(IDrawingSurface& surface) override;
    void Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) override;

    // Builds one item in the layer's text, piece by piece; the item is appended when the
    // writer is destroyed, so a whole entry fits in one expression:
    //   layer.BeginItem().Text("entry ").Unsigned(n).Value().Text("chunk_offset : 0x").Hex(v, 8);
    // An empty value becomes kEmptyValueText, as with AddItem. Only one writer per layer may be
    // open at a time, and nothing else may be added to the layer while it is.
    class ItemWriter : public CItemTextWriter {
    public:
        ~ItemWriter();

    private:
        friend class CISOViewBoxItemLayer;
        explicit ItemWriter(CISOViewBoxItemLayer& layer);
        CISOViewBoxItemLayer& m_layer;
        size_t m_start;
    };
    ItemWriter BeginItem() { return ItemWriter(*this); }

    // Appends `count` rows written by `rows` when needed.
    void AddRows(size_t count, std::unique_ptr<CItemRows> rows);
    // The same with a function, as CFunctionRows takes it.
    template <typename Write>
    void AddRows(size_t count, Write write);

    // "label : %lld" or "label : %lld (0x%llX)", as AddNumber writes it; returns the value.
    static ItemValue WriteNumber(CItemTextWriter& item, std::string_view label, int64_t value,
                                 bool decimalOnly = false);

    // Appends an item; an empty value becomes kEmptyValueText.
    void AddItem(std::string_view label, std::string_view value);
    // Appends a heading: empty label, `text` as value (an empty text gives a blank band).
    void AddHeading(std::string_view text);

    // Typed adders: the label and the value formatted as the field's type asks.
    // "%lld", or "%lld (0x%llX)" with the value twice; callers widen unsigned fields with zeros
    // and signed fields with their sign.
    void AddNumber(std::string_view label, int64_t value, bool decimalOnly = false);
    // "%02dh:%02dm:%02ds at %02d %s, %04d (0x%llX)" in local time for seconds since
    // 1904-01-01 00:00:00 UTC; nothing at all for 0. A time whose local date lies beyond the
    // year 9999, or that the system cannot convert, shows kDateOutOfRangeText and the raw value.
    void AddDate(std::string_view label, uint64_t secondsSince1904);
    static constexpr std::string_view kDateOutOfRangeText = "date out of range";
    // "%02lluh:%02dm:%02ds (0x%llX)" (hours not wrapped at 24) for a duration in units of
    // `timescale`; a timescale of 0 means the last one handed to the context.
    void AddDuration(std::string_view label, uint64_t duration, uint32_t timescale,
                     CValueFormatContext& context);
    // "%u.%u (0x%08X)": integer part, then the 16 fraction bits as a decimal integer.
    void AddFixed16(std::string_view label, uint32_t value);
    // "%u.%u (0x%04X)": integer byte, then the fraction byte as a decimal integer.
    void AddFixed8(std::string_view label, uint16_t value);

    size_t GetItemCount() const { return m_items.size() + m_rowCount; }
    // An item's texts and value in `out`, whose buffer is reused; the way to read many items.
    void ReadItem(size_t index, ItemText& out) const;
    std::string GetLabel(size_t index) const;
    std::string GetValue(size_t index) const;
    bool IsHeading(size_t index) const;
    // The value an item was made from by a typed adder, AddItem or AddHeading, or that its row
    // shows; kind None for items built with an ItemWriter.
    ItemValue GetItemValue(size_t index) const;
    // Gives the item added last the value it shows (AddVersionFlags types its flags this way).
    void SetLastItemValue(ItemValue value);

    void SetLabelColumnColour(Colour colour) { m_labelColumnColour = colour; }
    Colour GetLabelColumnColour() const { return m_labelColumnColour; }
    void SetShadeColour(Colour colour) { m_shadeColour = colour; }
    Colour GetShadeColour() const { return m_shadeColour; }

    // Results of Measure.
    int32_t GetLabelColumnWidth() const { return m_labelColumnWidth; }
    int32_t GetValueColumnWidth() const { return m_valueColumnWidth; }
    int32_t GetLineHeight() const { return m_lineHeight; }

    // A heading band's colour: `colour` blended with `shade`, 150/255 of the colour.
    static Colour MixWithShade(Colour colour, Colour shade);

    // Spacings around the columns and lines, in pixels.
    static constexpr int32_t kGapBeforeColumn = 3;
    static constexpr int32_t kSpaceAboveLine = 4;
    static constexpr int32_t kGapAfterColumn = 3;
    static constexpr int32_t kSpaceBelowLine = 4;
    // A heading that is not the first item gets this much space above it and is this much
    // taller.
    static constexpr int32_t kHeadingExtra = 2;

private:
    struct Item {
        uint64_t start;  // label at start, value right after it
        uint32_t labelLength;
        uint32_t valueLength;
    };
    void CommitItem(size_t start, size_t valueStart);
    void ReserveForItems();

    // Rows added together, at item index `first`, after `storedBefore` stored items.
    struct RowBlock {
        size_t first;
        size_t count;
        size_t storedBefore;
        std::unique_ptr<CItemRows> rows;
    };
    // Where item `index` lives: a row of a block, or a stored item.
    struct Place {
        const RowBlock* block;  // null for a stored item
        size_t position;        // the row in the block, or the stored item's index
    };
    Place Locate(size_t index) const;
    std::string_view StoredLabel(size_t stored) const;
    std::string_view StoredValue(size_t stored) const;

    // Typed values are kept apart, in item order, for the few items that have one: the rows of
    // a big table carry none and so cost nothing more.
    struct TypedItem {
        ItemValue value;
        size_t index;
    };

    std::vector<Item> m_items;
    std::vector<TypedItem> m_values;
    std::vector<RowBlock> m_blocks;
    size_t m_rowCount = 0;
    std::string m_chars;
    int32_t m_labelColumnWidth = 0;
    int32_t m_valueColumnWidth = 0;
    int32_t m_lineHeight = 0;
    Colour m_labelColumnColour = kViewPalette.itemLabelColumn;
    Colour m_shadeColour = kViewPalette.itemShade;
    bool m_writerOpen = false;
};

// Rows written by a function `ItemValue write(size_t row, CItemTextWriter&)` (or one returning
// nothing) that owns what it needs.
template <typename Write>
class CFunctionRows : public CItemRows {
public:
    explicit CFunctionRows(Write write) : m_write(std::move(write)) {}
    ItemValue WriteRow(size_t row, CItemTextWriter& out) const override {
        if constexpr (std::is_void_v<
                          std::invoke_result_t<const Write&, size_t, CItemTextWriter&>>) {
            m_write(row, out);
            return ItemValue{};
        } else {
            return m_write(row, out);
        }
    }

private:
    Write m_write;
};

template <typename Write>
void CISOViewBoxItemLayer::AddRows(size_t count, Write write) {
    // Typed as the base, so that the overload taking it is chosen over this template.
    std::unique_ptr<CItemRows> rows = std::make_unique<CFunctionRows<Write>>(std::move(write));
    AddRows(count, std::move(rows));
}

// Lines of text, each in its own colour, drawn left-aligned one under the other.
class CISOViewBoxMultiLineLayer : public CISOViewBoxLayer {
public:
    explicit CISOViewBoxMultiLineLayer(int32_t kind);
    ~CISOViewBoxMultiLineLayer() override;

    void AppendText(CTextSink& out, int32_t indent) const override;
    void Measure(IDrawingSurface& surface) override;
    void Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) override;

    void AddLine(std::string text, Colour colour);
    // In the layer's text colour at the time of the call.
    void AddLine(std::string text);

    size_t GetLineCount() const { return m_lines.size(); }
    const std::string& GetLine(size_t index) const { return m_lines[index].text; }
    Colour GetLineColour(size_t index) const { return m_lines[index].colour; }

    // Results of Measure.
    int32_t GetLineHeight() const { return m_lineHeight; }
    int32_t GetWidestLineWidth() const { return m_widestLine; }

    static constexpr int32_t kLeftGap = 3;
    static constexpr int32_t kSpaceAboveLine = 4;
    static constexpr int32_t kRightGap = 3;
    static constexpr int32_t kSpaceBelowLine = 4;

private:
    struct Line {
        std::string text;
        Colour colour;
    };
    std::vector<Line> m_lines;
    int32_t m_lineHeight = 0;
    int32_t m_widestLine = 0;
};
