#include "support/NodePipeline.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/3GPPViewBoxHandler.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"
#include "presentation/MobileMP4ViewBoxHandler.h"
#include "presentation/ValueFormatContext.h"
#include "presentation/ViewBoxFilling.h"

namespace {
class NodeBuilder : public IParserCallbackProcessor {
public:
    NodeBuilder(ParsedNodes& out, const std::vector<std::unique_ptr<IViewBoxHandler>>& handlers)
        : m_out(out), m_handlers(handlers) {}
    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box*) override { return 0; }
    int32_t OnBoxList(size_t, const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* entry) override {
        CISOViewBox node(entry->record, entry->depth, static_cast<uint64_t>(entry->offset));
        node.SetContainer(entry->container == 1);
        FillViewBoxFromHandlers(*entry->record, node, m_handlers);
        m_out.types.emplace_back(reinterpret_cast<const char*>(entry->record->type), 4);
        m_out.texts.push_back(node.GetText(false));
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }

private:
    ParsedNodes& m_out;
    const std::vector<std::unique_ptr<IViewBoxHandler>>& m_handlers;
};

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    lines.push_back(text.substr(start));
    return lines;
}
// Whether `actual` is `wanted`, in which "..." stands for any run of lines.
bool LinesMatch(const std::vector<std::string>& wanted, const std::vector<std::string>& actual) {
    const std::string skipLines = "...";
    auto next = actual.begin();
    bool skip = false;
    for (auto w = wanted.begin(); w != wanted.end();) {
        if (*w == skipLines) {
            skip = true;
            ++w;
            continue;
        }
        const auto end = std::find(w, wanted.end(), skipLines);
        const auto hit = std::search(next, actual.end(), w, end);
        if (hit == actual.end() || (!skip && hit != next)) return false;
        next = hit + (end - w);
        w = end;
        skip = false;
    }
    return skip || next == actual.end();
}
}  // namespace

std::string ParsedNodes::TextOf(const std::string& type, size_t nth) const {
    for (size_t i = 0; i < types.size(); ++i) {
        if (types[i] == type && nth-- == 0) return texts[i];
    }
    return std::string();
}

ParsedNodes ParseToNodes(const BoxBuilder& file,
                         const std::vector<std::unique_ptr<IViewBoxHandler>>& viewHandlers) {
    ParsedNodes out;
    NodeBuilder builder(out, viewHandlers);
    CStringLogWriter log;
    CISOFileFormatParser parser(&builder, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    EXPECT_EQ(parser.Open(file.WriteTempFile("nodes.mp4").c_str()), 1);
    out.result = parser.Parse();
    out.log = log.GetText();
    return out;
}

ParsedNodes ParseWithDocumentHandlers(const BoxBuilder& file) {
    CValueFormatContext context;
    std::vector<std::unique_ptr<IViewBoxHandler>> handlers;
    handlers.push_back(std::make_unique<CISOViewBoxHandler>(context));
    handlers.push_back(std::make_unique<C3GPPViewBoxHandler>());
    handlers.push_back(std::make_unique<CMobileMP4ViewBoxHandler>());
    return ParseToNodes(file, handlers);
}

std::vector<std::string> FieldLines(const std::string& nodeText) {
    std::vector<std::string> lines = SplitLines(nodeText);
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& line) {
        return line.find(" : ") != std::string::npos;
    });
    lines.erase(lines.begin(), first);
    return lines;
}

BoxBuilder WordBox(std::string_view type, uint8_t version, uint32_t flags,
                   std::initializer_list<uint32_t> words) {
    BoxBuilder b;
    b.OpenFull(type, version, flags);
    for (const uint32_t word : words)
        b.U32(word);
    return b.Close();
}

void ExpectNodeFields(const std::vector<NodeCase>& cases) {
    for (const NodeCase& c : cases) {
        SCOPED_TRACE("node " + c.type + " #" + std::to_string(c.nth));
        const ParsedNodes nodes = ParseWithDocumentHandlers(c.file);
        EXPECT_EQ(nodes.result, 0) << c.type << ": " << nodes.log;
        const std::vector<std::string> actual = FieldLines(nodes.TextOf(c.type, c.nth));
        EXPECT_TRUE(LinesMatch(c.fields, actual)) << nodes.TextOf(c.type, c.nth);
    }
}
