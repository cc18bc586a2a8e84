#include "shell/QtDrawingSurface.h"

#include <QtGui>
#include <QtTest>
#include <cmath>

namespace {

const FontSpec kTahoma{"Tahoma", 80, false, false};

// Draws on a white image of that size; `draw` runs between Begin and End.
template <typename Draw>
QImage Drawn(CQtDrawingSurface& surface, QSize size, Draw draw) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    surface.Begin(&painter, image.rect());
    draw();
    surface.End();
    return image;
}

}  // namespace

class QtDrawingSurfaceTest : public QObject {
    Q_OBJECT

private slots:
    void measuresAsQtLaysTextOut() {
        CQtDrawingSurface surface;
        const QFont& font = surface.GetQFont(kTahoma);
        QVERIFY(font.pointSizeF() == 8.0 && !font.kerning());
        const QFontMetricsF exact(font);
        const int height = QFontMetrics(font).height();
        // The table of advances gives what Qt gives for the whole text; an empty text is as
        // tall as a line.
        for (const char* text : {"Movie Header Box", "0x0001F3A0", "iiiiWWWW", ""}) {
            const int width =
                int(std::ceil(exact.horizontalAdvance(QString::fromLatin1(text)) - 1e-6));
            QCOMPARE(surface.MeasureText(&kTahoma, text, false), (Extent{width, height}));
        }
        // Text beyond ASCII goes through Qt itself.
        const QString accented = QStringLiteral("caf\u00e9 \u00e0 la cr\u00e8me");
        QVERIFY(std::abs(surface.MeasureText(&kTahoma, accented.toStdString(), false).width -
                         exact.horizontalAdvance(accented)) <= 1);
        // Tabs stop every eight average characters when expanded, and measure as a character
        // otherwise.
        const int stop = QFontMetrics(font).averageCharWidth() * 8;
        const int b = surface.MeasureText(&kTahoma, "b", false).width;
        QCOMPARE(surface.MeasureText(&kTahoma, "\t\tb", true).width, 2 * stop + b);
        QCOMPARE(surface.MeasureText(&kTahoma, "a\tb", true).width, stop + b);
        QVERIFY(surface.MeasureText(&kTahoma, "a\tb", false).width < stop);
        // The current font serves calls without one; bold is wider.
        surface.SetCurrentFont(FontSpec{"Tahoma", 80, true, false});
        QCOMPARE(surface.GetCurrentFont(), (FontSpec{"Tahoma", 80, true, false}));
        QVERIFY(surface.MeasureText(nullptr, "Track Box", false).width >
                surface.MeasureText(&kTahoma, "Track Box", false).width);
    }

    void drawsOnlyWithAPainterAndClipsHugeShapes() {
        CQtDrawingSurface surface;
        // Without a painter every drawing call is harmless.
        surface.FillRect(Rect{0, 0, 10, 10}, Rgb(1, 2, 3));
        surface.DrawRectangle(Rect{0, 0, 10, 10}, Rgb(1, 2, 3), Rgb(4, 5, 6), 2);
        surface.DrawText(&kTahoma, "text", Rect{0, 0, 50, 20}, Rgb(0, 0, 0), TextAlign::Left,
                         false);
        const QImage image = Drawn(surface, QSize(200, 100), [&] {
            surface.FillRect(Rect{10, 10, 20, 20}, Rgb(200, 0, 0));
            surface.DrawRectangle(Rect{40, 10, 80, 40}, Rgb(146, 143, 73), Rgb(0, 6, 31), 2);
            // A layer of a list of millions of entries, seen from its middle.
            surface.DrawRectangle(Rect{110, -40000000, 160, 40000000}, Rgb(0, 54, 81),
                                  Rgb(0, 6, 31), 2);
            surface.FillRect(Rect{-2000000000, 90, 2000000000, 95}, Rgb(200, 0, 0));
        });
        surface.FillRect(Rect{0, 0, 200, 100}, Rgb(0, 200, 0));  // ended: not drawn
        // Right and bottom exclusive; the outline, two pixels wide, centred on the edge.
        const QColor red(200, 0, 0), frame(0, 6, 31), olive(146, 143, 73), deep(0, 54, 81),
            white(Qt::white);
        const struct {
            int x, y;
            QColor colour;
        } pixels[] = {
            {10, 10, red},    {19, 19, red},    {20, 20, white}, {38, 25, white},
            {39, 25, frame},  {40, 25, frame},  {41, 25, olive}, {60, 11, olive},
            {79, 25, frame},  {130, 0, deep},   {130, 50, deep}, {110, 50, frame},
            {159, 50, frame}, {170, 50, white}, {0, 92, red},    {199, 92, red},
        };
        for (const auto& p : pixels)
            QCOMPARE(image.pixelColor(p.x, p.y), p.colour);
    }

    void placesTextLeftOrCentredInItsRectangle() {
        CQtDrawingSurface surface;
        const char* text = "Media Data Box";
        const int width = surface.MeasureText(&kTahoma, text, false).width;
        for (TextAlign align : {TextAlign::Left, TextAlign::Centre}) {
            const QImage image = Drawn(surface, QSize(300, 40), [&] {
                surface.DrawText(&kTahoma, text, Rect{50, 0, 250, 40}, Rgb(0, 0, 0), align, false);
            });
            // The box around the ink: from the rectangle's left or centred, and centred
            // vertically (nothing in the top or bottom eight rows).
            QRect ink;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x)
                    if (image.pixelColor(x, y) != Qt::white) ink |= QRect(x, y, 1, 1);
            }
            const int left = align == TextAlign::Left ? 50 : 50 + (200 - width) / 2;
            QVERIFY2(std::abs(ink.left() - left) <= 2, qPrintable(QString::number(ink.left())));
            QVERIFY(ink.right() <= left + width + 1 && ink.top() >= 8 && ink.bottom() < 32);
        }
    }
};

QTEST_MAIN(QtDrawingSurfaceTest)
#include "QtDrawingSurface_test.moc"
