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

namespace {

const Bytes FIRST_LEVEL = MakeLevelFile(2, 2, {{0, 0, 3, 1, 11, 22}});
const Bytes SECOND_LEVEL = MakeLevelFile(4, 4, {{5, 5, 6, 6, 33, 44}});

}  // namespace

TEST_F(DroppedFiles, DroppedFileIsLoaded)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("first.vrk"), FIRST_LEVEL));
    Start();
    Drop({PathOf("first.vrk")});
    ExpectTitle("first.vrk", false);
    ExpectNoDialog();
    SaveAndExpectFile("first.vrk", FIRST_LEVEL);
}

TEST_F(DroppedFiles, OnlyFirstOfSeveralIsLoaded)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("first.vrk"), FIRST_LEVEL));
    ASSERT_TRUE(WriteFileBytes(PathOf("second.vrk"), SECOND_LEVEL));
    Start();
    Drop({PathOf("first.vrk"), PathOf("second.vrk")});
    ExpectTitle("first.vrk", false);
    SaveThroughDialog(IDM_FILE_SAVE_AS, "out.vrk");
    ExpectFileBytes(PathOf("out.vrk"), FIRST_LEVEL);
}

TEST_F(DroppedFiles, PathLongerThan128CharactersIsTakenWhole)
{
    std::string name = std::string(150, 'x') + ".vrk";
    ASSERT_GT(PathOf(name).size(), 128u);
    ASSERT_TRUE(WriteFileBytes(PathOf(name), FIRST_LEVEL)) << "cannot write " << PathOf(name);
    Start();
    Drop({PathOf(name)});
    ExpectTitle(name, false);
    ExpectNoDialog();
}
