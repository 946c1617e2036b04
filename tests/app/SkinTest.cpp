// The skin: the transparent colour, the window outline, and the pictures
// the windows are drawn from.
#include <QTest>

#include "Skin.h"
#include "TestSupport.h"

class SkinTest : public QObject {
    Q_OBJECT
  private slots:
    // Exactly the bottom-left pixel's colour goes; a colour one step away stays.
    void keyColourIsCutAway() {
        const QRgb olive = qRgb(128, 128, 0);
        const QRgb nearOlive = qRgb(128, 128, 1);
        const QRgb body = qRgb(20, 30, 40);
        QImage picture(3, 2, QImage::Format_RGB32);
        picture.setPixel(0, 0, olive);
        picture.setPixel(1, 0, body);
        picture.setPixel(2, 0, nearOlive);
        picture.setPixel(0, 1, olive);  // bottom-left: the key
        picture.setPixel(1, 1, body);
        picture.setPixel(2, 1, olive);

        const QImage cut = CutKeyColour(picture);
        QCOMPARE(cut.size(), picture.size());
        QCOMPARE(qAlpha(cut.pixel(0, 0)), 0);
        QCOMPARE(qAlpha(cut.pixel(0, 1)), 0);
        QCOMPARE(qAlpha(cut.pixel(2, 1)), 0);
        QCOMPARE(cut.pixel(1, 0), body);
        QCOMPARE(cut.pixel(2, 0), nearOlive);
        QCOMPARE(cut.pixel(1, 1), body);
    }

    void outlineHoldsTheOpaquePixels() {
        QImage picture(4, 4, QImage::Format_ARGB32_Premultiplied);
        picture.fill(Qt::transparent);
        picture.setPixel(1, 1, qRgba(10, 10, 10, 255));
        picture.setPixel(2, 1, qRgba(10, 10, 10, 255));
        picture.setPixel(2, 2, qRgba(0, 0, 0, 40));  // an antialiased edge, mostly clear
        const QRegion outline = OutlineOf(picture);
        QVERIFY(outline.contains(QPoint(1, 1)));
        QVERIFY(outline.contains(QPoint(2, 1)));
        QVERIFY(!outline.contains(QPoint(2, 2)));
        QVERIFY(!outline.contains(QPoint(0, 0)));
        QVERIFY(!outline.contains(QPoint(3, 3)));
    }

    // The main window's skin leaves its rounded corners out of the outline.
    void mainSkinHasRoundedOutline() {
        const QImage skin = CutKeyColour(RenderSkin("main.svg", QSize(719, 519)));
        QVERIFY(!skin.isNull());
        const QRegion outline = OutlineOf(skin);
        QVERIFY(!outline.contains(QPoint(0, 0)));
        QVERIFY(!outline.contains(QPoint(0, 518)));
        QVERIFY(!outline.contains(QPoint(718, 518)));
        QVERIFY(outline.contains(QPoint(360, 260)));
        QVERIFY(outline.contains(QPoint(0, 260)));
    }

    void everyPictureRenders_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        for (const char* name :
             {"main.svg", "title.svg", "progress.svg", "logo.svg", "icon.svg", "marker_left.svg",
              "marker_right.svg", "dot.svg", "check_on.svg", "check_off.svg", "arrow_down.svg"})
            QTest::newRow(name) << name << QSize(20, 20);
    }
    void everyPictureRenders() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        const QImage picture = RenderSkin(name, size);
        QVERIFY2(!picture.isNull(), qPrintable(name));
        bool drawn = false;
        for (int y = 0; y < picture.height() && !drawn; ++y)
            for (int x = 0; x < picture.width() && !drawn; ++x)
                drawn = qAlpha(picture.pixel(x, y)) != 0;
        QVERIFY2(drawn, qPrintable(name + " is empty"));
    }

    // Each button has three different pictures of its own size.
    void buttonPicturesHaveThreeStates_data() {
        QTest::addColumn<QString>("name");
        for (const char* name :
             {"home", "email", "help", "about", "minimize", "close", "options", "folder", "play",
              "pause", "stop", "add", "remove", "clear", "convert", "stopbatch"})
            QTest::newRow(name) << name;
    }
    void buttonPicturesHaveThreeStates() {
        QFETCH(QString, name);
        const QSize size(40, 30);
        const TButtonPictures pictures = LoadButtonPictures(name, size);
        QCOMPARE(pictures.Up.size(), size);
        QCOMPARE(pictures.Hot.size(), size);
        QCOMPARE(pictures.Down.size(), size);
        const QImage up = pictures.Up.toImage(), hot = pictures.Hot.toImage(),
                     down = pictures.Down.toImage();
        QVERIFY(up != hot);
        QVERIFY(hot != down);
        QVERIFY(up != down);
    }
};

ORV_TEST_SUITE(SkinTest);
#include "SkinTest.moc"
