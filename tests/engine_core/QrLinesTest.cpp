// Line geometry: carried through files with its optional arrays and count word, never drawn,
// picked or collided by the engine.

#include "GeometryFamilyTestHelpers.h"

#include "QrColorA.h"
#include "QrLines.h"
#include "QrPick.h"

using namespace familytest;
using geomtest::RoundTrip;
using geomtest::Save;

namespace
{

const QrPoint3 kVertices[] = {{5, 0, 0}, {6, 1, 0}, {7, 0, 1}, {8, 1, 1}};
const QrPoint3 kNormals[] = {{0, 1, 0}, {0, 1, 0}, {0, 0, 1}, {0, 0, 1}};
const QrPoint3 kCoords[] = {{0, 0, 0}, {0.5f, 0, 0}, {1, 0, 0}, {1, 1, 0.5f}};
const QrColorA kColors[] = {{1, 0, 0, 1}, {0, 1, 0, 1}, {0, 0, 1, 0.5f}, {1, 1, 1, 0}};

QrPointer<QrLines> MakeLines(const QrPoint3* coords = kCoords, const QrColorA* colors = kColors, uint16_t word = 2)
{
    return QrPointer<QrLines>(new QrLines(4, kVertices, kNormals, coords, colors, word));
}

class QrLinesTest : public QrEngineTest
{
};

class QrLinesDrawTest : public DrawTest
{
};

} // namespace

TEST_F(QrLinesTest, FilesKeepTheArraysThatArePresentAndTheCountWord)
{
    QrPointer<QrLines> full = RoundTrip<QrLines>(MakeLines().Get());
    ASSERT_TRUE(full);
    EXPECT_EQ(full->GetCountWord(), 2);
    EXPECT_EQ(full->GetColors()[2], kColors[2]);
    EXPECT_EQ(full->GetTextureCoords()[3], kCoords[3]);

    QrPointer<QrLines> bare = RoundTrip<QrLines>(MakeLines(nullptr, nullptr, 0).Get());
    ASSERT_TRUE(bare);
    EXPECT_EQ(bare->GetTextureCoords(), nullptr);
    EXPECT_EQ(bare->GetColors(), nullptr);
}

TEST_F(QrLinesTest, EveryFieldTakesPartInTheComparison)
{
    QrPointer<QrLines> lines = MakeLines();
    EXPECT_TRUE(lines->IsEqual(MakeLines().Get()));
    EXPECT_FALSE(lines->IsEqual(MakeLines(kCoords, kColors, 3).Get()));
    EXPECT_FALSE(lines->IsEqual(MakeLines(nullptr).Get()));
    EXPECT_FALSE(lines->IsEqual(MakeLines(kCoords, nullptr).Get()));
    QrColorA changed[4] = {kColors[0], kColors[1], kColors[2], kColors[3]};
    changed[3].a = 0.5f;
    EXPECT_FALSE(lines->IsEqual(MakeLines(kCoords, changed).Get()));
    QrPoint3 moved[4] = {kCoords[0], kCoords[1], kCoords[2], kCoords[3]};
    moved[0].z = 1.0f;
    EXPECT_FALSE(lines->IsEqual(MakeLines(moved).Get()));
}

TEST_F(QrLinesTest, LinesAreNeitherPickedNorCollided)
{
    QrPointer<QrLines> lines = MakeLines();
    QrPointer<QrLines> other = MakeLines();
    lines->UpdateAllInstances();
    other->UpdateAllInstances();
    QrPick pick;
    EXPECT_FALSE(lines->FindIntersections(QrPoint3(0, 0, 0), QrPoint3(1, 0, 0), pick, nullptr));
    EXPECT_EQ(pick.GetResultCount(), 0u);
    QrCollisionRecord a = RecordFor(lines.Get(), lines->GetCurrentInstance());
    QrCollisionRecord b = RecordFor(other.Get(), other->GetCurrentInstance());
    EXPECT_FALSE(lines->TestCollisions(0.0f, a, b));
    EXPECT_EQ(DataOf(lines->GetCurrentInstance()), nullptr);
    // Nothing to compute either.
    lines->CalculateNormals();
    EXPECT_EQ(lines->GetNormals()[2], kNormals[2]);
}

TEST_F(QrLinesDrawTest, LinesInAViewedSceneDrawNothing)
{
    QrPointer<QrLines> lines = MakeLines();
    m_root->AttachChild(lines.Get());
    const std::vector<std::string> names = DrawFrame();
    EXPECT_TRUE(m_render->m_calls.empty());
    EXPECT_EQ(std::find(names.begin(), names.end(), "RenderLines"), names.end());
    EXPECT_EQ(std::find(names.begin(), names.end(), "SetClipPlanes"), names.end());
}
