#include "support/DumpPipeline.h"

#include "document/TreeExport.h"
#include "model/TextConversion.h"
#include "support/TestDocumentView.h"

namespace {
// Converts what the export writes as the file sink does, but keeps only its length, so that
// a tree of millions of lines is drained in pieces instead of held whole.
class CountingSink : public CTextSink {
public:
    CountingSink() : CTextSink(1 << 20) {}
    size_t Bytes() const { return m_count; }

protected:
    void Drain(std::string& text) override {
        m_bytes.clear();
        AppendSingleByte(text, m_bytes, true);
        m_count += m_bytes.size();
        text.clear();
    }

private:
    std::string m_bytes;
    size_t m_count = 0;
};
}  // namespace

DumpOutcome DumpThroughDocument(const std::string& path) {
    DumpOutcome outcome;
    TestDocument t;
    // Parsed once, explicitly, to have the result: a failed automatic parse would leave the
    // document unparsed and a second call would parse it all over again.
    SetSwitchSetting(t.settings, SwitchAutoParse, false);
    if (!t.control.OpenFile(path)) return outcome;
    outcome.opened = true;
    outcome.result = t.control.StartParsing();
    if (outcome.result == 0) {
        CountingSink sink;
        WriteTreeText(t.doc.GetViewBoxes(), path, false, sink);
        outcome.exportBytes = sink.Bytes();
    }
    outcome.logBytes = Utf8ToSingleByte(t.log.GetText()).size();
    outcome.message = t.view.lastMessage;
    return outcome;
}
