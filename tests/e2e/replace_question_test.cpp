// New, Open and a dropped file replace the level: with unsaved changes they
// first ask the close request's question, and forget the selection after.
#include "editor_fixture.h"

#include "resource.h"

enum Trigger { BY_NEW,
               BY_OPEN,
               BY_DROP };

class AskBeforeReplacing : public EditorTest, public ::testing::WithParamInterface<Trigger> {
protected:
    // "other.vrk" is what Open chooses and what is dropped.
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_TRUE(WriteFileBytes(PathOf("other.vrk"), OTHER_LEVEL));
    }

    void Replace()
    {
        switch (GetParam()) {
        case BY_NEW: PostCommand(editor_.window, IDM_FILE_NEW); break;
        case BY_OPEN: PostCommand(editor_.window, IDM_FILE_OPEN); break;
        case BY_DROP:
            ASSERT_TRUE(DropFilesOn(&editor_, {PathOf("other.vrk")})) << "drop not delivered";
            break;
        }
    }

    // After the question (if any): Open still has its dialog to fill in.
    void FinishReplacing()
    {
        if (GetParam() == BY_OPEN)
            ChooseInFileDialog(PathOf("other.vrk"));
        ExpectTitle(GetParam() == BY_NEW ? "[Untitled]" : "other.vrk", false);
    }

    void AnswerQuestion(int button)
    {
        AnswerBox("Unsaved changes", "Would you like to save your changes?", button);
    }

    const Bytes OTHER_LEVEL = MakeLevelFile(9, 9, {{8, 8, 9, 9, 1, 2}});
    const Bytes MINE_LEVEL = MakeLevelFile(0, 0, {{0, 0, 1, 1, 30, 40}});
    const Bytes MINE_EDITED_LEVEL = MakeLevelFile(0, 0, {{0, 0, 1, 1, 30, 40}, {3, 0, 4, 1, 128, 132}});
};

TEST_P(AskBeforeReplacing, UnmodifiedLevelIsReplacedWithoutQuestion)
{
    StartWithFile("mine.vrk", MINE_LEVEL);
    Replace();
    FinishReplacing();
    ExpectNoDialog();
}

TEST_P(AskBeforeReplacing, CancelChangesNothing)
{
    StartWithFile("mine.vrk", MINE_LEVEL);
    AddSectorAt(3, 0);
    ExpectTitle("mine.vrk", true);
    Replace();
    AnswerQuestion(IDCANCEL);
    ExpectNoDialog();
    ExpectTitle("mine.vrk", true);

    SaveAndExpectFile("mine.vrk", MINE_EDITED_LEVEL);
}

TEST_P(AskBeforeReplacing, NoDropsTheChanges)
{
    StartWithFile("mine.vrk", MINE_LEVEL);
    AddSectorAt(3, 0);
    Replace();
    AnswerQuestion(IDNO);
    FinishReplacing();
    ExpectFileBytes(PathOf("mine.vrk"), MINE_LEVEL);
}

TEST_P(AskBeforeReplacing, YesSavesFirst)
{
    StartWithFile("mine.vrk", MINE_LEVEL);
    AddSectorAt(3, 0);
    Replace();
    AnswerQuestion(IDYES);
    FinishReplacing();
    ExpectFileBytes(PathOf("mine.vrk"), MINE_EDITED_LEVEL);
}

TEST_P(AskBeforeReplacing, YesWithCancelledSaveStops)
{
    Start();
    AddSectorAt(3, 0);
    Replace();
    AnswerQuestion(IDYES);
    CancelFileDialog();
    ExpectNoDialog();
    ExpectTitle("[Untitled]", true);
}

TEST_P(AskBeforeReplacing, SelectionIsForgotten)
{
    StartWithFile("mine.vrk", MINE_LEVEL);
    ASSERT_TRUE(ClickAt(editor_.window, CellCentre(0), CellCentre(0)));  // selects slot 0
    Replace();
    FinishReplacing();

    // Run directly, the dialog shows what is selected: nothing.
    PostCommand(editor_.window, IDM_SECTOR_PROPERTIES);
    HWND dialog = WaitForDialog(editor_.processId, "Sector Properties");
    ASSERT_NE(dialog, nullptr) << "Sector Properties did not open";
    EXPECT_EQ(GetDlgItemString(dialog, IDC_FLOOR_HEIGHT), "") << "floor height edit";
    EXPECT_EQ(GetDlgItemString(dialog, IDC_CEILING_HEIGHT), "") << "ceiling height edit";
    PressDialogButton(dialog, IDCANCEL);
    EXPECT_TRUE(WaitForWindowGone(dialog));
}

namespace {

std::string TriggerName(const ::testing::TestParamInfo<Trigger>& info)
{
    static const char* const names[] = {"New", "Open", "Drop"};
    return names[info.param];
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(Commands, AskBeforeReplacing, ::testing::Values(BY_NEW, BY_OPEN, BY_DROP),
                         TriggerName);
