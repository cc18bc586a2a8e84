#include "support/DumpPipeline.h"

#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/ParseControl.h"
#include "document/Settings.h"
#include "document/TreeExport.h"
#include "model/TextConversion.h"
#include "parsing/LogWriter.h"
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
    CStringLogWriter log;
    CTestDocumentView view;
    CMemorySettingsStore settings;
    // Parsed once, explicitly, to have the result: a failed automatic parse would leave the
    // document unparsed and a second call would parse it all over again.
    SetSwitchSetting(settings, SwitchAutoParse, false);
    COrvexDoc document(view, &log, settings);
    CParseControl control(document, view, settings);
    if (!control.OpenFile(path)) return outcome;
    outcome.opened = true;
    outcome.result = control.StartParsing();
    if (outcome.result == 0) {
        CountingSink sink;
        WriteTreeText(document.GetViewBoxes(), path, false, sink);
        outcome.exportBytes = sink.Bytes();
    }
    outcome.logBytes = Utf8ToSingleByte(log.GetText()).size();
    outcome.message = view.lastMessage;
    return outcome;
}
