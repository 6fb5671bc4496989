// The image system's thread seam: loader threads decode files into plain pixel buffers while
// the main thread alone makes the engine objects. Run under ThreadSanitizer.
#include "QrTestFixture.h"
#include "TestFiles.h"

#include "QrImage.h"
#include "QrImageReader.h"
#include "gen/GenImages.h"

#include <thread>

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

} // namespace

using QrImageDecodeThreadTest = QrEngineTest;

TEST_F(QrImageDecodeThreadTest, LoaderThreadsDecodeAndTheMainThreadMakesTheImages)
{
    std::vector<gen::ImageSample> samples;
    for (gen::ImageSample& s : gen::MakeImageSamples())
        if (s.file.find(".qrf") == std::string::npos)
            samples.push_back(std::move(s));
    ASSERT_FALSE(samples.empty());

    constexpr size_t kThreads = 4;
    std::vector<std::vector<QrImagePixels>> decoded(kThreads);
    std::vector<std::thread> loaders;
    for (size_t t = 0; t < kThreads; ++t)
    {
        loaders.emplace_back(
            [&samples, &out = decoded[t]]
            {
                for (const gen::ImageSample& s : samples)
                {
                    QrImagePixels pixels;
                    if (!QrImageReader::DecodeFile((testfiles::DataDir() + "/" + s.file).c_str(), pixels))
                        pixels.Clear();
                    out.push_back(std::move(pixels));
                }
            });
    }
    for (std::thread& t : loaders)
        t.join();

    QrImage::SetCreateHook(&MakePlainImage);
    for (size_t t = 0; t < kThreads; ++t)
    {
        ASSERT_EQ(decoded[t].size(), samples.size());
        for (size_t i = 0; i < samples.size(); ++i)
        {
            EXPECT_TRUE(decoded[t][i].IsEqual(samples[i].expected)) << samples[i].file;
            QrPointer<QrRawImageData> raw = new QrRawImageData;
            raw->SetBuffer(std::move(decoded[t][i]));
            QrPointer<QrImage> image = QrImage::CreateFromRawData(raw, 0);
            ASSERT_NE(image, nullptr);
            EXPECT_TRUE(image->LoadFromRawData());
        }
    }
    QrImage::SetCreateHook(nullptr);
}
