#include "AnimationTestFixture.h"
#include "TestFiles.h"

#include "Qr3dsAlphaAnimator.h"
#include "Qr3dsAnimationNode.h"
#include "Qr3dsPathController.h"
#include "QrMaterialProperty.h"
#include "QrStream.h"

#include "Files.h"

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

TEST_F(QrAnimationSampleTest, EveryPrefixOfTheSamplesFailsCleanly)
{
    for (const char* name : {"animated_model.qrf", "paths.qrf", "alpha_fade.qrf", "skeleton.qrf"})
    {
        std::vector<uint8_t> valid;
        ASSERT_TRUE(plat::ReadFile(Sample(name), valid)) << name;
        for (size_t n = 0; n < valid.size(); ++n)
        {
            QrStream stream;
            EXPECT_FALSE(stream.LoadFromMemory(valid.data(), n)) << name << " prefix " << n;
        }
    }
}

} // namespace
