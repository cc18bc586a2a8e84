#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
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
    const std::string& Text() const { return m_text; }
    void SetText(std::string text) { m_text = std::move(text); }

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
    std::unique_ptr<Style> m_style;
    int32_t m_width = 0;
    int32_t m_height = 0;
    Colour m_frameColour = kViewPalette.layerFrame;
    Colour m_textColour = kViewPalette.layerText;
    Colour m_backColour = kViewPalette.layerBack;
    int8_t m_kind;  // one of LayerKind
    bool m_visible = true;
};

// A two-column list of label/value items. An item with an empty label is a heading: drawn as
// a shaded band with its text centred across the layer.
//
// Items are kept compactly (a box can list millions of table entries): all texts of the layer
// live in one character buffer, each item is an offset and two lengths.
class CISOViewBoxItemLayer : public CISOViewBoxLayer {
public:
    // The value shown for an empty text.
    static constexpr std::string_view kEmptyValueText = "'empty' (zero-lengthed field)";

    explicit CISOViewBoxItemLayer(int32_t kind);
    ~CISOViewBoxItemLayer() override;

    void AppendText(CTextSink& out, int32_t indent) const override;
    void Measure(IDrawingSurface& surface) override;
    void Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip) override;

    // Builds one item in place, piece by piece, without temporary strings: the label first,
    // then, after Value(), the value. The item is appended when the writer is destroyed, so a
    // whole entry fits in one expression:
    //   layer.BeginItem().Text("entry ").Unsigned(n).Value().Text("chunk_offset : 0x").Hex(v, 8);
    // An empty value becomes kEmptyValueText, as with AddItem. Only one writer per layer may be
    // open at a time, and nothing else may be added to the layer while it is.
    class ItemWriter {
    public:
        ~ItemWriter();
        ItemWriter(const ItemWriter&) = delete;
        ItemWriter& operator=(const ItemWriter&) = delete;

        ItemWriter& Text(std::string_view text);
        ItemWriter& Char(char c);
        ItemWriter& Signed(int64_t value);                        // "%lld"
        ItemWriter& Unsigned(uint64_t value, int minDigits = 1);  // "%llu", "%02llu"...
        ItemWriter& Hex(uint64_t value, int minDigits = 1);       // "%llX", "%08llX"...
        // Ends the label; what follows is the value.
        ItemWriter& Value();

    private:
        friend class CISOViewBoxItemLayer;
        explicit ItemWriter(CISOViewBoxItemLayer& layer);
        CISOViewBoxItemLayer& m_layer;
        size_t m_start;
        size_t m_valueStart;
    };
    ItemWriter BeginItem() { return ItemWriter(*this); }

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

    // Makes room ahead for `items` items holding `textBytes` bytes of label and value text.
    void Reserve(size_t items, size_t textBytes);

    size_t GetItemCount() const { return m_items.size(); }
    std::string_view GetLabel(size_t index) const;
    std::string_view GetValue(size_t index) const;
    bool IsHeading(size_t index) const { return m_items[index].labelLength == 0; }
    // The value an item was made from by a typed adder, AddItem or AddHeading; kind None for
    // items built with an ItemWriter.
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

    // Typed values are kept apart, in item order, for the few items that have one: the rows of
    // a big table carry none and so cost nothing more.
    struct TypedItem {
        ItemValue value;
        size_t index;
    };

    std::vector<Item> m_items;
    std::vector<TypedItem> m_values;
    std::string m_chars;
    int32_t m_labelColumnWidth = 0;
    int32_t m_valueColumnWidth = 0;
    int32_t m_lineHeight = 0;
    Colour m_labelColumnColour = kViewPalette.itemLabelColumn;
    Colour m_shadeColour = kViewPalette.itemShade;
    bool m_writerOpen = false;
};

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
