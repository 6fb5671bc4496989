#include "SceneRun.h"

#include "RecordingRender.h"

#include "Qr3dsSkinAndBone.h"
#include "QrAVObject.h"
#include "QrAction.h"
#include "QrAnimTiming.h"
#include "QrCamera.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrStream.h"

#include <algorithm>
#include <chrono>

namespace
{

// More would only repeat the same walk.
constexpr size_t kMaxCameras = 4;

class Stopwatch
{
public:
    double Lap()
    {
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - m_start).count();
        m_start = now;
        return seconds;
    }

private:
    std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
};

// Roots of the loaded graph (objects without a parent) and the cameras, in file order.
void FindRootsAndCameras(const QrStream& stream, std::vector<QrPointer<QrAVObject>>& roots,
                         std::vector<QrPointer<QrCamera>>& cameras)
{
    for (uint32_t i = 0; i < stream.GetLoadedCount(); ++i)
    {
        QrAVObject* object = QrDynamicCast<QrAVObject>(stream.GetLoadedAt(i));
        if (!object)
            continue;
        if (QrCamera* camera = QrDynamicCast<QrCamera>(object); camera && cameras.size() < kMaxCameras)
            cameras.emplace_back(camera);
        if (!object->GetParent() && std::find(roots.begin(), roots.end(), object) == roots.end())
            roots.emplace_back(object);
    }
    if (!cameras.empty())
        return;
    // A file without a camera is looked at whole, one root at a time.
    for (const QrPointer<QrAVObject>& root : roots)
    {
        if (cameras.size() == kMaxCameras)
            break;
        QrPointer<QrCamera> camera(new QrCamera);
        camera->SetTranslate(0.0f, 0.0f, 50.0f);
        camera->SetSceneRoot(root.Get());
        camera->UpdateAllInstances();
        cameras.push_back(camera);
    }
}

size_t CountDraws(const std::vector<std::string>& log)
{
    return size_t(std::count_if(log.begin(), log.end(),
                                [](const std::string& line) { return line.compare(0, 6, "Render") == 0; }));
}

void DrawFrame(QrCamera* camera, RecordingRender* render, float time, float elapsed, SceneRun& run)
{
    QrPointer<QrDisplay> display(camera->GetDisplay());
    if (!display)
        display = new QrDisplay;
    camera->SetDisplay(display.Get());
    display->SetRenderer(render);
    camera->RenderFrame(time, elapsed);
    display->SetRenderer(nullptr);
    run.drawCalls += CountDraws(render->TakeLog());
    ++run.framesDrawn;
}

} // namespace

SceneRun RunSceneBytes(const std::vector<uint8_t>& bytes, const SceneRunOptions& options)
{
    SceneRun run;
    const int64_t liveBefore = QrObject::GetLiveCount();
    const int64_t timedBefore = QrAnimTiming::GetListCount();
    {
        Stopwatch watch;
        QrStream stream;
        run.loaded = stream.LoadFromMemory(bytes.data(), bytes.size());
        run.errorCode = QrStream::LastErrorCode;
        run.errorContext = QrStream::LastErrorContext;
        run.loadSeconds = watch.Lap();
        if (run.loaded)
        {
            std::vector<QrPointer<QrAVObject>> roots;
            std::vector<QrPointer<QrCamera>> cameras;
            FindRootsAndCameras(stream, roots, cameras);
            QrPointer<RecordingRender> render(new RecordingRender);
            render->SetLogQueries(false);
            render->SetLogArrays(false);
            for (uint32_t frame = 0; frame < options.frames; ++frame)
            {
                const float time = float(frame) * options.frameSeconds;
                const float elapsed = frame == 0 ? 0.0f : options.frameSeconds;
                QrAnimTiming::UpdateAll(time);
                QrAction::UpdateAll(time, elapsed);
                for (const QrPointer<QrAVObject>& root : roots)
                    root->UpdateAllInstances();
                for (const QrPointer<QrCamera>& camera : cameras)
                    DrawFrame(camera.Get(), render.Get(), time, elapsed, run);
                run.slowestFrameSeconds = std::max(run.slowestFrameSeconds, watch.Lap());
            }
        }
        QrAction::RemoveAll();
    }
    // Skin bindings keep shared buffers on a program-wide list until it is released.
    Qr3dsSkinAndBone::FreeSharedBuffers();
    run.objectsLeft = int64_t(QrObject::GetLiveCount()) - liveBefore;
    run.timedObjectsLeft = int64_t(QrAnimTiming::GetListCount()) - timedBefore;
    return run;
}
