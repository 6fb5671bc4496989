#include "FrameworkSceneTest.h"

#include "qrxFrameworkClasses.h"
#include "qrxGraphSearcher.h"
#include "qrxSceneFiles.h"

#include "TestFiles.h"
#include "gen/GenFrameworkModels.h"

#include "Qr3dsAnimationNode.h"

#include "Files.h"

void FrameworkSceneTest::SetUp()
{
    QrEngineTest::SetUp();
    RegisterFrameworkClasses();
    ASSERT_TRUE(plat::ReadFile(DataFile(gen::kBassFile), m_bass));
}

std::string FrameworkSceneTest::DataFile(const char* relative)
{
    return testfiles::DataDir() + "/" + relative;
}

QrPointer<QrAVObject> FrameworkSceneTest::CutFromBass(const char* nodeName)
{
    QrPointer<QrAVObject> model = LoadSceneNode(m_bass.data(), m_bass.size(), nodeName);
    EXPECT_TRUE(model) << nodeName;
    return model;
}

Qr3dsAnimationNode* FrameworkSceneTest::AnimationNode(QrObject* root, const char* name)
{
    return QrDynamicCast<Qr3dsAnimationNode>(qrxGraphSearcher().Find(root, name));
}
