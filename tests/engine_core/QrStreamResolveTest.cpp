#include "QrTestFixture.h"
#include "TestFiles.h"

#include "QrStream.h"

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace
{

// Works inside a temporary folder made the current folder, and puts the old one back.
class QrStreamResolve : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        fs::current_path(m_dir.Path());
    }
    void TearDown() override
    {
        fs::current_path(m_savedCwd);
        QrEngineTest::TearDown();
    }

    void MakeFile(const std::string& path) const
    {
        const fs::path p = fs::path(path).is_absolute() ? fs::path(path) : fs::path(m_dir.File(path));
        fs::create_directories(p.parent_path());
        std::ofstream(p) << "x";
    }
    // Saves an empty scene at path and loads it, so the stream knows its file.
    void LoadSceneAt(QrStream& stream, const std::string& path) const
    {
        fs::create_directories(fs::path(path).parent_path());
        QrStream writer;
        ASSERT_TRUE(writer.Save(path.c_str()));
        ASSERT_TRUE(stream.Load(path.c_str()));
    }

    fs::path m_savedCwd = fs::current_path();
    testfiles::TempDir m_dir;
};

} // namespace

TEST_F(QrStreamResolve, NameAsWrittenWithEitherSeparatorAndAnyCase)
{
    MakeFile("Textures/Wood.BMP");
    QrStream stream;
    std::string name = "textures\\WOOD.bmp";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, "Textures/Wood.BMP");

    name = m_dir.Path() + "\\TEXTURES/wood.bmp";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, m_dir.File("Textures/Wood.BMP"));
}

TEST_F(QrStreamResolve, BareNameInTheCurrentFolder)
{
    MakeFile("Rock.tga");
    QrStream stream;
    std::string name = "C:\\Art\\Rocks\\ROCK.TGA";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, "Rock.tga");
}

TEST_F(QrStreamResolve, BareNameBesideTheLoadedFile)
{
    MakeFile("Scenes/Sky.bmp");
    fs::create_directories("Elsewhere");
    fs::current_path("Elsewhere");

    QrStream stream;
    std::string name = "Art\\sky.BMP";
    EXPECT_FALSE(stream.ResolveFileName(name)) << "no loaded file yet";
    EXPECT_EQ(name, "Art\\sky.BMP");

    LoadSceneAt(stream, m_dir.File("Scenes/lake.qrf"));
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, m_dir.File("Scenes/Sky.bmp"));
}

TEST_F(QrStreamResolve, TriesInOrderAsWrittenThenCurrentFolderThenBesideTheFile)
{
    MakeFile("Art/x.bmp");
    MakeFile("x.bmp");
    MakeFile("Scenes/x.bmp");
    QrStream stream;
    LoadSceneAt(stream, m_dir.File("Scenes/lake.qrf"));

    std::string name = "ART\\X.BMP";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, "Art/x.bmp");

    fs::remove("Art/x.bmp");
    name = "ART\\X.BMP";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, "x.bmp");

    fs::remove("x.bmp");
    name = "ART\\X.BMP";
    EXPECT_TRUE(stream.ResolveFileName(name));
    EXPECT_EQ(name, m_dir.File("Scenes/x.bmp"));
}

TEST_F(QrStreamResolve, MissingFileOrFolderLeavesTheNameUnchanged)
{
    fs::create_directories("Art/pic.bmp");
    QrStream stream;
    for (std::string name : {"Art\\missing.bmp", "art\\PIC.BMP", "Art\\", ""})
    {
        const std::string before = name;
        EXPECT_FALSE(stream.ResolveFileName(name)) << before;
        EXPECT_EQ(name, before);
    }
}

TEST_F(QrStreamResolve, PathsLongerThan259CharactersAreRefused)
{
    // A relative name of exactly 259 characters resolves; one of 260 does not, though it exists.
    const std::string folder(200, 'd');
    const std::string fits = folder + "/" + std::string(58, 'f');
    const std::string tooLong = folder + "/" + std::string(59, 'f');
    ASSERT_EQ(fits.size(), 259u);
    MakeFile(fits);
    MakeFile(tooLong);
    QrStream stream;
    std::string name = fits;
    EXPECT_TRUE(stream.ResolveFileName(name));
    name = tooLong;
    EXPECT_FALSE(stream.ResolveFileName(name));
    EXPECT_EQ(name, tooLong);
}

TEST_F(QrStreamResolve, FolderOfTheLoadedFileCountsTowardsTheLimit)
{
    const std::string bare = "pic.bmp";
    // Folder length that makes folder + "/" + bare exactly 260 characters.
    const size_t folderLength = 260 - (m_dir.Path().size() + 1) - 1 - bare.size();
    if (folderLength < 2 || folderLength > 255)
        GTEST_SKIP() << "temporary folder path too long for this case";
    const std::string longFolder = m_dir.File(std::string(folderLength, 'L'));
    const std::string shortFolder = m_dir.File(std::string(folderLength - 1, 'S'));
    MakeFile(longFolder + "/" + bare);
    MakeFile(shortFolder + "/" + bare);

    QrStream longStream;
    LoadSceneAt(longStream, longFolder + "/s.qrf");
    std::string name = bare;
    EXPECT_FALSE(longStream.ResolveFileName(name));
    EXPECT_EQ(name, bare);

    QrStream shortStream;
    LoadSceneAt(shortStream, shortFolder + "/s.qrf");
    EXPECT_TRUE(shortStream.ResolveFileName(name));
    EXPECT_EQ(name, shortFolder + "/" + bare);
    EXPECT_EQ(name.size(), 259u);
}
