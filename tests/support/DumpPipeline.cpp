#include "support/DumpPipeline.h"

#include <cstdio>

#include "document/JsonExport.h"
#include "document/TreeExport.h"
#include "model/TextConversion.h"
#include "support/TestDocumentView.h"

DumpOutcome DumpThroughDocument(const std::string& path) {
    DumpOutcome outcome;
    TestDocument t;
    // Parsed once, explicitly, to have the result: a failed automatic parse would leave the
    // document unparsed and a second call would parse it all over again.
    SetSwitchSetting(t.settings, SwitchAutoParse, false);
    if (!t.control.OpenFile(path)) return outcome;
    outcome.opened = true;
    outcome.result = t.control.StartParsing();
    outcome.findings = t.doc.GetFindings().size();
    for (const Finding& f : t.doc.GetFindings()) {
        if (f.id.empty() || f.sentence.empty() ||
            (f.offset != 0 && f.offset >= t.doc.GetFileSize()))
            outcome.findingsWellFormed = false;
    }
    // The exports' own writers, into streams that only count the bytes: a tree of millions of
    // lines passes through in pieces instead of being held whole.
    cookie_io_functions_t counter{};
    counter.write = [](void* bytes, const char*, size_t size) -> ssize_t {
        *static_cast<size_t*>(bytes) += size;
        return static_cast<ssize_t>(size);
    };
    if (outcome.result == 0) {
        std::FILE* file = fopencookie(&outcome.exportBytes, "w", counter);
        CSingleByteFileSink sink(file);
        WriteTreeText(t.doc.GetNodes(), path, false, sink);
        std::fclose(file);
    }
    // JSON is written for a failed parse too.
    std::FILE* json = fopencookie(&outcome.jsonBytes, "w", counter);
    outcome.jsonWritten = WriteTreeJson(t.doc, path, json);
    std::fclose(json);
    outcome.logBytes = Utf8ToSingleByte(t.log.GetText()).size();
    outcome.message = t.view.lastMessage;
    return outcome;
}
