#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "presentation/DrawingSurface.h"
#include "presentation/ISOViewBoxLayer.h"
#include "presentation/TextSink.h"
#include "presentation/ViewBoxHandler.h"

namespace ISOFileFormat {
struct Box;
struct FullBox;
}  // namespace ISOFileFormat

// The layers of a node in drawing and text order, owned, with the reading side of a vector.
// Most nodes of a large file are lines of one layer: that layer is held inline, and only a node
// with more layers keeps a list of them on the heap.
class CISOViewBoxLayerList {
public:
    using Pointer = std::unique_ptr<CISOViewBoxLayer>;

    const Pointer* begin() const { return Data(); }
    const Pointer* end() const { return Data() + size(); }
    size_t size() const { return m_many ? m_many->size() : (m_one ? 1 : 0); }
    bool empty() const { return size() == 0; }
    const Pointer& operator[](size_t index) const { return Data()[index]; }

    // Appends a layer; a null pointer is ignored.
    void PushBack(Pointer layer);

private:
    const Pointer* Data() const { return m_many ? m_many->data() : &m_one; }

    Pointer m_one;
    std::unique_ptr<std::vector<Pointer>> m_many;
};

// One node of the displayed tree: a box (or a section of our own) drawn as a stack of layers
// of equal width. The tree is not linked: the document keeps every node in one list in file
// order with its depth, and a node's children are the nodes after it with a greater depth.
class CISOViewBox {
public:
    // With a record, builds the standard layers (short type name, long type name, description
    // when the catalogue has one, hidden header and contents layers) and the summary
    // "Box Size : %llu bytes". With none, the summary is "Not an Actual Box" and there are no
    // layers: the owner adds its own.
    CISOViewBox(const ISOFileFormat::Box* box, int32_t depth, uint64_t fileOffset);
    virtual ~CISOViewBox();

    // The file offset a click `y` pixels below the node's top leads to, for a node whose lines
    // stand for places in the file; none for the others (a click then selects the node).
    virtual std::optional<uint64_t> OffsetAtHeight(int64_t y) const {
        (void)y;
        return std::nullopt;
    }
    CISOViewBox(const CISOViewBox&) = delete;
    CISOViewBox& operator=(const CISOViewBox&) = delete;

    // The plain-text form: "\n" and the layer's text form for each visible layer; with
    // `indented`, every line starts with one tab per depth level.
    std::string GetText(bool indented) const;
    void AppendText(CTextSink& out, bool indented) const;

    // Measures every visible layer; the node is as wide as its widest layer and as tall as
    // its layers together, and every visible layer is widened to the node's width.
    void Measure(IDrawingSurface& surface);
    // Draws the visible layers from (x, y) downwards, measuring first when needed. `clip` is
    // the visible area in the same coordinates.
    void Draw(IDrawingSurface& surface, int32_t x, int32_t y, const Rect& clip);
    // Width and height, measuring first when needed.
    Extent GetSize(IDrawingSurface& surface);
    bool NeedsMeasure() const { return m_needsMeasure; }
    // After a change of a layer's text or items, the next GetSize or Draw measures again.
    void InvalidateMeasure() { m_needsMeasure = true; }
    int32_t GetWidth() const { return m_width; }
    int32_t GetHeight() const { return m_height; }

    // Stores the flag; a container gets ", Container" appended to its summary.
    void SetContainer(bool container);
    bool IsContainer() const { return m_container; }

    // Header layer items "version" (number) and "flags" ("%02X%02X%02Xh"); shows the layer.
    void AddVersionFlags(const ISOFileFormat::FullBox& box);

    // The tooltip text.
    std::string GetSummaryText() const;
    void SetSummaryText(std::string text);
    // The same, with a text that many nodes share (the media data view marks each of up to
    // millions of random access points this way).
    void ShareSummaryText(std::shared_ptr<const std::string> text);

    int32_t GetDepth() const { return m_depth; }
    int32_t GetChildCount() const { return m_childCount; }
    void IncrementChildCount() { ++m_childCount; }
    void SetChildCount(int32_t count) { m_childCount = count; }
    bool IsExpanded() const { return m_expanded; }
    void SetExpanded(bool expanded) { m_expanded = expanded; }

    // The box's byte range in the file (0 and 0 for sections that are not boxes, unless their
    // owner sets them).
    uint64_t GetBoxSize() const { return m_boxSize; }
    void SetBoxSize(uint64_t size) { m_boxSize = size; }
    uint64_t GetFileOffset() const { return m_fileOffset; }
    void SetFileOffset(uint64_t offset) { m_fileOffset = offset; }

    // Whether the node stands for a box, rather than a section or line of our own.
    bool IsBox() const { return m_isBox; }
    // The type bytes of the box as read (zeros for nodes that are not boxes).
    std::array<uint8_t, 4> GetTypeBytes() const;
    // Bytes of the box's size and type fields; the document sets it from the parse.
    uint32_t GetHeaderSize() const { return m_headerSize; }
    void SetHeaderSize(uint32_t size) { m_headerSize = static_cast<uint8_t>(std::min(size, 255u)); }

    // Layers in drawing and text order; the node owns them.
    const CISOViewBoxLayerList& GetLayers() const { return m_layers; }
    template <class Layer>
    Layer* AddLayer(std::unique_ptr<Layer> layer) {
        Layer* raw = layer.get();
        m_layers.PushBack(std::move(layer));
        m_needsMeasure = true;
        return raw;
    }

    // The layers with a role of their own (null when the node has none). Nodes built without a
    // box name theirs after adding them; a role goes to one of the node's first layers.
    CISOViewBoxLayer* GetShortTypeNameLayer() const { return LayerAt(m_shortTypeNameIndex); }
    CISOViewBoxLayer* GetLongTypeNameLayer() const { return LayerAt(m_longTypeNameIndex); }
    CISOViewBoxItemLayer* GetHeaderLayer() const {
        return static_cast<CISOViewBoxItemLayer*>(LayerAt(m_headerIndex));
    }
    CISOViewBoxItemLayer* GetContentsLayer() const {
        return static_cast<CISOViewBoxItemLayer*>(LayerAt(m_contentsIndex));
    }
    void SetShortTypeNameLayer(CISOViewBoxLayer* layer) { m_shortTypeNameIndex = IndexOf(layer); }
    void SetLongTypeNameLayer(CISOViewBoxLayer* layer) { m_longTypeNameIndex = IndexOf(layer); }
    void SetHeaderLayer(CISOViewBoxItemLayer* layer) { m_headerIndex = IndexOf(layer); }
    void SetContentsLayer(CISOViewBoxItemLayer* layer) { m_contentsIndex = IndexOf(layer); }

    // For sections that are not boxes: colours of the short type name layer, and items of the
    // contents layer (AddNumber in decimal only). No effect while the layer is missing.
    void SetTitleColours(Colour text, Colour back);
    void AddHeading(std::string_view text);
    void AddItem(std::string_view label, std::string_view value);
    void AddNumber(std::string_view label, int64_t value);

    // The text of the short type name layer of a box's node: the catalogue's type, or the type
    // bytes quoted.
    static std::string ShortTypeName(const ISOFileFormat::Box& box);

    static constexpr std::string_view kNotABoxSummary = "Not an Actual Box";
    static constexpr std::string_view kContainerSuffix = ", Container";

private:
    // Layer roles are kept as positions in the layer list: a large file has millions of nodes.
    static constexpr uint8_t kNoLayer = UINT8_MAX;
    CISOViewBoxLayer* LayerAt(uint8_t index) const {
        return index != kNoLayer && index < m_layers.size() ? m_layers[index].get() : nullptr;
    }
    uint8_t IndexOf(const CISOViewBoxLayer* layer) const;

    void BuildStandardLayers(const ISOFileFormat::Box& box);

    CISOViewBoxLayerList m_layers;
    // Null while the summary is the one derived from the box size (most nodes never need the
    // text, so it is made only when asked for).
    std::shared_ptr<const std::string> m_summary;
    uint64_t m_boxSize = 0;
    uint64_t m_fileOffset;
    int32_t m_depth;
    int32_t m_childCount = 0;
    int32_t m_width = 0;
    int32_t m_height = 0;
    uint32_t m_type = 0;  // the type bytes in file order, big-endian
    uint8_t m_headerSize = 0;
    uint8_t m_shortTypeNameIndex = kNoLayer;
    uint8_t m_longTypeNameIndex = kNoLayer;
    uint8_t m_headerIndex = kNoLayer;
    uint8_t m_contentsIndex = kNoLayer;
    bool m_expanded : 1 = true;
    bool m_container : 1 = false;
    bool m_needsMeasure : 1 = true;
    bool m_isBox : 1;
};
