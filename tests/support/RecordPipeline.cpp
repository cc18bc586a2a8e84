#include "support/RecordPipeline.h"

#include <gtest/gtest.h>

#include "parsing/3GPPBoxParsingHandler.h"
#include "parsing/ISOFileFormatParser.h"
#include "parsing/MobileMP4BoxParsingHandler.h"

namespace {
class Recorder : public IParserCallbackProcessor {
public:
    std::function<void(const ISOFileFormat::Box&)> inspect;
    std::vector<RecordedBox> entries;

    int32_t OnParseBegin() override { return 0; }
    int32_t OnBoxParsed(ISOFileFormat::Box* record) override {
        if (inspect) inspect(*record);
        return 0;
    }
    int32_t OnBoxList(size_t, const std::vector<std::unique_ptr<ISOFileFormat::Box>>&) override {
        return 0;
    }
    int32_t OnBoxEntry(const BoxEntry* e) override {
        entries.push_back({std::string(reinterpret_cast<const char*>(e->record->type), 4),
                           e->record->id, e->depth});
        return 0;
    }
    int32_t OnParseEnd() override { return 0; }
};
}  // namespace

ParseOutcome ParseRecords(const BoxBuilder& file,
                          std::function<void(const ISOFileFormat::Box&)> inspect) {
    Recorder recorder;
    recorder.inspect = std::move(inspect);
    CStringLogWriter log;
    CISOFileFormatParser parser(&recorder, &log);
    parser.AddHandler(std::make_unique<C3GPPBoxParsingHandler>());
    parser.AddHandler(std::make_unique<CMobileMP4BoxParsingHandler>());
    EXPECT_EQ(parser.Open(file.WriteTempFile("records.mp4").c_str()), 1);
    ParseOutcome out;
    out.result = parser.Parse();
    out.log = log.GetText();
    out.entries = recorder.entries;
    const std::string name = "box name : ", passed = "passed length : ";
    for (size_t at = out.log.find("WARNING :"); at != std::string::npos;
         at = out.log.find("WARNING :", at + 1)) {
        const size_t n = out.log.rfind(name, at);
        const size_t p = out.log.find(passed, at);
        out.warnings.emplace_back(
            n == std::string::npos ? "" : out.log.substr(n + name.size(), 4),
            p == std::string::npos
                ? ""
                : out.log.substr(p + passed.size(),
                                 out.log.find(' ', p + passed.size()) - p - passed.size()));
    }
    for (size_t at = out.log.find("ERROR :"); at != std::string::npos;
         at = out.log.find("ERROR :", at + 1)) {
        ++out.errors;
    }
    return out;
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
