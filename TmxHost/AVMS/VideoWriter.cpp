// Test videos: coloured frames encoded with libavcodec's MPEG-4 part 2 encoder into MP4 (AAC
// silence when asked for sound) or AVI (PCM silence).
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
}

#include <algorithm>
#include <cctype>

#include "../Control/TmxHost.h"

namespace tmxhost {
namespace {

struct Writer {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    AVFrame* frame = nullptr;
    AVPacket* packet = nullptr;
    bool opened = false;

    ~Writer() {
        av_packet_free(&packet);
        av_frame_free(&frame);
        avcodec_free_context(&video);
        avcodec_free_context(&audio);
        if (format != nullptr) {
            if (opened) {
                avio_closep(&format->pb);
            }
            avformat_free_context(format);
        }
    }

    // Sends a frame (null: flush) and writes every packet the encoder gives back.
    bool Encode(AVCodecContext* codec, AVStream* stream, const AVFrame* input) {
        if (avcodec_send_frame(codec, input) < 0) {
            return false;
        }
        for (;;) {
            int result = avcodec_receive_packet(codec, packet);
            if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) {
                return true;
            }
            if (result < 0) {
                return false;
            }
            av_packet_rescale_ts(packet, codec->time_base, stream->time_base);
            packet->stream_index = stream->index;
            if (av_interleaved_write_frame(format, packet) < 0) {
                return false;
            }
        }
    }
};

bool Fail(std::string* error, const std::string& message) {
    if (error != nullptr) {
        *error = message;
    }
    return false;
}

bool EndsWithAvi(const std::string& path) {
    if (path.size() < 4) {
        return false;
    }
    std::string tail = path.substr(path.size() - 4);
    std::transform(tail.begin(), tail.end(), tail.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return tail == ".avi";
}

// BT.601 studio-range YUV of 0xRRGGBB, as the decoders read it back.
void ToYuv(std::uint32_t rgb, int* y, int* u, int* v) {
    int r = static_cast<int>((rgb >> 16) & 0xFF);
    int g = static_cast<int>((rgb >> 8) & 0xFF);
    int b = static_cast<int>(rgb & 0xFF);
    *y = std::clamp((66 * r + 129 * g + 25 * b + 128) / 256 + 16, 16, 235);
    *u = std::clamp((-38 * r - 74 * g + 112 * b + 128) / 256 + 128, 16, 240);
    *v = std::clamp((112 * r - 94 * g - 18 * b + 128) / 256 + 128, 16, 240);
}

bool AddAudio(Writer& w, bool avi, std::string* error) {
    const AVCodec* codec = avcodec_find_encoder(avi ? AV_CODEC_ID_PCM_S16LE : AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        return Fail(error, "no audio encoder");
    }
    w.audio = avcodec_alloc_context3(codec);
    w.audioStream = avformat_new_stream(w.format, nullptr);
    if (w.audio == nullptr || w.audioStream == nullptr) {
        return Fail(error, "out of memory");
    }
    w.audio->sample_fmt = avi ? AV_SAMPLE_FMT_S16 : AV_SAMPLE_FMT_FLTP;
    w.audio->sample_rate = 8000;
    w.audio->bit_rate = 32000;
    av_channel_layout_default(&w.audio->ch_layout, 1);
    w.audio->time_base = {1, w.audio->sample_rate};
    if ((w.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        w.audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(w.audio, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(w.audioStream->codecpar, w.audio) < 0) {
        return Fail(error, "cannot open the audio encoder");
    }
    w.audioStream->time_base = w.audio->time_base;
    return true;
}

// Silence up to `untilSamples`, in the encoder's frame size.
bool WriteSilence(Writer& w, long long untilSamples) {
    int frameSize = w.audio->frame_size > 0 ? w.audio->frame_size : 1024;
    for (long long at = 0; at < untilSamples; at += frameSize) {
        AVFrame* silence = av_frame_alloc();
        if (silence == nullptr) {
            return false;
        }
        silence->format = w.audio->sample_fmt;
        silence->sample_rate = w.audio->sample_rate;
        silence->nb_samples = frameSize;
        silence->pts = at;
        bool ok = av_channel_layout_copy(&silence->ch_layout, &w.audio->ch_layout) == 0 &&
                  av_frame_get_buffer(silence, 0) == 0;
        if (ok) {
            for (int plane = 0; plane < AV_NUM_DATA_POINTERS && silence->data[plane]; ++plane) {
                std::fill_n(silence->data[plane], silence->linesize[0], 0);
            }
            ok = w.Encode(w.audio, w.audioStream, silence);
        }
        av_frame_free(&silence);
        if (!ok) {
            return false;
        }
    }
    return w.Encode(w.audio, w.audioStream, nullptr);
}

}  // namespace

bool WriteVideo(const std::string& path, const VideoClip& clip, std::string* error) {
    if (clip.width < 2 || clip.height < 2 || clip.width > 4096 || clip.height > 4096 ||
        clip.width % 2 != 0 || clip.height % 2 != 0) {
        return Fail(error, "width and height must be even, 2 to 4096");
    }
    if (clip.fps < 1 || clip.fps > 120 || clip.frames < 1 || clip.frames > 100000) {
        return Fail(error, "fps must be 1 to 120 and frames 1 to 100000");
    }
    std::vector<std::uint32_t> colors = clip.colors;
    if (colors.empty()) {
        colors = {0xFF0000, 0x00FF00, 0x0000FF};
    }
    const bool avi = EndsWithAvi(path);
    Writer w;
    if (avformat_alloc_output_context2(&w.format, nullptr, avi ? "avi" : "mp4", path.c_str()) < 0 ||
        w.format == nullptr) {
        return Fail(error, "cannot make the container");
    }
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
    if (codec == nullptr) {
        return Fail(error, "no MPEG-4 encoder");
    }
    w.video = avcodec_alloc_context3(codec);
    w.videoStream = avformat_new_stream(w.format, nullptr);
    w.packet = av_packet_alloc();
    w.frame = av_frame_alloc();
    if (w.video == nullptr || w.videoStream == nullptr || w.packet == nullptr ||
        w.frame == nullptr) {
        return Fail(error, "out of memory");
    }
    w.video->width = clip.width;
    w.video->height = clip.height;
    w.video->time_base = {1, clip.fps};
    w.video->framerate = {clip.fps, 1};
    w.video->pix_fmt = AV_PIX_FMT_YUV420P;
    w.video->gop_size = clip.fps;  // a key frame every second
    w.video->max_b_frames = 0;
    w.video->qmin = 2;
    w.video->qmax = 4;
    w.video->thread_count = 1;
    if ((w.format->oformat->flags & AVFMT_GLOBALHEADER) != 0) {
        w.video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    }
    if (avcodec_open2(w.video, codec, nullptr) < 0 ||
        avcodec_parameters_from_context(w.videoStream->codecpar, w.video) < 0) {
        return Fail(error, "cannot open the MPEG-4 encoder");
    }
    w.videoStream->time_base = w.video->time_base;
    w.videoStream->avg_frame_rate = {clip.fps, 1};
    if (clip.audio && !AddAudio(w, avi, error)) {
        return false;
    }
    if (avio_open(&w.format->pb, path.c_str(), AVIO_FLAG_WRITE) < 0) {
        return Fail(error, "cannot write " + path);
    }
    w.opened = true;
    if (avformat_write_header(w.format, nullptr) < 0) {
        return Fail(error, "cannot write the header of " + path);
    }
    w.frame->format = AV_PIX_FMT_YUV420P;
    w.frame->width = clip.width;
    w.frame->height = clip.height;
    if (av_frame_get_buffer(w.frame, 0) < 0) {
        return Fail(error, "out of memory");
    }
    for (int i = 0; i < clip.frames; ++i) {
        if (av_frame_make_writable(w.frame) < 0) {
            return Fail(error, "out of memory");
        }
        int y = 0;
        int u = 0;
        int v = 0;
        ToYuv(colors[static_cast<std::size_t>(i) % colors.size()], &y, &u, &v);
        for (int row = 0; row < clip.height; ++row) {
            std::fill_n(w.frame->data[0] + row * w.frame->linesize[0], clip.width, y);
        }
        for (int row = 0; row < clip.height / 2; ++row) {
            std::fill_n(w.frame->data[1] + row * w.frame->linesize[1], clip.width / 2, u);
            std::fill_n(w.frame->data[2] + row * w.frame->linesize[2], clip.width / 2, v);
        }
        w.frame->pts = i;
        if (!w.Encode(w.video, w.videoStream, w.frame)) {
            return Fail(error, "cannot encode frame " + std::to_string(i));
        }
    }
    if (!w.Encode(w.video, w.videoStream, nullptr)) {
        return Fail(error, "cannot finish the video");
    }
    if (w.audio != nullptr &&
        !WriteSilence(w, static_cast<long long>(clip.frames) * w.audio->sample_rate / clip.fps)) {
        return Fail(error, "cannot encode the sound");
    }
    if (av_write_trailer(w.format) < 0) {
        return Fail(error, "cannot finish " + path);
    }
    return true;
}

}  // namespace tmxhost
