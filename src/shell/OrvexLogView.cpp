#include "shell/OrvexLogView.h"

#include <QColor>
#include <QFont>
#include <QPalette>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <fstream>

#include "model/TextConversion.h"
#include "presentation/ViewPalette.h"
#include "shell/QtDrawingSurface.h"

COrvexLogView::COrvexLogView(QWidget* parent) : QPlainTextEdit(parent) {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    setFont(font);
    setReadOnly(true);
    // A file dropped here is for the window to open, not text to insert.
    setAcceptDrops(false);
    viewport()->setAcceptDrops(false);
    setUndoRedoEnabled(false);
    // Like the rich-text control it stands for: long lines scroll sideways instead of wrapping.
    setLineWrapMode(QPlainTextEdit::NoWrap);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, ToQColor(kViewPalette.logBack));
    colours.setColor(QPalette::Text, ToQColor(kViewPalette.logText));
    setPalette(colours);
    document()->setModified(false);

    m_flushTimer.setSingleShot(true);
    m_flushTimer.setInterval(0);
    connect(&m_flushTimer, &QTimer::timeout, this, &COrvexLogView::Flush);
}

COrvexLogView::~COrvexLogView() = default;

int COrvexLogView::PrintText(std::string_view text) {
    m_text.append(text);
    if (!m_flushTimer.isActive()) m_flushTimer.start();
    return 0;
}

void COrvexLogView::Flush() {
    m_flushTimer.stop();
    if (m_flushed >= m_text.size()) return;
    std::string_view piece(m_text);
    piece.remove_prefix(m_flushed);
    m_flushed = m_text.size();
    if (m_endsWithCarriageReturn && piece.front() == '\n') piece.remove_prefix(1);
    if (piece.empty()) {
        m_endsWithCarriageReturn = false;
        return;
    }
    m_endsWithCarriageReturn = piece.back() == '\r';

    // A paragraph of the control costs far more than a line inside one: a trace of a few
    // hundred thousand lines, one paragraph each, takes seconds to go in. So the lines go in
    // groups, each a paragraph whose lines are separated by line separators; the control shows
    // them (and copies them) as the lines they are.
    const QString text = QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()));
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c != u'\r' && c != u'\n') {
            shown.append(c);
            continue;
        }
        if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
        ++m_lineBreaks;
        shown.append(QChar(m_lineBreaks % kLinesPerParagraph == 0 ? QChar::ParagraphSeparator
                                                                  : QChar::LineSeparator));
    }

    // Always at the end, whatever the user selected; never recorded for undo.
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    moveCursor(QTextCursor::End);
    ensureCursorVisible();
}

int COrvexLogView::Clear() {
    m_flushTimer.stop();
    m_text.clear();
    m_flushed = 0;
    m_endsWithCarriageReturn = false;
    m_lineBreaks = 0;
    clear();
    return 0;
}

int COrvexLogView::SaveToFile(const std::string& fileName) {
    std::ofstream out(fileName, std::ios::binary | std::ios::trunc);
    if (!out) return 0;
    const std::string bytes = Utf8ToSingleByte(m_text);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return 1;
}
