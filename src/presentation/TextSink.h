#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Where text forms are written. A whole-tree export can run to millions of lines, so the
// writers append to one pending buffer and, between lines, offer it to Drain once it is large;
// an exporter overrides Drain to convert and write the text out and empty the buffer. The base
// class never drains: it simply collects the whole text (GetText uses it that way).
//
// Drain is only ever called at a line boundary, so the pending text never ends inside a line
// or inside a UTF-8 sequence.
class CTextSink {
public:
    explicit CTextSink(size_t drainThreshold = SIZE_MAX) : m_threshold(drainThreshold) {}
    virtual ~CTextSink() = default;
    CTextSink(const CTextSink&) = delete;
    CTextSink& operator=(const CTextSink&) = delete;

    void Append(std::string_view text) { m_text.append(text); }
    void Append(char c) { m_text.push_back(c); }
    void AppendTabs(int32_t count) {
        if (count > 0) m_text.append(static_cast<size_t>(count), '\t');
    }
    // Direct access for writers that format numbers in place.
    std::string& Buffer() { return m_text; }

    // Writers call this after each complete line.
    void LineDone() {
        if (m_text.size() >= m_threshold) Drain(m_text);
    }
    // Hands whatever is pending to Drain; an exporter calls it once at the end.
    void Flush() { Drain(m_text); }

    const std::string& GetText() const { return m_text; }
    std::string TakeText() { return std::move(m_text); }

protected:
    // Receives the pending text; an override writes it out and clears it.
    virtual void Drain(std::string& text) { (void)text; }

private:
    std::string m_text;
    size_t m_threshold;
};
