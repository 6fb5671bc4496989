// qrfdump: its listing and error report with test classes registered (in process), and the
// program itself on files made of engine classes only (as a user runs it).
#include "QrTestFixture.h"
#include "SceneDump.h"
#include "SceneFileBuilder.h"
#include "TestFiles.h"
#include "TestStreamObjects.h"
#include "ToolRun.h"

#include "QrCamera.h"
#include "QrNode.h"
#include "QrStream.h"
#include "QrTriShape.h"

#include "Files.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

class QrfDumpTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        RegisterTestStreamClasses();
    }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        const std::string path = m_dir.File(name);
        EXPECT_TRUE(plat::WriteFile(path, bytes.data(), bytes.size()));
        return path;
    }

    // Runs a dump function with a temporary file as its output.
    template <class F> static std::string Capture(F&& run, int& status)
    {
        std::FILE* out = std::tmpfile();
        status = run(out);
        std::string text;
        std::rewind(out);
        for (int c; (c = std::fgetc(out)) != EOF;)
            text.push_back(static_cast<char>(c));
        std::fclose(out);
        return text;
    }

    // Runs the qrfdump program; its exit status goes to status. What it printed on standard
    // output, then on standard error.
    static std::string Run(const std::string& arguments, int& status)
    {
        const toolrun::Result r = toolrun::Run(QRFDUMP_PATH, arguments);
        status = r.status;
        return r.out + r.err;
    }

    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines(1);
        for (char c : text)
        {
            if (c == '\n')
                lines.emplace_back();
            else
                lines.back().push_back(c);
        }
        if (lines.back().empty())
            lines.pop_back();
        return lines;
    }

    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(QrfDumpTest, ListsEveryObjectInFileOrderWithItsLinkIdAndTopLevelMark)
{
    QrPointer<TestLeaf> lure = TestLeaf::Make(1, "lure");
    QrPointer<TestHolder> boat = TestHolder::Make(lure.Get(), nullptr);
    boat->SetName("boat");
    QrPointer<TestLeaf> loose = TestLeaf::Make(2);
    QrAction::AddAction(TestAction::Make(3, lure.Get()).Get());
    std::string path;
    {
        QrStream saver;
        saver.InsertTopLevelObject(boat.Get());
        saver.InsertTopLevelObject(loose.Get());
        path = m_dir.File("scene.qrf");
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    QrAction::RemoveAll();

    int status = -1;
    const std::string text =
        Capture([&](std::FILE* out) { return qrfdump::DumpSceneFile(path.c_str(), out, out); }, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text, "version 2.2\n"
                    "objects 4, top-level 2\n"
                    "* #1 TestHolder \"boat\"\n"
                    "  #2 TestLeaf \"lure\"\n"
                    "* #3 TestLeaf\n"
                    "  #4 TestAction\n");
}

TEST_F(QrfDumpTest, PrintsTheNodeTreeWithSharedLeavesUnderEveryParent)
{
    const QrPoint3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrTriShape> leaf(new QrTriShape(3, corners, nullptr, 1, indices, nullptr, nullptr));
    leaf->SetName("leaf");
    QrPointer<QrNode> root(new QrNode);
    root->SetName("root");
    QrPointer<QrNode> left(new QrNode);
    left->SetTranslate(-1.5f, 0, 2);
    QrPointer<QrNode> inner(new QrNode);
    inner->SetName("inner");
    inner->SetTranslate(0, 0.25f, 0);
    QrPointer<QrNode> right(new QrNode);
    right->SetName("right");
    root->AttachChild(left.Get());
    left->AttachChild(inner.Get());
    inner->AttachChild(leaf.Get());
    root->AttachChild(right.Get());
    right->AttachChild(leaf.Get());
    QrPointer<QrTriShape> loose(new QrTriShape(3, corners, nullptr, 1, indices, nullptr, nullptr));
    const std::string path = m_dir.File("tree.qrf");
    {
        QrStream saver;
        saver.InsertTopLevelObject(root.Get());
        saver.InsertTopLevelObject(inner.Get()); // inside the tree: printed there only
        saver.InsertTopLevelObject(loose.Get());
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    int status = -1;
    const std::string text =
        Capture([&](std::FILE* out) { return qrfdump::DumpSceneFile(path.c_str(), out, out); }, status);
    EXPECT_EQ(status, 0);
    const std::string tree = text.substr(text.find("tree\n"));
    EXPECT_EQ(tree, "tree\n"
                    "  QrNode \"root\" at (0, 0, 0)\n"
                    "    QrNode at (-1.5, 0, 2)\n"
                    "      QrNode \"inner\" at (0, 0.25, 0)\n"
                    "        QrTriShape \"leaf\" at (0, 0, 0) [shared by 2 parents]\n"
                    "    QrNode \"right\" at (0, 0, 0)\n"
                    "      QrTriShape \"leaf\" at (0, 0, 0) [shared by 2 parents]\n"
                    "  QrTriShape at (0, 0, 0)\n");
}

TEST_F(QrfDumpTest, FrameGoesThroughTheFilesCameraInCallOrder)
{
    const QrPoint3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrNode> root(new QrNode);
    QrPointer<QrNode> slot(new QrNode);
    slot->SetTranslate(5, 0, 0);
    root->AttachChild(slot.Get());
    slot->AttachChild(QrPointer<QrTriShape>(new QrTriShape(3, corners, nullptr, 1, indices, nullptr, nullptr)).Get());
    QrPointer<QrCamera> camera(new QrCamera(0.5f, 50.0f));
    camera->SetName("eye");
    camera->SetSceneRoot(root.Get());
    const std::string path = m_dir.File("frame.qrf");
    {
        QrStream saver;
        saver.InsertTopLevelObject(camera.Get());
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    camera->SetSceneRoot(nullptr);

    int status = -1;
    const std::vector<std::string> lines =
        Lines(Capture([&](std::FILE* out) { return qrfdump::RenderSceneFrame(path.c_str(), out, out); }, status));
    EXPECT_EQ(status, 0);
    ASSERT_GE(lines.size(), 5u);
    EXPECT_EQ(lines[0], "camera \"eye\"");
    EXPECT_EQ(lines[1].rfind("SetCameraData ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[2], "BeginFrame");
    EXPECT_EQ(lines.back(), "EndFrame");
    std::vector<std::string> names;
    for (const std::string& line : lines)
        names.push_back(line.substr(0, line.find(' ')));
    const auto draw = std::find(names.begin(), names.end(), "RenderShape");
    ASSERT_NE(draw, names.end());
    EXPECT_EQ(draw[-1], "SetWorldTransform");
    EXPECT_NE(std::find(names.begin(), draw, "SetClipPlanes"), draw);
    EXPECT_EQ(lines[size_t(draw - names.begin())].rfind("RenderShape triangles=1 vertices=3 ", 0), 0u);
}

TEST_F(QrfDumpTest, FrameWithoutACameraFramesTheWorldBound)
{
    // Shapes far from the origin: the default camera would see none of them.
    const QrPoint3 corners[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    const uint16_t indices[] = {0, 1, 2};
    QrPointer<QrTriShape> shape(new QrTriShape(3, corners, nullptr, 1, indices, nullptr, nullptr));
    QrPointer<QrNode> root(new QrNode);
    root->SetTranslate(300, -40, 75);
    for (int i = 0; i < 3; ++i)
    {
        QrPointer<QrNode> slot(new QrNode);
        slot->SetTranslate(float(i) * 20.0f, float(i) * -5.0f, 0);
        slot->AttachChild(shape.Get());
        root->AttachChild(slot.Get());
    }
    const std::string path = m_dir.File("nocamera.qrf");
    {
        QrStream saver;
        saver.InsertTopLevelObject(root.Get());
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    int status = -1;
    const std::vector<std::string> lines =
        Lines(Capture([&](std::FILE* out) { return qrfdump::RenderSceneFrame(path.c_str(), out, out); }, status));
    EXPECT_EQ(status, 0);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "camera framing the world bound");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.rfind("RenderShape ", 0) == 0; }),
              3);

    // A file with nothing positioned has nothing to draw.
    const std::string empty = m_dir.File("empty.qrf");
    {
        QrStream saver;
        ASSERT_TRUE(saver.Save(empty.c_str()));
    }
    const std::string text =
        Capture([&](std::FILE* out) { return qrfdump::RenderSceneFrame(empty.c_str(), out, out); }, status);
    EXPECT_EQ(status, 1);
    EXPECT_NE(text.find("holds nothing to draw"), std::string::npos) << text;
}

TEST_F(QrfDumpTest, ShowsTheIdsAndVersionTheFileGave)
{
    const std::string path =
        Write("old.qrf", SceneFileBuilder("2.15").Leaf(30, 1, "thirty").TopLevel().Holder(7, 30, 0).End().Data());
    int status = -1;
    const std::string text =
        Capture([&](std::FILE* out) { return qrfdump::DumpSceneFile(path.c_str(), out, out); }, status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(text, "version 2.15\n"
                    "objects 2, top-level 1\n"
                    "  #30 TestLeaf \"thirty\"\n"
                    "* #7 TestHolder\n");
}

TEST_F(QrfDumpTest, FailedLoadPrintsCodeMessageAndContextAndFails)
{
    const std::string path = Write("bogus.qrf", SceneFileBuilder().Leaf(1, 1).Object("QrBogus", 2).End().Data());
    int status = -1;
    const std::string text =
        Capture([&](std::FILE* out) { return qrfdump::DumpSceneFile(path.c_str(), out, out); }, status);
    EXPECT_EQ(status, 1);
    const std::vector<std::string> lines = Lines(text);
    ASSERT_EQ(lines.size(), 2u) << text;
    EXPECT_EQ(lines[0], "error 5: QrBogus cannot find create function");
    EXPECT_EQ(lines[1].rfind("  at: " + path + ": record 2 (QrBogus), byte ", 0), 0u) << lines[1];
}

TEST_F(QrfDumpTest, RoundTripOfAnEngineFileIsByteIdentical)
{
    QrPointer<TestLeaf> shared = TestLeaf::Make(5, "shared", "label");
    QrPointer<TestHolder> a = TestHolder::Make(shared.Get(), shared.Get(), {1, 2});
    QrPointer<TestHolder> b = TestHolder::Make(nullptr, TestLeaf::Make(6).Get());
    QrAction::AddAction(TestAction::Make(1).Get());
    QrAction::AddAction(TestAction::Make(2, shared.Get()).Get());
    const std::string in = m_dir.File("in.qrf");
    {
        QrStream saver;
        saver.InsertTopLevelObject(a.Get());
        saver.InsertTopLevelObject(b.Get());
        ASSERT_TRUE(saver.Save(in.c_str()));
    }
    QrAction::RemoveAll();

    const std::string out = m_dir.File("out.qrf");
    int status = -1;
    Capture([&](std::FILE* log) { return qrfdump::RoundTripSceneFile(in.c_str(), out.c_str(), log); }, status);
    QrAction::RemoveAll();
    EXPECT_EQ(status, 0);
    Bytes inBytes;
    Bytes outBytes;
    ASSERT_TRUE(plat::ReadFile(in, inBytes));
    ASSERT_TRUE(plat::ReadFile(out, outBytes));
    EXPECT_EQ(inBytes, outBytes);
}

// ---------------------------------------------------------------- the program

TEST_F(QrfDumpTest, ProgramDumpsAnEmptyScene)
{
    const std::string path = m_dir.File("empty.qrf");
    {
        QrStream saver;
        ASSERT_TRUE(saver.Save(path.c_str()));
    }
    int status = -1;
    EXPECT_EQ(Run(path, status), "version 2.2\nobjects 0, top-level 0\n");
    EXPECT_EQ(status, 0);
}

TEST_F(QrfDumpTest, ProgramReportsEachLoadErrorAndExitsWithOne)
{
    const std::string prefix(QrStream::kFormatLine, QrStream::kFormatPrefixLength);
    struct Case
    {
        Bytes bytes;
        std::string firstLine;
    };
    const Case cases[] = {
        {SceneFileBuilder::WithLines("not a scene").End().Data(), "error 2: is not a QRF file"},
        {SceneFileBuilder::WithLines(prefix + "2.1").End().Data(), "error 3: 2.10 is older version, expecting 2.2"},
        {SceneFileBuilder::WithLines(prefix + "2.3").End().Data(), "error 4: 2.30 is later version, expecting 2.2"},
        {SceneFileBuilder().Leaf(1, 1).End().Data(), "error 5: TestLeaf cannot find create function"},
        {SceneFileBuilder().Data(), "error 2: is not a QRF file"},
    };
    int n = 0;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.firstLine);
        const std::string path = Write("case" + std::to_string(n++) + ".qrf", c.bytes);
        int status = -1;
        const std::vector<std::string> lines = Lines(Run(path, status));
        EXPECT_EQ(status, 1);
        ASSERT_EQ(lines.size(), 2u);
        EXPECT_EQ(lines[0], c.firstLine);
        EXPECT_EQ(lines[1].rfind("  at: " + path + ": ", 0), 0u) << lines[1];

        // The round trip reports a failed load the same way.
        const std::vector<std::string> again = Lines(Run("--roundtrip " + path + " " + m_dir.File("x.qrf"), status));
        EXPECT_EQ(status, 1);
        ASSERT_FALSE(again.empty());
        EXPECT_EQ(again[0], c.firstLine);
    }
}

TEST_F(QrfDumpTest, ProgramRoundTripsAnEngineFile)
{
    const std::string in = m_dir.File("in.qrf");
    const std::string out = m_dir.File("out.qrf");
    {
        QrStream saver;
        ASSERT_TRUE(saver.Save(in.c_str()));
    }
    int status = -1;
    EXPECT_EQ(Run("--roundtrip " + in + " " + out, status), "");
    EXPECT_EQ(status, 0);
    Bytes inBytes;
    Bytes outBytes;
    ASSERT_TRUE(plat::ReadFile(in, inBytes));
    ASSERT_TRUE(plat::ReadFile(out, outBytes));
    EXPECT_EQ(inBytes, outBytes);

    Run("--roundtrip " + in + " " + m_dir.File("no/folder/out.qrf"), status);
    EXPECT_NE(status, 0);
}
