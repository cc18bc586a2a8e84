#include "document/JsonExport.h"

#include <rapidjson/filewritestream.h>
#include <rapidjson/writer.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <vector>

#include "document/ConformanceViewBox.h"
#include "document/GeneralViewBox.h"
#include "document/OrvexDoc.h"
#include "model/TextConversion.h"

namespace {

using Writer = rapidjson::Writer<rapidjson::FileWriteStream>;

// Texts of the core are UTF-8; should one not be, each byte of a broken sequence is kept as
// the Latin-1 character of the same number, so nothing from the file is lost. RapidJSON then
// escapes what JSON asks to.
void String(Writer& w, std::string_view text) {
    const bool ascii = std::all_of(text.begin(), text.end(), [](char c) { return c >= 0; });
    const std::string valid = ascii ? std::string() : Utf8OrLatin1(text);
    const std::string_view out = ascii ? text : std::string_view(valid);
    w.String(out.data(), static_cast<rapidjson::SizeType>(out.size()));
}

void Key(Writer& w, const char* key) {
    w.Key(key);
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
        Key(w, "heading");
        String(w, text.Value());
        w.EndObject();
        return;
    }
    Key(w, "label");
    String(w, text.Label());
    // The kind's name, indexed by ItemValueKind; None and Heading have no value.
    static constexpr const char* kKindNames[] = {nullptr, "number", "date", "duration",
                                                 "fixed", "flags",  "text", nullptr};
    static_assert(std::size(kKindNames) == static_cast<size_t>(ItemValueKind::Heading) + 1);
    if (const char* kind = kKindNames[static_cast<size_t>(v.kind)]) {
        Key(w, "kind"), w.String(kind);
        Key(w, "value");
        if (v.kind == ItemValueKind::Number) {
            w.Int64(v.AsSigned());
        } else if (v.kind == ItemValueKind::Fixed) {
            w.Double(v.FixedValue());
        } else if (v.kind == ItemValueKind::Text) {
            String(w, text.Value());
        } else {
            w.Uint64(v.payload);
        }
        if (v.kind == ItemValueKind::Duration) Key(w, "timescale"), w.Uint(v.aux);
        if (v.kind == ItemValueKind::Fixed) Key(w, "raw"), w.Uint64(v.payload);
    }
    Key(w, "text");
    String(w, text.Value());
    w.EndObject();
}

void WriteItems(Writer& w, const CISOViewBoxItemLayer& layer) {
    w.StartArray();
    ItemText text;
    for (size_t i = 0; i < layer.GetItemCount(); ++i)
        WriteItem(w, layer, i, text);
    w.EndArray();
}

void WriteLog(Writer& w, const std::vector<LogDiagnostic>& diagnostics) {
    w.StartArray();
    for (const LogDiagnostic& d : diagnostics) {
        w.StartObject();
        Key(w, "severity"), w.String(d.error ? "error" : "warning");
        Key(w, "offset"), w.Int64(d.offset);
        Key(w, "type"), TypeText(w, d.type);
        Key(w, "message"), String(w, d.text);
        w.EndObject();
    }
    w.EndArray();
}

// The sections of the quick information: the general facts as fields, the conformance tests
// as the lines they show.
void WriteQuickInformation(Writer& w, const CNodeList& nodes) {
    const CGeneralViewBox* general = nullptr;
    const CConformanceViewBox* conformance = nullptr;
    for (size_t i = 0; i < nodes.size() && !(general && conformance); ++i) {
        const CISOViewBox* node = nodes.Stored(i);
        if (!node || node->IsBox()) continue;
        if (!general) general = dynamic_cast<const CGeneralViewBox*>(node);
        if (!conformance) conformance = dynamic_cast<const CConformanceViewBox*>(node);
    }
    Key(w, "quickInformation");
    if (general && general->GetContentsLayer()) {
        WriteItems(w, *general->GetContentsLayer());
    } else {
        w.StartArray();
        w.EndArray();
    }
    Key(w, "conformanceInformation");
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
    Key(w, "userType"), String(w, uuid);
}

// A line of the media data view: its text and byte range, and for a sample whether it is a
// random access point.
void WriteLineFacts(Writer& w, const CNodeList& nodes, size_t index, const MediaDataLine* line) {
    Key(w, "line"), String(w, nodes.GetTitle(index));
    Key(w, "offset"), w.Uint64(line ? line->fileOffset : nodes.GetFileOffset(index));
    Key(w, "size"), w.Uint64(line ? line->size : nodes.GetBoxSize(index));
    if (line && line->kind == MediaDataLine::Kind::Sample)
        Key(w, "randomAccess"), w.Bool(line->randomAccess);
}

// A box: its facts and fields.
void WriteBoxFacts(Writer& w, const CISOViewBox& node) {
    Key(w, "type"), TypeText(w, node.GetTypeBytes());
    const CISOViewBoxLayer* shortName = node.GetShortTypeNameLayer();
    const CISOViewBoxLayer* longName = node.GetLongTypeNameLayer();
    Key(w, "name"), String(w, shortName ? shortName->Text() : std::string());
    Key(w, "longName"), String(w, longName ? longName->Text() : std::string());
    for (const auto& layer : node.GetLayers()) {
        if (layer->GetKind() == LayerKind::Title && layer.get() != shortName) {
            Key(w, "description"), String(w, layer->Text());
        }
    }
    Key(w, "offset"), w.Uint64(node.GetFileOffset());
    Key(w, "size"), w.Uint64(node.GetBoxSize());
    Key(w, "headerSize"), w.Uint(node.GetHeaderSize());
    WriteUserType(w, node);
    if (const CISOViewBoxItemLayer* header = node.GetHeaderLayer()) {
        for (size_t i = 0; i < header->GetItemCount(); ++i) {
            const ItemValue v = header->GetItemValue(i);
            if (v.kind == ItemValueKind::Number) Key(w, "version"), w.Int64(v.AsSigned());
            if (v.kind == ItemValueKind::Flags) Key(w, "flags"), w.Uint64(v.payload);
        }
    }
    Key(w, "container"), w.Bool(node.IsContainer());
    if (const CISOViewBoxItemLayer* contents = node.GetContentsLayer()) {
        Key(w, "fields");
        WriteItems(w, *contents);
    }
}

// The tree from the display list, where a node's children are the nodes after it with a
// greater depth. The quick information (a section at depth 0, not a box) is written apart.
void WriteTree(Writer& w, const CNodeList& nodes) {
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
    Key(w, "boxes");
    w.StartArray();
    int32_t skipBelow = -1;  // depth of a skipped section, -1 when none
    for (size_t i = 0; i < nodes.size(); ++i) {
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
            Key(w, "children");
            w.StartArray();
            open.back().childrenOpen = true;
        }
        w.StartObject();
        if (node && node->IsBox())
            WriteBoxFacts(w, *node);
        else
            WriteLineFacts(w, nodes, i, line ? &*line : nullptr);
        open.push_back(Open{depth, false});
    }
    closeTo(INT32_MIN);
    w.EndArray();
}

}  // namespace

bool WriteTreeJson(const COrvexDoc& document, std::string_view parsedFileName, std::FILE* file) {
    char buffer[65536];
    rapidjson::FileWriteStream stream(file, buffer, sizeof buffer);
    Writer w(stream);
    w.StartObject();
    Key(w, "file");
    w.StartObject();
    Key(w, "name"), String(w, parsedFileName);
    Key(w, "size"), w.Uint64(document.GetFileSize());
    w.EndObject();
    Key(w, "parse");
    w.StartObject();
    Key(w, "result"), w.Int(document.GetParseResult());
    Key(w, "message"), String(w, GetParseResultMessage(document.GetParseResult()));
    w.EndObject();
    Key(w, "log");
    WriteLog(w, document.GetDiagnostics());
    WriteQuickInformation(w, document.GetNodes());
    WriteTree(w, document.GetNodes());
    w.EndObject();
    stream.Put('\n');
    stream.Flush();
    return w.IsComplete() && std::ferror(file) == 0 && std::fflush(file) == 0;
}

bool ExportTreeJsonToFile(const COrvexDoc& document, std::string_view parsedFileName,
                          const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"),
                                                         &std::fclose);
    if (!file) return false;
    const bool written = WriteTreeJson(document, parsedFileName, file.get());
    return std::fclose(file.release()) == 0 && written;
}
