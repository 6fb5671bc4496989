// The kitchen-sink generator keeps its promise against the class registry: a registered class
// it does not hold is an error naming the class, and it will not write while actions run.
#include "QrTestFixture.h"
#include "TestFiles.h"
#include "TestStreamObjects.h"

#include "gen/GenKitchenSink.h"
#include "gen/SampleData.h"

#include "Qr3dsSkinAndBone.h"
#include "QrAction.h"
#include "QrEngineAnimationClasses.h"
#include "QrImage.h"
#include "QrNode.h"

#include "Files.h"

#include <algorithm>
#include <string>
#include <vector>

namespace
{

// A renderer's image class: its own class record, never registered.
class RendererImage final : public QrImage
{
    QR_DECLARE_RTTI

public:
    bool LoadFromFile() override { return true; }
    bool LoadFromRawData() override { return true; }

protected:
    ~RendererImage() override = default;
};

QR_IMPLEMENT_RTTI(RendererImage, QrImage)

class GenKitchenSinkTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterEngineAnimationClasses();
    }

    void TearDown() override
    {
        // Skin bindings made while classes were probed stay on their program-wide list.
        Qr3dsSkinAndBone::FreeSharedBuffers();
        QrEngineTest::TearDown();
    }

    static bool Wrote(const gen::Context& context)
    {
        const auto& written = context.Written();
        return std::find(written.begin(), written.end(), gen::kKitchenSinkFile) != written.end();
    }
};

} // namespace

TEST_F(GenKitchenSinkTest, EveryRegisteredClassTheSceneLacksIsAnError)
{
    // The test classes are registered too, and the scene holds none of them: exactly those are
    // reported, so every engine class was found in the file.
    RegisterTestStreamClasses();
    std::vector<std::string> expected;
    for (const std::string& name : gen::ConcreteRegisteredClasses())
        if (name.compare(0, 4, "Test") == 0)
            expected.push_back(std::string(gen::kKitchenSinkFile) + " holds no object of the registered class " + name);
    ASSERT_GE(expected.size(), 3u);

    testfiles::TempDir dir;
    gen::Context context(dir.Path());
    gen::GenerateKitchenSink(context);
    EXPECT_EQ(context.Errors(), expected);
    EXPECT_TRUE(Wrote(context));
    EXPECT_TRUE(plat::FileExists(dir.File(gen::kKitchenSinkFile)));
    // The check read the file back, which started its flip-book; nothing may keep running.
    EXPECT_EQ(QrAction::GetActionCount(), 0u);
}

TEST_F(GenKitchenSinkTest, NothingIsWrittenWhileAnActionRuns)
{
    RegisterTestStreamClasses();
    QrPointer<TestAction> action = TestAction::Make(7);
    QrAction::AddAction(action.Get());
    testfiles::TempDir dir;
    gen::Context context(dir.Path());
    gen::GenerateKitchenSink(context);
    EXPECT_FALSE(context.Ok());
    EXPECT_FALSE(Wrote(context));
    EXPECT_FALSE(plat::FileExists(dir.File(gen::kKitchenSinkFile)));
    EXPECT_EQ(QrAction::GetActionCount(), 1u); // the caller's action is left alone
}

TEST_F(GenKitchenSinkTest, AbstractClassesAreNotAskedFor)
{
    const std::vector<std::string> names = gen::ConcreteRegisteredClasses();
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    for (const char* concrete : {"QrNode", "QrImage", "QrDisplay", "Qr3dsBone"})
        EXPECT_TRUE(std::count(names.begin(), names.end(), concrete)) << concrete;
    for (const char* abstract : {"QrObject", "QrAVObject", "QrGeometry", "QrAction", "Qr3dsPropertyAnimator"})
        EXPECT_FALSE(std::count(names.begin(), names.end(), abstract)) << abstract;
}

TEST_F(GenKitchenSinkTest, ImagesOfUnregisteredClassesAreStoredAsTheirBase)
{
    QrPointer<QrImage> image(new RendererImage);
    EXPECT_STREQ(image->GetRTTI()->GetName(), "RendererImage");
    EXPECT_STREQ(gen::StoredClassName(image.Get()), "QrImage");
    QrPointer<QrNode> node(new QrNode);
    EXPECT_STREQ(gen::StoredClassName(node.Get()), "QrNode");
    EXPECT_EQ(gen::StoredClassName(nullptr), nullptr);
}
