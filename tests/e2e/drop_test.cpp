// Files dropped on the main window, including paths longer than the old
// 128-character buffer.
#include "editor_fixture.h"

#include "resource.h"

class DroppedFiles : public EditorTest {
protected:
    void Drop(const std::vector<std::string>& paths)
    {
        ASSERT_TRUE(DropFilesOn(&editor_, paths)) << "the drop was not delivered";
    }
};

static const Bytes kFirst = MakeLevelFile(2, 2, {{0, 0, 3, 1, 11, 22}});
static const Bytes kSecond = MakeLevelFile(4, 4, {{5, 5, 6, 6, 33, 44}});

TEST_F(DroppedFiles, DroppedFileIsLoaded)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("first.vrk"), kFirst));
    Start();
    Drop({PathOf("first.vrk")});
    ExpectTitle("first.vrk", false);
    ExpectNoDialog();
    SaveAndExpectFile("first.vrk", kFirst);
}

TEST_F(DroppedFiles, OnlyFirstOfSeveralIsLoaded)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("first.vrk"), kFirst));
    ASSERT_TRUE(WriteFileBytes(PathOf("second.vrk"), kSecond));
    Start();
    Drop({PathOf("first.vrk"), PathOf("second.vrk")});
    ExpectTitle("first.vrk", false);
    SaveThroughDialog(IDM_FILE_SAVE_AS, "out.vrk");
    ExpectFileBytes(PathOf("out.vrk"), kFirst);
}

// While the version warning is up the map takes no edit, which the load
// going on after it would silently replace; the level is then the file's.
TEST_F(DroppedFiles, VersionWarningBlocksTheWindowThenFileLoads)
{
    const Bytes old = MakeLevelFile(3, 2, {{0, 0, 2, 2, 10, 20}}, {}, 1);
    ASSERT_TRUE(WriteFileBytes(PathOf("v1.vrk"), old));
    Start();
    Drop({PathOf("v1.vrk")});
    ExpectLoadWarningBlocksTheWindow("Expected map version 2, file is version 1.");
    ExpectTitle("v1.vrk", false);
    ExpectNoDialog();
    SaveAndExpectFile("v1.vrk", old);
}

TEST_F(DroppedFiles, UnreadableFileShowsErrorAndKeepsLevel)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("kept.vrk"), kSecond));
    Start("\"" + PathOf("kept.vrk") + "\"");
    Drop({PathOf("missing.vrk")});
    AnswerBox("Error", "Unable to read level from file.", IDOK);
    ExpectNoDialog();
    ExpectTitle("kept.vrk", false);
    SaveAndExpectFile("kept.vrk", kSecond);
}

TEST_F(DroppedFiles, PathLongerThan128CharactersIsTakenWhole)
{
    std::string name = std::string(150, 'x') + ".vrk";
    ASSERT_GT(PathOf(name).size(), 128u);
    ASSERT_TRUE(WriteFileBytes(PathOf(name), kFirst)) << "cannot write " << PathOf(name);
    Start();
    Drop({PathOf(name)});
    ExpectTitle(name, false);
    ExpectNoDialog();
}
