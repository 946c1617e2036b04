// The trim strip: its parts placed from the model, markers dragged live with
// one moved event at the end, presses on the images nudging the markers
// through the main window's handlers, and the markers' pictures.
#include <QMouseEvent>
#include <QTest>

#include "PreviewFixture.h"
#include "TestSupport.h"
#include "TextConvert.h"
#include "TrimBar.h"
#include "Unit_CommonLib.h"

namespace {

struct TRecordingPlayer : IPlayer {
    bool Active = false;
    std::vector<std::string> Calls;
    bool Open(const std::string& path) override {
        Calls.push_back("Open " + path);
        return Active = true;
    }
    bool IsActive() const override { return Active; }
    void Run() override {}
    void Pause() override {}
    void Stop() override {}
    void Close() override { Active = false; }
    int64_t PositionMs() const override { return 0; }
    int64_t DurationMs() const override { return 0; }
    void SeekMs(int64_t ms) override { Calls.push_back("Seek " + std::to_string(ms)); }
};

// One mouse event on a child of the strip, at a point given in the strip's
// own coordinates, so a marker that moves under the mouse keeps one scale.
void SendMouse(QWidget* target, QEvent::Type type, const QPoint& stripPoint, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* strip = target->parentWidget();
    const QPointF local = target->mapFrom(strip, stripPoint);
    const QPointF global = strip->mapToGlobal(QPointF(stripPoint));
    QMouseEvent event(type, local, local, global, button, buttons, modifiers);
    QApplication::sendEvent(target, &event);
}

QRect Geometry(int left, int width) {
    return QRect(left, TTrimStrip::kBevel, width, TTrimBar::kHeight - 2 * TTrimStrip::kBevel);
}

// The time a marker position stands for on a file of the given length.
std::string TimeAt(int position, int64_t duration) {
    return TCommonLib::SecondsToTimeText(position * 121 / 260 * duration / 100);
}

}  // namespace

class TrimBarTest : public QObject {
    Q_OBJECT
  private slots:
    // Left to right inside a 1-pixel bevel: left image, start marker,
    // middle image, end marker, right image, over an inner width of 258.
    void placesItsPartsFromTheModel_data() {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        QTest::newRow("markers at both ends") << 1 << 1;
        QTest::newRow("start moved in") << 108 << 1;
        QTest::newRow("both moved in") << 60 << 50;
        QTest::newRow("middle 1 pixel wide") << 100 << 117;
    }
    void placesItsPartsFromTheModel() {
        QFETCH(int, left);
        QFETCH(int, right);
        TTrimStrip model;
        TTrimBar strip(nullptr);
        strip.Bind(model);
        model.SetImageWidths(left, right);
        const int middle = 258 - left - right - 40;
        QCOMPARE(strip.Panel2->geometry(), Geometry(1, left));
        QCOMPARE(strip.Splitter1->geometry(), Geometry(1 + left, 20));
        QCOMPARE(strip.Panel4->geometry(), Geometry(21 + left, middle));
        QCOMPARE(strip.Splitter2->geometry(), Geometry(21 + left + middle, 20));
        QCOMPARE(strip.Panel3->geometry(), Geometry(259 - right, right));
        QCOMPARE(strip.Splitter1->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(strip.Splitter2->cursor().shape(), Qt::PointingHandCursor);
    }

    // The widths follow the mouse while it moves; the markers stop before
    // they would pass each other or leave the strip; the moved event comes
    // once, at the release, and only when the marker ended elsewhere.
    void dragsMarkersLive() {
        TTrimStrip model;
        TTrimBar strip(nullptr);
        strip.Bind(model);
        int moved1 = 0, moved2 = 0;
        strip.OnSplitter1Moved = [&] { ++moved1; };
        strip.OnSplitter2Moved = [&] { ++moved2; };
        const int y = 10;

        // Start marker: grabbed 5 pixels into it, at x = 7.
        SendMouse(strip.Splitter1, QEvent::MouseButtonPress, {7, y}, Qt::LeftButton,
                  Qt::LeftButton);
        for (const auto& [x, width] :
             std::vector<std::pair<int, int>>{{17, 11}, {57, 51}, {500, 216}, {106, 100}}) {
            SendMouse(strip.Splitter1, QEvent::MouseMove, {x, y}, Qt::NoButton, Qt::LeftButton);
            QCOMPARE(model.Panel2Width(), width);
            QCOMPARE(strip.Panel2->width(), width);
            QCOMPARE(strip.Splitter1->x(), 1 + width);
        }
        QCOMPARE(moved1, 0);
        SendMouse(strip.Splitter1, QEvent::MouseButtonRelease, {106, y}, Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(moved1, 1);

        // End marker, dragged far past the start marker: it stops 1 pixel after it.
        const int grab = strip.Splitter2->x() + 10;
        SendMouse(strip.Splitter2, QEvent::MouseButtonPress, {grab, y}, Qt::LeftButton,
                  Qt::LeftButton);
        SendMouse(strip.Splitter2, QEvent::MouseMove, {grab - 300, y}, Qt::NoButton,
                  Qt::LeftButton);
        QCOMPARE(model.Panel3Width(), 117);
        QCOMPARE(strip.Panel4->width(), 1);
        QCOMPARE(strip.Splitter2->x(), strip.Splitter1->x() + 21);
        SendMouse(strip.Splitter2, QEvent::MouseButtonRelease, {grab - 300, y}, Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(moved2, 1);
        QCOMPARE(moved1, 1);

        // Grabbed and let go where it was, or moved away and back: no move.
        const int end = strip.Splitter2->x() + 10;
        SendMouse(strip.Splitter2, QEvent::MouseButtonPress, {end, y}, Qt::LeftButton,
                  Qt::LeftButton);
        SendMouse(strip.Splitter2, QEvent::MouseMove, {end + 30, y}, Qt::NoButton, Qt::LeftButton);
        SendMouse(strip.Splitter2, QEvent::MouseMove, {end, y}, Qt::NoButton, Qt::LeftButton);
        SendMouse(strip.Splitter2, QEvent::MouseButtonRelease, {end, y}, Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(moved2, 1);

        // The right button drags nothing.
        SendMouse(strip.Splitter1, QEvent::MouseButtonPress, {110, y}, Qt::RightButton,
                  Qt::RightButton);
        SendMouse(strip.Splitter1, QEvent::MouseMove, {60, y}, Qt::NoButton, Qt::RightButton);
        SendMouse(strip.Splitter1, QEvent::MouseButtonRelease, {60, y}, Qt::RightButton,
                  Qt::NoButton);
        QCOMPARE(model.Panel2Width(), 100);
        QCOMPARE(moved1, 1);
    }

    // The exact flags of a press decide the step: Ctrl alone 1, Shift alone
    // 10, anything else 5; the pressed button and the double-click mark do
    // not count, a second held button does.
    void pressesOnTheImagesNudgeTheMarkers_data() {
        QTest::addColumn<QString>("image");
        QTest::addColumn<int>("button");  // Qt::MouseButton
        QTest::addColumn<int>("held");    // other buttons held
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("doubleClick");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("right");
        const int L = Qt::LeftButton, R = Qt::RightButton, M = Qt::MiddleButton;
        const int none = 0, ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        const int alt = Qt::AltModifier;
        // From Panel2 = Panel3 = 51.
        QTest::newRow("middle, left, ctrl") << "Panel4" << L << 0 << ctrl << false << 52 << 51;
        QTest::newRow("middle, left, shift") << "Panel4" << L << 0 << shift << false << 61 << 51;
        QTest::newRow("middle, left") << "Panel4" << L << 0 << none << false << 56 << 51;
        QTest::newRow("middle, left, alt") << "Panel4" << L << 0 << alt << false << 56 << 51;
        QTest::newRow("middle, left, ctrl+shift")
            << "Panel4" << L << 0 << (ctrl | shift) << false << 56 << 51;
        QTest::newRow("middle, left, ctrl, right held")
            << "Panel4" << L << R << ctrl << false << 56 << 51;
        QTest::newRow("middle, left, ctrl, meta is not reported")
            << "Panel4" << L << 0 << (ctrl | int(Qt::MetaModifier)) << false << 52 << 51;
        QTest::newRow("middle, left, shift, double click")
            << "Panel4" << L << 0 << shift << true << 61 << 51;
        QTest::newRow("middle, right, ctrl") << "Panel4" << R << 0 << ctrl << false << 51 << 52;
        QTest::newRow("middle, middle button") << "Panel4" << M << 0 << none << false << 51 << 51;
        QTest::newRow("left image, left, shift")
            << "Panel2" << L << 0 << shift << false << 61 << 51;
        QTest::newRow("left image, right, ctrl") << "Panel2" << R << 0 << ctrl << false << 50 << 51;
        QTest::newRow("left image, right") << "Panel2" << R << 0 << none << false << 46 << 51;
        QTest::newRow("right image, right, shift")
            << "Panel3" << R << 0 << shift << false << 51 << 61;
        QTest::newRow("right image, left, ctrl") << "Panel3" << L << 0 << ctrl << false << 51 << 50;
        QTest::newRow("right image, left") << "Panel3" << L << 0 << none << false << 51 << 46;
    }
    void pressesOnTheImagesNudgeTheMarkers() {
        QFETCH(QString, image);
        QFETCH(int, button);
        QFETCH(int, held);
        QFETCH(int, modifiers);
        QFETCH(bool, doubleClick);
        QFETCH(int, left);
        QFETCH(int, right);
        TRecordingPlayer player;
        TPreviewFixture f(player);
        QVERIFY(f.Show());
        const int row = f.AddRow("/media/film.avi", "00:01:40");
        f.ClickRow(row);
        QCOMPARE(f.Model().Panel1.Panel2Width(), 1);  // the row's times loaded
        f.Model().Panel1.SetImageWidths(51, 51);

        TTrimBar* strip = f.Form->Panel1;
        QWidget* target = strip->findChild<QWidget*>(image);
        QVERIFY(target != nullptr);
        const QPoint point = target->geometry().center();
        const auto pressed = static_cast<Qt::MouseButton>(button);
        const Qt::MouseButtons buttons = pressed | Qt::MouseButtons::fromInt(held);
        const auto keys = Qt::KeyboardModifiers::fromInt(modifiers);
        SendMouse(target, doubleClick ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
                  point, pressed, buttons, keys);
        SendMouse(target, QEvent::MouseButtonRelease, point, pressed, {}, keys);

        QCOMPARE(f.Model().Panel1.Panel2Width(), left);
        QCOMPARE(f.Model().Panel1.Panel3Width(), right);
        QCOMPARE(strip->Panel2->width(), left);
        QCOMPARE(strip->Panel3->width(), right);
        // The moved handler ran for the marker that moved, and only for it.
        const std::string& start = f.List().Text(row, colStartTime);
        const std::string& end = f.List().Text(row, colEndTime);
        QCOMPARE(start, left != 51 ? TimeAt(left - 1, 100) : std::string("00:00:00"));
        QCOMPARE(end, right != 51 ? TimeAt(217 - right, 100) : std::string("00:01:40"));
        QVERIFY(f.Messages.Calls.empty());
    }

    // A click on a row loads its times into the markers; dragging the start
    // marker then writes its time into the selected row and seeks a loaded
    // file; a double click on the row opens the file.
    void rowClickLoadsMarkersAndDragWritesTheRow() {
        TRecordingPlayer player;
        TPreviewFixture f(player);
        QVERIFY(f.Show());
        const int row = f.AddRow("/media/film.avi", "00:01:40");
        f.List().SetText(row, colEndTime, "00:01:00");
        f.ClickRow(row);
        TTrimBar* strip = f.Form->Panel1;
        QCOMPARE(strip->Panel2->width(), 1);
        QCOMPARE(strip->Panel3->width(), 1 + 218 - 131);  // 60 / 100 * 218 = 130.8

        f.DoubleClickRow(row);
        QCOMPARE(player.Calls, std::vector<std::string>{"Open /media/film.avi"});

        const int y = 10;
        const int grab = strip->Splitter1->x() + 10;
        SendMouse(strip->Splitter1, QEvent::MouseButtonPress, {grab, y}, Qt::LeftButton,
                  Qt::LeftButton);
        SendMouse(strip->Splitter1, QEvent::MouseMove, {grab + 50, y}, Qt::NoButton,
                  Qt::LeftButton);
        SendMouse(strip->Splitter1, QEvent::MouseMove, {grab + 107, y}, Qt::NoButton,
                  Qt::LeftButton);
        QCOMPARE(f.List().Text(row, colStartTime), std::string("00:00:00"));  // not yet
        SendMouse(strip->Splitter1, QEvent::MouseButtonRelease, {grab + 107, y}, Qt::LeftButton,
                  Qt::NoButton);
        QCOMPARE(strip->Panel2->width(), 108);
        QCOMPARE(f.List().Text(row, colStartTime), std::string("00:00:49"));
        QCOMPARE(f.List().Text(row, colCutTime), std::string("00:00:11"));
        QCOMPARE(player.Calls.back(), std::string("Seek 49000"));
        QVERIFY(f.Messages.Calls.empty());
    }

    // Black pixels take the face colour, transparent ones show it, others
    // stay; the picture fills the marker's whole area.
    void markerPictureShowsBlackAsTheFace() {
        QImage picture(3, 1, QImage::Format_ARGB32);
        picture.setPixel(0, 0, qRgba(0, 0, 0, 255));
        picture.setPixel(1, 0, qRgba(200, 30, 10, 255));
        picture.setPixel(2, 0, qRgba(0, 0, 0, 0));
        const QColor face(20, 38, 58);
        const QImage same = MarkerPicture(picture, QSize(3, 1), face);
        QCOMPARE(same.pixelColor(0, 0), face);
        QCOMPARE(same.pixelColor(1, 0), QColor(200, 30, 10));
        QCOMPARE(same.pixelColor(2, 0), face);

        const QImage stretched = MarkerPicture(picture, QSize(20, 19), face);
        QCOMPARE(stretched.size(), QSize(20, 19));
        for (int y = 0; y < stretched.height(); ++y)
            for (int x = 0; x < stretched.width(); ++x)
                QCOMPARE(stretched.pixelColor(x, y).alpha(), 255);
    }
};

ORV_TEST_SUITE(TrimBarTest);
#include "TrimBarTest.moc"
