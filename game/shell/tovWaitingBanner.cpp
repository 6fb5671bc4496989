#include "tovWaitingBanner.h"

#include "QrRender.h"
#include "tovNetFacade.h"
#include "tovShellIFace.h"

namespace tovWaitingBanner
{

namespace
{

constexpr uint32_t kGroup = 29;
constexpr uint32_t kPicture = 103;
constexpr int32_t kX = 104;
constexpr int32_t kY = 130;

} // namespace

QrPointer<QrImage> Load()
{
    if (!tovShellIFace::CanDraw())
        return nullptr;
    tovShellIFace::LoadGroup(kGroup);
    QrPointer<QrImage> banner = tovShellIFace::Picture(kPicture);
    tovShellIFace::UnloadGroup(kGroup);
    return banner;
}

void Draw(QrImage* banner)
{
    tovShellIFace::DrawPicture(banner, kX, kY);
}

bool Wait(const std::function<bool()>& wait, bool showFirst)
{
    const QrPointer<QrImage> banner = Load();
    const auto frame = [&banner]
    {
        if (QrRender* renderer = tovShellIFace::Renderer())
            renderer->ClearBuffer(nullptr, 1);
        Draw(banner.Get());
    };
    if (showFirst && tovShellIFace::CanDraw())
    {
        frame();
        tovShellIFace::Present();
    }
    NetSetWaitDrawing(frame);
    const bool through = wait();
    NetSetWaitDrawing(nullptr);
    return through;
}

} // namespace tovWaitingBanner
