#pragma once
// A video clip opened for playing: its frames decoded one by one into a pixel view, and its
// whole sound track as 16-bit PCM for the mixer. Decoding is FFmpeg's; none of its types
// leave VideoClip.cpp.

#include "PixelView.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace plat
{

class VideoClip
{
public:
    enum class Frame
    {
        kDelivered,
        kEnded,
        kFailed,
    };

    // Sides above this are refused; the clips we play are small.
    static constexpr uint32_t kMaxSide = 2048;
    // At most this much sound is decoded (seconds).
    static constexpr uint32_t kMaxSoundSeconds = 600;

    VideoClip();
    ~VideoClip();
    VideoClip(const VideoClip&) = delete;
    VideoClip& operator=(const VideoClip&) = delete;

    // The path is native or Windows-style, found regardless of letter case. False when the
    // file has no decodable video stream.
    bool Open(const std::string& path);
    void Close();
    bool IsOpen() const;

    uint32_t Width() const;
    uint32_t Height() const;
    // Frames per second (25 when the file does not say).
    double FrameRate() const;

    // Decodes the next frame into the top-left corner of target (Rgb888, Xrgb8888 or Rgb565).
    Frame DecodeNext(const PixelView& target);

    // The sound track, interleaved 16-bit samples at its own rate and channel count (1 or 2);
    // false when the clip has none.
    bool DecodeSound(std::vector<int16_t>& samples, uint32_t& rate, uint16_t& channels);

private:
    struct Decoder;
    std::unique_ptr<Decoder> m_decoder;
    std::string m_path;
};

} // namespace plat
