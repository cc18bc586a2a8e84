#include "shell/OrvexView.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "shell/ShellTestSupport.h"

namespace {

using HitPart = CTreeGeometry::HitPart;

// ftyp (20 bytes), then `count` empty 'free' boxes of 8 bytes, then a 'moov' holding one 'free'.
BoxBuilder ManyFreeBoxes(int count) {
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    for (int i = 0; i < count; ++i)
        file.Leaf("free");
    file.Open("moov").Leaf("free").Close();
    return file;
}

// ftyp, moov{free, trak{wide}}, skip: containers at two depths, leaves before and after.
BoxBuilder SmallTree() {
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    file.Open("moov").Leaf("free").Open("trak").Leaf("wide").Close().Close();
    file.Leaf("skip");
    return file;
}

QString SelectedTitle(COrvexView& view) {
    const auto node = view.GetSelectedNode();
    if (!node) return QStringLiteral("(none)");
    return QString::fromStdString(std::string(view.GetDocument().GetNodes().GetTitle(*node)));
}

// Whether the selected node lies wholly in the window, its frame included.
bool SelectionShown(COrvexView& view) {
    const CTreeGeometry& geometry = view.GetGeometry();
    const size_t at = geometry.FindNode(view.GetSelectedNode().value_or(geometry.GetCount()));
    if (at >= geometry.GetCount()) return false;
    const auto p = geometry.GetPlacement(at);
    const QPoint scroll = view.GetScrollPosition();
    return p.top - 3 >= scroll.y() && p.Bottom() + 3 <= scroll.y() + view.viewport()->height() &&
           p.left >= scroll.x();
}

// The top-left corner of the popup menu the key opens, closed at once; none when no menu came.
std::optional<QPoint> MenuOpenedBy(COrvexView& view, Qt::Key key, Qt::KeyboardModifiers mods) {
    std::optional<QPoint> at;
    QTimer::singleShot(0, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            if (!menu->actions().isEmpty()) at = menu->pos();
            menu->close();
        }
    });
    QTest::keyClick(&view, key, mods);
    return at;
}

// The node's top-left corner in the window, at the current scroll position.
QPoint ClientCorner(COrvexView& view, size_t node) {
    const CTreeGeometry& geometry = view.GetGeometry();
    const auto p = geometry.GetPlacement(geometry.FindNode(node));
    return QPoint(static_cast<int>(p.left), static_cast<int>(p.top)) - view.GetScrollPosition();
}

QImage Paint(COrvexView& view) {
    QImage image(view.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    QPainter painter(&image);
    view.PaintContents(painter);
    return image;
}

// Pixels of the hint's colour, drawn smoothed: those near it count.
int HintPixels(const QImage& image) {
    const QColor hint(56, 111, 139);
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            count += std::abs(c.red() - hint.red()) + std::abs(c.green() - hint.green()) +
                         std::abs(c.blue() - hint.blue()) <
                     30;
        }
    }
    return count;
}

void SendWheel(COrvexView& view, QPoint delta) {
    const QPointF at(50, 50);
    QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), delta, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.viewport(), &wheel);
}

}  // namespace

class OrvexViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m = std::make_unique<FrameHarness>();
        QVERIFY(m->Show(900, 700));
    }
    void cleanup() { m.reset(); }

    void onlyAnEmptyViewSaysHowToOpenAFile() {
        COrvexView& view = m->View();
        QCOMPARE(QString::fromLatin1(COrvexView::kEmptyHint),
                 QStringLiteral("Open a file (Ctrl+O) or drop one here"));
        // In the middle of the view, in the palette's colour.
        const QImage empty = Paint(view);
        QVERIFY(HintPixels(empty) > 50);
        QVERIFY(HintPixels(empty.copy(0, 0, empty.width(), empty.height() / 3)) == 0);
        // A file open but not parsed is no empty view: the hint would mislead.
        SetSwitchSetting(m->settings, SwitchAutoParse, false);
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("timed_text.3gp")));
        QCOMPARE(HintPixels(Paint(view)), 0);
        m->frame.OnFileNew();
        QCOMPARE(HintPixels(Paint(view)), HintPixels(empty));
    }

    void aFileIsLaidOutPaintedAndExpandedByClicks() {
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        COrvexView& view = m->View();
        COrvexDoc& document = view.GetDocument();
        const QSize client = view.viewport()->size();
        QCOMPARE(QPoint(view.horizontalScrollBar()->maximum(), view.verticalScrollBar()->maximum()),
                 QPoint(std::max(0, document.GetExtentWidth() - client.width()),
                        std::max(0, document.GetExtentHeight() - client.height())));

        QImage image = Paint(view);
        const QColor band(56, 111, 139), frame(0, 6, 31),
            base = view.palette().color(QPalette::Base);
        QCOMPARE(image.pixelColor(30, image.height() - 3), band);
        QCOMPARE(image.pixelColor(69, 3), band);
        QCOMPARE(image.pixelColor(70, 3), QColor(Qt::black));  // the band's edge
        QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2), base);
        // The ftyp node: framed layers, the short type name on its olive back; no children, so
        // nothing left of it.
        const QPoint ftyp = ClientCorner(view, IndexOfType(document, "ftyp"));
        QCOMPARE(image.pixelColor(ftyp + QPoint(0, 6)), frame);
        QCOMPARE(image.pixelColor(ftyp + QPoint(4, 4)), QColor(146, 143, 73));
        QCOMPARE(image.pixelColor(ftyp + QPoint(-12, 10)), base);
        // moov has children: its collapsed button, with the plus in the middle.
        const QPoint moov = ClientCorner(view, IndexOfType(document, "moov"));
        QCOMPARE(image.pixelColor(moov + QPoint(-13, 7)), frame);
        QCOMPARE(image.pixelColor(moov + QPoint(-18, 4)), band);
        // The node's offset is written in white in the band (smoothed: nearly white will do).
        int light = 0;
        for (int x = 4; x < 70; ++x) {
            for (int y = ftyp.y(); y < ftyp.y() + 14; ++y)
                light += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
        }
        QVERIFY(light > 20);
        // The first node is selected, framed in the palette's colour just outside its own frame.
        QCOMPARE(view.GetSelectedNode(), size_t{0});
        const QPoint first = ClientCorner(view, 0);
        QCOMPARE(image.pixelColor(first + QPoint(-3, 8)), QColor(232, 72, 0));
        QCOMPARE(image.pixelColor(first + QPoint(8, -2)), QColor(232, 72, 0));
        QCOMPARE(image.pixelColor(ftyp + QPoint(-3, 8)), base);
        // A click on the body selects; one on the button expands moov alone, and a second
        // collapses it again.
        const size_t moovNode = IndexOfType(document, "moov");
        const int32_t collapsedHeight = document.GetExtentHeight();
        const size_t collapsedCount = view.GetGeometry().GetCount();
        const auto click = [&](QPoint offset) {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                              ClientCorner(view, moovNode) + offset);
        };
        click(QPoint(5, 5));
        QVERIFY(!document.GetNodes().IsExpanded(moovNode));
        QCOMPARE(SelectedTitle(view), QStringLiteral("moov"));
        click(QPoint(-12, 10));
        QVERIFY(document.GetNodes().IsExpanded(moovNode));
        QVERIFY(!document.GetNodes().IsExpanded(IndexOfType(document, "trak")));
        QVERIFY(document.GetExtentHeight() > collapsedHeight);
        QVERIFY(view.GetGeometry().GetCount() > collapsedCount);
        QCOMPARE(view.GetContentSize().height(), document.GetExtentHeight());
        click(QPoint(-12, 10));
        QCOMPARE(document.GetExtentHeight(), collapsedHeight);
        QCOMPARE(view.GetGeometry().GetCount(), collapsedCount);
        QVERIFY(view.hasFocus());

        // Nothing but the background once the file is closed.
        m->frame.OnFileNew();
        QCOMPARE(Paint(view).pixelColor(30, 30), base);
    }

    void aClickOnAFindingShowsItsBox() {
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("broken/stts-short.mp4")));
        COrvexView& view = m->View();
        CNodeList& nodes = view.GetDocument().GetNodes();
        size_t integrity = 0;
        while (integrity < nodes.size() && nodes.GetTitle(integrity) != "Integrity Information")
            ++integrity;
        QVERIFY(integrity < nodes.size());
        if (!nodes.IsExpanded(0)) view.ToggleNode(0);
        // The height of the first finding's line in the node.
        int line = 0;
        while (line < 400 && !nodes.Node(integrity).OffsetAtHeight(line))
            ++line;
        QVERIFY(line < 400);
        QVERIFY(!nodes.IsExpanded(IndexOfType(view.GetDocument(), "moov")));
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          ClientCorner(view, integrity) + QPoint(20, line + 2));
        QCOMPARE(SelectedTitle(view), QStringLiteral("stts"));
        QVERIFY(SelectionShown(view));
        // The title line is no finding: it selects the node itself.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          ClientCorner(view, integrity) + QPoint(20, 3));
        QCOMPARE(view.GetSelectedNode(), integrity);
    }

    void aLargeFileIsHitTestedAndScrolledByKeysAndWheel() {
        SetSwitchSetting(m->settings, SwitchAutoExpand, true);
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(ManyFreeBoxes(20000), "many.mp4")));
        m->frame.resize(300, 700);  // narrower than the content, so it scrolls sideways too
        QCoreApplication::processEvents();
        COrvexView& view = m->View();
        QScrollBar* vertical = view.verticalScrollBar();
        QScrollBar* horizontal = view.horizontalScrollBar();

        // At the very end, deep down: the closing moov, its button and its tooltip on a real
        // help event.
        vertical->setValue(vertical->maximum());
        const size_t moov = IndexOfType(view.GetDocument(), "moov");
        const QPoint corner = ClientCorner(view, moov);
        QCOMPARE(view.HitTestNode(corner + QPoint(-20, 2)).part, HitPart::Button);
        QCOMPARE(view.HitTestNode(corner + QPoint(-20, 2)).node, moov);
        QCOMPARE(view.HitTestNode(corner + QPoint(-4, 2)).part, HitPart::None);
        QVERIFY(view.GetToolTipText(corner + QPoint(-20, 2)).isEmpty());
        const QPoint body = corner + QPoint(3, 3);
        QHelpEvent help(QEvent::ToolTip, body, view.viewport()->mapToGlobal(body));
        QCoreApplication::sendEvent(view.viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Box Size : 16 bytes, Container"));
        QToolTip::hideText();

        // Page keys scroll by the window's height and take the selection along; End and Home
        // go to the ends. The selection stays in sight.
        view.setFocus();
        const int page = view.viewport()->height(), end = vertical->maximum();
        const std::pair<Qt::Key, int> keys[] = {
            {Qt::Key_Home, 0},      {Qt::Key_PageDown, page}, {Qt::Key_PageDown, 2 * page},
            {Qt::Key_PageUp, page}, {Qt::Key_End, end},       {Qt::Key_Home, 0}};
        for (const auto& [key, expected] : keys) {
            QTest::keyClick(&view, key);
            QVERIFY(std::abs(vertical->value() - expected) < 40);
            QVERIFY(SelectionShown(view));
        }
        QCOMPARE(horizontal->value(), 0);
        // Find near the end: the match cannot reach the top, but it is selected and in sight.
        QVERIFY(view.FindNext(QStringLiteral("moov")));
        QCOMPARE(view.GetSelectedNode(), moov);
        QCOMPARE(vertical->value(), vertical->maximum());
        QVERIFY(SelectionShown(view));
        vertical->setValue(0);

        // One notch of the wheel: the system's lines per notch, 15 pixels each; half notches
        // add up.
        const int lines = QGuiApplication::styleHints()->wheelScrollLines();
        SendWheel(view, QPoint(0, -120));
        QCOMPARE(vertical->value(), lines * 15);
        SendWheel(view, QPoint(0, 60));
        SendWheel(view, QPoint(0, 60));
        QCOMPARE(vertical->value(), 0);

        // A file that fits from top to bottom: the wheel scrolls sideways.
        m->frame.OnFileNew();
        SetSwitchSetting(m->settings, SwitchAutoExpand, false);
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(ManyFreeBoxes(1), "few.mp4")));
        m->frame.resize(200, 1000);
        QCoreApplication::processEvents();
        QVERIFY(vertical->maximum() == 0 && horizontal->maximum() > 0);
        SendWheel(view, QPoint(0, -120));
        QCOMPARE(horizontal->value(), std::min(horizontal->maximum(), lines * 15));
    }

    void keysWalkTheTreeAndOpenTheBoxMenu() {
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(SmallTree(), "small.mp4")));
        COrvexView& view = m->View();
        QVERIFY(view.hasFocus());
        const CNodeList& nodes = view.GetDocument().GetNodes();
        // After each key: the first word of the selected node's title, "+" when it is expanded.
        const std::pair<Qt::Key, const char*> steps[] = {
            {Qt::Key_Up, "Quick"},         {Qt::Key_Right, "Quick+"},   {Qt::Key_Right, "General"},
            {Qt::Key_Down, "Conformance"}, {Qt::Key_Down, "Integrity"}, {Qt::Key_Down, "ftyp"},
            {Qt::Key_Left, "ftyp"},        {Qt::Key_Down, "moov"},      {Qt::Key_Right, "moov+"},
            {Qt::Key_Right, "free"},       {Qt::Key_Down, "trak"},      {Qt::Key_Return, "trak+"},
            {Qt::Key_Down, "'wide'"},      {Qt::Key_Right, "'wide'"},   {Qt::Key_Left, "trak+"},
            {Qt::Key_Left, "trak"},        {Qt::Key_Left, "moov+"},     {Qt::Key_Space, "moov"},
            {Qt::Key_Down, "skip"},        {Qt::Key_Down, "skip"},      {Qt::Key_Home, "Quick+"},
            {Qt::Key_Enter, "Quick"},      {Qt::Key_Down, "ftyp"},      {Qt::Key_Enter, "ftyp"},
            {Qt::Key_End, "skip"},         {Qt::Key_Up, "moov"},        {Qt::Key_Right, "moov+"},
            {Qt::Key_Down, "free"},        {Qt::Key_Down, "trak"},      {Qt::Key_Right, "trak+"},
            {Qt::Key_Right, "'wide'"}};
        for (const auto& [key, expected] : steps) {
            QTest::keyClick(&view, key);
            const size_t node = view.GetSelectedNode().value();
            const bool expanded = nodes.GetChildCount(node) > 0 && nodes.IsExpanded(node);
            QCOMPARE(SelectedTitle(view).section(' ', 0, 0) + (expanded ? "+" : ""),
                     QString::fromLatin1(expected));
        }
        // Assistive technology reads the selected node from the view and from its viewport.
        for (QWidget* widget : {static_cast<QWidget*>(&view), view.viewport()}) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible != nullptr);
            QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("'wide' Unknown Type"));
            QCOMPARE(accessible->text(QAccessible::Description),
                     QStringLiteral("Box Size : 8 bytes"));
        }
        // Collapsing an ancestor of the selection hands the selection to it.
        view.ToggleNode(IndexOfType(view.GetDocument(), "moov"));
        QCOMPARE(SelectedTitle(view), QStringLiteral("moov"));

        // The menu key and Shift+F10 open the box menu beside the selected node.
        const QPoint corner = view.viewport()->mapToGlobal(
            ClientCorner(view, IndexOfType(view.GetDocument(), "moov")));
        for (const auto& [key, mods] :
             {std::pair{Qt::Key_Menu, Qt::KeyboardModifiers()},
              std::pair{Qt::Key_F10, Qt::KeyboardModifiers(Qt::ShiftModifier)}}) {
            const std::optional<QPoint> menu = MenuOpenedBy(view, key, mods);
            QVERIFY(menu.has_value());
            QVERIFY((*menu - corner).manhattanLength() < 40);
        }
        QVERIFY(!MenuOpenedBy(view, Qt::Key_F10, Qt::NoModifier));

        // Find selects, and a closed file leaves nothing selected.
        QVERIFY(view.FindNext(QStringLiteral("trak")));
        QCOMPARE(SelectedTitle(view), QStringLiteral("trak"));
        m->frame.OnFileNew();
        QCOMPARE(SelectedTitle(view), QStringLiteral("(none)"));
    }

private:
    std::unique_ptr<FrameHarness> m;
};

QTEST_MAIN(OrvexViewTest)
#include "OrvexView_test.moc"
