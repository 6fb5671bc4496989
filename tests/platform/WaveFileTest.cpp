#include "WaveFile.h"

#include "ByteWriter.h"
#include "Files.h"
#include "TestFiles.h"
#include "WavWriter.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

std::vector<int16_t> Ramp(size_t n)
{
    std::vector<int16_t> samples(n);
    for (size_t i = 0; i < n; ++i)
        samples[i] = int16_t(i * 37);
    return samples;
}

class WaveFileTest : public ::testing::Test
{
protected:
    uint16_t Open(const std::vector<uint8_t>& bytes)
    {
        EXPECT_TRUE(plat::WriteFile(m_path, bytes.data(), bytes.size()));
        return m_wave.Open(m_path);
    }
    // Reads the whole data in pieces of n bytes.
    std::vector<uint8_t> ReadAll(uint32_t piece)
    {
        std::vector<uint8_t> all;
        std::vector<uint8_t> buffer(piece);
        for (;;)
        {
            uint32_t got = 0;
            const uint16_t code = m_wave.Read(buffer.data(), piece, got);
            all.insert(all.end(), buffer.begin(), buffer.begin() + got);
            if (code != plat::WaveFile::kOk)
            {
                EXPECT_EQ(code, plat::WaveFile::kDataEnded);
                return all;
            }
        }
    }

    testfiles::TempDir m_dir;
    std::string m_path = m_dir.File("sound.wav");
    plat::WaveFile m_wave;
};

} // namespace

TEST_F(WaveFileTest, ReadsTheDataInPiecesAndStartsOver)
{
    const std::vector<int16_t> samples = Ramp(1001);
    ASSERT_EQ(Open(tools::WriteWAV(samples, 11025, 1)), plat::WaveFile::kOk);
    EXPECT_EQ(m_wave.Format().samplesPerSecond, 11025u);
    EXPECT_EQ(m_wave.Format().blockAlign, 2u);
    EXPECT_EQ(m_wave.FormatBytes().size(), 18u);
    EXPECT_EQ(m_wave.DataSize(), 2002u);
    const std::vector<uint8_t> first = ReadAll(300);
    ASSERT_EQ(first.size(), 2002u);
    EXPECT_EQ(std::memcmp(first.data(), samples.data(), first.size()), 0);
    ASSERT_EQ(m_wave.StartDataRead(), plat::WaveFile::kOk);
    EXPECT_EQ(ReadAll(4096), first);
}

TEST_F(WaveFileTest, ExtraFormatBytesOfOtherFormatsAreKept)
{
    plat::ByteWriter file;
    file.Write("RIFF", 4);
    file.U32(4 + 8 + 20 + 8 + 4);
    file.Write("WAVE", 4);
    file.Write("fmt ", 4);
    file.U32(20);
    for (uint16_t v : {uint16_t(2), uint16_t(1)})
        file.U16(v);
    file.U32(8000);
    file.U32(4000);
    file.U16(256);
    file.U16(4);
    file.U16(2);
    file.U16(0xBEEF);
    file.Write("data", 4);
    file.U32(4);
    file.U32(0x01020304);
    ASSERT_EQ(Open(file.Take()), plat::WaveFile::kOk);
    EXPECT_EQ(m_wave.Format().formatTag, 2u);
    ASSERT_EQ(m_wave.FormatBytes().size(), 20u);
    EXPECT_EQ(m_wave.FormatBytes()[18], 0xEF);
    EXPECT_FALSE(m_wave.Format().IsPlayablePcm());
}

// Every prefix, and sizes that point past the file, give a code or a shortened data chunk;
// no read goes beyond the file (AddressSanitizer watches the buffers).
TEST_F(WaveFileTest, DamagedFilesGiveCodesOrShortenedData)
{
    const std::vector<uint8_t> whole = tools::WriteWAV(Ramp(64), 8000, 1);
    const size_t dataAt = 44;
    for (size_t length = 0; length < whole.size(); ++length)
    {
        const uint16_t code = Open(std::vector<uint8_t>(whole.begin(), whole.begin() + length));
        if (length < dataAt)
        {
            EXPECT_NE(code, plat::WaveFile::kOk) << length;
            continue;
        }
        ASSERT_EQ(code, plat::WaveFile::kOk) << length;
        EXPECT_EQ(m_wave.DataSize(), length - dataAt);
        EXPECT_EQ(ReadAll(50).size(), length - dataAt);
    }
    const struct
    {
        size_t at;
        uint32_t value;
        uint16_t code;
    } flips[] = {
        {0, 0x46464952 ^ 1, plat::WaveFile::kNotWave},    // "RIFF"
        {8, 0x45564157 ^ 1, plat::WaveFile::kNotWave},    // "WAVE"
        {16, 12, plat::WaveFile::kNotWave},               // format chunk too small
        {16, 0xFFFFFFF0, plat::WaveFile::kChunkNotFound}, // format chunk runs past the file
        {36, 0x61746164 ^ 1, plat::WaveFile::kChunkNotFound},
        {4, 30, plat::WaveFile::kChunkNotFound}, // RIFF ends before "data"
    };
    for (const auto& flip : flips)
    {
        std::vector<uint8_t> bytes = whole;
        std::memcpy(bytes.data() + flip.at, &flip.value, 4);
        EXPECT_EQ(Open(bytes), flip.code) << flip.at;
    }
    std::vector<uint8_t> huge = whole;
    const uint32_t hugeSize = 0xFFFFFFF0;
    std::memcpy(huge.data() + 40, &hugeSize, 4);
    ASSERT_EQ(Open(huge), plat::WaveFile::kOk);
    EXPECT_EQ(m_wave.DataSize(), 128u);
}
