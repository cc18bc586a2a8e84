#include "shell/OrvexView.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QIcon>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <vector>

#include "document/NodeBytes.h"
#include "model/Format.h"
#include "presentation/ISOViewBoxLayer.h"
#include "presentation/ViewPalette.h"
#include "shell/ShellPrompts.h"
#include "shell/ShellResources.h"

namespace {

const FontSpec kBoxFont{"Tahoma", 80, false, false};
// Where the offset text starts, right of the band's left edge.
constexpr int kOffsetTextLeft = 4;
constexpr int kImageSize = 16;
constexpr int kContainerImageInset = 2;
// The selection frame: its pen's width, drawn this far outside the node so that the node's own
// frame stays in sight; scrolling into view keeps it on the screen.
constexpr int kSelectionPen = 2;
constexpr int kSelectionOutset = 1;
constexpr int kSelectionReach = kSelectionOutset + kSelectionPen;
// Room kept around a node scrolled into view: the first node of the tree then needs no scroll.
constexpr int kScrollMargin = ViewLayout::kTopMargin;
static_assert(kScrollMargin >= kSelectionReach);

// The offset font: Tahoma 8. Where Tahoma is not installed its stand-in may be wider, and white
// offsets running past the band would vanish on the white beyond it: the stand-in is narrowed
// until a 32-bit offset fits in the band.
QFont MakeOffsetFont() {
    QFont font(QStringLiteral("Tahoma"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    const int room = ViewLayout::kOffsetBandWidth - kOffsetTextLeft - 2;
    const QString widest = QStringLiteral("0x00000000");
    const int width = QFontMetrics(font).horizontalAdvance(widest);
    if (width > room) {
        font.setStretch(std::max(50, 100 * room / width));
        for (qreal size = 7.5; size >= 6 && QFontMetrics(font).horizontalAdvance(widest) > room;
             size -= 0.5)
            font.setPointSizeF(size);
    }
    return font;
}

// At the screens' scale: on a screen scaled by two the large picture is taken, not the small
// one blown up.
QPixmap LoadImage(const char* name) {
    return LoadIcon(name).pixmap(QSize(kImageSize, kImageSize), qApp->devicePixelRatio());
}

// The view to assistive technology: the selected node as its name and description. The view's
// viewport, where the focus events are sent, answers the same.
class COrvexViewAccessible : public QAccessibleWidget {
public:
    COrvexViewAccessible(QWidget* widget, COrvexView& view)
        : QAccessibleWidget(widget, QAccessible::Tree), m_view(view) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) return m_view.GetSelectedName();
        if (t == QAccessible::Description) return m_view.GetSelectedSummary();
        return QAccessibleWidget::text(t);
    }

private:
    COrvexView& m_view;
};

QAccessibleInterface* MakeViewAccessible(const QString&, QObject* object) {
    if (auto* view = qobject_cast<COrvexView*>(object))
        return new COrvexViewAccessible(view, *view);
    auto* view = object != nullptr ? qobject_cast<COrvexView*>(object->parent()) : nullptr;
    if (view != nullptr && view->viewport() == object)
        return new COrvexViewAccessible(view->viewport(), *view);
    return nullptr;
}

}  // namespace

namespace {
// The timer that watches a parse: its log lines reach the log pane this often.
constexpr int kParsePollMs = 50;
// A parse shorter than this shows no progress bar, which would only flicker.
constexpr qint64 kProgressAfterMs = 200;
}  // namespace

const char* const COrvexView::kEmptyHint = "Open a file (Ctrl+O) or drop one here";

COrvexView::COrvexView(ILogWriter* logWriter, ISettingsStore& settings, CShellPrompts& prompts,
                       QWidget* parent)
    : QAbstractScrollArea(parent),
      m_logWriter(logWriter),
      m_settings(settings),
      m_prompts(prompts),
      m_offsetFont(MakeOffsetFont()),
      m_containerOpen(LoadImage("container-open")),
      m_containerClosed(LoadImage("container-closed")),
      m_buttonExpanded(LoadImage("button-expanded")),
      m_buttonCollapsed(LoadImage("button-collapsed")) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setFocusPolicy(Qt::StrongFocus);
    // The background is painted with every frame; nothing is to be erased first.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(kLineSize);
    verticalScrollBar()->setSingleStep(kLineSize);
    // Nodes measure and draw themselves in the box font unless they name their own.
    m_surface.SetCurrentFont(kBoxFont);

    m_shown = std::make_unique<CBackgroundDocument>(settings, kBoxFont);
    m_shown->Attach(*this, logWriter);
    m_document = &m_shown->GetDocument();
    m_parseControl = std::make_unique<CParseControl>(*m_document, *this, settings);
    m_boxCommands = std::make_unique<CBoxCommands>(*m_document, settings, prompts, *this);
    m_parseTimer.setInterval(kParsePollMs);
    connect(&m_parseTimer, &QTimer::timeout, this, &COrvexView::PollParse);
    UpdateScrollBars();
    // Qt owns the interfaces the factory makes.
    static const bool accessibleInstalled = (QAccessible::installFactory(MakeViewAccessible), true);
    (void)accessibleInstalled;
}

COrvexView::~COrvexView() {
    // Cancelled and joined before anything it may still reach goes.
    m_pending.reset();
}

int COrvexView::OpenFile(const QString& path, const QString& initPath) {
    CancelParse();
    auto opened = std::make_unique<CBackgroundDocument>(m_settings, kBoxFont);
    if (!opened->Open(QFile::encodeName(path).toStdString())) return 0;
    if (!initPath.isEmpty() &&
        !opened->GetDocument().OpenInitSegment(QFile::encodeName(initPath).toStdString()))
        return 0;
    if (!GetSwitchSetting(m_settings, SwitchAutoParse)) {
        ShowDocument(std::move(opened), ParseOk);
        return 1;
    }
    StartBackgroundParse(std::move(opened));
    return 1;
}

int32_t COrvexView::StartParsing() {
    if (m_pending) return 0;
    const COrvexDoc& document = *m_document;
    if (!document.IsFileOpen() || document.IsParsed()) return m_parseControl->StartParsing();
    // The file is read again into a new document: the one shown stays until that is complete.
    auto parsed = std::make_unique<CBackgroundDocument>(m_settings, kBoxFont);
    if (!parsed->Open(document.GetFilePath())) return m_parseControl->StartParsing();
    // A segment is read again with its init segment.
    if (const COrvexDoc* init = document.GetInitSegment();
        init && !parsed->GetDocument().OpenInitSegment(init->GetFilePath()))
        return m_parseControl->StartParsing();
    StartBackgroundParse(std::move(parsed));
    return m_pending ? 0 : m_document->GetParseResult();
}

void COrvexView::StartBackgroundParse(std::unique_ptr<CBackgroundDocument> pending) {
    m_pending = std::move(pending);
    m_pending->StartParse(m_parseHook);
    m_parseClock.start();
    BeginBusy(QFile::decodeName(m_pending->GetPath().c_str()));
    m_parseTimer.start();
    if (m_pending->WaitFor(m_quickParseWait)) FinishParse();
}

void COrvexView::PollParse() {
    if (!m_pending) {
        m_parseTimer.stop();
        return;
    }
    if (m_pending->WaitFor(std::chrono::milliseconds(0))) {
        FinishParse();
        return;
    }
    PassOnLog(*m_pending);
    if (m_parseClock.elapsed() >= kProgressAfterMs) {
        emit parseProgress(static_cast<qint64>(m_pending->GetBytesDone()),
                           static_cast<qint64>(m_pending->GetFileSize()));
    }
}

void COrvexView::PassOnLog(CBackgroundDocument& parsing) {
    const std::string text = parsing.TakeLogText();
    if (m_logWriter && !text.empty()) m_logWriter->PrintText(text);
}

void COrvexView::CancelParse() {
    if (!m_pending) return;
    m_pending->Cancel();
    FinishParse();
}

void COrvexView::WaitForParse() {
    if (m_pending) FinishParse();
}

void COrvexView::FinishParse() {
    m_parseTimer.stop();
    std::unique_ptr<CBackgroundDocument> ended = std::move(m_pending);
    const int32_t result = ended->Join();
    // The lines of the parse come before anything the view may write about it.
    PassOnLog(*ended);
    EndBusy();
    if (result == ParseCancelled) return;
    ShowDocument(std::move(ended), result);
}

void COrvexView::ShowDocument(std::unique_ptr<CBackgroundDocument> shown, int32_t result) {
    m_finder.Forget();
    SetSelected(std::nullopt);
    m_shown = std::move(shown);
    m_shown->Attach(*this, m_logWriter);
    m_document = &m_shown->GetDocument();
    m_parseControl = std::make_unique<CParseControl>(*m_document, *this, m_settings);
    m_boxCommands->SetDocument(*m_document);
    ScrollToOrigin();
    const bool extent = m_document->GetExtentWidth() != 0 && m_document->GetExtentHeight() != 0;
    if (m_document->IsParsed() && extent)
        SetScrollSize(m_document->GetExtentWidth(), m_document->GetExtentHeight());
    else
        SetScrollSize(1, 1);
    emit documentShown(QFile::decodeName(m_document->GetFilePath().c_str()));
    ResetSelection();
    if (result != ParseOk) ShowWarning("Error", GetParseResultMessage(result));
}

void COrvexView::ResetView() {
    CancelParse();
    m_finder.Forget();
    SetSelected(std::nullopt);
    m_parseControl->ResetView();
}

int COrvexView::ExportTree(bool indented) {
    return m_boxCommands->ExportTree(indented);
}

int COrvexView::ExportTreeJson() {
    return m_boxCommands->ExportTreeJson();
}

int COrvexView::FindNext(const QString& name) {
    if (!m_document->IsParsed()) return 0;
    const auto match = m_finder.FindNext(m_document->GetNodes(), name.toStdString(),
                                         verticalScrollBar()->value(), m_surface);
    // The nodes walked were expanded, whether a match was found or not.
    m_document->ComputeExtent();
    SetScrollSize(m_document->GetExtentWidth(), m_document->GetExtentHeight());
    if (!match) return 0;
    horizontalScrollBar()->setValue(ViewLayout::kLeftOffset);
    verticalScrollBar()->setValue(
        static_cast<int>(std::min<int64_t>(match->top, std::numeric_limits<int>::max())));
    m_finder.SetShownAt(verticalScrollBar()->value());
    // Near the end of the tree the match stays below the top: the frame shows which box it is.
    SetSelected(match->node);
    return 1;
}

void COrvexView::ResetSelection() {
    std::optional<size_t> first;
    if (m_document->IsParsed() && GetGeometry().GetCount() > 0)
        first = GetGeometry().GetPlacement(0).node;
    SetSelected(first);
    if (m_document->IsFileOpen()) setFocus(Qt::OtherFocusReason);
}

void COrvexView::SelectNode(size_t node) {
    const CTreeGeometry& geometry = GetGeometry();
    const size_t placement = geometry.FindNode(node);
    if (placement >= geometry.GetCount()) return;
    ScrollToShow(placement);
    SetSelected(node);
}

bool COrvexView::SelectByteOffset(uint64_t offset) {
    if (!m_document->IsParsed()) return false;
    CNodeList& nodes = m_document->GetNodes();
    const std::vector<size_t> way = NodesHolding(nodes, offset);
    if (way.empty()) return false;
    bool expanded = false;
    for (size_t i = 0; i + 1 < way.size(); ++i) {
        if (nodes.IsExpanded(way[i])) continue;
        nodes.SetExpanded(way[i], true);
        expanded = true;
    }
    if (expanded) {
        m_document->ComputeExtent();
        SetScrollSize(m_document->GetExtentWidth(), m_document->GetExtentHeight());
    }
    SelectNode(way.back());
    return true;
}

void COrvexView::SetSelected(std::optional<size_t> node) {
    m_selected = node;
    viewport()->update();
    emit selectionChanged(node);
    if (!node) return;
    QAccessibleEvent event(viewport(), QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

QString COrvexView::GetSelectedName() {
    if (!m_selected || *m_selected >= m_document->GetNodes().size()) return {};
    CNodeList& nodes = m_document->GetNodes();
    QString name = QString::fromUtf8(nodes.GetTitle(*m_selected));
    for (const auto& layer : nodes.Node(*m_selected).GetLayers()) {
        if (layer->GetKind() == LayerKind::LongName)
            name +=
                QLatin1Char(' ') + QString::fromUtf8(layer->Text().data(),
                                                     static_cast<qsizetype>(layer->Text().size()));
    }
    return name;
}

QString COrvexView::GetSelectedSummary() const {
    if (!m_selected || *m_selected >= m_document->GetNodes().size()) return {};
    return QString::fromStdString(m_document->GetNodes().GetSummaryText(*m_selected));
}

size_t COrvexView::SelectedPlacement() {
    const CTreeGeometry& geometry = GetGeometry();
    return m_selected ? geometry.FindNode(*m_selected) : geometry.GetCount();
}

void COrvexView::ScrollToShow(size_t placement) {
    const CTreeGeometry& geometry = GetGeometry();
    if (placement >= geometry.GetCount()) return;
    const CTreeGeometry::Placement p = geometry.GetPlacement(placement);
    const QSize client = viewport()->size();
    // The least scroll along one axis that brings [first, last) into a window of `size` at
    // `position`; where it does not fit, its start is shown.
    const auto least = [](int64_t position, int64_t first, int64_t last, int64_t size) {
        if (first < position) return first;
        if (last > position + size) return std::min(first, last - size);
        return position;
    };
    verticalScrollBar()->setValue(
        Saturate(least(verticalScrollBar()->value(), p.top - kScrollMargin,
                       p.Bottom() + kScrollMargin, client.height())));
    const int64_t left = p.left - CTreeGeometry::kButtonLeftOfNode - kScrollMargin;
    horizontalScrollBar()->setValue(Saturate(least(
        horizontalScrollBar()->value(), left, p.left + p.width + kScrollMargin, client.width())));
}

void COrvexView::BeginBusy(const QString& filePath) {
    if (m_busy) return;
    m_busy = true;
    emit busyChanged(true, filePath);
}

void COrvexView::EndBusy() {
    if (!m_busy) return;
    m_busy = false;
    emit busyChanged(false, QString());
}

const CTreeGeometry& COrvexView::GetGeometry() {
    if (m_geometryDirty) {
        if (m_document->IsParsed())
            m_geometry.Rebuild(m_document->GetNodes(), m_surface);
        else
            m_geometry.Clear();
        m_geometryDirty = false;
    }
    return m_geometry;
}

QPoint COrvexView::GetScrollPosition() const {
    return QPoint(horizontalScrollBar()->value(), verticalScrollBar()->value());
}

int64_t COrvexView::ContentX(int x) const {
    return int64_t{x} + horizontalScrollBar()->value();
}

int64_t COrvexView::ContentY(int y) const {
    return int64_t{y} + verticalScrollBar()->value();
}

CTreeGeometry::Hit COrvexView::HitTestNode(const QPoint& point) {
    if (!m_document->IsParsed()) return {};
    return GetGeometry().HitTest(ContentX(point.x()), ContentY(point.y()));
}

QString COrvexView::GetToolTipText(const QPoint& point) {
    const CTreeGeometry::Hit hit = HitTestNode(point);
    if (hit.part != CTreeGeometry::HitPart::Body) return {};
    return QString::fromStdString(m_document->GetNodes().GetSummaryText(hit.node));
}

void COrvexView::ToggleNode(size_t node) {
    CNodeList& nodes = m_document->GetNodes();
    if (node >= nodes.size()) return;
    const bool collapse = nodes.IsExpanded(node);
    nodes.SetExpanded(node, !collapse);
    m_document->ComputeExtent();
    SetScrollSize(m_document->GetExtentWidth(), m_document->GetExtentHeight());
    // Only the collapsed node's descendants can have been hidden: it takes the selection.
    if (collapse && m_selected && SelectedPlacement() >= GetGeometry().GetCount())
        SetSelected(node);
}

void COrvexView::ScrollToOrigin() {
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void COrvexView::SetScrollSize(int32_t width, int32_t height) {
    m_contentSize = QSize(std::max(width, 0), std::max(height, 0));
    m_geometryDirty = true;
    UpdateScrollBars();
    viewport()->update();
}

void COrvexView::Invalidate() {
    m_geometryDirty = true;
    viewport()->update();
}

void COrvexView::ShowWarning(const std::string& title, const std::string& text) {
    m_prompts.ShowMessage(window(), CShellPrompts::Icon::Warning, QString::fromStdString(title),
                          QString::fromStdString(text));
}

void COrvexView::UpdateScrollBars() {
    const QSize client = viewport()->size();
    horizontalScrollBar()->setPageStep(std::max(client.width(), 1));
    verticalScrollBar()->setPageStep(std::max(client.height(), 1));
    horizontalScrollBar()->setRange(0, std::max(m_contentSize.width() - client.width(), 0));
    verticalScrollBar()->setRange(0, std::max(m_contentSize.height() - client.height(), 0));
}

void COrvexView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void COrvexView::scrollContentsBy(int, int) {
    viewport()->update();
}

void COrvexView::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    PaintContents(painter);
}

void COrvexView::PaintContents(QPainter& painter) {
    const QRect client(QPoint(0, 0), viewport()->size());
    painter.fillRect(client, palette().color(QPalette::Base));
    if (!m_document->IsFileOpen()) {
        painter.setFont(font());
        painter.setPen(ToQColor(kViewPalette.emptyHintText));
        painter.drawText(client, Qt::AlignCenter | Qt::TextWordWrap,
                         QString::fromLatin1(kEmptyHint));
        return;
    }
    if (!m_document->IsParsed()) return;

    const CTreeGeometry& geometry = GetGeometry();
    const int hs = horizontalScrollBar()->value();
    const int vs = verticalScrollBar()->value();
    const int64_t contentWidth = m_contentSize.width();
    const int64_t contentHeight = m_contentSize.height();

    // Indentation guides, one per depth level, over the height of the content. The dots keep
    // their place in the content as it scrolls.
    const int guideTop = std::max(0, -vs);
    const int guideBottom = Saturate(std::min<int64_t>(client.height(), contentHeight - vs));
    if (guideBottom > guideTop) {
        QPen guidePen(ToQColor(kViewPalette.depthGuide), 1, Qt::DotLine);
        guidePen.setDashOffset((guideTop + vs) % 3);
        painter.setPen(guidePen);
        const int64_t firstGuide =
            ViewLayout::kOffsetBandWidth + ViewLayout::kIndentPerDepth + 1 - int64_t{hs};
        int64_t x = firstGuide;
        if (x < 0) {
            const int64_t skip =
                (-x + ViewLayout::kIndentPerDepth - 1) / ViewLayout::kIndentPerDepth;
            x += skip * ViewLayout::kIndentPerDepth;
        }
        for (; x < contentWidth && x < client.width(); x += ViewLayout::kIndentPerDepth)
            painter.drawLine(QPoint(static_cast<int>(x), guideTop),
                             QPoint(static_cast<int>(x), guideBottom));
    }

    // The offset band with its edge.
    painter.fillRect(QRect(-hs, 0, ViewLayout::kOffsetBandWidth, client.height()),
                     ToQColor(kViewPalette.offsetBand));
    painter.setPen(QPen(ToQColor(kViewPalette.offsetBandEdge), 1));
    painter.drawLine(QPoint(ViewLayout::kOffsetBandWidth - hs, 0),
                     QPoint(ViewLayout::kOffsetBandWidth - hs, client.height()));

    CNodeList& nodes = m_document->GetNodes();
    std::optional<QRect> selection;
    const Rect clip{0, 0, client.width(), client.height()};
    const QFontMetrics offsetMetrics(m_offsetFont);
    for (size_t i = geometry.FirstReaching(int64_t{vs} - CTreeGeometry::kPaintOverhang);
         i < geometry.GetCount(); ++i) {
        const CTreeGeometry::Placement p = geometry.GetPlacement(i);
        const int64_t top64 = p.top - vs;
        if (top64 > client.height()) break;
        const int32_t top = Saturate(top64);
        // A node indented beyond any screen is out of sight; kept well inside 32 bits, the
        // images beside it can be placed without overflow.
        const int32_t left = static_cast<int32_t>(std::min<int64_t>(p.left - hs, 1 << 30));

        if (top64 + offsetMetrics.height() >= 0) {
            const std::string offset =
                StrFormat("0x%08llX", static_cast<unsigned long long>(nodes.GetFileOffset(p.node)));
            painter.setFont(m_offsetFont);
            painter.setPen(ToQColor(kViewPalette.offsetText));
            painter.drawText(
                QPoint(kOffsetTextLeft - hs, top + offsetMetrics.ascent()),
                QString::fromLatin1(offset.data(), static_cast<qsizetype>(offset.size())));
        }
        // The surface sets its own font and pen for each call: nothing of the above lingers.
        m_surface.Begin(&painter, client);
        nodes.Draw(p.node, m_surface, left, top, clip);
        const bool expanded = nodes.IsExpanded(p.node);
        if (nodes.IsContainer(p.node)) {
            painter.drawPixmap(QRect(left + kContainerImageInset, top + kContainerImageInset,
                                     kImageSize, kImageSize),
                               expanded ? m_containerOpen : m_containerClosed);
        }
        if (nodes.GetChildCount(p.node) > 0) {
            const Rect button = CTreeGeometry::ButtonRect(left, top);
            painter.drawPixmap(QRect(button.left, button.top, button.Width(), button.Height()),
                               expanded ? m_buttonExpanded : m_buttonCollapsed);
        }
        if (p.node == m_selected) selection = QRect(left, top, p.width, p.height);
    }
    m_surface.End();
    // Last, so that the next node's painting does not cover its lower edge.
    if (selection) {
        QPen pen(ToQColor(kViewPalette.selectionFrame), kSelectionPen);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        // The pen straddles the rectangle: its outer edge lies kSelectionReach off the node.
        const int middle = kSelectionOutset + kSelectionPen / 2;
        painter.drawRect(selection->adjusted(-middle, -middle, middle - 1, middle - 1));
    }
}

void COrvexView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const CTreeGeometry::Hit hit = HitTestNode(event->position().toPoint());
        if (hit.part == CTreeGeometry::HitPart::Button) ToggleNode(hit.node);
        if (hit.part == CTreeGeometry::HitPart::Body) {
            // A line that stands for a place in the file leads to the box there.
            const auto placement = GetGeometry().GetPlacement(hit.placement);
            const int64_t y = ContentY(event->position().toPoint().y()) - placement.top;
            const std::optional<uint64_t> offset =
                m_document->GetNodes().Node(hit.node).OffsetAtHeight(y);
            if (!offset || !SelectByteOffset(*offset)) SelectNode(hit.node);
        }
    }
    setFocus(Qt::MouseFocusReason);
}

void COrvexView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) return;
    const CTreeGeometry::Hit hit = HitTestNode(event->position().toPoint());
    if (hit.part != CTreeGeometry::HitPart::Body) return;
    SelectNode(hit.node);
    ShowBoxContextMenu(hit.node, event->globalPosition().toPoint());
}

void COrvexView::ShowBoxContextMenu(size_t node, const QPoint& globalPosition) {
    std::unique_ptr<QMenu> menu = m_boxCommands->CreateBoxContextMenu(node, this);
    menu->exec(globalPosition);
}

bool COrvexView::NavigateByKey(int key) {
    static constexpr int kKeys[] = {Qt::Key_Up,     Qt::Key_Down,  Qt::Key_Home,
                                    Qt::Key_End,    Qt::Key_Left,  Qt::Key_Right,
                                    Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space};
    if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) return false;
    if (!m_document->IsParsed()) return false;
    const CTreeGeometry& geometry = GetGeometry();
    const size_t count = geometry.GetCount();
    if (count == 0) return false;
    const size_t at = SelectedPlacement();
    const auto select = [&](size_t placement) {
        SelectNode(geometry.GetPlacement(placement).node);
    };
    if (at >= count) {
        // Nothing selected yet: the keys start at an end of the tree.
        select(key == Qt::Key_End ? count - 1 : 0);
        return true;
    }
    CNodeList& nodes = m_document->GetNodes();
    const size_t node = geometry.GetPlacement(at).node;
    const bool hasChildren = nodes.GetChildCount(node) > 0;
    const bool expanded = hasChildren && nodes.IsExpanded(node);
    switch (key) {
        case Qt::Key_Up:
            if (at > 0) select(at - 1);
            break;
        case Qt::Key_Down:
            if (at + 1 < count) select(at + 1);
            break;
        case Qt::Key_Home:
            select(0);
            break;
        case Qt::Key_End:
            select(count - 1);
            break;
        case Qt::Key_Left:
            if (expanded) {
                ToggleNode(node);
                SelectNode(node);
                break;
            }
            // The parent is the nearest earlier node of a smaller depth, and it is displayed.
            for (size_t i = at; i-- > 0;) {
                if (nodes.GetDepth(geometry.GetPlacement(i).node) < nodes.GetDepth(node)) {
                    select(i);
                    break;
                }
            }
            break;
        case Qt::Key_Right:
            if (hasChildren && !expanded) {
                ToggleNode(node);
                SelectNode(node);
            } else if (expanded) {
                select(at + 1);
            }
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            if (hasChildren) {
                ToggleNode(node);
                SelectNode(node);
            }
            break;
    }
    return true;
}

void COrvexView::SelectPageAway(int direction) {
    const CTreeGeometry& geometry = GetGeometry();
    const size_t count = geometry.GetCount();
    const size_t at = SelectedPlacement();
    if (at >= count) return;
    // The node a page away whose top lies on the far side of that point: where the window has
    // scrolled by a whole page, it then stands where the selection stood, and needs no more
    // scroll.
    const int64_t target =
        geometry.GetPlacement(at).top + int64_t{direction} * verticalScrollBar()->pageStep();
    size_t next = std::min(geometry.FirstReaching(target), count - 1);
    const int64_t top = geometry.GetPlacement(next).top;
    if (direction > 0 && top < target && next + 1 < count) ++next;
    if (direction < 0 && top > target && next > 0) --next;
    SelectNode(geometry.GetPlacement(next).node);
}

void COrvexView::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool menuKey =
        key == Qt::Key_Menu || (key == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier);
    if (menuKey && SelectedPlacement() < GetGeometry().GetCount()) {
        ScrollToShow(SelectedPlacement());
        const CTreeGeometry::Placement p = GetGeometry().GetPlacement(SelectedPlacement());
        const QPoint corner(Saturate(p.left - horizontalScrollBar()->value()),
                            Saturate(p.top - verticalScrollBar()->value()));
        ShowBoxContextMenu(p.node, viewport()->mapToGlobal(corner + QPoint(8, 8)));
        event->accept();
        return;
    }
    if (key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
        const bool down = key == Qt::Key_PageDown;
        verticalScrollBar()->triggerAction(down ? QAbstractSlider::SliderPageStepAdd
                                                : QAbstractSlider::SliderPageStepSub);
        SelectPageAway(down ? 1 : -1);
        event->accept();
        return;
    }
    if (NavigateByKey(key)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void COrvexView::wheelEvent(QWheelEvent* event) {
    // When everything fits from top to bottom, the wheel scrolls sideways.
    const QPoint delta = event->angleDelta();
    const bool upDown = std::abs(delta.y()) >= std::abs(delta.x());
    if (upDown && verticalScrollBar()->maximum() == 0 && horizontalScrollBar()->maximum() > 0) {
        QCoreApplication::sendEvent(horizontalScrollBar(), event);
        return;
    }
    QAbstractScrollArea::wheelEvent(event);
}

bool COrvexView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const CTreeGeometry::Hit hit = HitTestNode(help->pos());
        if (hit.part != CTreeGeometry::HitPart::Body) {
            QToolTip::hideText();
            event->ignore();
            return true;
        }
        const CTreeGeometry::Placement p = GetGeometry().GetPlacement(hit.placement);
        const QRect area(Saturate(p.left - horizontalScrollBar()->value()),
                         Saturate(p.top - verticalScrollBar()->value()), p.width, p.height);
        QToolTip::showText(help->globalPos(),
                           QString::fromStdString(m_document->GetNodes().GetSummaryText(hit.node)),
                           viewport(), area);
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}
