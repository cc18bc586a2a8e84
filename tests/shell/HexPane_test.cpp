#include "shell/HexPane.h"

#include <QtTest>
#include <QtWidgets>
#include <memory>

#include "shell/ShellTestSupport.h"

namespace {

constexpr uint64_t kFourGiB = uint64_t{1} << 32;

// ftyp (0-19), moov (20-55) holding free (28-39) and trak (40-55) holding wide (48-55), skip
// (56-67): a box with two children, one of them a container.
BoxBuilder BoxWithChildren() {
    BoxBuilder file;
    file.Open("ftyp").FourCC("isom").U32(0).FourCC("isom").Close();
    file.Open("moov").Leaf("free", {'a', 'b', 'c', 0x01}).Open("trak").Leaf("wide").Close();
    file.Close().Leaf("skip", {'x', 'y', 'z', '!'});
    return file;
}

// The first node of the box type `type`.
size_t NodeTitled(COrvexView& view, const char* type) {
    CNodeList& nodes = view.GetDocument().GetNodes();
    for (size_t i = 0; i < nodes.size(); ++i)
        if (QString::fromUtf8(nodes.GetTitle(i)).remove(QLatin1Char('\'')) == QLatin1String(type))
            return i;
    return nodes.size();
}

QString SelectedTitle(COrvexView& view) {
    const auto node = view.GetSelectedNode();
    if (!node) return QStringLiteral("(none)");
    return QString::fromUtf8(view.GetDocument().GetNodes().GetTitle(*node))
        .remove(QLatin1Char('\''));
}

QImage Paint(CHexPane& pane) {
    QImage image(pane.viewport()->size(), QImage::Format_RGB32);
    QPainter painter(&image);
    pane.PaintContents(painter);
    return image;
}

// The shade behind a byte: the top line of its cell, above any glyph.
QColor BackAt(const QImage& image, CHexPane& pane, uint64_t offset, bool inCharacters) {
    const QPoint middle = pane.BytePoint(offset, inCharacters).value_or(QPoint(-1, -1));
    const int rowHeight =
        QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)).lineSpacing();
    return image.pixelColor(middle.x(), middle.y() - rowHeight / 2);
}

CHexPane& ShowPane(FrameHarness& harness) {
    harness.Action("actionViewHexPane")->trigger();
    CHexPane& pane = harness.frame.GetHexPane();
    if (!QTest::qWaitFor([&] { return pane.viewport()->height() > 100; }))
        qWarning("the hex pane was given no room");
    return pane;
}

void ClickByte(CHexPane& pane, uint64_t offset, bool inCharacters = false) {
    const auto at = pane.BytePoint(offset, inCharacters);
    QVERIFY(at.has_value());
    QTest::mouseClick(pane.viewport(), Qt::LeftButton, Qt::NoModifier, *at);
}

}  // namespace

class HexPaneTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m = std::make_unique<FrameHarness>();
        QVERIFY(m->Show(1400, 700));
    }
    void cleanup() { m.reset(); }

    void theMenuItemShowsThePaneAndIsRemembered() {
        CHexPane& pane = m->frame.GetHexPane();
        QVERIFY(pane.isHidden());
        m->Action("actionViewHexPane")->trigger();
        QVERIFY(pane.isVisible());
        const auto stored = m->settings.ReadValue(kSettingsKey, "Hex Pane");
        QVERIFY(stored && stored->number == 1);
        CMainFrame again(m->settings, m->prompts);
        QVERIFY(!again.GetHexPane().isHidden());
        QVERIFY(again.findChild<QAction*>(QStringLiteral("actionViewHexPane"))->isChecked());
    }

    void rowsAndShadingOfABoxWithChildren() {
        CHexPane& pane = ShowPane(*m);
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(BoxWithChildren(), "children.mp4")));
        COrvexView& view = m->View();
        QCOMPARE(pane.GetRowCount(), uint64_t{5});
        QCOMPARE(pane.RowText(1), QStringLiteral("0000000000000010  69 73 6F 6D 00 00 00 24  "
                                                 "6D 6F 6F 76 00 00 00 0C  isom...$moov...."));
        // The last row is short: its missing bytes are blank in both columns.
        QCOMPARE(pane.RowText(4),
                 QStringLiteral("0000000000000040  78 79 7A 21").leftJustified(68) +
                     QStringLiteral("xyz!").leftJustified(16));
        QCOMPARE(pane.RowText(5), QString());
        view.SelectNode(NodeTitled(view, "moov"));
        const QImage image = Paint(pane);
        const struct {
            uint64_t offset;
            BytePart part;
            QColor back;
        } bytes[] = {
            {19, BytePart::Outside, ToQColor(kViewPalette.hexBack)},
            {20, BytePart::Header, ToQColor(kViewPalette.hexHeaderBack)},
            {27, BytePart::Header, ToQColor(kViewPalette.hexHeaderBack)},
            {28, BytePart::Child, ToQColor(kViewPalette.hexChildBack)},
            {39, BytePart::Child, ToQColor(kViewPalette.hexChildBack)},
            {40, BytePart::NextChild, ToQColor(kViewPalette.hexNextChildBack)},
            {55, BytePart::NextChild, ToQColor(kViewPalette.hexNextChildBack)},
            {56, BytePart::Outside, ToQColor(kViewPalette.hexBack)},
        };
        for (const auto& b : bytes) {
            QCOMPARE(pane.GetPartAt(b.offset), b.part);
            QCOMPARE(BackAt(image, pane, b.offset, false), b.back);
            QCOMPARE(BackAt(image, pane, b.offset, true), b.back);
        }
        // A leaf is header and payload only.
        QVERIFY(view.SelectByteOffset(30));
        QCOMPARE(pane.GetPartAt(35), BytePart::Header);
        QCOMPARE(pane.GetPartAt(36), BytePart::Payload);
        QCOMPARE(pane.GetPartAt(40), BytePart::Outside);
    }

    void aClickSelectsTheInnermostBoxAndASelectionScrollsThePane() {
        CHexPane& pane = ShowPane(*m);
        BoxBuilder file = BoxWithChildren();
        file.Leaf("free", std::vector<uint8_t>(100000));
        file.Open("moov").Open("trak").Leaf("wide").Close().Close();
        QVERIFY(m->frame.OpenMediaFile(WriteBoxes(file, "far.mp4")));
        COrvexView& view = m->View();
        view.ToggleNode(NodeTitled(view, "moov"));  // collapsed: a click must open the way
        const struct {
            uint64_t offset;
            bool inCharacters;
            const char* selected;
        } clicks[] = {
            {3, false, "ftyp"}, {20, true, "moov"},  {37, false, "free"},
            {44, true, "trak"}, {55, false, "wide"}, {67, true, "skip"},
        };
        for (const auto& c : clicks) {
            ClickByte(pane, c.offset, c.inCharacters);
            QCOMPARE(SelectedTitle(view), QString::fromLatin1(c.selected));
            QCOMPARE(pane.GetTopRow(), uint64_t{0});  // in sight already: no scroll
        }
        // Far down the file, from the tree: the pane scrolls to the box, a click goes back.
        CNodeList& nodes = view.GetDocument().GetNodes();
        const size_t farWide = nodes.size() - 1;
        view.ToggleNode(farWide - 2);
        view.SelectNode(farWide - 2);
        QVERIFY(pane.GetTopRow() > 6000);
        QVERIFY(pane.BytePoint(nodes.GetFileOffset(farWide - 2)).has_value());
        ClickByte(pane, nodes.GetFileOffset(farWide) + 2);
        QCOMPARE(view.GetSelectedNode(), std::optional<size_t>(farWide));
    }

    void theLinesUnderMediaDataShowTheirBytes() {
        CHexPane& pane = ShowPane(*m);
        QVERIFY(m->frame.OpenMediaFile(TestDataFile("h264_aac.mp4")));
        COrvexView& view = m->View();
        CNodeList& nodes = view.GetDocument().GetNodes();
        size_t sample = 0;
        while (sample < nodes.size() && (!nodes.GetLine(sample) || nodes.GetLine(sample)->kind !=
                                                                       MediaDataLine::Kind::Sample))
            ++sample;
        QVERIFY(sample < nodes.size());
        const uint64_t begin = nodes.GetFileOffset(sample);
        const uint64_t size = nodes.GetBoxSize(sample);
        QVERIFY(view.SelectByteOffset(begin + size - 1));
        QCOMPARE(view.GetSelectedNode(), std::optional<size_t>(sample));
        QCOMPARE(pane.GetPartAt(begin), BytePart::Payload);
        QCOMPARE(pane.GetPartAt(begin + size - 1), BytePart::Payload);
        QCOMPARE(pane.GetPartAt(begin + size), BytePart::Outside);
    }

    void aSparseFourGigabyteFileScrollsToItsEnd() {
        BoxBuilder head;
        head.Open("mdat", true).CloseWithSize(kFourGiB);
        const QString path = WriteBoxes(head, "sparse.mp4");
        QVERIFY(QFile::resize(path, static_cast<qint64>(kFourGiB)));
        CHexPane& pane = ShowPane(*m);
        QVERIFY(m->frame.OpenMediaFile(path));
        m->View().SelectNode(NodeTitled(m->View(), "mdat"));
        QCOMPARE(pane.GetPartAt(15), BytePart::Header);
        QCOMPARE(pane.GetPartAt(kFourGiB - 1), BytePart::Payload);
        pane.ScrollToRow(kFourGiB / 16);
        const uint64_t rows = static_cast<uint64_t>(
            pane.viewport()->height() /
            QFontMetrics(QFontDatabase::systemFont(QFontDatabase::FixedFont)).lineSpacing());
        QCOMPARE(pane.GetTopRow(), kFourGiB / 16 - rows);
        QVERIFY(
            pane.RowText(kFourGiB / 16 - 1).startsWith(QStringLiteral("00000000FFFFFFF0  00 00")));
        Paint(pane);
        QVERIFY(!pane.ShowsReadFailure());
        ClickByte(pane, kFourGiB - 1, true);
        QCOMPARE(SelectedTitle(m->View()), QStringLiteral("mdat"));
    }

    void bytesThatCannotBeReadSaySo() {
        BoxBuilder file;
        file.Leaf("free", std::vector<uint8_t>(20000));
        const QString path = WriteBoxes(file, "shrinks.mp4");
        CHexPane& pane = ShowPane(*m);
        QVERIFY(m->frame.OpenMediaFile(path));
        QVERIFY(QFile::resize(path, 100));
        pane.ScrollToRow(1000);
        const QImage image = Paint(pane);
        QVERIFY(pane.ShowsReadFailure());
        QCOMPARE(QString::fromLatin1(CHexPane::kReadFailedText),
                 QStringLiteral("The bytes here cannot be read from the file."));
        QCOMPARE(image.pixelColor(0, 0), ToQColor(kViewPalette.hexBack));
        // Opened again, the file is read as it is now.
        QVERIFY(m->frame.OpenMediaFile(path));
        Paint(pane);
        QVERIFY(!pane.ShowsReadFailure());
        QCOMPARE(pane.GetRowCount(), uint64_t{7});
    }

private:
    std::unique_ptr<FrameHarness> m;
};

QTEST_MAIN(HexPaneTest)
#include "HexPane_test.moc"
