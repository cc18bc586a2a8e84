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
        // A click on the body changes nothing; one on the button expands moov alone, and a
        // second collapses it again.
        const size_t moovNode = IndexOfType(document, "moov");
        const int32_t collapsedHeight = document.GetExtentHeight();
        const size_t collapsedCount = view.GetGeometry().GetCount();
        const auto click = [&](QPoint offset) {
            QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                              ClientCorner(view, moovNode) + offset);
        };
        click(QPoint(5, 5));
        QVERIFY(!document.GetNodes().IsExpanded(moovNode));
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

        // Keys: a line is 15 pixels, a page the window's height; Home and End go up and down.
        view.setFocus();
        const int pageDown = 15 + view.viewport()->height(), end = vertical->maximum();
        const struct {
            Qt::Key key;
            int vertical, horizontal;
        } keys[] = {
            {Qt::Key_Home, 0, 0},    {Qt::Key_Down, 15, 0},           {Qt::Key_Down, 30, 0},
            {Qt::Key_Up, 15, 0},     {Qt::Key_PageDown, pageDown, 0}, {Qt::Key_PageUp, 15, 0},
            {Qt::Key_Right, 15, 15}, {Qt::Key_End, end, 15},          {Qt::Key_Home, 0, 15},
            {Qt::Key_Left, 0, 0},
        };
        for (const auto& k : keys) {
            QTest::keyClick(&view, k.key);
            QCOMPARE(QPoint(horizontal->value(), vertical->value()),
                     QPoint(k.horizontal, k.vertical));
        }
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

private:
    std::unique_ptr<FrameHarness> m;
};

QTEST_MAIN(OrvexViewTest)
#include "OrvexView_test.moc"
