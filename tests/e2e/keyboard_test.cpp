// Real keystrokes through the system's input queue, the message loop and
// the accelerator table.
#include "editor_fixture.h"

#include "resource.h"

class Accelerators : public EditorTest {
protected:
    void Type(std::initializer_list<WORD> keys)
    {
        ASSERT_TRUE(TypeChordInto(editor_.window, keys))
            << "the main window did not become the foreground window";
    }
};

namespace {

const Bytes LEVEL_BYTES = MakeLevelFile(0, 0, {{1, 1, 2, 2, 90, 100}});

}  // namespace

TEST_F(Accelerators, CtrlNStartsNewLevel)
{
    StartWithFile("keys.vrk", LEVEL_BYTES);
    Type({VK_CONTROL, 'N'});
    ExpectTitle("[Untitled]", false);
}

TEST_F(Accelerators, CtrlOShowsOpenDialog)
{
    ASSERT_TRUE(WriteFileBytes(PathOf("typed.vrk"), LEVEL_BYTES));
    Start();
    Type({VK_CONTROL, 'O'});
    ChooseInFileDialog(PathOf("typed.vrk"));
    ExpectTitle("typed.vrk", false);
}

TEST_F(Accelerators, CtrlSSavesToRememberedFile)
{
    StartWithFile("keys.vrk", LEVEL_BYTES);
    AddSectorAt(4, 1);
    ExpectTitle("keys.vrk", true);
    Type({VK_CONTROL, 'S'});
    ExpectTitle("keys.vrk", false);
    ExpectNoDialog();
    ExpectFileBytes(PathOf("keys.vrk"),
                    MakeLevelFile(0, 0, {{1, 1, 2, 2, 90, 100}, {4, 1, 5, 2, 128, 132}}));
}

TEST_F(Accelerators, CtrlSOnUntitledLevelAsksForName)
{
    Start();
    Type({VK_CONTROL, 'S'});
    ChooseInFileDialog(PathOf("named.vrk"));
    ExpectTitle("named.vrk", false);
    ExpectFileBytes(PathOf("named.vrk"), EMPTY_LEVEL_FILE);
}

TEST_F(Accelerators, CtrlShiftSAsksForNewNameEvenWithOne)
{
    StartWithFile("keys.vrk", LEVEL_BYTES);
    Type({VK_CONTROL, VK_SHIFT, 'S'});
    ChooseInFileDialog(PathOf("copy.vrk"));
    ExpectTitle("copy.vrk", false);
    ExpectFileBytes(PathOf("copy.vrk"), LEVEL_BYTES);
}

// Alt+/ and Alt+? (Shift+/ on a US keyboard) both open the About box, and
// Escape closes it; the level and the title are untouched.
TEST_F(Accelerators, AltSlashAndAltQuestionOpenAboutEscapeCloses)
{
    StartWithFile("keys.vrk", LEVEL_BYTES);
    const std::initializer_list<WORD> chords[] = {{VK_MENU, VK_OEM_2},
                                                  {VK_MENU, VK_SHIFT, VK_OEM_2}};
    for (const auto& chord : chords) {
        SCOPED_TRACE(chord.size() == 2 ? "Alt+/" : "Alt+?");
        Type(chord);
        HWND about = WaitForDialog(editor_.processId, "About Quillmarch");
        ASSERT_NE(about, nullptr) << "the About box did not open";
        ASSERT_TRUE(TypeChordInto(about, {VK_ESCAPE}));
        EXPECT_TRUE(WaitForWindowGone(about)) << "Escape did not close the About box";
        ExpectNoDialog();
        ExpectTitle("keys.vrk", false);
    }
}
