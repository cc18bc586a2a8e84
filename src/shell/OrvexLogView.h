#pragma once

#include <QPlainTextEdit>
#include <QTimer>
#include <cstdint>
#include <string>
#include <string_view>

#include "parsing/LogWriter.h"

// The log pane: the parse trace, warnings and errors, in a read-only text control.
//
// The log's own text, with its "\r\n" line breaks, is kept beside the control (which has line
// breaks of its own kind): saving writes that text, so every line keeps the break that ended
// it. A parse appends hundreds of thousands of small pieces; inserting
// each into the control would cost far more than the parse, so appends collect in a buffer
// that goes into the control in one insertion when the program is next idle (or on Flush).
class COrvexLogView : public QPlainTextEdit, public CLogWriterBase {
    Q_OBJECT

public:
    static constexpr int kLinesPerParagraph = 16;

    explicit COrvexLogView(QWidget* parent = nullptr);
    ~COrvexLogView() override;

    int PrintText(std::string_view text) override;
    int Clear() override;
    int SaveToFile(const std::string& fileName) override;

    // Puts what was appended since the last flush into the control and scrolls to the end.
    void Flush();
    // The whole log as written, pending appends included.
    const std::string& GetLogText() const { return m_text; }

private:
    std::string m_text;
    // How much of m_text the control holds.
    size_t m_flushed = 0;
    // The last flushed piece ended with "\r": a "\n" opening the next piece belongs to the same
    // line break, which the control already holds.
    bool m_endsWithCarriageReturn = false;
    // Line breaks shown so far; every kLinesPerParagraph-th ends a paragraph of the control.
    int64_t m_lineBreaks = 0;
    QTimer m_flushTimer;
};
