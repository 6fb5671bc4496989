#include "QrAudioEmitter.h"

#include "PropertyTestHelpers.h"
#include "QrAudioEmitterInstance.h"
#include "QrDisplay.h"
#include "QrNode.h"
#include "QrRSXAudioManager.h"
#include "QrStream.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using QrAudioEmitterTest = proptest::PropertyTest;

QrPointer<QrAudioEmitter> MakeEmitter()
{
    QrPointer<QrAudioEmitter> emitter = new QrAudioEmitter;
    emitter->SetName("loon");
    emitter->SetSourceName("Sounds\\loon.wav");
    emitter->m_flag = 0;
    emitter->m_startValue = 2.5;
    emitter->m_values[0] = 0.25f;
    emitter->m_values[1] = -4.0f;
    emitter->m_mode = 3;
    emitter->m_recordIndex = 7;
    for (uint32_t i = 0; i < QrAudioEmitter::kModelParameterCount; ++i)
        emitter->m_modelParameters[i] = 0.125f * static_cast<float>(i + 1);
    emitter->SetTranslate(1.0f, 2.0f, 3.0f);
    return emitter;
}

// Counts the releases a component interface receives.
class CountingInterface : public QrRSXAudioManager::Interface
{
public:
    uint32_t Release() override { return ++m_releases; }
    uint32_t m_releases = 0;
};

TEST_F(QrAudioEmitterTest, StreamRoundTripKeepsTheParametersOnly)
{
    QrPointer<QrAudioEmitter> emitter = MakeEmitter();
    QrPointer<QrObject> loaded = proptest::RoundTrip(emitter.Get());
    ASSERT_NE(loaded.Get(), nullptr);
    QrAudioEmitter* copy = static_cast<QrAudioEmitter*>(loaded.Get());
    EXPECT_STREQ(copy->GetSourceName(), "Sounds\\loon.wav");
    // The record index belongs to the running manager, not to the file.
    EXPECT_EQ(copy->m_recordIndex, -1);

    // Without a source name the string is written as absent, and an empty name is no name.
    QrPointer<QrAudioEmitter> silent = new QrAudioEmitter;
    silent->SetSourceName("");
    EXPECT_EQ(silent->GetSourceName(), nullptr);
    ASSERT_NE(proptest::RoundTrip(silent.Get()).Get(), nullptr);

    // A name on one side only is a difference, as is any parameter.
    EXPECT_FALSE(silent->IsEqual(copy));
    silent->SetSourceName("Sounds\\loon.wav");
    EXPECT_FALSE(silent->IsEqual(copy));
    copy->m_modelParameters[4] = 0.0f;
    EXPECT_FALSE(copy->IsEqual(emitter.Get()));
}

TEST_F(QrAudioEmitterTest, DamagedRecordsFailCleanly)
{
    const std::vector<uint8_t> bytes = proptest::Save({MakeEmitter().Get()});
    for (size_t length = 0; length < bytes.size(); ++length)
    {
        QrStream stream;
        EXPECT_FALSE(stream.LoadFromMemory(bytes.data(), length)) << length;
    }
}

TEST_F(QrAudioEmitterTest, EveryWorldRecordCarriesTheComponentState)
{
    QrPointer<QrAudioEmitter> emitter = new QrAudioEmitter;
    EXPECT_FALSE(emitter->IsDisplayable());
    auto* root = dynamic_cast<QrAudioEmitterInstance*>(emitter->GetCurrentInstance());
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->m_changed, 0u);
    EXPECT_EQ(root->m_secondFlag, 1u);
    EXPECT_EQ(root->m_sourceHandle, 0u);

    // A second parent makes a second record of the same kind; updates mark only the updated one.
    QrPointer<QrNode> a = new QrNode;
    QrPointer<QrNode> b = new QrNode;
    a->AttachChild(emitter.Get());
    b->AttachChild(emitter.Get());
    ASSERT_EQ(emitter->GetInstanceCount(), 2u);
    auto* underA = dynamic_cast<QrAudioEmitterInstance*>(emitter->FindInstance(a.Get()));
    auto* underB = dynamic_cast<QrAudioEmitterInstance*>(emitter->FindInstance(b.Get()));
    ASSERT_NE(underA, nullptr);
    ASSERT_NE(underB, nullptr);
    emitter->Update(underB);
    EXPECT_EQ(underA->m_changed, 0u);
    EXPECT_EQ(underB->m_changed, 1u);
    a->DetachChild(emitter.Get());
    b->DetachChild(emitter.Get());
}

TEST_F(QrAudioEmitterTest, ManagerBooksFollowTheEmitters)
{
    QrRSXAudioManager& manager = QrRSXAudioManager::Get();
    // This build has no 3D-audio component; the listener state stays as made.
    EXPECT_EQ(manager.GetComponent(), nullptr);
    EXPECT_EQ(manager.GetAppliedListener().m_size, 16u);
    EXPECT_EQ(manager.GetChanged(), 0u);
    const uint32_t before = manager.GetEmitterCount();

    // An emitter the manager never knew leaves nothing behind.
    QrPointer<QrAudioEmitter> stranger = new QrAudioEmitter;
    stranger = nullptr;
    EXPECT_EQ(manager.GetEmitterCount(), before);

    QrPointer<QrAudioEmitter> first = new QrAudioEmitter;
    QrPointer<QrAudioEmitter> second = new QrAudioEmitter;
    manager.AddEmitter(first.Get());
    manager.AddEmitter(first.Get());
    manager.AddEmitter(second.Get());
    EXPECT_EQ(manager.GetEmitterCount(), before + 2);
    QrAudioEmitter* gone = first.Get();
    first = nullptr;
    EXPECT_FALSE(manager.HasEmitter(gone));
    EXPECT_TRUE(manager.HasEmitter(second.Get()));

    // The exit teardown clears the emitters' source handles and forgets them; destroying an
    // emitter afterwards touches nothing that is gone.
    auto* record = static_cast<QrAudioEmitterInstance*>(second->GetCurrentInstance());
    record->m_sourceHandle = 42;
    manager.Shutdown();
    EXPECT_EQ(record->m_sourceHandle, 0u);
    EXPECT_EQ(manager.GetEmitterCount(), 0u);
    second = nullptr;
    EXPECT_EQ(manager.GetEmitterCount(), 0u);
}

TEST_F(QrAudioEmitterTest, InterfacesAreReleasedOnlyWhenHeld)
{
    CountingInterface audio;
    QrRSXAudioManager::ReleaseInterface(&audio);
    QrRSXAudioManager::ReleaseInterface(nullptr);
    EXPECT_EQ(audio.m_releases, 1u);

    // No engine operation gives the display an interface, so its release has nothing to do.
    QrPointer<QrDisplay> display = new QrDisplay;
    display->ReleaseAudio();
    display->ReleaseAudio();
}

// Emitters held by static references are released during exit, after the test fixtures and
// possibly after other static objects are gone; the manager must still be there for them.
TEST(QrAudioEmitterExitTest, EmittersReleasedAtExitFindTheManager)
{
    static QrPointer<QrAudioEmitter> heldUntilExit = new QrAudioEmitter;
    static QrPointer<QrAudioEmitter> alsoHeld = new QrAudioEmitter;
    QrRSXAudioManager::Get().AddEmitter(heldUntilExit.Get());
    QrRSXAudioManager::Get().AddEmitter(alsoHeld.Get());
    EXPECT_TRUE(QrRSXAudioManager::Get().HasEmitter(heldUntilExit.Get()));
}

} // namespace
