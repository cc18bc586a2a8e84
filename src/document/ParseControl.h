#pragma once

#include <string>

#include "document/DocumentView.h"
#include "document/OrvexDoc.h"
#include "document/Settings.h"

// The box view's work on a file: open, parse, reset, and the message for a failed parse. Kept
// apart from any window so that the desktop view, orvex-dump and the tests share it.
class CParseControl {
public:
    CParseControl(COrvexDoc& document, IDocumentView& view, const ISettingsStore& settings)
        : m_document(document), m_view(view), m_settings(settings) {}

    // 1 when the file was opened (whatever its parse gave), 0 when it could not be opened.
    int OpenFile(const std::string& path);
    // Parses the open file once per opening; a failure is shown in a message box. Returns the
    // parse result (0 also when there was nothing to do).
    int32_t StartParsing();
    void ResetView();

private:
    COrvexDoc& m_document;
    IDocumentView& m_view;
    const ISettingsStore& m_settings;
};
