#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "parsing/LogWriter.h"

// A warning or an error of a parse, with the box it was met at.
struct LogDiagnostic {
    bool error = false;
    int64_t offset = 0;                // where the box's header starts
    std::array<uint8_t, 4> type = {};  // the box's type as read (zeros when it was not)
    std::string text;
};

// Passes everything on to the log it wraps (none at all is fine) and keeps each warning and
// error with the box the driver was at, so that writers get them without reading log text.
class CDiagnosticLogWriter : public ILogWriter {
public:
    explicit CDiagnosticLogWriter(ILogWriter* inner) : m_inner(inner) {}

    int PrintText(std::string_view text) override;
    bool WantsText() const override { return m_inner && m_inner->WantsText(); }
    int Clear() override;
    int SaveToFile(const std::string& fileName) override;
    int SetCounters(int32_t* errorCounter, int32_t* warningCounter) override;
    int32_t GetWarningCount() const override;
    int32_t GetErrorCount() const override;
    void SetBoxContext(int64_t offset, const uint8_t type[4]) override;

    // What the current parse met so far, in order; a new parse starts with none.
    const std::vector<LogDiagnostic>& GetDiagnostics() const { return m_diagnostics; }
    void ClearDiagnostics() { m_diagnostics.clear(); }
    // The box the driver was at last: where a parse that failed stopped.
    int64_t GetContextOffset() const { return m_offset; }
    const std::array<uint8_t, 4>& GetContextType() const { return m_type; }
    // The last box whose header the driver read before `limit` (the end of the file): the one
    // whose size sent the parse beyond the end, when the parse stopped there.
    void SetContextLimit(int64_t limit) {
        m_limit = limit;
        m_lastInsideOffset = 0;
        m_lastInsideType = {};
    }
    int64_t GetLastInsideOffset() const { return m_lastInsideOffset; }
    const std::array<uint8_t, 4>& GetLastInsideType() const { return m_lastInsideType; }

protected:
    int PrintErrorText(std::string_view text) override;
    int PrintWarningText(std::string_view text) override;

private:
    int Record(bool error, std::string_view text);

    ILogWriter* m_inner;
    int64_t m_offset = 0;
    std::array<uint8_t, 4> m_type = {};
    int64_t m_limit = INT64_MAX;
    int64_t m_lastInsideOffset = 0;
    std::array<uint8_t, 4> m_lastInsideType = {};
    std::vector<LogDiagnostic> m_diagnostics;
};
