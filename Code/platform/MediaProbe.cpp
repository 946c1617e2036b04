#include "MediaProbe.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <limits>

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

namespace {

constexpr int kIoBufferSize = 64 * 1024;

int ReadFd(void* opaque, uint8_t* buffer, int size) {
    const int fd = *static_cast<int*>(opaque);
    for (;;) {
        const ssize_t n = ::read(fd, buffer, static_cast<size_t>(size));
        if (n > 0) return static_cast<int>(n);
        if (n == 0) return AVERROR_EOF;
        if (errno != EINTR) return AVERROR(errno);
    }
}

int64_t SeekFd(void* opaque, int64_t offset, int whence) {
    const int fd = *static_cast<int*>(opaque);
    if (whence & AVSEEK_SIZE) {
        struct stat st {};
        if (::fstat(fd, &st) != 0) return AVERROR(errno);
        return st.st_size;
    }
    const off_t at = ::lseek(fd, offset, whence & ~AVSEEK_FORCE);
    return at < 0 ? AVERROR(errno) : at;
}

// Containers such as playlists would open further files or addresses, and
// any of them could be a FIFO or a slow network source. Only the file
// itself is read.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

// Owns everything one probe allocates, so every path out frees it all.
class ProbeSession {
  public:
    ProbeSession() = default;
    ProbeSession(const ProbeSession&) = delete;
    ProbeSession& operator=(const ProbeSession&) = delete;
    ~ProbeSession() {
        if (packet_) av_packet_free(&packet_);
        if (format_) avformat_close_input(&format_);
        if (io_) {
            // The library may have replaced the buffer, so free the current one.
            av_freep(&io_->buffer);
            avio_context_free(&io_);
        }
        if (fd_ >= 0) ::close(fd_);
    }

    bool OpenRegularFile(const std::string& path) {
        // Checked before opening: opening a device can have effects of its own.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
        // O_NONBLOCK: should the name have been replaced by a FIFO meanwhile,
        // the open returns at once and the check below refuses it.
        fd_ = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd_ < 0) return false;
        if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return false;
        return true;
    }

    bool OpenContainer(const std::string& path) {
        auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
        if (!buffer) return false;
        io_ = avio_alloc_context(buffer, kIoBufferSize, 0, &fd_, ReadFd, nullptr, SeekFd);
        if (!io_) {
            av_free(buffer);
            return false;
        }
        format_ = avformat_alloc_context();
        if (!format_) return false;
        format_->pb = io_;
        format_->io_open = RefuseNestedOpen;
        // The name still guides recognition by its extension; the library
        // reads only through io_. On failure it frees format_ and nulls it.
        if (avformat_open_input(&format_, path.c_str(), nullptr, nullptr) < 0) return false;
        return avformat_find_stream_info(format_, nullptr) >= 0;
    }

    bool HasMediaStream() const {
        for (unsigned i = 0; i < format_->nb_streams; ++i) {
            const AVMediaType type = format_->streams[i]->codecpar->codec_type;
            if (type == AVMEDIA_TYPE_VIDEO || type == AVMEDIA_TYPE_AUDIO) return true;
        }
        return false;
    }

    // Microseconds; AV_NOPTS_VALUE when nothing tells the duration.
    int64_t Duration() {
        if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) return format_->duration;
        int64_t longest = AV_NOPTS_VALUE;
        for (unsigned i = 0; i < format_->nb_streams; ++i) {
            const AVStream* stream = format_->streams[i];
            if (stream->duration == AV_NOPTS_VALUE || stream->duration <= 0) continue;
            const int64_t us = av_rescale_q(stream->duration, stream->time_base, AV_TIME_BASE_Q);
            if (us > longest || longest == AV_NOPTS_VALUE) longest = us;
        }
        if (longest != AV_NOPTS_VALUE) return longest;
        return MeasureFromPackets();
    }

  private:
    // For containers whose header gives no duration: the span from the
    // earliest time stamp to the end of the latest packet.
    int64_t MeasureFromPackets() {
        packet_ = av_packet_alloc();
        if (!packet_) return AV_NOPTS_VALUE;
        int64_t first = std::numeric_limits<int64_t>::max();
        int64_t last = std::numeric_limits<int64_t>::min();
        while (av_read_frame(format_, packet_) >= 0) {
            const int64_t ts = packet_->pts != AV_NOPTS_VALUE ? packet_->pts : packet_->dts;
            if (ts != AV_NOPTS_VALUE) {
                const AVRational base = format_->streams[packet_->stream_index]->time_base;
                const int64_t begin = av_rescale_q(ts, base, AV_TIME_BASE_Q);
                const int64_t length = packet_->duration > 0
                                           ? av_rescale_q(packet_->duration, base, AV_TIME_BASE_Q)
                                           : 0;
                if (begin < first) first = begin;
                if (begin + length > last) last = begin + length;
            }
            av_packet_unref(packet_);
        }
        return last > first ? last - first : AV_NOPTS_VALUE;
    }

    int fd_ = -1;
    AVIOContext* io_ = nullptr;
    AVFormatContext* format_ = nullptr;
    AVPacket* packet_ = nullptr;
};

}  // namespace

int64_t TMediaProbe::DurationMs(const std::string& path) {
    ProbeSession session;
    if (!session.OpenRegularFile(path)) return -1;
    if (!session.OpenContainer(path)) return -1;
    if (!session.HasMediaStream()) return -1;
    const int64_t us = session.Duration();
    return us == AV_NOPTS_VALUE || us < 0 ? -1 : us / 1000;
}
