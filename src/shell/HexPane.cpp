#include "shell/HexPane.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <limits>

#include "document/OrvexDoc.h"
#include "model/Format.h"
#include "presentation/ViewPalette.h"
#include "shell/QtDrawingSurface.h"

namespace {

// The columns of a row, in characters: the offset, the bytes in two groups of eight, the
// characters.
constexpr int kOffsetDigits = 16;
constexpr int kHexColumn = kOffsetDigits + 2;
constexpr int kGroupGap = 1;
constexpr int kCharColumn = kHexColumn + CHexPane::kBytesPerRow * 3 + kGroupGap + 1;
constexpr int kRowChars = kCharColumn + CHexPane::kBytesPerRow;
constexpr int kMargin = 4;
// The scroll bar's range is an int: beyond this many rows, one step covers several.
constexpr uint64_t kMaxScrollSteps = uint64_t{1} << 30;

int HexChar(int byte) {
    return kHexColumn + byte * 3 + (byte >= CHexPane::kBytesPerRow / 2 ? kGroupGap : 0);
}

QColor BackOf(BytePart part) {
    switch (part) {
        case BytePart::Header:
            return ToQColor(kViewPalette.hexHeaderBack);
        case BytePart::Payload:
            return ToQColor(kViewPalette.hexPayloadBack);
        case BytePart::Child:
            return ToQColor(kViewPalette.hexChildBack);
        case BytePart::NextChild:
            return ToQColor(kViewPalette.hexNextChildBack);
        case BytePart::Outside:
            break;
    }
    return ToQColor(kViewPalette.hexBack);
}

}  // namespace

const char* const CHexPane::kReadFailedText = "The bytes here cannot be read from the file.";

CHexPane::CHexPane(COrvexDoc& document, QWidget* parent)
    : QAbstractScrollArea(parent),
      m_document(document),
      m_font(QFontDatabase::systemFont(QFontDatabase::FixedFont)) {
    setObjectName(QStringLiteral("hexPane"));
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::ClickFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    m_charWidth = std::max(1, QFontMetrics(m_font).horizontalAdvance(QLatin1Char('0')));
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollBars();
}

CHexPane::~CHexPane() = default;

void CHexPane::ShowNode(std::optional<size_t> node) {
    // A hidden pane walks no children: it is given the selection again when it is shown.
    if (isHidden()) return;
    UpdateReader();
    m_bytes.Clear();
    if (node && m_document.IsParsed()) m_bytes.Select(m_document.GetNodes(), *node);
    // The least scroll: a node whose first row is in sight already (a click on one of its bytes
    // selected it) leaves the rows where they are.
    const uint64_t row = m_bytes.Begin() / kBytesPerRow;
    const uint64_t top = GetTopRow();
    if (!m_bytes.Empty() && (row < top || row - top >= static_cast<uint64_t>(VisibleRows())))
        ScrollToRow(row);
    viewport()->update();
}

bool CHexPane::UpdateReader() {
    if (!m_document.IsFileOpen()) {
        m_reader.Close();
        m_readerPath.clear();
        m_fileSize = m_rowCount = 0;
        m_pages.clear();
        UpdateScrollBars();
        return false;
    }
    const uint64_t generation = m_document.GetNodes().GetGeneration();
    if (m_reader.IsOpen() && m_readerPath == m_document.GetFilePath() &&
        m_readerGeneration == generation)
        return true;
    m_reader.Close();
    m_pages.clear();
    m_readerPath = m_document.GetFilePath();
    m_readerGeneration = generation;
    m_fileSize =
        m_reader.Open(m_readerPath.c_str()) ? static_cast<uint64_t>(m_reader.GetFileSize()) : 0;
    m_rowCount = (m_fileSize + kBytesPerRow - 1) / kBytesPerRow;
    m_rowsPerStep = std::max<uint64_t>(1, (m_rowCount + kMaxScrollSteps - 1) / kMaxScrollSteps);
    UpdateScrollBars();
    return m_reader.IsOpen();
}

const CHexPane::Page* CHexPane::FetchPage(uint64_t index) {
    const auto cached = std::find_if(m_pages.begin(), m_pages.end(),
                                     [index](const Page& p) { return p.index == index; });
    if (cached != m_pages.end()) {
        if (cached != m_pages.begin()) {
            Page page = std::move(*cached);
            m_pages.erase(cached);
            m_pages.push_front(std::move(page));
        }
        return &m_pages.front();
    }
    const uint64_t start = index * kPageSize;
    if (start >= m_fileSize) return nullptr;
    Page page{index, std::vector<uint8_t>(std::min<uint64_t>(kPageSize, m_fileSize - start))};
    try {
        m_reader.Rewind();
        m_reader.Skip(static_cast<int64_t>(start));
        m_reader.ReadBytes(page.bytes.data(), static_cast<uint32_t>(page.bytes.size()));
    } catch (const CFileReaderException&) {
        return nullptr;
    }
    if (m_pages.size() >= kCachedPages) m_pages.pop_back();
    m_pages.push_front(std::move(page));
    return &m_pages.front();
}

bool CHexPane::ReadRow(uint64_t row, std::array<uint8_t, kBytesPerRow>& bytes, size_t& count) {
    const uint64_t start = row * kBytesPerRow;
    if (!m_reader.IsOpen() || row >= m_rowCount) return false;
    // Pages hold whole rows: a row never spans two of them.
    static_assert(kPageSize % kBytesPerRow == 0);
    const Page* page = FetchPage(start / kPageSize);
    if (page == nullptr) return false;
    const size_t at = static_cast<size_t>(start % kPageSize);
    if (at >= page->bytes.size()) return false;
    count = std::min<size_t>(kBytesPerRow, page->bytes.size() - at);
    std::copy_n(page->bytes.begin() + static_cast<std::ptrdiff_t>(at), count, bytes.begin());
    return true;
}

QString CHexPane::RowText(uint64_t row) {
    std::array<uint8_t, kBytesPerRow> bytes{};
    size_t count = 0;
    if (!ReadRow(row, bytes, count)) return {};
    QString text(kRowChars, QLatin1Char(' '));
    const std::string offset =
        StrFormat("%016llX", static_cast<unsigned long long>(row * kBytesPerRow));
    for (int i = 0; i < kOffsetDigits; ++i)
        text[i] = QLatin1Char(offset[static_cast<size_t>(i)]);
    static const char kDigits[] = "0123456789ABCDEF";
    for (size_t k = 0; k < count; ++k) {
        const int at = HexChar(static_cast<int>(k));
        text[at] = QLatin1Char(kDigits[bytes[k] >> 4]);
        text[at + 1] = QLatin1Char(kDigits[bytes[k] & 0xF]);
        const bool printable = bytes[k] >= 0x20 && bytes[k] < 0x7F;
        text[kCharColumn + static_cast<int>(k)] =
            QLatin1Char(printable ? static_cast<char>(bytes[k]) : '.');
    }
    return text;
}

int CHexPane::RowHeight() const {
    return std::max(1, QFontMetrics(m_font).lineSpacing());
}

int CHexPane::VisibleRows() const {
    return std::max(1, viewport()->height() / RowHeight());
}

uint64_t CHexPane::GetTopRow() const {
    const uint64_t visible = static_cast<uint64_t>(VisibleRows());
    const uint64_t lastTop = m_rowCount > visible ? m_rowCount - visible : 0;
    return std::min(static_cast<uint64_t>(verticalScrollBar()->value()) * m_rowsPerStep, lastTop);
}

void CHexPane::ScrollToRow(uint64_t row) {
    verticalScrollBar()->setValue(
        static_cast<int>(std::min<uint64_t>(row / m_rowsPerStep, std::numeric_limits<int>::max())));
    viewport()->update();
}

void CHexPane::UpdateScrollBars() {
    const uint64_t visible = static_cast<uint64_t>(VisibleRows());
    const uint64_t lastTop = m_rowCount > visible ? m_rowCount - visible : 0;
    const uint64_t steps = (lastTop + m_rowsPerStep - 1) / m_rowsPerStep;
    verticalScrollBar()->setPageStep(
        static_cast<int>(std::max<uint64_t>(1, visible / m_rowsPerStep)));
    verticalScrollBar()->setRange(0, static_cast<int>(steps));
    const int width = 2 * kMargin + kRowChars * m_charWidth;
    horizontalScrollBar()->setPageStep(std::max(1, viewport()->width()));
    horizontalScrollBar()->setRange(0, std::max(0, width - viewport()->width()));
}

std::optional<uint64_t> CHexPane::HitTestByte(const QPoint& point) const {
    if (point.y() < 0 || point.x() < 0) return std::nullopt;
    const int column = (point.x() + horizontalScrollBar()->value() - kMargin) / m_charWidth;
    int byte = -1;
    if (column >= kCharColumn && column < kRowChars) {
        byte = column - kCharColumn;
    } else if (column >= kHexColumn && column < kCharColumn - 1) {
        // A byte owns its two digits and the space after them; the gap between the groups
        // belongs to the eighth byte.
        for (int k = kBytesPerRow - 1; k >= 0 && byte < 0; --k)
            if (column >= HexChar(k)) byte = k;
    }
    if (byte < 0) return std::nullopt;
    const uint64_t offset =
        (GetTopRow() + static_cast<uint64_t>(point.y() / RowHeight())) * kBytesPerRow +
        static_cast<uint64_t>(byte);
    if (offset >= m_fileSize) return std::nullopt;
    return offset;
}

std::optional<QPoint> CHexPane::BytePoint(uint64_t offset, bool inCharacters) const {
    const uint64_t row = offset / kBytesPerRow;
    const uint64_t top = GetTopRow();
    if (offset >= m_fileSize || row < top || row - top >= static_cast<uint64_t>(VisibleRows()))
        return std::nullopt;
    const int byte = static_cast<int>(offset % kBytesPerRow);
    const int column = inCharacters ? kCharColumn + byte : HexChar(byte);
    return QPoint(kMargin + column * m_charWidth + m_charWidth / 2 - horizontalScrollBar()->value(),
                  static_cast<int>(row - top) * RowHeight() + RowHeight() / 2);
}

void CHexPane::PaintContents(QPainter& painter) {
    const QRect client(QPoint(0, 0), viewport()->size());
    painter.fillRect(client, ToQColor(kViewPalette.hexBack));
    m_readFailed = false;
    if (!m_document.IsFileOpen()) return;
    const bool readable = UpdateReader();
    painter.setFont(m_font);
    const QFontMetrics metrics(m_font);
    const int rowHeight = RowHeight();
    const int left = kMargin - horizontalScrollBar()->value();
    const uint64_t top = GetTopRow();
    const int rows = client.height() / rowHeight + 1;
    for (int r = 0; readable && r < rows && top + static_cast<uint64_t>(r) < m_rowCount; ++r) {
        const uint64_t row = top + static_cast<uint64_t>(r);
        const QString text = RowText(row);
        if (text.isEmpty()) {
            m_readFailed = true;
            break;
        }
        const int y = r * rowHeight;
        // The parts in runs of equal shading, behind the digits and behind the characters.
        const uint64_t first = row * kBytesPerRow;
        const int count = static_cast<int>(std::min<uint64_t>(kBytesPerRow, m_fileSize - first));
        for (int k = 0; k < count;) {
            const BytePart part = m_bytes.PartAt(first + static_cast<uint64_t>(k));
            int end = k + 1;
            while (end < count && m_bytes.PartAt(first + static_cast<uint64_t>(end)) == part)
                ++end;
            if (part != BytePart::Outside) {
                const QColor back = BackOf(part);
                const int hexLeft = HexChar(k);
                const int hexRight = end == count ? HexChar(end - 1) + 2 : HexChar(end);
                painter.fillRect(left + hexLeft * m_charWidth, y,
                                 (hexRight - hexLeft) * m_charWidth, rowHeight, back);
                painter.fillRect(left + (kCharColumn + k) * m_charWidth, y, (end - k) * m_charWidth,
                                 rowHeight, back);
            }
            k = end;
        }
        const int baseline = y + metrics.ascent();
        painter.setPen(ToQColor(kViewPalette.hexOffsetText));
        painter.drawText(QPoint(left, baseline), text.left(kOffsetDigits));
        painter.setPen(ToQColor(kViewPalette.hexText));
        painter.drawText(QPoint(left + kHexColumn * m_charWidth, baseline), text.mid(kHexColumn));
    }
    if (!readable || m_readFailed) {
        m_readFailed = true;
        painter.fillRect(client, ToQColor(kViewPalette.hexBack));
        painter.setPen(ToQColor(kViewPalette.hexFailureText));
        painter.drawText(client, Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromLatin1(kReadFailedText));
    }
}

QSize CHexPane::sizeHint() const {
    return QSize(2 * kMargin + kRowChars * m_charWidth + verticalScrollBar()->sizeHint().width() +
                     2 * frameWidth(),
                 QAbstractScrollArea::sizeHint().height());
}

void CHexPane::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    PaintContents(painter);
}

void CHexPane::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CHexPane::scrollContentsBy(int, int) {
    viewport()->update();
}

void CHexPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    if (const auto offset = HitTestByte(event->position().toPoint())) emit byteClicked(*offset);
}
