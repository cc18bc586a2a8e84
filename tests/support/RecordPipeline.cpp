#include "support/RecordPipeline.h"

#include <gtest/gtest.h>

#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"

namespace {
std::string TypeOf(const ISOFileFormat::Box& r) {
    return std::string(reinterpret_cast<const char*>(r.type), 4);
}

class Recorder : public IParserCallbackProcessor {
public:
    const RecordDescriber* describe = nullptr;
    ParseOutcome* out = nullptr;

    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* r) override {
        out->parsed.push_back(TypeOf(*r));
        return 0;
    }
    int32_t OnBoxList(size_t,
                      const std::vector<std::unique_ptr<ISOFileFormat::Box>>& records) override {
        for (const auto& r : records)
            out->listed.push_back(TypeOf(*r));
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* e) override {
        out->entries.emplace_back(TypeOf(*e->record), e->record->id, e->depth, e->offset,
                                  e->container);
        if (*describe) {
            std::string line = (*describe)(*e->record);
            if (!line.empty()) out->lines.push_back(std::move(line));
        }
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }
};

size_t Count(const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}
}  // namespace

ParseOutcome ParseRecords(const BoxBuilder& file, const RecordDescriber& describe) {
    ParseOutcome out;
    Recorder recorder;
    recorder.describe = &describe;
    recorder.out = &out;
    CStringLogWriter log;
    CISOFileFormatParser parser(&recorder, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    EXPECT_EQ(parser.Open(file.WriteTempFile("records.mp4").c_str()), 1);
    out.result = parser.Parse();
    out.log = log.GetText();
    const std::string name = "box name : ", passed = "passed length : ";
    for (size_t at = out.log.find("WARNING :"); at != std::string::npos;
         at = out.log.find("WARNING :", at + 1)) {
        const size_t n = out.log.rfind(name, at);
        const size_t p = out.log.find(passed, at) + passed.size();
        out.warnings.push_back(out.log.substr(n + name.size(), 4) + ":" +
                               out.log.substr(p, out.log.find(' ', p) - p));
    }
    out.errors = static_cast<int>(Count(out.log, "ERROR :"));
    return out;
}

Lines RecordLines(const BoxBuilder& file, const RecordDescriber& describe) {
    ParseOutcome o = ParseRecords(file, describe);
    for (const std::string& warning : o.warnings)
        o.lines.push_back("passed " + warning);
    if (o.result != 0) o.lines.push_back("result " + std::to_string(o.result));
    return o.lines;
}

BoxBuilder& OpenTrackEntries(BoxBuilder& b, const char* handler, uint32_t entries) {
    b.OpenFull("hdlr", 0, 0).U32(0).FourCC(handler).Zeros(12).U8(0).Close();
    return b.OpenFull("stsd", 0, 0).U32(entries);
}

BoxBuilder& OpenAudioEntry(BoxBuilder& b, const char* type) {
    return b.Open(type).Zeros(6).U16(1).Zeros(8).U16(2).U16(16).Zeros(4).U32(44100u << 16);
}

BoxBuilder& OpenVisualEntry(BoxBuilder& b, const char* type, std::string_view compressor) {
    b.Open(type).Zeros(6).U16(1).Zeros(16).U16(176).U16(144).U32(0x480000).U32(0x480000);
    b.Zeros(4)
        .U16(1)
        .Text(compressor.substr(0, 32))
        .Zeros(32 - std::min<size_t>(32, compressor.size()));
    return b.U16(24).U16(0xFFFF);
}
