#include "document/JsonExport.h"

// RapidJSON scans strings for what needs escaping 16 bytes at a time where the processor can
// (into a string buffer only): a JSON export is mostly short strings, and this is most of its
// time.
#if defined(__SSE2__) && !defined(RAPIDJSON_SSE2)
#define RAPIDJSON_SSE2
#endif
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "document/ConformanceViewBox.h"
#include "document/GeneralViewBox.h"
#include "document/OrvexDoc.h"
#include "model/TextConversion.h"

namespace {

// The nodes [first, end) of a list: one document's tree in a list that may hold two.
struct NodeRange {
    size_t first = 0;
    size_t end = 0;
};

// Writes into a buffer that goes to the file whenever it holds a piece worth writing: the
// document is streamed, never held whole, whatever the size of a table.
class Writer : public rapidjson::Writer<rapidjson::StringBuffer> {
public:
    explicit Writer(std::FILE* file)
        : rapidjson::Writer<rapidjson::StringBuffer>(m_buffer), m_file(file) {}

    // Called between values, often enough that the buffer stays small.
    void DrainIfFull() {
        if (m_buffer.GetSize() >= kPiece) Drain();
    }
    void Drain() {
        const size_t size = m_buffer.GetSize();
        if (size != 0 && std::fwrite(m_buffer.GetString(), 1, size, m_file) != size) m_ok = false;
        m_buffer.Clear();
    }
    bool Ok() const { return m_ok; }

private:
    static constexpr size_t kPiece = 1 << 16;
    rapidjson::StringBuffer m_buffer;
    std::FILE* m_file;
    bool m_ok = true;
};

// Texts of the core are UTF-8; should one not be, each byte of a broken sequence is kept as
// the Latin-1 character of the same number, so nothing from the file is lost. RapidJSON then
// escapes what JSON asks to.
void String(Writer& w, std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; });
    const std::string valid = ascii ? std::string() : Utf8OrLatin1(text);
    const std::string_view out = ascii ? text : std::string_view(valid);
    w.String(out.data(), static_cast<rapidjson::SizeType>(out.size()));
}

// A key is a literal of letters: quoted when compiling, it is written as it stands (RapidJSON's
// Key is a string like any other, so the writer puts the same commas and colons around it).
template <size_t N>
struct QuotedKey {
    consteval QuotedKey(const char (&key)[N]) {
        text[0] = '"';
        for (size_t i = 0; i + 1 < N; ++i) {
            const char c = key[i];
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) throw "a key is letters only";
            text[i + 1] = c;
        }
        text[N] = '"';
    }
    char text[N + 1] = {};
};

template <QuotedKey Quoted>
void Key(Writer& w) {
    w.RawValue(Quoted.text, sizeof Quoted.text, rapidjson::kStringType);
}

void TypeText(Writer& w, const std::array<uint8_t, 4>& type) {
    String(w, Latin1ToUtf8(type.data(), type.size()));
}

// {label, value, text}, the value by the item's kind; a heading is {heading}.
// `text` is the buffer the item is read into, reused from item to item.
void WriteItem(Writer& w, const CISOViewBoxItemLayer& layer, size_t i, ItemText& text) {
    layer.ReadItem(i, text);
    const ItemValue v = text.value;
    w.StartObject();
    if (v.kind == ItemValueKind::Heading) {
        Key<"heading">(w);
        String(w, text.Value());
        w.EndObject();
        return;
    }
    Key<"label">(w);
    String(w, text.Label());
    // The kind's name, indexed by ItemValueKind; None and Heading have no value.
    static constexpr const char* kKindNames[] = {nullptr, "number", "date", "duration",
                                                 "fixed", "flags",  "text", nullptr};
    static_assert(std::size(kKindNames) == static_cast<size_t>(ItemValueKind::Heading) + 1);
    if (const char* kind = kKindNames[static_cast<size_t>(v.kind)]) {
        Key<"kind">(w), w.String(kind);
        Key<"value">(w);
        if (v.kind == ItemValueKind::Number) {
            w.Int64(v.AsSigned());
        } else if (v.kind == ItemValueKind::Fixed) {
            w.Double(v.FixedValue());
        } else if (v.kind == ItemValueKind::Text) {
            String(w, text.Value());
        } else {
            w.Uint64(v.payload);
        }
        if (v.kind == ItemValueKind::Duration) Key<"timescale">(w), w.Uint(v.aux);
        if (v.kind == ItemValueKind::Fixed) Key<"raw">(w), w.Uint64(v.payload);
    }
    Key<"text">(w);
    String(w, text.Value());
    w.EndObject();
}

void WriteItems(Writer& w, const CISOViewBoxItemLayer& layer) {
    w.StartArray();
    ItemText text;
    for (size_t i = 0; i < layer.GetItemCount(); ++i) {
        WriteItem(w, layer, i, text);
        w.DrainIfFull();
    }
    w.EndArray();
}

void WriteLog(Writer& w, const std::vector<LogDiagnostic>& diagnostics) {
    w.StartArray();
    for (const LogDiagnostic& d : diagnostics) {
        w.StartObject();
        Key<"severity">(w), w.String(d.error ? "error" : "warning");
        Key<"offset">(w), w.Int64(d.offset);
        Key<"type">(w), TypeText(w, d.type);
        Key<"message">(w), String(w, d.text);
        w.EndObject();
    }
    w.EndArray();
}

// The sections of the quick information: the general facts as fields, the conformance tests
// as the lines they show.
void WriteQuickInformation(Writer& w, const CNodeList& nodes, NodeRange range) {
    const CGeneralViewBox* general = nullptr;
    const CConformanceViewBox* conformance = nullptr;
    for (size_t i = range.first; i < range.end && !(general && conformance); ++i) {
        const CISOViewBox* node = nodes.Stored(i);
        if (!node || node->IsBox()) continue;
        if (!general) general = dynamic_cast<const CGeneralViewBox*>(node);
        if (!conformance) conformance = dynamic_cast<const CConformanceViewBox*>(node);
    }
    Key<"quickInformation">(w);
    if (general && general->GetContentsLayer()) {
        WriteItems(w, *general->GetContentsLayer());
    } else {
        w.StartArray();
        w.EndArray();
    }
    Key<"conformanceInformation">(w);
    w.StartArray();
    if (conformance) {
        for (const auto& layer : conformance->GetLayers()) {
            const auto* lines = dynamic_cast<const CISOViewBoxMultiLineLayer*>(layer.get());
            if (!lines) continue;
            for (size_t i = 0; i < lines->GetLineCount(); ++i)
                String(w, lines->GetLine(i));
        }
    }
    w.EndArray();
}

// A 'uuid' box's extended type as a UUID string ("6d1d9b05-42d5-44e6-80e2-141daff757b2"). The
// node outlives the record that held the 16 bytes, so they are read back from the item that
// shows them ("0x6D1D9B05-42D5-44E6-80E2-141DAFF757B2").
void WriteUserType(Writer& w, const CISOViewBox& node) {
    constexpr std::array<uint8_t, 4> kUuid = {'u', 'u', 'i', 'd'};
    constexpr size_t kShownLength = 2 + 32 + 4;
    const CISOViewBoxItemLayer* contents = node.GetContentsLayer();
    if (node.GetTypeBytes() != kUuid || !contents || contents->GetItemCount() == 0) return;
    ItemText item;
    contents->ReadItem(0, item);
    if (item.Label() != "UUID" || item.Value().size() != kShownLength) return;
    std::string uuid(item.Value().substr(2));
    std::transform(uuid.begin(), uuid.end(), uuid.begin(), [](char c) {
        return c >= 'A' && c <= 'F' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    Key<"userType">(w), String(w, uuid);
}

// A line of the media data view: its text and byte range, and for a sample whether it is a
// random access point.
void WriteLineFacts(Writer& w, const CNodeList& nodes, size_t index, const MediaDataLine* line) {
    Key<"line">(w), String(w, nodes.GetTitle(index));
    Key<"offset">(w), w.Uint64(line ? line->fileOffset : nodes.GetFileOffset(index));
    Key<"size">(w), w.Uint64(line ? line->size : nodes.GetBoxSize(index));
    if (line && line->kind == MediaDataLine::Kind::Sample)
        Key<"randomAccess">(w), w.Bool(line->randomAccess);
}

// A box: its facts and fields.
void WriteBoxFacts(Writer& w, const CISOViewBox& node) {
    Key<"type">(w), TypeText(w, node.GetTypeBytes());
    const CISOViewBoxLayer* shortName = node.GetShortTypeNameLayer();
    const CISOViewBoxLayer* longName = node.GetLongTypeNameLayer();
    Key<"name">(w), String(w, shortName ? shortName->Text() : std::string_view());
    Key<"longName">(w), String(w, longName ? longName->Text() : std::string_view());
    for (const auto& layer : node.GetLayers()) {
        if (layer->GetKind() == LayerKind::Title && layer.get() != shortName) {
            Key<"description">(w), String(w, layer->Text());
        }
    }
    Key<"offset">(w), w.Uint64(node.GetFileOffset());
    Key<"size">(w), w.Uint64(node.GetBoxSize());
    Key<"headerSize">(w), w.Uint(node.GetHeaderSize());
    WriteUserType(w, node);
    if (const CISOViewBoxItemLayer* header = node.GetHeaderLayer()) {
        for (size_t i = 0; i < header->GetItemCount(); ++i) {
            const ItemValue v = header->GetItemValue(i);
            if (v.kind == ItemValueKind::Number) Key<"version">(w), w.Int64(v.AsSigned());
            if (v.kind == ItemValueKind::Flags) Key<"flags">(w), w.Uint64(v.payload);
        }
    }
    Key<"container">(w), w.Bool(node.IsContainer());
    if (const CISOViewBoxItemLayer* contents = node.GetContentsLayer()) {
        Key<"fields">(w);
        WriteItems(w, *contents);
    }
}

// The tree from the display list, where a node's children are the nodes after it with a
// greater depth. The quick information (a section at depth 0, not a box) is written apart.
void WriteTree(Writer& w, const CNodeList& nodes, NodeRange range) {
    struct Open {
        int32_t depth;
        bool childrenOpen;
    };
    std::vector<Open> open;
    auto closeTo = [&](int32_t depth) {
        while (!open.empty() && open.back().depth >= depth) {
            if (open.back().childrenOpen) w.EndArray();
            w.EndObject();
            open.pop_back();
        }
    };
    Key<"boxes">(w);
    w.StartArray();
    int32_t skipBelow = -1;  // depth of a skipped section, -1 when none
    for (size_t i = range.first; i < range.end; ++i) {
        // A line is copied: the title below is read through the same list.
        const MediaDataLine* found = nodes.GetLine(i);
        const std::optional<MediaDataLine> line =
            found ? std::optional<MediaDataLine>(*found) : std::nullopt;
        const CISOViewBox* node = line ? nullptr : nodes.Stored(i);
        const int32_t depth = line ? line->depth : node->GetDepth();
        if (skipBelow >= 0 && depth > skipBelow) continue;
        skipBelow = -1;
        closeTo(depth);
        if ((!node || !node->IsBox()) && open.empty()) {
            skipBelow = depth;
            continue;
        }
        if (!open.empty() && !open.back().childrenOpen) {
            Key<"children">(w);
            w.StartArray();
            open.back().childrenOpen = true;
        }
        w.StartObject();
        if (node && node->IsBox())
            WriteBoxFacts(w, *node);
        else
            WriteLineFacts(w, nodes, i, line ? &*line : nullptr);
        open.push_back(Open{depth, false});
        w.DrainIfFull();
    }
    closeTo(INT32_MIN);
    w.EndArray();
}

// What the integrity checks found; the classic reading has no such section.
void WriteFindings(Writer& w, const std::vector<Finding>& findings) {
    Key<"findings">(w);
    w.StartArray();
    for (const Finding& f : findings) {
        w.StartObject();
        Key<"id">(w), String(w, f.id);
        Key<"severity">(w), String(w, SeverityName(f.severity));
        Key<"offset">(w), w.Uint64(f.offset);
        Key<"type">(w), String(w, std::string(f.type.begin(), f.type.end()));
        Key<"sentence">(w), String(w, f.sentence);
        w.EndObject();
    }
    w.EndArray();
}

}  // namespace

namespace {
// One document's export, the object the schema's "export" describes.
void WriteDocument(Writer& w, const COrvexDoc& document, std::string_view parsedFileName,
                   const CNodeList& nodes, NodeRange range) {
    w.StartObject();
    Key<"file">(w);
    w.StartObject();
    Key<"name">(w), String(w, parsedFileName);
    Key<"size">(w), w.Uint64(document.GetFileSize());
    w.EndObject();
    Key<"parse">(w);
    w.StartObject();
    Key<"result">(w), w.Int(document.GetParseResult());
    Key<"message">(w), String(w, GetParseResultMessage(document.GetParseResult()));
    w.EndObject();
    Key<"log">(w);
    WriteLog(w, document.GetDiagnostics());
    WriteQuickInformation(w, nodes, range);
    if (document.GetBoxSet() == BoxSet::Full) WriteFindings(w, document.GetFindings());
    WriteTree(w, nodes, range);
    w.EndObject();
}

bool Finish(Writer& w, std::FILE* file) {
    w.Drain();
    const bool complete = w.IsComplete();
    return complete && w.Ok() && std::fputc('\n', file) != EOF && std::ferror(file) == 0 &&
           std::fflush(file) == 0;
}

void WriteDocument(Writer& w, const COrvexDoc& document, std::string_view parsedFileName) {
    const CNodeList& nodes = document.GetNodes();
    WriteDocument(w, document, parsedFileName, nodes, NodeRange{0, nodes.size()});
}
}  // namespace

bool WriteTreeJson(const COrvexDoc& document, std::string_view parsedFileName, std::FILE* file) {
    Writer w(file);
    const COrvexDoc* init = document.HasOwnInitSegment() ? document.GetInitSegment() : nullptr;
    if (init == nullptr || !document.IsParsed()) {
        WriteDocument(w, document, parsedFileName);
        return Finish(w, file);
    }
    // The viewer shows both trees in one list, each under its heading; the export keeps them
    // apart, as orvex-dump --init writes them.
    const CNodeList& nodes = document.GetNodes();
    const COrvexDoc::InitSegmentNodes parts = document.GetInitSegmentNodes();
    w.StartObject();
    Key<"initSegment">(w);
    WriteDocument(w, *init, init->GetFilePath(), nodes, NodeRange{parts.first, parts.end});
    Key<"segment">(w);
    WriteDocument(w, document, parsedFileName, nodes, NodeRange{parts.segmentFirst, nodes.size()});
    w.EndObject();
    return Finish(w, file);
}

bool WriteSegmentWithInitJson(const COrvexDoc& init, std::string_view initFileName,
                              const COrvexDoc& segment, std::string_view segmentFileName,
                              std::FILE* file) {
    Writer w(file);
    w.StartObject();
    Key<"initSegment">(w);
    WriteDocument(w, init, initFileName);
    Key<"segment">(w);
    WriteDocument(w, segment, segmentFileName);
    w.EndObject();
    return Finish(w, file);
}

bool ExportTreeJsonToFile(const COrvexDoc& document, std::string_view parsedFileName,
                          const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) return false;
    const bool written = WriteTreeJson(document, parsedFileName, file.get());
    return std::fclose(file.release()) == 0 && written;
}
