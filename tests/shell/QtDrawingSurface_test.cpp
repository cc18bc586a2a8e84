#include "shell/QtDrawingSurface.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QtTest>
#include <cmath>

namespace {

const FontSpec kTahoma{"Tahoma", 80, false, false};

// The columns of `image` between `top` and `bottom` holding a pixel of neither `background`
// colour: the horizontal extent of what was drawn there, or an empty pair.
std::pair<int, int> InkColumns(const QImage& image, int top, int bottom, QColor background) {
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        for (int y = top; y < bottom; ++y) {
            if (image.pixelColor(x, y) != background) {
                if (first < 0) first = x;
                last = x;
                break;
            }
        }
    }
    return {first, last};
}

}  // namespace

class QtDrawingSurfaceTest : public QObject {
    Q_OBJECT

private slots:
    void measuresAsQtLaysTextOut() {
        CQtDrawingSurface surface;
        const QFont& font = surface.GetQFont(kTahoma);
        QCOMPARE(surface.GetQFont(kTahoma).pointSizeF(), 8.0);
        QVERIFY(!font.kerning());
        const QFontMetricsF exact(font);

        // The table of advances gives what Qt gives for the whole text.
        for (const char* text : {"Movie Header Box", "0x0001F3A0", "iiiiWWWW", "a"}) {
            const Extent extent = surface.MeasureText(&kTahoma, text, false);
            QCOMPARE(extent.width, static_cast<int32_t>(std::ceil(
                                       exact.horizontalAdvance(QString::fromLatin1(text)) - 1e-6)));
            QCOMPARE(extent.height, QFontMetrics(font).height());
        }
        // Text beyond ASCII goes through Qt itself.
        const QString accented = QStringLiteral("caf\u00e9 \u00e0 la cr\u00e8me");
        QVERIFY(std::abs(surface.MeasureText(&kTahoma, accented.toStdString(), false).width -
                         exact.horizontalAdvance(accented)) <= 1);
        // An empty text is as tall as a line and has no width.
        QCOMPARE(surface.MeasureText(&kTahoma, "", false),
                 (Extent{0, QFontMetrics(font).height()}));

        // Tabs stop every eight average characters when expanded, and measure as a character
        // otherwise.
        const int stop = QFontMetrics(font).averageCharWidth() * 8;
        const int b = surface.MeasureText(&kTahoma, "b", false).width;
        QCOMPARE(surface.MeasureText(&kTahoma, "a\tb", true).width, stop + b);
        QCOMPARE(surface.MeasureText(&kTahoma, "\t\tb", true).width, 2 * stop + b);
        QVERIFY(surface.MeasureText(&kTahoma, "a\tb", false).width < stop);

        // The current font serves calls without one; bold is wider.
        const FontSpec bold{"Tahoma", 80, true, false};
        surface.SetCurrentFont(bold);
        QCOMPARE(surface.GetCurrentFont(), bold);
        QVERIFY(surface.MeasureText(nullptr, "Track Box", false).width >
                surface.MeasureText(&kTahoma, "Track Box", false).width);
        const FontSpec big{"Tahoma", 120, false, false};
        QVERIFY(surface.MeasureText(&big, "x", false).height >
                surface.MeasureText(&kTahoma, "x", false).height);
    }

    void drawsOnlyWithAPainter() {
        CQtDrawingSurface surface;
        // Without a painter every drawing call is harmless.
        surface.FillRect(Rect{0, 0, 10, 10}, Rgb(1, 2, 3));
        surface.DrawRectangle(Rect{0, 0, 10, 10}, Rgb(1, 2, 3), Rgb(4, 5, 6), 2);
        surface.DrawText(&kTahoma, "text", Rect{0, 0, 50, 20}, Rgb(0, 0, 0), TextAlign::Left,
                         false);

        QImage image(200, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            surface.Begin(&painter, image.rect());
            surface.FillRect(Rect{10, 10, 20, 20}, Rgb(200, 0, 0));
            surface.DrawRectangle(Rect{40, 10, 80, 40}, Rgb(146, 143, 73), Rgb(0, 6, 31), 2);
            surface.End();
            surface.FillRect(Rect{100, 10, 120, 20}, Rgb(0, 200, 0));  // ended: not drawn
        }
        QCOMPARE(image.pixelColor(10, 10), QColor(200, 0, 0));
        QCOMPARE(image.pixelColor(19, 19), QColor(200, 0, 0));
        QCOMPARE(image.pixelColor(20, 20), QColor(Qt::white));  // right and bottom exclusive
        QCOMPARE(image.pixelColor(110, 15), QColor(Qt::white));
        // The outline, two pixels wide, is centred on the rectangle's edge.
        QCOMPARE(image.pixelColor(39, 25), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(40, 25), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(41, 25), QColor(146, 143, 73));
        QCOMPARE(image.pixelColor(60, 11), QColor(146, 143, 73));
        QCOMPARE(image.pixelColor(79, 25), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(38, 25), QColor(Qt::white));
    }

    void placesTextLeftOrCentred() {
        CQtDrawingSurface surface;
        QImage image(300, 40, QImage::Format_RGB32);
        const QColor white(Qt::white);
        const char* text = "Media Data Box";
        const int width = surface.MeasureText(&kTahoma, text, false).width;
        for (TextAlign align : {TextAlign::Left, TextAlign::Centre}) {
            image.fill(white);
            {
                QPainter painter(&image);
                surface.Begin(&painter, image.rect());
                surface.DrawText(&kTahoma, text, Rect{50, 0, 250, 40}, Rgb(0, 0, 0), align, false);
                surface.End();
            }
            const auto [first, last] = InkColumns(image, 0, 40, white);
            QVERIFY(first >= 0);
            const int expectedLeft = align == TextAlign::Left ? 50 : 50 + (200 - width) / 2;
            QVERIFY2(std::abs(first - expectedLeft) <= 2, qPrintable(QString::number(first)));
            QVERIFY(last <= expectedLeft + width + 1);
            // Centred vertically: nothing in the top or bottom rows.
            QCOMPARE(InkColumns(image, 0, 8, white).first, -1);
            QCOMPARE(InkColumns(image, 32, 40, white).first, -1);
        }
    }

    void aFrameMillionsOfPixelsTallIsDrawnAsItsVisiblePart() {
        CQtDrawingSurface surface;
        QImage image(100, 100, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            surface.Begin(&painter, image.rect());
            // A layer of a list of millions of entries, seen from its middle.
            surface.DrawRectangle(Rect{10, -40000000, 60, 40000000}, Rgb(0, 54, 81), Rgb(0, 6, 31),
                                  2);
            surface.FillRect(Rect{-2000000000, 90, 2000000000, 95}, Rgb(200, 0, 0));
            surface.End();
        }
        QCOMPARE(image.pixelColor(30, 0), QColor(0, 54, 81));
        QCOMPARE(image.pixelColor(30, 50), QColor(0, 54, 81));
        QCOMPARE(image.pixelColor(10, 50), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(59, 50), QColor(0, 6, 31));
        QCOMPARE(image.pixelColor(70, 50), QColor(Qt::white));
        QCOMPARE(image.pixelColor(0, 92), QColor(200, 0, 0));
        QCOMPARE(image.pixelColor(99, 92), QColor(200, 0, 0));
    }
};

QTEST_MAIN(QtDrawingSurfaceTest)
#include "QtDrawingSurface_test.moc"
