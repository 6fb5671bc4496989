// Video clips through FFmpeg.
// Implements: opening a file with libavformat, decoding its best video stream frame by frame
// with libavcodec, converting each frame with libswscale into our surface formats, decoding
// the best audio stream whole with libswresample into 16-bit PCM.
// Leaves out: seeking, subtitles, streams other than the best video and audio ones.

#include "VideoClip.h"

#include "Path.h"

extern "C"
{
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <algorithm>

namespace plat
{

namespace
{

constexpr int kMinSoundRate = 1000;
constexpr int kMaxSoundRate = 192000;
constexpr int kMaxSoundChannels = 8;

struct FormatCloser
{
    void operator()(AVFormatContext* c) const { avformat_close_input(&c); }
};
struct CodecCloser
{
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree
{
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree
{
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwrFree
{
    void operator()(SwrContext* s) const { swr_free(&s); }
};

using FormatPtr = std::unique_ptr<AVFormatContext, FormatCloser>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecCloser>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;

// Opens the file and a decoder for its best stream of the kind; false when there is none.
bool OpenStream(const std::string& path, AVMediaType kind, FormatPtr& format, CodecPtr& codec, int& stream)
{
    // A clip is an AVI file and nothing else: no probing for other containers (playlists
    // that name further files or addresses), no protocol beyond the file itself.
    const AVInputFormat* avi = av_find_input_format("avi");
    if (!avi)
        return false;
    AVDictionary* options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    av_dict_set(&options, "format_whitelist", "avi", 0);
    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, path.c_str(), avi, &options);
    av_dict_free(&options);
    if (opened != 0)
        return false;
    format.reset(raw);
    if (avformat_find_stream_info(raw, nullptr) < 0)
        return false;
    const AVCodec* decoder = nullptr;
    stream = av_find_best_stream(raw, kind, -1, -1, &decoder, 0);
    if (stream < 0 || !decoder)
        return false;
    codec.reset(avcodec_alloc_context3(decoder));
    return codec && avcodec_parameters_to_context(codec.get(), raw->streams[stream]->codecpar) >= 0 &&
           avcodec_open2(codec.get(), decoder, nullptr) == 0;
}

AVPixelFormat FfmpegFormatOf(PixelFormat format)
{
    switch (format)
    {
    case PixelFormat::Rgb888:
        return AV_PIX_FMT_BGR24;
    case PixelFormat::Xrgb8888:
    case PixelFormat::Argb8888:
        return AV_PIX_FMT_BGRA;
    case PixelFormat::Rgb565:
        return AV_PIX_FMT_RGB565LE;
    default:
        return AV_PIX_FMT_NONE;
    }
}

} // namespace

struct VideoClip::Decoder
{
    FormatPtr format;
    CodecPtr codec;
    int stream = -1;
    FramePtr frame{av_frame_alloc()};
    PacketPtr packet{av_packet_alloc()};
    SwsContext* scaler = nullptr;
    bool draining = false;

    ~Decoder() { sws_freeContext(scaler); }

    // The next decoded frame in `frame`; kEnded when the stream has no more.
    Frame Receive()
    {
        for (;;)
        {
            const int got = avcodec_receive_frame(codec.get(), frame.get());
            if (got == 0)
                return Frame::kDelivered;
            if (got == AVERROR_EOF)
                return Frame::kEnded;
            if (got != AVERROR(EAGAIN))
                return Frame::kFailed;
            if (draining)
                return Frame::kEnded;
            const int read = av_read_frame(format.get(), packet.get());
            if (read < 0)
            {
                draining = true;
                avcodec_send_packet(codec.get(), nullptr);
                continue;
            }
            const bool ours = packet->stream_index == stream;
            const int sent = ours ? avcodec_send_packet(codec.get(), packet.get()) : 0;
            av_packet_unref(packet.get());
            if (sent < 0 && sent != AVERROR(EAGAIN))
                return Frame::kFailed;
        }
    }
};

VideoClip::VideoClip() = default;

VideoClip::~VideoClip() = default;

bool VideoClip::Open(const std::string& path)
{
    Close();
    const auto found = FindPathCaseInsensitive(NativePath(path), PathKind::kFile);
    if (!found)
        return false;
    auto decoder = std::make_unique<Decoder>();
    if (!decoder->frame || !decoder->packet ||
        !OpenStream(*found, AVMEDIA_TYPE_VIDEO, decoder->format, decoder->codec, decoder->stream))
        return false;
    const AVCodecContext* c = decoder->codec.get();
    if (c->width <= 0 || c->height <= 0 || uint32_t(c->width) > kMaxSide || uint32_t(c->height) > kMaxSide)
        return false;
    m_decoder = std::move(decoder);
    m_path = *found;
    return true;
}

void VideoClip::Close()
{
    m_decoder.reset();
    m_path.clear();
}

bool VideoClip::IsOpen() const
{
    return m_decoder != nullptr;
}

uint32_t VideoClip::Width() const
{
    return m_decoder ? uint32_t(m_decoder->codec->width) : 0;
}

uint32_t VideoClip::Height() const
{
    return m_decoder ? uint32_t(m_decoder->codec->height) : 0;
}

double VideoClip::FrameRate() const
{
    if (!m_decoder)
        return 0.0;
    const AVRational rate = m_decoder->format->streams[m_decoder->stream]->avg_frame_rate;
    const double fps = rate.den > 0 ? av_q2d(rate) : 0.0;
    return fps > 0.0 && fps <= 240.0 ? fps : 25.0;
}

VideoClip::Frame VideoClip::DecodeNext(const PixelView& target)
{
    if (!m_decoder)
        return Frame::kFailed;
    const Frame result = m_decoder->Receive();
    if (result != Frame::kDelivered)
        return result;
    const AVFrame* frame = m_decoder->frame.get();
    const AVPixelFormat wanted = FfmpegFormatOf(target.format);
    // The frame must fit the target; its size may not change within the clip.
    if (wanted == AV_PIX_FMT_NONE || frame->width != m_decoder->codec->width ||
        frame->height != m_decoder->codec->height || uint32_t(frame->width) > target.width ||
        uint32_t(frame->height) > target.height)
        return Frame::kFailed;
    m_decoder->scaler =
        sws_getCachedContext(m_decoder->scaler, frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                             frame->height, wanted, SWS_POINT, nullptr, nullptr, nullptr);
    if (!m_decoder->scaler)
        return Frame::kFailed;
    uint8_t* planes[4] = {target.pixels, nullptr, nullptr, nullptr};
    const int pitches[4] = {target.pitch, 0, 0, 0};
    sws_scale(m_decoder->scaler, frame->data, frame->linesize, 0, frame->height, planes, pitches);
    return Frame::kDelivered;
}

bool VideoClip::DecodeSound(std::vector<int16_t>& samples, uint32_t& rate, uint16_t& channels)
{
    samples.clear();
    FormatPtr format;
    CodecPtr codec;
    int stream = -1;
    if (m_path.empty() || !OpenStream(m_path, AVMEDIA_TYPE_AUDIO, format, codec, stream))
        return false;
    // A declared rate or channel count far outside what sound hardware plays is damage, and
    // resampling from it would stall the clip's start.
    if (codec->sample_rate < kMinSoundRate || codec->sample_rate > kMaxSoundRate || codec->ch_layout.nb_channels < 1 ||
        codec->ch_layout.nb_channels > kMaxSoundChannels)
        return false;
    rate = uint32_t(std::clamp(codec->sample_rate, 8000, 48000));
    channels = codec->ch_layout.nb_channels >= 2 ? 2 : 1;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, channels);
    SwrContext* raw = nullptr;
    if (swr_alloc_set_opts2(&raw, &outLayout, AV_SAMPLE_FMT_S16, int(rate), &codec->ch_layout, codec->sample_fmt,
                            codec->sample_rate, 0, nullptr) < 0 ||
        swr_init(raw) < 0)
    {
        swr_free(&raw);
        return false;
    }
    std::unique_ptr<SwrContext, SwrFree> resampler(raw);
    Decoder audio;
    audio.format = std::move(format);
    audio.codec = std::move(codec);
    audio.stream = stream;
    const size_t limit = size_t(kMaxSoundSeconds) * rate * channels;
    while (audio.Receive() == Frame::kDelivered && samples.size() < limit)
    {
        const AVFrame* frame = audio.frame.get();
        const int room = swr_get_out_samples(resampler.get(), frame->nb_samples);
        if (room <= 0)
            continue;
        const size_t at = samples.size();
        samples.resize(at + size_t(room) * channels);
        uint8_t* out = reinterpret_cast<uint8_t*>(samples.data() + at);
        const int got = swr_convert(resampler.get(), &out, room, const_cast<const uint8_t**>(frame->extended_data),
                                    frame->nb_samples);
        samples.resize(at + size_t(std::max(got, 0)) * channels);
    }
    samples.resize(std::min(samples.size(), limit));
    return !samples.empty();
}

} // namespace plat
