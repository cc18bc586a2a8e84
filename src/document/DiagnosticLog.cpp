#include "document/DiagnosticLog.h"

#include <algorithm>

int CDiagnosticLogWriter::PrintText(std::string_view text) {
    return m_inner ? m_inner->PrintText(text) : 0;
}

int CDiagnosticLogWriter::Clear() {
    return m_inner ? m_inner->Clear() : 0;
}

int CDiagnosticLogWriter::SaveToFile(const std::string& fileName) {
    return m_inner ? m_inner->SaveToFile(fileName) : 0;
}

int CDiagnosticLogWriter::SetCounters(int32_t* errorCounter, int32_t* warningCounter) {
    return m_inner ? m_inner->SetCounters(errorCounter, warningCounter) : 0;
}

int32_t CDiagnosticLogWriter::GetWarningCount() const {
    return m_inner ? m_inner->GetWarningCount() : -1;
}

int32_t CDiagnosticLogWriter::GetErrorCount() const {
    return m_inner ? m_inner->GetErrorCount() : -1;
}

void CDiagnosticLogWriter::SetBoxContext(int64_t offset, const uint8_t type[4]) {
    m_offset = offset;
    std::copy(type, type + 4, m_type.begin());
    // The driver names each box twice: before its header is read (zeros), then with its type.
    if (offset < m_limit && std::any_of(type, type + 4, [](uint8_t b) { return b != 0; })) {
        m_lastInsideOffset = offset;
        m_lastInsideType = m_type;
    }
    if (m_inner) m_inner->SetBoxContext(offset, type);
}

int CDiagnosticLogWriter::Record(bool error, std::string_view text) {
    m_diagnostics.push_back(LogDiagnostic{error, m_offset, m_type, std::string(text)});
    if (!m_inner) return 0;
    const int length = static_cast<int>(text.size());
    return error ? m_inner->PrintError("%.*s", length, text.data())
                 : m_inner->PrintWarning("%.*s", length, text.data());
}

int CDiagnosticLogWriter::PrintErrorText(std::string_view text) {
    return Record(true, text);
}

int CDiagnosticLogWriter::PrintWarningText(std::string_view text) {
    return Record(false, text);
}
