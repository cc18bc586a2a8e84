#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "model/Format.h"

// Where a parse writes its trace. The formatting front ends are shared; implementations supply
// the text sink (PrintText), Clear and SaveToFile.
class ILogWriter {
public:
    virtual ~ILogWriter() = default;

    int Print(const char* format, ...) ORVEX_PRINTF(2, 3);
    virtual int PrintText(std::string_view text) = 0;
    // False when the writer drops every text and PrintText returns 0: Print then skips the
    // formatting, which a trace line per box makes a measurable part of a large parse.
    virtual bool WantsText() const { return true; }
    int PrintError(const char* format, ...) ORVEX_PRINTF(2, 3);
    int PrintWarning(const char* format, ...) ORVEX_PRINTF(2, 3);
    virtual int Clear() = 0;
    // Writes the whole log, one byte per character, each line followed by the line break that
    // ended it. 1 saved, 0 the file could not be created.
    virtual int SaveToFile(const std::string& fileName) = 0;
    virtual int SetCounters(int32_t* errorCounter, int32_t* warningCounter) = 0;
    virtual int32_t GetWarningCount() const = 0;
    virtual int32_t GetErrorCount() const = 0;
    // The box the driver is at: offset of its header and its type as read (zeros until it
    // is). Warnings and errors that follow were met in that box.
    virtual void SetBoxContext(int64_t offset, const uint8_t type[4]) {
        (void)offset;
        (void)type;
    }

protected:
    virtual int PrintErrorText(std::string_view text) = 0;
    virtual int PrintWarningText(std::string_view text) = 0;
};

// The error/warning blocks and the counters, common to every log writer.
class CLogWriterBase : public ILogWriter {
public:
    int SetCounters(int32_t* errorCounter, int32_t* warningCounter) override;
    int32_t GetWarningCount() const override;
    int32_t GetErrorCount() const override;

protected:
    int PrintErrorText(std::string_view text) override;
    int PrintWarningText(std::string_view text) override;

private:
    int32_t* m_errorCounter = nullptr;
    int32_t* m_warningCounter = nullptr;
};

// A log held in memory: used by orvex-dump and the tests.
class CStringLogWriter : public CLogWriterBase {
public:
    int PrintText(std::string_view text) override;
    int Clear() override;
    int SaveToFile(const std::string& fileName) override;
    const std::string& GetText() const { return m_text; }

private:
    std::string m_text;
};
