// Video files through FFmpeg's libraries, for the host's player and frame grabber: a decoding
// source and a scaler to RGB565.
#pragma once

#include <cstddef>
#include <cstdint>

struct AVFormatContext;
struct AVCodecContext;
struct AVPacket;
struct AVFrame;
struct SwsContext;

namespace tmxhost::video {

// Longest path a player's input-media record holds, without its terminating zero.
constexpr std::size_t kMaxPath = 1811;
// Largest video side accepted, and the most pixels of a frame.
constexpr int kMaxSide = 4096;
constexpr long long kMaxPixels = 16LL * 1024 * 1024;

struct MediaInfo {
    int width = 0;
    int height = 0;
    long long durationMs = 0;  // 0 when the file does not say
    bool hasAudio = false;
    int frameRate = 0;  // frames per 1000 seconds, 0 when unknown
};

// One video file opened for decoding its first video stream. Files come only through the file
// protocol; image files and streams that are a cover picture are not videos.
class Source {
public:
    Source();
    ~Source();
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;

    // False for a missing, damaged or oversized file, or one without a video stream. `probe`
    // reads the stream information even when the headers already give the video's size.
    bool Open(const char* path, bool probe = false);
    const MediaInfo& Info() const { return info_; }

    // Decodes the next frame into Frame(): 1, or 0 at the end of the file, or -1 when not a
    // single frame could be decoded since the start (or the last Rewind).
    int Next();
    // Back to the first frame; false when the file cannot seek.
    bool Rewind();
    // Decodes the frame shown at `ms` from the start into Frame(): the last one that starts at
    // or before it, the first one when `ms` precedes it, the last of the file when `ms` lies
    // beyond. False when no frame decodes.
    bool FrameAt(long long ms);

    const AVFrame* Frame() const { return held_; }
    long long FrameMs() const { return heldMs_; }
    // Duration of one frame in ms, from the stream's rate (100 when unknown).
    long long FrameDurationMs() const;

private:
    void Close();
    int Decode();  // into frame_, as Next
    bool Seek(long long ms);
    long long MsOf(const AVFrame* frame);

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* held_ = nullptr;
    long long heldMs_ = 0;
    int stream_ = -1;
    bool draining_ = false;
    long long decoded_ = 0;  // frames since the last seek
    MediaInfo info_;
};

// Converts decoded frames to RGB565 rows (low byte first), keeping its scaler between calls.
class Scaler {
public:
    Scaler() = default;
    ~Scaler();
    Scaler(const Scaler&) = delete;
    Scaler& operator=(const Scaler&) = delete;

    // Scales the whole frame to width x height into `pixels`, whose rows are `stride` bytes.
    bool Convert(const AVFrame* frame, int width, int height, std::uint8_t* pixels, int stride);

private:
    SwsContext* context_ = nullptr;
};

// The size of a srcW x srcH picture fitted inside boxW x boxH keeping its aspect ratio, at least
// one pixel each way.
void FitInside(int srcW, int srcH, int boxW, int boxH, int* width, int* height);

}  // namespace tmxhost::video
