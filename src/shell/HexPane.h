#pragma once

#include <QAbstractScrollArea>
#include <QFont>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "document/NodeBytes.h"
#include "model/FileReader.h"

class COrvexDoc;

// The bytes of the open file, 16 to a row with their 64-bit offset and their characters, the
// selected node's header, payload and children shaded apart. Rows are read when they are
// painted, a few pages kept, so that a box of gigabytes scrolls as fast as a small one. The pane
// reads the file through a reader of its own, opened read-only, and never disturbs the
// document's.
class CHexPane : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kBytesPerRow = 16;
    static const char* const kReadFailedText;

    explicit CHexPane(COrvexDoc& document, QWidget* parent = nullptr);
    ~CHexPane() override;

    // Shades the node (an index in the document's list) and, unless its first row is in sight,
    // scrolls that row to the top; without one, the pane only follows the file. Ignored while
    // the pane is hidden.
    void ShowNode(std::optional<size_t> node);

    // The first row shown, and the rows the file has.
    uint64_t GetTopRow() const;
    uint64_t GetRowCount() const { return m_rowCount; }
    // Scrolls so that `row` is the top row, or as near as the end allows.
    void ScrollToRow(uint64_t row);
    // The file offset of the byte under a viewport point, in the hex or the character column.
    std::optional<uint64_t> HitTestByte(const QPoint& point) const;
    // The viewport point in the middle of the byte at `offset`, when its row is shown.
    std::optional<QPoint> BytePoint(uint64_t offset, bool inCharacters = false) const;
    BytePart GetPartAt(uint64_t offset) const { return m_bytes.PartAt(offset); }
    // Whether the last painting met a read failure and said so.
    bool ShowsReadFailure() const { return m_readFailed; }
    // The text of one row as painted: offset, bytes and characters.
    QString RowText(uint64_t row);

    void PaintContents(QPainter& painter);
    // Wide enough for a whole row.
    QSize sizeHint() const override;

signals:
    // The user clicked the byte at `offset`.
    void byteClicked(uint64_t offset);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    static constexpr size_t kPageSize = 4096;
    static constexpr size_t kCachedPages = 8;
    struct Page {
        uint64_t index;
        std::vector<uint8_t> bytes;
    };

    // The reader on the document's file, opened again when the document has another file.
    bool UpdateReader();
    // The bytes of one row, fewer at the end of the file; false when they cannot be read.
    bool ReadRow(uint64_t row, std::array<uint8_t, kBytesPerRow>& bytes, size_t& count);
    const Page* FetchPage(uint64_t index);
    void UpdateScrollBars();
    int VisibleRows() const;
    int RowHeight() const;
    int CharWidth() const { return m_charWidth; }

    COrvexDoc& m_document;
    CFileReader m_reader;
    std::string m_readerPath;
    uint64_t m_readerGeneration = 0;
    uint64_t m_fileSize = 0;
    uint64_t m_rowCount = 0;
    // Rows per step of the scroll bar, more than one only where the rows exceed its range.
    uint64_t m_rowsPerStep = 1;
    std::deque<Page> m_pages;  // the most recently used first
    CNodeBytes m_bytes;
    QFont m_font;
    int m_charWidth = 8;
    bool m_readFailed = false;
};
