// Sector Properties and the About box, opened from the menu and answered
// as a user would; heights checked in the saved file.
#include "editor_fixture.h"

#include "resource.h"

class SectorProperties : public EditorTest {
protected:
    // A loaded level with one sector at cell (1, 1), selected by a click:
    // the level is not modified.
    void StartWithSelectedSector(unsigned floor, unsigned ceiling)
    {
        StartWithFile("props.vrk", MakeLevelFile(0, 0, {{1, 1, 2, 2, floor, ceiling}}));
        ASSERT_TRUE(ClickAt(editor_.window, CellCentre(1), CellCentre(1)));
        ExpectTitle("props.vrk", false);
    }

    HWND OpenDialog()
    {
        PostCommand(editor_.window, IDM_SECTOR_PROPERTIES);
        HWND dialog = WaitForDialog(editor_.processId, "Sector Properties");
        EXPECT_NE(dialog, nullptr) << "Sector Properties did not open";
        return dialog;
    }

    void ExpectHeightsShown(HWND dialog, const char* floor, const char* ceiling)
    {
        EXPECT_EQ(GetDlgItemString(dialog, IDC_FLOOR_HEIGHT), floor) << "edit 1000";
        EXPECT_EQ(GetDlgItemString(dialog, IDC_CEILING_HEIGHT), ceiling) << "edit 1001";
    }

    void EnterHeights(HWND dialog, const std::string& floor, const std::string& ceiling)
    {
        SetDlgItemString(dialog, IDC_FLOOR_HEIGHT, floor);
        SetDlgItemString(dialog, IDC_CEILING_HEIGHT, ceiling);
    }

    void Press(HWND dialog, int button)
    {
        PressDialogButton(dialog, button);
        EXPECT_TRUE(WaitForWindowGone(dialog)) << "Sector Properties did not close";
    }

    // Saves and checks the one sector's heights in the file.
    void ExpectSavedHeights(unsigned floor, unsigned ceiling)
    {
        SaveAndExpectFile("props.vrk", MakeLevelFile(0, 0, {{1, 1, 2, 2, floor, ceiling}}));
    }
};

TEST_F(SectorProperties, NewSectorShows128And132)
{
    Start();
    AddSectorAt(2, 3);
    ASSERT_TRUE(ClickAt(editor_.window, CellCentre(2), CellCentre(3)));  // select it
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectHeightsShown(dialog, "128", "132");
    Press(dialog, IDCANCEL);
}

TEST_F(SectorProperties, CancelChangesNothing)
{
    StartWithSelectedSector(10, 20);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectHeightsShown(dialog, "10", "20");
    EnterHeights(dialog, "1", "2");
    Press(dialog, IDCANCEL);
    ExpectNoDialog();
    ExpectTitle("props.vrk", false);
    ExpectSavedHeights(10, 20);
}

// OK stores what the edits hold, marks the level modified, and the heights
// reach the file. Empty text reads as 0.
struct AcceptedHeights {
    const char* floor;
    const char* ceiling;
    unsigned storedFloor;
    unsigned storedCeiling;
};

namespace {

const AcceptedHeights ACCEPTED_HEIGHTS[] = {
    {"200", "7", 200, 7},
    {"", "", 0, 0},
    {"0", "255", 0, 255},
    {"010", "", 10, 0},
    {" 12 ", "\t7", 12, 7},  // spaces around the digits
};

}  // namespace

TEST_F(SectorProperties, OkStoresHeightsAndMarksModified)
{
    StartWithSelectedSector(10, 20);
    for (const AcceptedHeights& c : ACCEPTED_HEIGHTS) {
        SCOPED_TRACE(std::string("floor \"") + c.floor + "\", ceiling \"" + c.ceiling + "\"");
        HWND dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr);
        EnterHeights(dialog, c.floor, c.ceiling);
        Press(dialog, IDOK);
        ExpectTitle("props.vrk", true);
        ExpectSavedHeights(c.storedFloor, c.storedCeiling);
    }
}

TEST_F(SectorProperties, OkWithoutSelectionStillMarksModified)
{
    StartWithFile("props.vrk", MakeLevelFile(0, 0, {{1, 1, 2, 2, 10, 20}}));
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ExpectHeightsShown(dialog, "", "");
    Press(dialog, IDOK);
    ExpectTitle("props.vrk", true);
    ExpectSavedHeights(10, 20);
}

TEST_F(SectorProperties, EnterAtOnceConfirmsShownValues)
{
    StartWithSelectedSector(10, 20);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(TypeChordInto(dialog, {VK_RETURN}));
    EXPECT_TRUE(WaitForWindowGone(dialog)) << "Enter did not confirm the dialog";
    ExpectTitle("props.vrk", true);
    ExpectSavedHeights(10, 20);
}

// A height above 255, or text that is not a number, is refused with a box,
// the dialog stays open with the focus on the offending edit, and nothing
// changes until a good value is given.
struct RefusedHeights {
    const char* floor;
    const char* ceiling;
    int refusedEdit;
    const char* message;
};

namespace {

const RefusedHeights REFUSED_HEIGHTS[] = {
    {"300", "20", IDC_FLOOR_HEIGHT, "The floor height must be a number from 0 to 255."},
    {"10", "256", IDC_CEILING_HEIGHT, "The ceiling height must be a number from 0 to 255."},
    {"99999999999", "20", IDC_FLOOR_HEIGHT, "The floor height must be a number from 0 to 255."},
    {"1000", "1000", IDC_FLOOR_HEIGHT, "The floor height must be a number from 0 to 255."},
    // Longer than the system's number reader looks at: judged on the whole text.
    {"20", "0000000000000000000000000000001000", IDC_CEILING_HEIGHT,
     "The ceiling height must be a number from 0 to 255."},
    // Not a number: refused on every system, never read as its digits or 0.
    {"12abc", "20", IDC_FLOOR_HEIGHT, "The floor height must be a number from 0 to 255."},
    {"10", "-1", IDC_CEILING_HEIGHT, "The ceiling height must be a number from 0 to 255."},
};

}  // namespace

TEST_F(SectorProperties, HeightAbove255IsRefusedAndDialogStays)
{
    StartWithSelectedSector(10, 20);
    for (const RefusedHeights& c : REFUSED_HEIGHTS) {
        SCOPED_TRACE(std::string("floor \"") + c.floor + "\", ceiling \"" + c.ceiling + "\"");
        HWND dialog = OpenDialog();
        ASSERT_NE(dialog, nullptr);
        EnterHeights(dialog, c.floor, c.ceiling);
        PressDialogButton(dialog, IDOK);
        AnswerOwnedBox(dialog, "Sector Properties", c.message, IDOK);
        EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed on a refused height";
        HWND edit = GetDlgItem(dialog, c.refusedEdit);
        HWND focus = WaitForFocusOn(dialog, edit);
        EXPECT_EQ(focus, edit) << "focus: expected edit " << c.refusedEdit << ", got control "
                               << GetDlgCtrlID(focus);
        ExpectTitle("props.vrk", false);
        Press(dialog, IDCANCEL);
    }
    ExpectSavedHeights(10, 20);
}

TEST_F(SectorProperties, RefusedHeightCorrectedThenAccepted)
{
    StartWithSelectedSector(10, 20);
    HWND dialog = OpenDialog();
    ASSERT_NE(dialog, nullptr);
    EnterHeights(dialog, "300", "20");
    PressDialogButton(dialog, IDOK);
    AnswerOwnedBox(dialog, "Sector Properties", nullptr, IDOK);
    SetDlgItemString(dialog, IDC_FLOOR_HEIGHT, "255");
    Press(dialog, IDOK);
    ExpectTitle("props.vrk", true);
    ExpectSavedHeights(255, 20);
}

class About : public EditorTest {};

TEST_F(About, MenuCommandOpensItAndOkClosesIt)
{
    Start();
    PostCommand(editor_.window, IDM_ABOUT);
    HWND about = WaitForDialog(editor_.processId, "About Quillmarch");
    ASSERT_NE(about, nullptr) << "the About box did not open";
    EXPECT_EQ(GetWindow(about, GW_OWNER), editor_.window) << "owner of the About box";
    PressDialogButton(about, IDOK);
    EXPECT_TRUE(WaitForWindowGone(about)) << "OK did not close the About box";
    ExpectNoDialog();
    ExpectTitle("[Untitled]", false);
}
