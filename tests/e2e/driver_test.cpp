// The driver itself: start, read the title, exit with code 0.
#include "editor_fixture.h"

#include "resource.h"

class Driver : public EditorTest {};

TEST_F(Driver, StartsReadsTitleAndSeesExitCode)
{
    Start();
    ExpectTitle("[Untitled]", false);
    PostCommand(editor_.window, IDM_EXIT);
    DWORD code = 1234;
    ASSERT_TRUE(WaitForExit(&editor_, &code)) << "the editor did not exit after File, Exit";
    EXPECT_EQ(code, 0u) << "exit code";
}
