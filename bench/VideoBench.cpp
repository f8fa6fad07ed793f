// The video caller ID's first-frame grab against FFmpeg alone, in one run: the library's
// CallCommonSvcVCLIGetFirstFrame (media information, then the frame at one second fitted into
// 240 x 320 as RGB565) next to a plain program that opens the same file, seeks to one second,
// decodes that frame and converts it with libswscale into a buffer of the same size. The host
// records nothing, as in a program. Only the ratio printed at the end means anything.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "CallCommonSvc/H/CallCommonSvc.h"
#include "CallCommonSvc/Platform/TmxGWESCore.h"
#include "CallCommonSvc/VoiceVideoCommonSvc/Mgr/CallVideoCLI.h"
#include "TmxHost.h"

namespace {

constexpr int kBoxW = 240;
constexpr int kBoxH = 320;
std::string g_clip;

void FirstFrame(benchmark::State& state) {
    tmxhost::Reset();
    tmxhost::SetRecording(tmxhost::kRecordNothing);
    CallCommonSvcDispatch(0);
    CallCommonSvcVCLIInit();
    CallCommonSvcVCLISetPath(g_clip.data());
    for (auto _ : state) {
        tagWMBITMAP* frame = CallCommonSvcVCLIGetFirstFrame(kBoxW, kBoxH);
        if (frame == nullptr) {
            state.SkipWithError("no frame");
            break;
        }
        benchmark::DoNotOptimize(frame->pBits);
        _WmFreeBitmap(frame, 0, __FILE__, __LINE__);
    }
    CallCommonSvcDispatch(1);
}

// Open, seek to one second, decode the frame there, fit it into the box with libswscale.
bool GrabAlone(const char* path, std::vector<std::uint8_t>& pixels) {
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path, nullptr, nullptr) < 0) {
        return false;
    }
    bool ok = false;
    AVCodecContext* codec = nullptr;
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    const AVCodec* decoder = nullptr;
    int index = -1;
    if (avformat_find_stream_info(format, nullptr) >= 0 &&
        (index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0)) >= 0 &&
        (codec = avcodec_alloc_context3(decoder)) != nullptr &&
        avcodec_parameters_to_context(codec, format->streams[index]->codecpar) >= 0 &&
        avcodec_open2(codec, decoder, nullptr) >= 0) {
        const AVStream* stream = format->streams[index];
        const long long target = av_rescale_q(1000, {1, 1000}, stream->time_base);
        av_seek_frame(format, index, target, AVSEEK_FLAG_BACKWARD);
        bool have = false;
        while (!have && av_read_frame(format, packet) >= 0) {
            if (packet->stream_index == index && avcodec_send_packet(codec, packet) >= 0) {
                while (avcodec_receive_frame(codec, frame) == 0) {
                    if (frame->best_effort_timestamp >= target) {
                        have = true;
                        break;
                    }
                }
            }
            av_packet_unref(packet);
        }
        if (have) {
            int w = kBoxW;
            int h = frame->height * kBoxW / frame->width;
            SwsContext* sws = sws_getContext(
                frame->width, frame->height, static_cast<AVPixelFormat>(frame->format), w, h,
                AV_PIX_FMT_RGB565LE, SWS_BILINEAR, nullptr, nullptr, nullptr);
            std::uint8_t* planes[4] = {pixels.data() + (kBoxH - h) / 2 * kBoxW * 2};
            int strides[4] = {kBoxW * 2};
            ok = sws != nullptr && sws_scale(sws, frame->data, frame->linesize, 0, frame->height,
                                             planes, strides) == h;
            sws_freeContext(sws);
        }
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return ok;
}

void FirstFrameAlone(benchmark::State& state) {
    std::vector<std::uint8_t> pixels(kBoxW * kBoxH * 2);
    for (auto _ : state) {
        if (!GrabAlone(g_clip.c_str(), pixels)) {
            state.SkipWithError("no frame");
            break;
        }
        benchmark::DoNotOptimize(pixels.data());
    }
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    av_log_set_level(AV_LOG_QUIET);
    // A 320 x 240 clip of three seconds at 15 frames per second, a key frame every second.
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("callsvc_video_bench." + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    g_clip = (folder / "ring.mp4").string();
    tmxhost::Reset();
    tmxhost::SetTracePrint("");
    std::string error;
    if (!tmxhost::WriteVideo(g_clip, {320, 240, 15, 45, true, {}}, &error)) {
        std::fprintf(stderr, "cannot write the clip: %s\n", error.c_str());
        return 1;
    }
    bench::Register("FirstFrame", FirstFrame);
    bench::Register("FirstFrameAlone", FirstFrameAlone);
    bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatio("FirstFrame", "FirstFrameAlone", "FFmpeg alone");
    benchmark::Shutdown();
    std::filesystem::remove_all(folder);
    return 0;
}
