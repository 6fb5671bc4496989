#include "AnimationTestFixture.h"
#include "KeyTestHelpers.h"
#include "StreamTestHelpers.h"
#include "TestFiles.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsMorphShape.h"
#include "Qr3dsParticleSystem.h"
#include "Qr3dsPathController.h"
#include "Qr3dsSkin.h"
#include "Qr3dsSkinAndBone.h"
#include "QrAction.h"
#include "QrMaterialProperty.h"
#include "QrMeshCollider.h"
#include "QrParticleBomb.h"
#include "QrStream.h"

#include "Files.h"

#include <cmath>
#include <string>
#include <vector>

namespace
{

class QrAnimationSampleTest : public QrAnimationTest
{
protected:
    static std::string Sample(const char* name) { return testfiles::DataDir() + "/Data/Engine/Animation/" + name; }

    static void ExpectByteIdenticalResave(const QrStream& stream, const std::string& file)
    {
        std::vector<uint8_t> original;
        ASSERT_TRUE(plat::ReadFile(file, original));
        QrStream out;
        for (uint32_t i = 0; i < stream.GetTopLevelCount(); ++i)
            out.InsertTopLevelObject(stream.GetTopLevelAt(i));
        std::vector<uint8_t> again;
        ASSERT_TRUE(out.SaveToMemory(again));
        EXPECT_EQ(again, original) << file;
    }

    static Qr3dsAnimationNode* Find(QrAVObject* root, const char* name)
    {
        return QrDynamicCast<Qr3dsAnimationNode>(root->GetObjectByName(name));
    }
};

TEST_F(QrAnimationSampleTest, AnimatedModelHasEveryKeyKindOnNamedNodes)
{
    const std::string file = Sample("animated_model.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    ExpectByteIdenticalResave(stream, file);
    auto* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    EXPECT_STREQ(root->GetName(), "Scene Root");

    const std::pair<const char*, uint32_t> rotations[] = {{"body", QrRotKey::kTypeLinear},
                                                          {"arm", QrRotKey::kTypeBezier},
                                                          {"hand", QrRotKey::kTypeTCB},
                                                          {"head", QrRotKey::kTypeEuler}};
    for (const auto& [name, type] : rotations)
    {
        Qr3dsAnimationNode* node = Find(root, name);
        ASSERT_NE(node, nullptr) << name;
        ASSERT_GT(node->GetRotArraySize(), 0) << name;
        EXPECT_EQ(node->GetRotKeys()[0]->GetType(), type) << name;
        EXPECT_EQ(node->GetMode(), QrAnimTiming::kModeUpdate) << name;
    }
    EXPECT_EQ(Find(root, "body")->GetPosKeys()[0]->GetType(), QrAnimKey::kTypeLinear);
    EXPECT_EQ(Find(root, "arm")->GetPosKeys()[0]->GetType(), QrAnimKey::kTypeBezier);
    EXPECT_EQ(Find(root, "hand")->GetPosKeys()[0]->GetType(), QrAnimKey::kTypeTCB);
    EXPECT_EQ(Find(root, "body")->GetRotKeys()[1]->m_interpClass, QrRotKey::kClassFixedAxis)
        << "the spin of more than a turn";

    Qr3dsAnimationNode* flag = Find(root, "flag");
    ASSERT_NE(flag, nullptr);
    EXPECT_EQ(flag->GetRotArraySize(), 0);
    EXPECT_EQ(flag->GetPosCount(), 0);
    static_cast<QrAnimTiming&>(*flag).Update(0.5f);
    EXPECT_EQ(flag->GetAppCulled(), 0);
    static_cast<QrAnimTiming&>(*flag).Update(1.5f);
    EXPECT_EQ(flag->GetAppCulled(), 1);

    Qr3dsAnimationNode* body = Find(root, "body");
    static_cast<QrAnimTiming&>(*body).Update(3.0f);
    EXPECT_EQ(body->GetTranslate(), QrPoint3(2.0f, 0.0f, 0.5f)) << "the loop starts again at 2 s";
}

TEST_F(QrAnimationSampleTest, PathsAreOneOpenAndOneClosed)
{
    const std::string file = Sample("paths.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 2u);
    ExpectByteIdenticalResave(stream, file);
    auto* open = QrDynamicCast<Qr3dsPathController>(stream.GetTopLevelAt(0));
    auto* closed = QrDynamicCast<Qr3dsPathController>(stream.GetTopLevelAt(1));
    ASSERT_TRUE(open && closed);
    EXPECT_TRUE(open->IsOpenPath());
    EXPECT_FALSE(closed->IsOpenPath());
    EXPECT_GT(closed->GetTotalLength(), 40.0f);
    static_cast<QrAnimTiming&>(*closed).Update(8.0f);
    EXPECT_EQ(closed->GetTranslate(), QrPoint3(0.0f, 0.0f, 0.0f)) << "the loop's end is its start";
    static_cast<QrAnimTiming&>(*open).Update(1.5f);
    EXPECT_EQ(open->GetTranslate(), QrPoint3(10.0f, 0.0f, 0.0f)) << "parameter 1: the second key";
}

TEST_F(QrAnimationSampleTest, AlphaAnimatorFadesTheNodesMaterial)
{
    const std::string file = Sample("alpha_fade.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 2u);
    ExpectByteIdenticalResave(stream, file);
    auto* fader = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    auto* animator = QrDynamicCast<Qr3dsAlphaAnimator>(stream.GetTopLevelAt(1));
    ASSERT_TRUE(fader && animator);
    auto* material = QrDynamicCast<QrMaterialProperty>(animator->GetTarget());
    ASSERT_NE(material, nullptr);
    bool attached = false;
    for (QrProperty* property : fader->GetPropertyList())
        attached = attached || property == material;
    EXPECT_TRUE(attached) << "the animator drives the node's own material";
    static_cast<QrAnimTiming&>(*animator).Update(1.5f);
    EXPECT_FLOAT_EQ(material->m_alpha, 0.2f);
    // Reverse cycle: 2.5 s runs back to 1.5 s.
    static_cast<QrAnimTiming&>(*animator).Update(2.5f);
    EXPECT_FLOAT_EQ(material->m_alpha, 0.2f);
}

TEST_F(QrAnimationSampleTest, DamagedSamplesFailCleanly)
{
    for (const char* name : {"animated_model.qrf", "paths.qrf", "alpha_fade.qrf", "skinned_model.qrf", "blast.qrf",
                             "morph_sheet.qrf", "fountain.qrf"})
    {
        std::vector<uint8_t> valid;
        ASSERT_TRUE(plat::ReadFile(Sample(name), valid)) << name;
        streamtest::SweepDamage(valid, 200,
                                [&](const std::vector<uint8_t>& bytes, const std::string& what)
                                {
                                    QrStream stream;
                                    const bool loaded = stream.LoadFromMemory(bytes.data(), bytes.size());
                                    if (bytes.size() < valid.size())
                                    {
                                        EXPECT_FALSE(loaded) << name << " " << what;
                                    }
                                    else if (!loaded)
                                    {
                                        EXPECT_EQ(stream.GetLoadedCount(), 0u) << name << " " << what;
                                    }
                                    QrAction::RemoveAll();
                                });
    }
}

TEST_F(QrAnimationSampleTest, SkinnedModelBendsWithItsBones)
{
    const std::string file = Sample("skinned_model.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 2u);
    ExpectByteIdenticalResave(stream, file);
    auto* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    auto* binding = QrDynamicCast<Qr3dsSkinAndBone>(stream.GetTopLevelAt(1));
    ASSERT_TRUE(root && binding);
    auto* body = QrDynamicCast<Qr3dsSkin>(root->GetObjectByName("body"));
    ASSERT_NE(body, nullptr);
    ASSERT_EQ(binding->GetSkinCount(), 1u);
    EXPECT_EQ(binding->GetSkinAt(0), body);
    EXPECT_EQ(binding->GetMode(), QrAnimTiming::kModeUpdate);
    // Every bone names the binding, whose timing part the framework steps.
    for (const char* name : {"pelvis", "spine", "neck", "thigh"})
    {
        auto* bone = QrDynamicCast<Qr3dsBone>(root->GetObjectByName(name));
        ASSERT_NE(bone, nullptr) << name;
        EXPECT_EQ(bone->GetLinkedObject(), binding) << name;
    }
    // At rest the tube stands straight: ring r at height r / 2.
    EXPECT_EQ(body->GetVertices()[0], QrPoint3(0.4f, 0.0f, 0.0f));
    EXPECT_EQ(body->GetVertices()[32], QrPoint3(0.4f, 0.0f, 2.0f));

    // At 1 s the pelvis has turned 0.3 about z and the spine bent 0.5 about x.
    static_cast<QrAnimTiming&>(*binding).Update(1.0f);
    ExpectPointNear(body->GetVertices()[0], {0.4f * std::cos(0.3f), 0.4f * std::sin(0.3f), 0.0f});
    // Ring 3 follows the spine rigidly: each vertex keeps its distance from the spine's origin.
    auto* spine = QrDynamicCast<Qr3dsBone>(root->GetObjectByName("spine"));
    for (int i = 24; i < 32; ++i)
        EXPECT_NEAR((body->GetVertices()[i] - spine->m_skinTranslation).Length(), std::sqrt(0.16f + 0.25f), 1e-5f);
    // The top ring leans over with the spine: its +y side is carried past the axis.
    EXPECT_LT(body->GetVertices()[34].y, 0.0f);
    // The loop closes: 3 s looks like 0 s.
    static_cast<QrAnimTiming&>(*binding).Update(3.0f);
    ExpectPointNear(body->GetVertices()[34], {0.0f, 0.4f, 2.0f});
}

TEST_F(QrAnimationSampleTest, MorphSheetBulgesAndTilts)
{
    const std::string file = Sample("morph_sheet.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    ExpectByteIdenticalResave(stream, file);
    auto* sheet = QrDynamicCast<Qr3dsMorphShape>(stream.GetTopLevelAt(0));
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(sheet->GetRelative(), 1);
    EXPECT_EQ(sheet->GetTargetCount(), 3);
    static_cast<QrAnimTiming&>(*sheet).Update(1.0f);
    EXPECT_EQ(sheet->GetRelative(), 0);
    EXPECT_EQ(sheet->GetVertices()[4], QrPoint3(0.0f, 0.0f, 1.0f)) << "the bulge";
    EXPECT_EQ(sheet->GetVertices()[0], QrPoint3(-1.0f, -1.0f, 0.0f));
    static_cast<QrAnimTiming&>(*sheet).Update(2.0f);
    EXPECT_EQ(sheet->GetVertices()[4], QrPoint3(0.0f, 0.0f, 0.5f));
    EXPECT_EQ(sheet->GetVertices()[0], QrPoint3(-1.0f, -1.0f, -0.5f)) << "half the bulge and the whole tilt";
    static_cast<QrAnimTiming&>(*sheet).Update(3.5f);
    EXPECT_GT(sheet->GetVertices()[4].z, 0.0f) << "looping: 3.5 s is 0.5 s";
}

TEST_F(QrAnimationSampleTest, FountainFillsAndStaysAboveItsBasin)
{
    const std::string file = Sample("fountain.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ExpectByteIdenticalResave(stream, file);
    auto* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    auto* fountain = QrDynamicCast<Qr3dsParticleSystem>(root->GetObjectByName("fountain"));
    ASSERT_NE(fountain, nullptr);
    QrParticles* drops = fountain->GetGeometry();
    ASSERT_NE(drops, nullptr);
    EXPECT_EQ(QrForce::CountChain(fountain->GetForces()), 1u);
    EXPECT_EQ(QrForce::CountChain(fountain->GetColliders()), 2u);
    root->UpdateAllInstances();

    QrAnimTiming& timing = *fountain;
    timing.Update(0.5f);
    EXPECT_EQ(fountain->GetActiveCount(), 2u) << "the two stored drops";
    uint32_t bounced = 0;
    for (int frame = 1; frame <= 120; ++frame)
    {
        timing.Update(0.5f + float(frame) / 30.0f);
        for (uint32_t i = 0; i < fountain->GetActiveCount(); ++i)
        {
            const QrPoint3& p = fountain->GetPositions()[i];
            ASSERT_GE(p.z, -0.5f - 1e-4f) << "frame " << frame;
            if (p.z < 0.0f && fountain->GetVelocities()[i].z > 0.0f)
                ++bounced;
        }
    }
    EXPECT_GT(bounced, 0u) << "drops come back up from the basin";
    EXPECT_GT(fountain->GetActiveCount(), 30u);
    EXPECT_LE(fountain->GetActiveCount(), 48u);
    EXPECT_EQ(drops->GetActiveCount(), fountain->GetActiveCount());
    EXPECT_EQ(fountain->GetPositions(), drops->GetVertices()) << "the drops are the geometry's vertices";
}

TEST_F(QrAnimationSampleTest, BlastAndMeshColliderJoinTheSpraysChains)
{
    const std::string file = Sample("blast.qrf");
    QrStream stream;
    ASSERT_TRUE(stream.Load(file.c_str())) << QrStream::LastErrorContext;
    ExpectByteIdenticalResave(stream, file);
    auto* root = QrDynamicCast<QrNode>(stream.GetTopLevelAt(0));
    ASSERT_NE(root, nullptr);
    auto* spray = QrDynamicCast<Qr3dsParticleSystem>(root->GetObjectByName("spray"));
    ASSERT_NE(spray, nullptr);
    QrParticleBomb* blast = nullptr;
    for (QrForce* force = spray->GetForces(); force; force = force->GetNext())
        if (!blast)
            blast = QrDynamicCast<QrParticleBomb>(force);
    ASSERT_NE(blast, nullptr);
    EXPECT_EQ(QrForce::CountChain(spray->GetForces()), 2u) << "gravity and the blast";
    EXPECT_EQ(blast->m_symmetry, uint32_t(QrParticleBomb::kSymmetryCylindrical));
    EXPECT_FLOAT_EQ(blast->m_startTime, 1.0f);
    QrMeshCollider* mesh = nullptr;
    for (QrForce* collider = spray->GetColliders(); collider; collider = collider->GetNext())
        if (!mesh)
            mesh = QrDynamicCast<QrMeshCollider>(collider);
    ASSERT_NE(mesh, nullptr);
    EXPECT_EQ(QrForce::CountChain(spray->GetColliders()), 3u);
    // The collider names the rock of the same file, not a copy.
    EXPECT_EQ(mesh->GetMesh(), root->GetObjectByName("rock"));
}

} // namespace
