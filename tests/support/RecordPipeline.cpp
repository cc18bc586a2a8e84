#include "support/RecordPipeline.h"

#include <gtest/gtest.h>

#include <span>

#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/BoxFamilies.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"
#include "presentation/3GPPViewBoxHandler.h"
#include "presentation/ISOViewBox.h"
#include "presentation/ISOViewBoxHandler.h"
#include "presentation/MobileMP4ViewBoxHandler.h"
#include "presentation/ValueFormatContext.h"
#include "presentation/ViewBoxFamilies.h"
#include "presentation/ViewBoxFilling.h"

namespace {
std::string TypeOf(const ISOFileFormat::Box& r) {
    return std::string(reinterpret_cast<const char*>(r.type), 4);
}

class Recorder : public IParserCallbackProcessor {
public:
    Recorder(ParseOutcome& out, const RecordDescriber& describe)
        : m_out(out), m_describe(describe) {}
    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* r) override {
        m_out.parsed.push_back(TypeOf(*r));
        std::string line = m_describe ? m_describe(*r) : std::string();
        if (!line.empty()) m_out.parsedLines.push_back(std::move(line));
        return 0;
    }
    int32_t OnBoxList(size_t,
                      const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) override {
        for (const auto& r : records)
            m_out.listed.push_back(TypeOf(*r));
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* e) override {
        m_out.entries.emplace_back(TypeOf(*e->record), e->record->id, e->depth, e->offset,
                                   e->container);
        std::string line = m_describe ? m_describe(*e->record) : std::string();
        if (!line.empty()) m_out.lines.push_back(std::move(line));
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }

private:
    ParseOutcome& m_out;
    const RecordDescriber& m_describe;
};

// Whether `actual` is `wanted`, in which "..." stands for any run of lines.
bool LinesMatch(std::span<const std::string> wanted, std::span<const std::string> actual) {
    if (wanted.empty()) return actual.empty();
    if (wanted.front() == "...") {
        for (size_t skipped = 0; skipped <= actual.size(); ++skipped)
            if (LinesMatch(wanted.subspan(1), actual.subspan(skipped))) return true;
        return false;
    }
    return !actual.empty() && wanted.front() == actual.front() &&
           LinesMatch(wanted.subspan(1), actual.subspan(1));
}

std::vector<std::string> FieldLines(const std::string& nodeText) {
    std::vector<std::string> lines;
    bool filled = false;
    for (size_t start = 0, end = 0; end != std::string::npos; start = end + 1) {
        end = nodeText.find('\n', start);
        const std::string line = nodeText.substr(start, end - start);
        filled = filled || line.find(" : ") != std::string::npos;
        if (filled) lines.push_back(line);
    }
    return lines;
}
}  // namespace

ParseOutcome ParseRecords(const BoxBuilder& file, const RecordDescriber& describe, BoxSet set) {
    ParseOutcome out;
    Recorder recorder(out, describe);
    CStringLogWriter log;
    CISOFileFormatParser parser(&recorder, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    AddBoxFamilyParsers(parser);
    parser.SetBoxSet(set);
    EXPECT_EQ(parser.Open(file.WriteTempFile("records.mp4").c_str()), 1);
    out.result = parser.Parse();
    out.log = log.GetText();
    return out;
}

Lines RecordLines(const BoxBuilder& file, const RecordDescriber& describe, BoxSet set) {
    ParseOutcome o = ParseRecords(file, describe, set);
    const std::string name = "box name : ", passed = "passed length : ";
    for (size_t at = o.log.find("WARNING :"); at != std::string::npos;
         at = o.log.find("WARNING :", at + 1)) {
        const size_t n = o.log.rfind(name, at) + name.size();
        const size_t p = o.log.find(passed, at) + passed.size();
        o.lines.push_back("passed " + o.log.substr(n, 4) + ":" +
                          o.log.substr(p, o.log.find(' ', p) - p));
    }
    if (o.result != 0) o.lines.push_back("result " + std::to_string(o.result));
    return o.lines;
}

BoxBuilder& OpenTrackEntries(BoxBuilder& b, const char* handler, uint32_t entries) {
    return b.Hdlr(handler).OpenFull("stsd", 0, 0).U32(entries);
}

BoxBuilder& OpenAudioEntry(BoxBuilder& b, const char* type) {
    return b.Open(type).Zeros(6).U16(1).Zeros(8).U16(2).U16(16).Zeros(4).U32(44100u << 16);
}

BoxBuilder& OpenVisualEntry(BoxBuilder& b, const char* type, std::string_view compressor) {
    compressor = compressor.substr(0, 32);
    b.Open(type).Zeros(6).U16(1).Zeros(16).U16(176).U16(144).U32(0x480000).U32(0x480000);
    b.Zeros(4).U16(1).Text(compressor).Zeros(32 - compressor.size());
    return b.U16(24).U16(0xFFFF);
}

BoxBuilder AudioEntryWith(const char* type, const BoxBuilder& child) {
    BoxBuilder b;
    OpenAudioEntry(OpenTrackEntries(b, "soun"), type).Append(child).Close().Close();
    return b.Leaf("free", {0, 0, 0, 0});
}

BoxBuilder WordBox(std::string_view type, uint8_t version, uint32_t flags,
                   std::initializer_list<uint32_t> words) {
    BoxBuilder b;
    b.OpenFull(type, version, flags);
    for (const uint32_t word : words)
        b.U32(word);
    return b.Close();
}

void ExpectNodeFields(const std::vector<NodeCase>& cases, BoxSet set) {
    for (const NodeCase& c : cases) {
        SCOPED_TRACE("node " + c.type);
        CValueFormatContext context;  // fresh, as for a new parse
        std::vector<std::unique_ptr<IViewBoxHandler>> handlers;
        if (set == BoxSet::Full) AddViewBoxFamilies(handlers, context);
        handlers.push_back(std::make_unique<CISOViewBoxHandler>(context));
        handlers.push_back(std::make_unique<C3GPPViewBoxHandler>());
        handlers.push_back(std::make_unique<CMobileMP4ViewBoxHandler>());
        const ParseOutcome o = ParseRecords(
            c.file,
            [&](const ISOFileFormat::Box& box) {
                CISOViewBox node(&box, 0, 0);  // every box: handlers keep what later boxes need
                FillViewBoxFromHandlers(box, node, handlers);
                return TypeOf(box) == c.type ? node.GetText(false) : std::string();
            },
            set);
        EXPECT_EQ(o.result, 0) << o.log;
        const std::string text = o.lines.empty() ? std::string() : o.lines.front();
        EXPECT_TRUE(LinesMatch(c.fields, FieldLines(text))) << text;
    }
}
