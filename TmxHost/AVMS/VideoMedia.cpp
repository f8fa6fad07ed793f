// Decoding video files with libavformat and libavcodec, scaling frames with libswscale.
#include "VideoMedia.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libswscale/swscale.h>
}

#include <algorithm>
#include <cstring>
#include <string>

namespace tmxhost::video {
namespace {

// FFmpeg's own messages would flood stderr with every damaged file.
void Quiet() {
    static const bool quiet = [] {
        av_log_set_level(AV_LOG_QUIET);
        return true;
    }();
    (void)quiet;
}

// Demuxers that read still images (one picture per file) rather than videos.
bool IsImageFormat(const AVInputFormat* format) {
    const char* name = format->name;
    std::size_t length = std::strlen(name);
    return std::strcmp(name, "image2") == 0 || std::strcmp(name, "gif") == 0 ||
           std::strcmp(name, "webp_pipe") == 0 ||
           (length > 5 && std::strcmp(name + length - 5, "_pipe") == 0);
}

}  // namespace

Source::Source() {
    Quiet();
}

Source::~Source() {
    Close();
}

void Source::Close() {
    av_frame_free(&held_);
    av_frame_free(&frame_);
    av_packet_free(&packet_);
    avcodec_free_context(&codec_);
    avformat_close_input(&format_);
    stream_ = -1;
    info_ = MediaInfo{};
}

bool Source::Open(const char* path, bool probe) {
    Close();
    if (path == nullptr || path[0] == '\0' || std::strlen(path) > kMaxPath) {
        return false;
    }
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    std::string url = std::string("file:") + path;
    int result = avformat_open_input(&format_, url.c_str(), nullptr, &options);
    av_dict_free(&options);
    if (result < 0) {
        format_ = nullptr;
        return false;
    }
    if (IsImageFormat(format_->iformat)) {
        Close();
        return false;
    }
    auto complete = [this] {
        int best = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
        if (best < 0) {
            return false;
        }
        const AVCodecParameters* par = format_->streams[best]->codecpar;
        return par->width > 0 && par->height > 0 && par->codec_id != AV_CODEC_ID_NONE &&
               format_->duration != AV_NOPTS_VALUE;
    };
    if ((probe || !complete()) && avformat_find_stream_info(format_, nullptr) < 0) {
        Close();
        return false;
    }
    stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (stream_ < 0 ||
        (format_->streams[stream_]->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) {
        Close();
        return false;
    }
    AVStream* stream = format_->streams[stream_];
    const AVCodecParameters* par = stream->codecpar;
    if (par->width < 1 || par->height < 1 || par->width > kMaxSide || par->height > kMaxSide ||
        static_cast<long long>(par->width) * par->height > kMaxPixels) {
        Close();
        return false;
    }
    const AVCodec* decoder = avcodec_find_decoder(par->codec_id);
    codec_ = decoder != nullptr ? avcodec_alloc_context3(decoder) : nullptr;
    packet_ = av_packet_alloc();
    frame_ = av_frame_alloc();
    held_ = av_frame_alloc();
    if (codec_ == nullptr || packet_ == nullptr || frame_ == nullptr || held_ == nullptr ||
        avcodec_parameters_to_context(codec_, par) < 0) {
        Close();
        return false;
    }
    codec_->thread_count = 1;
    codec_->max_pixels = kMaxPixels;
    if (avcodec_open2(codec_, decoder, nullptr) < 0) {
        Close();
        return false;
    }
    info_.width = par->width;
    info_.height = par->height;
    if (format_->duration != AV_NOPTS_VALUE && format_->duration > 0) {
        info_.durationMs = format_->duration / 1000;
    } else if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0) {
        info_.durationMs = av_rescale_q(stream->duration, stream->time_base, {1, 1000});
    }
    AVRational rate =
        stream->avg_frame_rate.num > 0 ? stream->avg_frame_rate : stream->r_frame_rate;
    if (rate.num > 0 && rate.den > 0) {
        info_.frameRate =
            static_cast<int>(std::min<long long>(av_rescale(rate.num, 1000, rate.den), 0x7FFFFFFF));
    }
    info_.hasAudio = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0) >= 0;
    draining_ = false;
    decoded_ = 0;
    return true;
}

long long Source::FrameDurationMs() const {
    if (info_.frameRate > 0) {
        return std::max(1LL, 1000000LL / info_.frameRate);
    }
    return 100;
}

long long Source::MsOf(const AVFrame* frame) {
    const AVStream* stream = format_->streams[stream_];
    long long pts = frame->best_effort_timestamp;
    if (pts == AV_NOPTS_VALUE) {
        return decoded_ * FrameDurationMs();
    }
    if (stream->start_time != AV_NOPTS_VALUE) {
        pts -= stream->start_time;
    }
    return std::max<long long>(0, av_rescale_q(pts, stream->time_base, {1, 1000}));
}

int Source::Decode() {
    if (codec_ == nullptr) {
        return -1;
    }
    for (;;) {
        int result = avcodec_receive_frame(codec_, frame_);
        if (result == 0) {
            return 1;
        }
        if (result != AVERROR(EAGAIN)) {
            // The end of a drained decoder, or one that cannot go on.
            return decoded_ > 0 ? 0 : -1;
        }
        if (draining_) {
            return decoded_ > 0 ? 0 : -1;
        }
        result = av_read_frame(format_, packet_);
        if (result < 0) {
            // End of file, or a damaged or truncated one: what was decoded stands.
            draining_ = true;
            avcodec_send_packet(codec_, nullptr);
            continue;
        }
        if (packet_->stream_index == stream_) {
            // A damaged packet is skipped; decoding goes on with the next one.
            avcodec_send_packet(codec_, packet_);
        }
        av_packet_unref(packet_);
    }
}

int Source::Next() {
    int result = Decode();
    if (result == 1) {
        heldMs_ = MsOf(frame_);
        ++decoded_;
        av_frame_unref(held_);
        av_frame_move_ref(held_, frame_);
    }
    return result;
}

bool Source::Seek(long long ms) {
    if (format_ == nullptr) {
        return false;
    }
    const AVStream* stream = format_->streams[stream_];
    long long target = av_rescale_q(ms, {1, 1000}, stream->time_base);
    if (stream->start_time != AV_NOPTS_VALUE) {
        target += stream->start_time;
    }
    if (av_seek_frame(format_, stream_, target, AVSEEK_FLAG_BACKWARD) < 0 &&
        av_seek_frame(format_, stream_,
                      stream->start_time != AV_NOPTS_VALUE ? stream->start_time : 0,
                      AVSEEK_FLAG_BACKWARD) < 0) {
        return false;
    }
    avcodec_flush_buffers(codec_);
    av_packet_unref(packet_);
    draining_ = false;
    decoded_ = 0;
    return true;
}

bool Source::Rewind() {
    return Seek(0);
}

bool Source::FrameAt(long long ms) {
    if (!Seek(std::max(0LL, ms))) {
        return false;
    }
    av_frame_unref(held_);
    bool have = false;
    for (;;) {
        if (Decode() != 1) {
            break;
        }
        long long at = MsOf(frame_);
        ++decoded_;
        if (at > ms && have) {
            av_frame_unref(frame_);
            break;
        }
        heldMs_ = at;
        av_frame_unref(held_);
        av_frame_move_ref(held_, frame_);
        have = true;
        if (at > ms) {
            break;  // the first frame comes after the time asked for
        }
    }
    return have;
}

Scaler::~Scaler() {
    sws_freeContext(context_);
}

bool Scaler::Convert(const AVFrame* frame, int width, int height, std::uint8_t* pixels,
                     int stride) {
    if (frame == nullptr || frame->width < 1 || frame->height < 1 || width < 1 || height < 1 ||
        frame->format < 0) {
        return false;
    }
    context_ = sws_getCachedContext(context_, frame->width, frame->height,
                                    static_cast<AVPixelFormat>(frame->format), width, height,
                                    AV_PIX_FMT_RGB565LE, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (context_ == nullptr) {
        return false;
    }
    std::uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
    int strides[4] = {stride, 0, 0, 0};
    return sws_scale(context_, frame->data, frame->linesize, 0, frame->height, planes, strides) ==
           height;
}

void FitInside(int srcW, int srcH, int boxW, int boxH, int* width, int* height) {
    // Compare srcW / srcH with boxW / boxH without rounding.
    long long w = boxW;
    long long h = boxH;
    if (static_cast<long long>(srcW) * boxH > static_cast<long long>(boxW) * srcH) {
        h = (static_cast<long long>(srcH) * boxW + srcW / 2) / srcW;
    } else {
        w = (static_cast<long long>(srcW) * boxH + srcH / 2) / srcH;
    }
    *width = static_cast<int>(std::clamp<long long>(w, 1, boxW));
    *height = static_cast<int>(std::clamp<long long>(h, 1, boxH));
}

}  // namespace tmxhost::video
