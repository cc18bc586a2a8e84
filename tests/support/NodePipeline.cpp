#include "support/NodePipeline.h"

#include <gtest/gtest.h>

#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/ISOViewBox.h"
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
        m_out.depths.push_back(entry->depth);
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }

private:
    ParsedNodes& m_out;
    const std::vector<std::unique_ptr<IViewBoxHandler>>& m_handlers;
};
}  // namespace

std::string ParsedNodes::TextOf(const std::string& type) const {
    for (size_t i = 0; i < types.size(); ++i) {
        if (types[i] == type) return texts[i];
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
