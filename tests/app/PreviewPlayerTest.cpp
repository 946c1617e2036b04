// The preview with the real media player on generated clips: open, play,
// the clock's ticks, pause, seek, the end of the media and stop; a damaged
// file. This suite plays media in real time, for a few seconds.
#include <QAudioOutput>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>

#include "PreviewFixture.h"
#include "QtPlayer.h"
#include "TestSupport.h"

namespace {

// Makes a clip of the given seconds with ffmpeg's test picture and tone.
bool MakeClip(const QString& path, int seconds) {
    QProcess ffmpeg;
    const QString length = QString::number(seconds);
    ffmpeg.start("ffmpeg", {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                            "testsrc=duration=" + length + ":size=320x240:rate=25", "-f", "lavfi",
                            "-i", "sine=frequency=440:duration=" + length, "-c:v", "mpeg4", "-c:a",
                            "aac", "-shortest", path});
    return ffmpeg.waitForFinished(60000) && ffmpeg.exitStatus() == QProcess::NormalExit &&
           ffmpeg.exitCode() == 0;
}

bool ShowsLogo(TFrmMainForm& form) {
    return form.pnlMediaView->Pages->currentWidget() == form.pnlMediaView->panLogo;
}

}  // namespace

class PreviewPlayerTest : public QObject {
    Q_OBJECT
    QTemporaryDir media_;
    // "#" and "%" would cut or change the name if it were read as an address.
    std::string clip_;
    std::string damaged_;

  private slots:
    void initTestCase() {
        QVERIFY(media_.isValid());
        clip_ = media_.filePath("clip #1 100%.mp4").toStdString();
        QVERIFY2(MakeClip(QString::fromStdString(clip_), 4), "ffmpeg could not make the clip");
        damaged_ = media_.filePath("damaged.avi").toStdString();
        QFile damaged(QString::fromStdString(damaged_));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        QByteArray junk("RIFF\x10\0\0\0AVI LIST", 16);
        for (int i = 0; i < 4096; ++i) junk.append(static_cast<char>((i * 131 + 7) % 251));
        damaged.write(junk);
    }

    void playsPausesSeeksEndsAndStops() {
        TQtPlayer player;
        player.MediaPlayer()->audioOutput()->setMuted(true);
        TPreviewFixture f(player);
        f.Form->Preview().AttachPlayer(player);
        QVERIFY(f.Show());
        TFrmMainForm& form = *f.Form;
        TCustomProc& proc = form.Proc();
        QTimer* clock = form.Preview().dstrckbrMainform;
        QCOMPARE(clock->interval(), 1000);
        QCOMPARE(clock->timerType(), Qt::PreciseTimer);
        QVERIFY(!clock->isActive());
        QVERIFY(ShowsLogo(form));

        f.List().FocusAndSelect(f.AddRow(clip_, "00:00:04"));
        QTest::mouseClick(form.btnPlay, Qt::LeftButton);
        // Open has waited until the file was loaded.
        QVERIFY(player.IsActive());
        QCOMPARE(proc.Lib().PlayFileName, clip_);
        QVERIFY(proc.IsPlaying);
        QVERIFY(!ShowsLogo(form));
        QVERIFY(clock->isActive());

        // The clock's ticks show the play time and position.
        QTRY_VERIFY_WITH_TIMEOUT(form.pnlCurTime->text() != "00:00:00", 3500);
        QVERIFY(form.pnlCurTime->text() == "00:00:01" || form.pnlCurTime->text() == "00:00:02");
        QCOMPARE(form.pbPlayState->maximum(), 4);
        QVERIFY(form.pbPlayState->value() >= 1);

        QTest::mouseClick(form.btnPause, Qt::LeftButton);
        QVERIFY(!proc.IsPlaying);
        QVERIFY(!clock->isActive());
        QVERIFY(!ShowsLogo(form));  // the paused picture stays
        QTRY_COMPARE(player.MediaPlayer()->playbackState(), QMediaPlayer::PausedState);

        proc.Lib().SeekVideo(3500);
        QTRY_VERIFY(player.PositionMs() >= 3400);
        QTest::mouseClick(form.btnPlay, Qt::LeftButton);
        QVERIFY(proc.IsPlaying);
        QVERIFY(clock->isActive());

        // At the end the player stops by itself and is emptied.
        QTRY_VERIFY_WITH_TIMEOUT(!player.IsActive(), 4000);
        QVERIFY(proc.Lib().PlayFileName.empty());
        QVERIFY(!proc.IsPlaying);
        QVERIFY(!clock->isActive());
        QVERIFY(ShowsLogo(form));
        QCOMPARE(form.pnlCurTime->text(), QString("00:00:00"));
        QCOMPARE(form.pbPlayState->value(), 0);

        // Played again with a double click, then stopped.
        f.DoubleClickRow(0);
        QVERIFY(player.IsActive());
        QVERIFY(proc.IsPlaying);
        QTest::mouseClick(form.RzBmpButton1, Qt::LeftButton);
        QVERIFY(!player.IsActive());
        QVERIFY(proc.Lib().PlayFileName.empty());
        QVERIFY(ShowsLogo(form));
        QVERIFY(!clock->isActive());
        QCOMPARE(player.MediaPlayer()->source(), QUrl());
        QVERIFY(f.Messages.Calls.empty());
    }

    // A file that cannot be played: the log line, an empty player (the file
    // it held before is gone too) and no message.
    void damagedFileLeavesThePlayerEmpty() {
        TQtPlayer player;
        player.MediaPlayer()->audioOutput()->setMuted(true);
        TPreviewFixture f(player);
        f.Form->Preview().AttachPlayer(player);
        QVERIFY(f.Show());
        TCustomProc& proc = f.Form->Proc();
        f.AddRow(clip_, "00:00:04");
        f.AddRow(damaged_, "00:00:04");
        f.List().FocusAndSelect(0);
        QTest::mouseClick(f.Form->btnPlay, Qt::LeftButton);
        QVERIFY(player.IsActive());

        f.List().ClearSelection();
        f.List().FocusAndSelect(1);
        f.Form->Preview().dxTreeSourceFileInfoDblClick();
        QVERIFY(!player.IsActive());
        QCOMPARE(player.MediaPlayer()->source(), QUrl());
        QVERIFY(proc.Lib().PlayFileName.empty());
        QVERIFY(!proc.IsPlaying);
        QVERIFY(ShowsLogo(*f.Form));
        QVERIFY(!f.Form->Preview().dstrckbrMainform->isActive());
        QVERIFY(f.LogText().find("|Playing Video error.\r\n") != std::string::npos);
        QVERIFY(f.Messages.Calls.empty());

        // A missing file fails the same way; play then finds nothing to resume.
        QVERIFY(!player.Open(media_.filePath("missing.mp4").toStdString()));
        QVERIFY(!player.IsActive());
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, player.Run());
    }
};

ORV_TEST_SUITE(PreviewPlayerTest);
#include "PreviewPlayerTest.moc"
