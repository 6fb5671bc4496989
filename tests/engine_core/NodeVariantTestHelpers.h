#pragma once
// Shared pieces of the special-node tests: a probe leaf that counts its world updates, logs
// its draws and records the collision queries it is handed; the scene-file round trip; a camera
// aimed at the scene and a sorter that logs what it is offered.

#include "QrCamera.h"
#include "QrCollisionRecord.h"
#include "QrSorter.h"
#include "QrStream.h"
#include "SceneTestObjects.h"
#include "StreamTestHelpers.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace specialnodes
{

// Shares SceneTestLeaf's class record, so it saves and loads as one.
class ProbeLeaf : public SceneTestLeaf
{
public:
    ProbeLeaf(std::vector<std::string>* drawLog, const char* tag, const QrPoint3& center = QrPoint3(),
              float radius = 1.0f)
        : SceneTestLeaf(center, radius), m_drawLog(drawLog), m_tag(tag)
    {
    }

    void Update(QrAVInstance* instance) override
    {
        ++m_updates;
        SceneTestLeaf::Update(instance);
    }

    void Draw(QrCamera*, QrAVInstance* instance) override
    {
        SetCurrentInstance(instance);
        m_drawnRotations.push_back(m_currentInstance->m_worldRotate);
        if (m_drawLog)
            m_drawLog->push_back(m_tag);
    }

    // Records the query and both sides; the answer is m_collides / m_findAnswer.
    bool TestCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override
    {
        m_otherRecords.push_back(other);
        return SceneTestLeaf::TestCollisions(time, self, other);
    }
    int32_t FindCollisions(float time, QrCollisionRecord& self, QrCollisionRecord& other) override
    {
        m_otherRecords.push_back(other);
        return SceneTestLeaf::FindCollisions(time, self, other);
    }

    std::vector<std::string>* m_drawLog;
    std::string m_tag;
    int m_updates = 0;
    std::vector<QrMatrix3> m_drawnRotations;
    std::vector<QrCollisionRecord> m_otherRecords;
};

inline std::vector<uint8_t> SaveScene(QrObject* object)
{
    return streamtest::Save({object});
}

// Saves the object, loads it back with loader, checks it equal both ways and that saving the
// loaded copy gives the same bytes. Returns the loaded object (held by loader), or null.
template <class T> T* RoundTrip(T* object, QrStream& loader)
{
    const std::vector<uint8_t> first = SaveScene(object);
    if (!loader.LoadFromMemory(first.data(), first.size()))
    {
        ADD_FAILURE() << QrStream::LastErrorMessage << " / " << QrStream::LastErrorContext;
        return nullptr;
    }
    if (loader.GetTopLevelCount() != 1)
    {
        ADD_FAILURE() << "top-level objects: " << loader.GetTopLevelCount();
        return nullptr;
    }
    T* loaded = QrDynamicCast<T>(loader.GetTopLevelAt(0));
    if (!loaded)
    {
        ADD_FAILURE() << "the loaded object is of another class";
        return nullptr;
    }
    EXPECT_TRUE(loaded->IsEqual(object));
    EXPECT_TRUE(object->IsEqual(loaded));
    EXPECT_EQ(SaveScene(loaded), first);
    return loaded;
}

// A camera at eye looking at target, its far plane pushed out to 1000. The frame time is that
// of a RenderFrame without a display, which draws nothing and only keeps its arguments.
inline QrPointer<QrCamera> CameraLookingAt(const QrPoint3& eye, const QrPoint3& target,
                                           const QrPoint3& up = QrPoint3(0.0f, 1.0f, 0.0f), float time = 0.0f)
{
    QrPointer<QrCamera> camera = new QrCamera;
    camera->GetFrustum()[QrCamera::kFar] = 1000.0f;
    camera->SetTranslate(eye.x, eye.y, eye.z);
    camera->Update(camera->GetCurrentInstance());
    EXPECT_TRUE(camera->LookAt(target, up));
    camera->RenderFrame(time, 0.0f);
    return camera;
}

// Draws the subtree root through the camera as RenderFrame does, and checks that the camera's
// traversal state comes back as it was.
inline void DrawThrough(QrCamera* camera, QrAVObject* root, bool displayPass = false)
{
    const uint8_t sortFlag = camera->GetSortFlag();
    if (displayPass)
        root->CullAndDisplay(camera, nullptr, root->GetCurrentInstance());
    else
        root->CullAndDraw(camera, root->GetCurrentInstance());
    EXPECT_EQ(camera->GetSortFlag(), sortFlag);
    for (uint32_t w = 0; w < QrAVObject::kPlaneMaskWords; ++w)
        EXPECT_EQ(camera->GetPassedPlaneMask()[w], 0u);
}

// A sorter that logs what it is given; the factory counts the sorters it makes.
class RecordingSorter : public QrSorter
{
public:
    explicit RecordingSorter(std::vector<std::string>* log) : m_log(log) {}
    void StartSorting(QrCamera*) override { m_log->push_back("start"); }
    void FinishSorting() override { m_log->push_back("finish"); }
    bool AddObject(QrAVObject* object, QrAVInstance*) override
    {
        m_log->push_back(std::string("offer ") + (object->GetName() ? object->GetName() : "?"));
        return m_takes;
    }

    std::vector<std::string>* m_log;
    bool m_takes = false;

    // Installs the recording factory for the lifetime of the guard.
    class Install
    {
    public:
        explicit Install(std::vector<std::string>* log)
        {
            ms_log = log;
            ms_made = 0;
            m_previous = QrSorter::SetFactory(&Make);
        }
        ~Install() { QrSorter::SetFactory(m_previous); }
        int Made() const { return ms_made; }

    private:
        QrSorterFactory m_previous;
    };

private:
    static QrSorter* Make()
    {
        ++ms_made;
        return new RecordingSorter(ms_log);
    }
    static inline std::vector<std::string>* ms_log = nullptr;
    static inline int ms_made = 0;
};

} // namespace specialnodes
