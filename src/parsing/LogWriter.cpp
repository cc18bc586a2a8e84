#include "parsing/LogWriter.h"

#include <cstdarg>
#include <fstream>

#include "model/TextConversion.h"

int ILogWriter::Print(const char* format, ...) {
    if (!WantsText()) return 0;
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    return PrintText(text);
}

int ILogWriter::PrintError(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    return PrintErrorText(text);
}

int ILogWriter::PrintWarning(const char* format, ...) {
    va_list args;
    va_start(args, format);
    std::string text = StrFormatV(format, args);
    va_end(args);
    return PrintWarningText(text);
}

int CLogWriterBase::SetCounters(int32_t* errorCounter, int32_t* warningCounter) {
    m_errorCounter = errorCounter;
    m_warningCounter = warningCounter;
    return 0;
}

int32_t CLogWriterBase::GetWarningCount() const {
    return m_warningCounter ? *m_warningCounter : -1;
}

int32_t CLogWriterBase::GetErrorCount() const {
    return m_errorCounter ? *m_errorCounter : -1;
}

int CLogWriterBase::PrintErrorText(std::string_view text) {
    PrintText("\r\n\r\nERROR :\r\n");
    PrintText(text);
    PrintText("\r\n\r\n");
    if (m_errorCounter) ++*m_errorCounter;
    return 0;
}

int CLogWriterBase::PrintWarningText(std::string_view text) {
    PrintText("\r\n\r\nWARNING :\r\n");
    PrintText(text);
    PrintText("\r\n\r\n");
    if (m_warningCounter) ++*m_warningCounter;
    return 0;
}

int CStringLogWriter::PrintText(std::string_view text) {
    m_text.append(text);
    return 0;
}

int CStringLogWriter::Clear() {
    m_text.clear();
    return 0;
}

int CStringLogWriter::SaveToFile(const std::string& fileName) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) return 0;
    // The log's own line breaks stay as they are, so every line keeps the break that ended it.
    std::string bytes = Utf8ToSingleByte(m_text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 1;
}
