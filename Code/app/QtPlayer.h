// The preview's media player over QMediaPlayer: the video goes to the
// preview's video widget, the sound to the default audio device.
#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QVideoWidget>
#include <functional>
#include <string>

#include "Ports.h"

class TQtPlayer : public QObject, public IPlayer {
    Q_OBJECT
  public:
    // How long Open waits for a file to load before it counts as failed.
    static constexpr int kOpenTimeLimitMs = 5000;

    explicit TQtPlayer(QObject* parent = nullptr, int openTimeLimitMs = kOpenTimeLimitMs);
    ~TQtPlayer() override;

    // Where the pictures go; nullptr detaches the widget (before it goes).
    void SetVideoOutput(QVideoWidget* video);
    // Runs, through the event loop, when a loaded file has played to its
    // end and the player has stopped by itself.
    std::function<void()> OnEndOfMedia;

    bool Open(const std::string& path) override;
    bool IsActive() const override { return loaded_; }
    void Run() override;
    void Pause() override;
    void Stop() override;
    void Close() override;
    int64_t PositionMs() const override;
    int64_t DurationMs() const override;
    void SeekMs(int64_t ms) override;

    QMediaPlayer* MediaPlayer() const { return player_; }

  private:
    void RequireLoaded(const char* what) const;
    void StatusChanged(QMediaPlayer::MediaStatus status);

    QMediaPlayer* player_;
    QAudioOutput* audio_;
    int openTimeLimitMs_;
    bool loaded_ = false;
};
