// The image system's thread seam: loader threads decode files into plain pixel buffers while
// the main thread alone makes the engine objects. Run under ThreadSanitizer, so it needs
// nothing above the object layer: it writes its own small Targa files.
#include "GccWarnings.h"
#include "QrAction.h"
#include "QrImage.h"
#include "QrImageReader.h"
#include "QrObject.h"
#include "QrRawImageData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include <unistd.h>
#include <vector>

namespace
{

class PlainImage : public QrImage
{
public:
    bool LoadFromFile() override { return false; }
    bool LoadFromRawData() override { return GetRawData() != nullptr; }

protected:
    ~PlainImage() override = default;
};

QrImage* MakePlainImage(uint32_t)
{
    return new PlainImage;
}

// An uncompressed true-colour Targa file of the given size and depth (24 or 32).
std::string WriteTarga(const std::filesystem::path& folder, uint16_t width, uint16_t height, uint8_t depth)
{
    std::vector<uint8_t> bytes = {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    for (uint16_t v : {width, height})
    {
        bytes.push_back(static_cast<uint8_t>(v));
        bytes.push_back(static_cast<uint8_t>(v >> 8));
    }
    bytes.push_back(depth);
    bytes.push_back(0x20);
    for (uint32_t i = 0; i < uint32_t(width) * height * (depth / 8u); ++i)
        bytes.push_back(static_cast<uint8_t>(i * 37 + depth));
    // GCC 12 at -O3 takes the inlined string copy here for one past its object: it is not.
    QR_GCC_STRING_BOUNDS_OFF
    const std::filesystem::path file =
        folder / ("t" + std::to_string(width) + "x" + std::to_string(height) + "_" + std::to_string(depth) + ".tga");
    QR_GCC_STRING_BOUNDS_ON
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return file.string();
}

} // namespace

TEST(QrImageDecodeThreadTest, LoaderThreadsDecodeAndTheMainThreadMakesTheImages)
{
    const uint32_t liveAtStart = QrObject::GetLiveCount();
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("qr_decode_thread_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    std::vector<std::string> files;
    for (uint8_t depth : {uint8_t(24), uint8_t(32)})
        for (uint16_t size : {uint16_t(3), uint16_t(16), uint16_t(61)})
            files.push_back(WriteTarga(folder, size, uint16_t(size + 2), depth));
    // The main thread's decode is the reference the loader threads must match.
    std::vector<QrImagePixels> expected(files.size());
    for (size_t i = 0; i < files.size(); ++i)
        ASSERT_TRUE(QrImageReader::DecodeFile(files[i].c_str(), expected[i])) << files[i];

    constexpr size_t kThreads = 4;
    std::vector<std::vector<QrImagePixels>> decoded(kThreads);
    std::vector<std::thread> loaders;
    for (size_t t = 0; t < kThreads; ++t)
    {
        loaders.emplace_back(
            [&files, &out = decoded[t]]
            {
                for (const std::string& file : files)
                {
                    QrImagePixels pixels;
                    if (!QrImageReader::DecodeFile(file.c_str(), pixels))
                        pixels.Clear();
                    out.push_back(std::move(pixels));
                }
            });
    }
    for (std::thread& t : loaders)
        t.join();
    std::filesystem::remove_all(folder);

    QrImage::SetCreateHook(&MakePlainImage);
    for (size_t t = 0; t < kThreads; ++t)
    {
        ASSERT_EQ(decoded[t].size(), files.size());
        for (size_t i = 0; i < files.size(); ++i)
        {
            EXPECT_TRUE(decoded[t][i].IsEqual(expected[i])) << files[i];
            QrPointer<QrRawImageData> raw = new QrRawImageData;
            raw->SetBuffer(std::move(decoded[t][i]));
            QrPointer<QrImage> image = QrImage::CreateFromRawData(raw, 0);
            ASSERT_NE(image, nullptr);
            EXPECT_TRUE(image->LoadFromRawData());
        }
    }
    QrImage::SetCreateHook(nullptr);
    QrAction::RemoveAll();
    EXPECT_EQ(QrObject::GetLiveCount(), liveAtStart);
}
