#include "shell/OrvexView.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QToolTip>
#include <QtTest>
#include <memory>

#include "shell/ShellTestSupport.h"

namespace {

using HitPart = CTreeGeometry::HitPart;

// ftyp, then `count` empty 'free' boxes of 8 bytes, then a 'moov' holding one 'free'.
constexpr uint32_t kFtypSize = 20;

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

}  // namespace

class OrvexViewTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m = std::make_unique<FrameHarness>();
        QVERIFY(m->Show(900, 700));
    }
    void cleanup() { m.reset(); }

    void openingAFileFillsTheView() {
        const QString path = TestDataFile("h264_aac.mp4");
        QVERIFY(m->frame.OpenMediaFile(path));
        COrvexView& view = m->View();
        COrvexDoc& document = view.GetDocument();
        QVERIFY(document.IsParsed());
        QVERIFY(m->prompts.messages.empty());
        QCOMPARE(m->frame.windowTitle(), QStringLiteral("Orvex - h264_aac.mp4"));
        QCOMPARE(m->frame.GetStatusText(), QStringLiteral("Loaded File : %1, File Size : %2 KBytes")
                                               .arg(QFileInfo(path).absoluteFilePath())
                                               .arg(QFileInfo(path).size() / 1024));

        QCOMPARE(view.GetContentSize(),
                 QSize(document.GetExtentWidth(), document.GetExtentHeight()));
        const QSize client = view.viewport()->size();
        QCOMPARE(view.verticalScrollBar()->maximum(),
                 std::max(0, document.GetExtentHeight() - client.height()));
        QCOMPARE(view.horizontalScrollBar()->maximum(),
                 std::max(0, document.GetExtentWidth() - client.width()));
        // With the default settings nothing is expanded: the top-level nodes are shown.
        const auto& nodes = document.GetViewBoxes();
        const CTreeGeometry& geometry = view.GetGeometry();
        for (size_t i = 0; i < geometry.GetCount(); ++i)
            QCOMPARE(nodes[geometry.GetPlacement(i).node]->GetDepth(), 0);
        QCOMPARE(FindType(document, "ftyp"), geometry.GetPlacement(1).node);
    }

    void clickingAnExpandButtonTogglesTheSubtree() {
        SetSwitchSetting(m->settings, SwitchAutoExpand, true);
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        COrvexView& view = m->View();
        COrvexDoc& document = view.GetDocument();
        const size_t moov = FindType(view.GetDocument(), "moov");
        QVERIFY(moov < document.GetViewBoxes().size());
        const int32_t fullHeight = document.GetExtentHeight();
        const size_t fullCount = view.GetGeometry().GetCount();

        // Bring moov into the window, then click the middle of its button.
        view.verticalScrollBar()->setValue(
            static_cast<int>(
                view.GetGeometry().GetPlacement(view.GetGeometry().FindNode(moov)).top) -
            40);
        const QPoint button = ClientCorner(view, moov) + QPoint(-12, 10);
        QCOMPARE(view.HitTestNode(button).part, HitPart::Button);
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, button);
        QVERIFY(!document.GetViewBoxes()[moov]->IsExpanded());
        QVERIFY(document.GetExtentHeight() < fullHeight);
        QCOMPARE(view.GetContentSize().height(), document.GetExtentHeight());
        QVERIFY(view.GetGeometry().GetCount() < fullCount);
        // Everything after moov's subtree follows right below it.
        const CTreeGeometry& geometry = view.GetGeometry();
        const size_t at = geometry.FindNode(moov);
        if (at + 1 < geometry.GetCount())
            QVERIFY(document.GetViewBoxes()[geometry.GetPlacement(at + 1).node]->GetDepth() == 0);

        // A click on the body changes nothing; a second click on the button expands again.
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          ClientCorner(view, moov) + QPoint(5, 5));
        QVERIFY(!document.GetViewBoxes()[moov]->IsExpanded());
        QTest::mouseClick(view.viewport(), Qt::LeftButton, {},
                          ClientCorner(view, moov) + QPoint(-12, 10));
        QVERIFY(document.GetViewBoxes()[moov]->IsExpanded());
        QCOMPARE(document.GetExtentHeight(), fullHeight);
        QCOMPARE(view.GetGeometry().GetCount(), fullCount);
        QVERIFY(view.hasFocus());
    }

    void hitTestingHoldsDeepInALargeFile() {
        SetSwitchSetting(m->settings, SwitchAutoExpand, true);
        const int count = 20000;
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(ManyFreeBoxes(count), "many.mp4")));
        COrvexView& view = m->View();
        const auto& nodes = view.GetDocument().GetViewBoxes();
        QVERIFY(view.GetDocument().IsParsed());

        // Every 'free' box is drawn alike: the k-th lies k steps below the first.
        const size_t firstFree = FindType(view.GetDocument(), "free");
        const CTreeGeometry& geometry = view.GetGeometry();
        const auto first = geometry.GetPlacement(geometry.FindNode(firstFree));
        const int64_t step = first.height + 10;
        auto expectedAt = [&](int y) -> int64_t {  // index of the free box at window height y
            const int64_t content = int64_t{y} + view.verticalScrollBar()->value() - first.top;
            if (content < 0 || content % step >= first.height) return -1;
            const int64_t k = content / step;
            return k < count ? k : -1;
        };

        QScrollBar* vertical = view.verticalScrollBar();
        for (int position :
             {0, vertical->maximum() / 3, vertical->maximum() - 1234, vertical->maximum()}) {
            vertical->setValue(position);
            for (int y = 0; y < view.viewport()->height(); y += 7) {
                const int64_t k = expectedAt(y);
                if (k < 0) continue;
                const CTreeGeometry::Hit hit = view.HitTestNode(QPoint(100, y));
                QCOMPARE(hit.part, HitPart::Body);
                QCOMPARE(nodes[hit.node]->GetFileOffset(), uint64_t{kFtypSize + 8 * uint64_t(k)});
                QCOMPARE(view.GetToolTipText(QPoint(100, y)), QStringLiteral("Box Size : 8 bytes"));
                // Left of a node without children there is no button.
                QCOMPARE(view.HitTestNode(QPoint(80, y)).part, HitPart::None);
            }
        }

        // At the very end: the closing moov and its button.
        vertical->setValue(vertical->maximum());
        const size_t moov = FindType(view.GetDocument(), "moov");
        const QPoint corner = ClientCorner(view, moov);
        QVERIFY(corner.y() > 0 && corner.y() < view.viewport()->height());
        CTreeGeometry::Hit hit = view.HitTestNode(corner + QPoint(-20, 2));
        QCOMPARE(hit.part, HitPart::Button);
        QCOMPARE(hit.node, moov);
        QCOMPARE(view.HitTestNode(corner + QPoint(-4, 2)).part, HitPart::None);
        QCOMPARE(view.HitTestNode(corner + QPoint(-20, 18)).part, HitPart::None);
        QCOMPARE(view.GetToolTipText(corner + QPoint(3, 3)),
                 QStringLiteral("Box Size : 16 bytes, Container"));
        QVERIFY(view.GetToolTipText(corner + QPoint(-20, 2)).isEmpty());

        // The tooltip shows up on a real help event over a body.
        const QPoint body = corner + QPoint(3, 3);
        QHelpEvent help(QEvent::ToolTip, body, view.viewport()->mapToGlobal(body));
        QCoreApplication::sendEvent(view.viewport(), &help);
        QTRY_COMPARE(QToolTip::text(), QStringLiteral("Box Size : 16 bytes, Container"));
        QToolTip::hideText();
    }

    void keysAndTheWheelScroll() {
        SetSwitchSetting(m->settings, SwitchAutoExpand, true);
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(ManyFreeBoxes(300), "some.mp4")));
        COrvexView& view = m->View();
        m->frame.resize(300, 700);  // narrower than the content, so it scrolls sideways too
        QCoreApplication::processEvents();
        QScrollBar* vertical = view.verticalScrollBar();
        QScrollBar* horizontal = view.horizontalScrollBar();
        QVERIFY(vertical->maximum() > 1000);
        QVERIFY(horizontal->maximum() > 30);
        view.setFocus();

        QTest::keyClick(&view, Qt::Key_Down);
        QCOMPARE(vertical->value(), 15);
        QTest::keyClick(&view, Qt::Key_Down);
        QTest::keyClick(&view, Qt::Key_Up);
        QCOMPARE(vertical->value(), 15);
        QTest::keyClick(&view, Qt::Key_PageDown);
        QCOMPARE(vertical->value(), 15 + view.viewport()->height());
        QTest::keyClick(&view, Qt::Key_PageUp);
        QCOMPARE(vertical->value(), 15);
        QTest::keyClick(&view, Qt::Key_End);
        QCOMPARE(vertical->value(), vertical->maximum());
        QTest::keyClick(&view, Qt::Key_Right);
        QCOMPARE(horizontal->value(), 15);
        QTest::keyClick(&view, Qt::Key_Home);
        QCOMPARE(vertical->value(), 0);
        QCOMPARE(horizontal->value(), 15);  // Home and End move up and down only
        QTest::keyClick(&view, Qt::Key_Left);
        QCOMPARE(horizontal->value(), 0);

        // One notch of the wheel: the system's lines per notch, 15 pixels each.
        const int lines = QGuiApplication::styleHints()->wheelScrollLines();
        SendWheel(view, QPoint(0, -120));
        QCOMPARE(vertical->value(), lines * 15);
        // Half notches add up.
        SendWheel(view, QPoint(0, 60));
        SendWheel(view, QPoint(0, 60));
        QCOMPARE(vertical->value(), 0);

        // The same file collapsed fits from top to bottom: the wheel scrolls sideways.
        m->frame.OnFileNew();
        SetSwitchSetting(m->settings, SwitchAutoExpand, false);
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(ManyFreeBoxes(1), "few.mp4")));
        m->frame.resize(200, 1000);
        QCoreApplication::processEvents();
        QCOMPARE(vertical->maximum(), 0);
        QVERIFY(horizontal->maximum() > 0);
        SendWheel(view, QPoint(0, -120));
        QCOMPARE(horizontal->value(), std::min(horizontal->maximum(), lines * 15));
    }

    void aTruncatedFileShowsTheParseFailure() {
        BoxBuilder file;
        file.Open("ftyp").FourCC("isom").U32(0).Close();
        file.Open("moov").Leaf("free");
        file.CloseWithSize(4000);  // declares far more than the file holds
        const QString path = WriteBoxes(file, "cut.mp4");

        QVERIFY(m->frame.OpenMediaFile(path));
        COrvexView& view = m->View();
        QCOMPARE(m->prompts.messages.size(), size_t{1});
        QCOMPARE(m->prompts.messages[0].icon, CShellPrompts::Icon::Warning);
        QCOMPARE(m->prompts.messages[0].title, QStringLiteral("Error"));
        QCOMPARE(m->prompts.messages[0].text,
                 QStringLiteral("error occured in parsing. check if the file is corrupted."));
        QVERIFY(!view.GetDocument().IsParsed());
        QVERIFY(view.GetDocument().IsFileOpen());
        QCOMPARE(view.GetGeometry().GetCount(), size_t{0});
        QCOMPARE(view.HitTestNode(QPoint(100, 10)).part, HitPart::None);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
        // Opened, so the window names it, as with any opened file.
        QCOMPARE(m->frame.windowTitle(), QStringLiteral("Orvex - cut.mp4"));

        // Parsing again fails again, with the same message.
        m->frame.OnStartParsing();
        QCOMPARE(m->prompts.messages.size(), size_t{2});
    }

    void paintingDrawsTheBandAndTheNodes() {
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        COrvexView& view = m->View();
        QImage image(view.viewport()->size(), QImage::Format_RGB32);
        image.fill(Qt::magenta);
        {
            QPainter painter(&image);
            view.PaintContents(painter);
        }
        const QColor band(56, 111, 139);
        QCOMPARE(image.pixelColor(30, image.height() - 3), band);
        QCOMPARE(image.pixelColor(69, 3), band);
        QCOMPARE(image.pixelColor(70, 3), QColor(Qt::black));  // the band's edge
        QCOMPARE(image.pixelColor(image.width() - 2, image.height() - 2),
                 view.palette().color(QPalette::Base));

        // The ftyp node: framed layers, the short type name on its olive back.
        const size_t ftyp = FindType(view.GetDocument(), "ftyp");
        const QPoint corner = ClientCorner(view, ftyp);
        QCOMPARE(image.pixelColor(corner + QPoint(0, 6)), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(corner + QPoint(4, 4)), QColor(146, 143, 73));
        // ftyp is no container and has no children: no image left of it.
        QCOMPARE(image.pixelColor(corner + QPoint(-12, 10)), view.palette().color(QPalette::Base));
        // moov has children: its collapsed button, with the plus in the middle.
        const QPoint moov = ClientCorner(view, FindType(view.GetDocument(), "moov"));
        QCOMPARE(image.pixelColor(moov + QPoint(-20 + 7, 2 + 5)), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(moov + QPoint(-20 + 2, 2 + 2)), QColor(56, 111, 139));
        // The node's offset is written in white in the band (smoothed: nearly white will do).
        int light = 0;
        for (int x = 4; x < 70; ++x) {
            for (int y = corner.y(); y < corner.y() + 14; ++y)
                light += image.pixelColor(x, y).lightness() > 200 ? 1 : 0;
        }
        QVERIFY(light > 20);

        // Nothing but the background once the file is closed.
        m->frame.OnFileNew();
        {
            QPainter painter(&image);
            view.PaintContents(painter);
        }
        QCOMPARE(image.pixelColor(30, 30), view.palette().color(QPalette::Base));
    }

private:
    static void SendWheel(COrvexView& view, QPoint delta) {
        const QPointF at(50, 50);
        QWheelEvent wheel(at, view.viewport()->mapToGlobal(at), QPoint(), delta, Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(view.viewport(), &wheel);
    }

    std::unique_ptr<FrameHarness> m;
};

QTEST_MAIN(OrvexViewTest)
#include "OrvexView_test.moc"
