#include "AviWriter.h"

#include "ByteWriter.h"

#include <algorithm>
#include <cstring>

namespace tools
{

namespace
{

constexpr uint32_t kHasIndex = 0x10;
constexpr uint32_t kKeyFrame = 0x10;

// Opens a chunk or list: the id, a size patched by Close, and the list type.
size_t Open(plat::ByteWriter& out, const char* id, const char* listType = nullptr)
{
    out.Write(id, 4);
    const size_t sizeAt = out.Size();
    out.U32(0);
    if (listType)
        out.Write(listType, 4);
    return sizeAt;
}

void Close(plat::ByteWriter& out, size_t sizeAt)
{
    out.PatchU32(sizeAt, uint32_t(out.Size() - sizeAt - 4));
    if (out.Size() & 1)
        out.U8(0);
}

void StreamHeader(plat::ByteWriter& out, const char* type, uint32_t scale, uint32_t rate, uint32_t length,
                  uint32_t bufferSize, uint32_t sampleSize, uint32_t width, uint32_t height)
{
    const size_t at = Open(out, "strh");
    out.Write(type, 4);
    out.U32(0); // handler
    out.U32(0); // flags
    out.U16(0); // priority
    out.U16(0); // language
    out.U32(0); // initial frames
    out.U32(scale);
    out.U32(rate);
    out.U32(0); // start
    out.U32(length);
    out.U32(bufferSize);
    out.U32(0xFFFFFFFF); // quality
    out.U32(sampleSize);
    out.U16(0);
    out.U16(0);
    out.U16(uint16_t(width));
    out.U16(uint16_t(height));
    Close(out, at);
}

// Bottom-up rows, blue first, padded to four bytes.
std::vector<uint8_t> FrameBytes(const QrImagePixels& frame)
{
    const uint32_t row = (frame.GetWidth() * 3 + 3) & ~3u;
    std::vector<uint8_t> bytes(size_t(row) * frame.GetHeight(), 0);
    for (uint32_t y = 0; y < frame.GetHeight(); ++y)
    {
        const uint8_t* source = frame.GetRow(frame.GetHeight() - 1 - y);
        uint8_t* target = bytes.data() + size_t(y) * row;
        for (uint32_t x = 0; x < frame.GetWidth(); ++x)
        {
            target[x * 3] = source[x * 3 + 2];
            target[x * 3 + 1] = source[x * 3 + 1];
            target[x * 3 + 2] = source[x * 3];
        }
    }
    return bytes;
}

} // namespace

std::vector<uint8_t> WriteAVI(const AviClip& clip)
{
    if (clip.frames.empty() || clip.framesPerSecond == 0)
        return {};
    const uint32_t width = clip.frames[0].GetWidth();
    const uint32_t height = clip.frames[0].GetHeight();
    for (const QrImagePixels& frame : clip.frames)
    {
        if (frame.GetFormat() != QrImagePixels::kFormatRGB || frame.GetWidth() != width || frame.GetHeight() != height)
            return {};
    }
    const uint32_t frameCount = uint32_t(clip.frames.size());
    const uint32_t frameBytes = ((width * 3 + 3) & ~3u) * height;
    const bool hasSound = !clip.sound.empty();
    const uint16_t blockAlign = uint16_t(clip.soundChannels * 2);
    const uint32_t soundBlocks = uint32_t(clip.sound.size() / clip.soundChannels);

    plat::ByteWriter out;
    const size_t riff = Open(out, "RIFF", "AVI ");
    const size_t hdrl = Open(out, "LIST", "hdrl");
    const size_t avih = Open(out, "avih");
    out.U32(1000000 / clip.framesPerSecond);
    out.U32(frameBytes * clip.framesPerSecond);
    out.U32(0);
    out.U32(kHasIndex);
    out.U32(frameCount);
    out.U32(0);
    out.U32(hasSound ? 2 : 1);
    out.U32(frameBytes);
    out.U32(width);
    out.U32(height);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    Close(out, avih);

    const size_t videoList = Open(out, "LIST", "strl");
    StreamHeader(out, "vids", 1, clip.framesPerSecond, frameCount, frameBytes, 0, width, height);
    const size_t videoFormat = Open(out, "strf");
    out.U32(40);
    out.U32(width);
    out.U32(height);
    out.U16(1);
    out.U16(24);
    out.U32(0);
    out.U32(frameBytes);
    for (int i = 0; i < 4; ++i)
        out.U32(0);
    Close(out, videoFormat);
    Close(out, videoList);
    if (hasSound)
    {
        const size_t soundList = Open(out, "LIST", "strl");
        StreamHeader(out, "auds", blockAlign, clip.soundRate * blockAlign, soundBlocks, clip.soundRate * blockAlign,
                     blockAlign, 0, 0);
        const size_t soundFormat = Open(out, "strf");
        out.U16(1);
        out.U16(clip.soundChannels);
        out.U32(clip.soundRate);
        out.U32(clip.soundRate * blockAlign);
        out.U16(blockAlign);
        out.U16(16);
        out.U16(0);
        Close(out, soundFormat);
        Close(out, soundList);
    }
    Close(out, hdrl);

    struct Entry
    {
        const char* id;
        uint32_t offset;
        uint32_t size;
    };
    std::vector<Entry> index;
    const size_t movi = Open(out, "LIST", "movi");
    const size_t moviType = movi + 4;
    size_t soundAt = 0;
    for (uint32_t f = 0; f < frameCount; ++f)
    {
        const std::vector<uint8_t> bytes = FrameBytes(clip.frames[f]);
        index.push_back({"00db", uint32_t(out.Size() - moviType), uint32_t(bytes.size())});
        const size_t chunk = Open(out, "00db");
        out.Write(bytes.data(), bytes.size());
        Close(out, chunk);
        if (!hasSound)
            continue;
        // The sound that belongs to this frame's time.
        const size_t until =
            std::min(clip.sound.size(), size_t(uint64_t(f + 1) * soundBlocks / frameCount) * clip.soundChannels);
        if (until <= soundAt)
            continue;
        const uint32_t size = uint32_t((until - soundAt) * 2);
        index.push_back({"01wb", uint32_t(out.Size() - moviType), size});
        const size_t soundChunk = Open(out, "01wb");
        out.Write(clip.sound.data() + soundAt, size);
        Close(out, soundChunk);
        soundAt = until;
    }
    Close(out, movi);
    const size_t idx1 = Open(out, "idx1");
    for (const Entry& entry : index)
    {
        out.Write(entry.id, 4);
        out.U32(kKeyFrame);
        out.U32(entry.offset);
        out.U32(entry.size);
    }
    Close(out, idx1);
    Close(out, riff);
    return out.Take();
}

} // namespace tools
