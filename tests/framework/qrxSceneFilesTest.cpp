// Models cut from scene files on disk and in memory, the model node that holds one at a time,
// and the vector helpers beside them.
#include "FrameworkSceneTest.h"

#include "qrxModel.h"
#include "qrxSceneFiles.h"
#include "qrxVectorMath.h"

#include "TestFiles.h"
#include "gen/GenFrameworkModels.h"

#include "QrNode.h"
#include "QrStream.h"

#include "Files.h"

#include <cmath>

namespace
{

class qrxSceneFilesTest : public FrameworkSceneTest
{
protected:
    // Two top-level trees, each holding a node named "Pike" (at x = 1 and x = 2).
    static std::vector<uint8_t> TwoPikes()
    {
        std::vector<QrPointer<QrNode>> tops;
        for (float x : {1.0f, 2.0f})
        {
            QrPointer<QrNode> top(new QrNode);
            QrPointer<QrNode> pike(new QrNode);
            pike->SetName("Pike");
            pike->SetTranslate(x, 0, 0);
            top->AttachChild(pike.Get());
            tops.push_back(top);
        }
        QrStream saver;
        for (const QrPointer<QrNode>& top : tops)
            saver.InsertTopLevelObject(top.Get());
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(saver.SaveToMemory(bytes));
        return bytes;
    }
};

class CountingModel : public qrxModel
{
public:
    void OnModelLoaded(QrAVObject* model) override { m_seen = model; }
    QrAVObject* m_seen = nullptr;

protected:
    ~CountingModel() override = default;
};

TEST_F(qrxSceneFilesTest, TheFirstTopLevelTreeHoldingTheNameGivesAFreeNode)
{
    const std::vector<uint8_t> bytes = TwoPikes();
    QrPointer<QrAVObject> first = LoadSceneNode(bytes.data(), bytes.size(), "Pike");
    QrPointer<QrAVObject> second = LoadSceneNode(bytes.data(), bytes.size(), "Pike");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->GetTranslate().x, 1.0f);
    EXPECT_NE(first, second) << "each load makes its own node";
    EXPECT_EQ(first->GetParent(), nullptr) << "cut from its tree";
    EXPECT_EQ(first->GetRefCount(), 1u) << "the stream and the tree let go";
    EXPECT_FALSE(LoadSceneNode(bytes.data(), bytes.size(), "Perch"));
    EXPECT_FALSE(LoadSceneNode(bytes.data(), bytes.size() / 2, "Pike"));

    testfiles::TempDir dir;
    ASSERT_TRUE(plat::WriteFile(dir.File("pikes.qrf"), bytes.data(), bytes.size()));
    EXPECT_EQ(LoadSceneObject(dir.File("pikes.qrf").c_str(), "Pike")->GetTranslate().x, 1.0f);
    EXPECT_FALSE(LoadSceneObject(dir.File("none.qrf").c_str(), "Pike"));
}

TEST_F(qrxSceneFilesTest, FilesComeIntoMemoryWholeAndEmptyOnesNotAtAll)
{
    testfiles::TempDir dir;
    ASSERT_TRUE(plat::WriteFile(dir.File("empty.bin"), "", 0));
    size_t size = 7;
    EXPECT_EQ(LoadFileToMemory(dir.File("empty.bin").c_str(), size), nullptr);
    EXPECT_EQ(size, 0u);
    const std::unique_ptr<uint8_t[]> block = LoadFileToMemory(DataFile(gen::kBassFile).c_str(), size);
    ASSERT_EQ(size, m_bass.size());
    EXPECT_TRUE(std::equal(m_bass.begin(), m_bass.end(), block.get()));
}

TEST_F(qrxSceneFilesTest, AModelHoldsOneLoadedModelAtATime)
{
    const std::string file = DataFile(gen::kBassFile);
    QrPointer<CountingModel> holder(new CountingModel);
    ASSERT_TRUE(holder->Load(file.c_str(), "Body"));
    QrPointer<QrAVObject> first = holder->GetModel();
    EXPECT_EQ(holder->m_seen, first.Get());
    EXPECT_EQ(first->GetParent(), holder.Get());

    ASSERT_TRUE(holder->Load(file.c_str(), "Tail"));
    EXPECT_EQ(first->GetParent(), nullptr) << "the first model is taken off";
    EXPECT_EQ(holder->GetNonEmptyChildCount(), 1u);
    QrPointer<QrAVObject> tail = holder->GetModel();

    EXPECT_FALSE(holder->Load(file.c_str(), "Nobody"));
    EXPECT_EQ(holder->GetModel(), tail.Get()) << "a failed load keeps what is shown";
    EXPECT_EQ(tail->GetParent(), holder.Get());
    holder = nullptr;
    EXPECT_EQ(tail->GetParent(), nullptr);
}

TEST_F(qrxSceneFilesTest, ZeroVectorsMeetAtARightAngleAndCirclesClose)
{
    EXPECT_FLOAT_EQ(AngleBetween(QrPoint3(), QrPoint3(2, 0, 0)), std::acos(0.0f));
    QrPoint3 points[5];
    points[1] = QrPoint3(9, 9, 9);
    MakeCirclePoints(1, points, 2.0f);
    EXPECT_EQ(points[0], QrPoint3(0, 0, 2));
    EXPECT_EQ(points[1], QrPoint3(9, 9, 9)) << "one point only";
    MakeCirclePoints(5, points, 2.0f);
    EXPECT_NEAR(points[1].y, 2.0f, 1e-4f) << "a quarter turn per step about the first axis";
    EXPECT_NEAR(points[4].z, 2.0f, 1e-3f) << "the last point closes the circle";
    MakeCirclePoints(3, nullptr, 1.0f);
}

} // namespace
