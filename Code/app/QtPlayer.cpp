#include "QtPlayer.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QUrl>
#include <stdexcept>

TQtPlayer::TQtPlayer(QObject* parent, int openTimeLimitMs)
    : QObject(parent),
      player_(new QMediaPlayer(this)),
      audio_(new QAudioOutput(this)),
      openTimeLimitMs_(openTimeLimitMs) {
    player_->setAudioOutput(audio_);
    connect(player_, &QMediaPlayer::mediaStatusChanged, this,
            [this](QMediaPlayer::MediaStatus status) { StatusChanged(status); });
}

TQtPlayer::~TQtPlayer() {
    player_->stop();
    player_->setVideoOutput(nullptr);
}

void TQtPlayer::SetVideoOutput(QVideoWidget* video) {
    player_->setVideoOutput(video);
}

bool TQtPlayer::Open(const std::string& path) {
    Close();
    if (path.empty()) return false;
    // A path, not an address: "#", "?" and "%" are legal in file names.
    const QUrl url = QUrl::fromLocalFile(
        QFile::decodeName(QByteArray(path.data(), static_cast<qsizetype>(path.size()))));

    enum class Outcome { Pending, Loaded, Failed };
    bool errored = false;
    const auto outcome = [&] {
        if (errored) return Outcome::Failed;
        switch (player_->mediaStatus()) {
            case QMediaPlayer::LoadedMedia:
            case QMediaPlayer::BufferingMedia:
            case QMediaPlayer::BufferedMedia:
                return Outcome::Loaded;
            case QMediaPlayer::InvalidMedia:
                return Outcome::Failed;
            default:
                return Outcome::Pending;
        }
    };

    QEventLoop loop;
    QTimer deadline;
    deadline.setSingleShot(true);
    bool timedOut = false;
    connect(&deadline, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        loop.quit();
    });
    connect(player_, &QMediaPlayer::mediaStatusChanged, &loop, [&] { loop.quit(); });
    connect(player_, &QMediaPlayer::errorOccurred, &loop, [&] {
        errored = true;
        loop.quit();
    });
    player_->setSource(url);
    deadline.start(openTimeLimitMs_);
    // Timers and painting go on while the file loads; the user's clicks
    // wait until it has, so no second open can start inside this one.
    while (outcome() == Outcome::Pending && !timedOut)
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    if (outcome() != Outcome::Loaded) {
        Close();
        return false;
    }
    loaded_ = true;
    return true;
}

void TQtPlayer::RequireLoaded(const char* what) const {
    if (!loaded_) throw std::runtime_error(std::string("No media is loaded to ") + what + ".");
}

void TQtPlayer::Run() {
    RequireLoaded("play");
    player_->play();
}

void TQtPlayer::Pause() {
    RequireLoaded("pause");
    player_->pause();
}

void TQtPlayer::Stop() {
    RequireLoaded("stop");
    player_->stop();
}

void TQtPlayer::Close() {
    loaded_ = false;
    player_->stop();
    player_->setSource(QUrl());
}

int64_t TQtPlayer::PositionMs() const {
    return loaded_ ? player_->position() : 0;
}

int64_t TQtPlayer::DurationMs() const {
    return loaded_ ? player_->duration() : 0;
}

void TQtPlayer::SeekMs(int64_t ms) {
    if (loaded_) player_->setPosition(ms);
}

void TQtPlayer::StatusChanged(QMediaPlayer::MediaStatus status) {
    if (status != QMediaPlayer::EndOfMedia || !loaded_) return;
    // The handler unloads the player; it runs after the player has
    // finished telling of its new status, and only if nothing was opened,
    // closed or restarted in between.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (loaded_ && player_->mediaStatus() == QMediaPlayer::EndOfMedia && OnEndOfMedia)
                OnEndOfMedia();
        },
        Qt::QueuedConnection);
}
