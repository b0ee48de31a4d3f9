// Inputs longer than any buffer, given to the real editor under Wine: a
// 32,000-character path on the command line, quoted and not; dropped paths
// of 32,000 characters and of more than the system's path limit; a level
// whose name makes the title longer than the old 128-character title
// buffer. Each has one clear outcome and leaves the editor working.
#include "save_fault_fixture.h"

#include "resource.h"

namespace {

const size_t HUGE_PATH_CHARS = 32000;
const size_t SYSTEM_PATH_LIMIT = 260;  // MAX_PATH, terminator included

// "C:\qm\dir dir dir\...\level.vrk", exactly `length` characters, spaces
// included so an unquoted path has several words.
std::string MakeHugePath(size_t length)
{
    std::string path = "C:\\qm";
    while (path.size() < length - 10)
        path += "\\dir dir dir";
    path.resize(length - 10);
    return path + "\\level.vrk";
}

const Bytes LEVEL_BYTES = MakeLevelFile(1, 2, {{1, 2, 3, 4, 50, 60}});

}  // namespace

class LongInputs : public SaveFaultTest {
protected:
    // The editor runs and works: a sector added, Save asks for a name (no
    // path was remembered) and is cancelled, then File, Exit, answered No,
    // ends it with 0.
    void ExpectUntitledAndWorking()
    {
        ExpectTitle("[Untitled]", false);
        ExpectNoDialog();
        AddSectorAt(4, 4);
        ExpectTitle("[Untitled]", true);
        ASSERT_TRUE(TypeChordInto(editor_.window, {VK_CONTROL, 'S'})) << "Ctrl+S could not be typed";
        CancelFileDialog();
        ExpectNoDialog();
        PostCommand(editor_.window, IDM_EXIT);
        AnswerBox("Unsaved changes", "Would you like to save your changes?", IDNO);
        ExpectExitAfter(false);
    }

    // After a refused drop the level and its file are as they were.
    void ExpectLevelKept(const std::string& name)
    {
        ExpectNoDialog();
        ExpectTitle(name, false);
        PostCommand(editor_.window, IDM_FILE_SAVE);
        ExpectTitle(name, false);
        ExpectSameBytes(PathOf(name), LEVEL_BYTES);
    }
};

TEST_F(LongInputs, QuotedCommandLinePathOf32000CharactersStartsUntitled)
{
    std::string path = MakeHugePath(HUGE_PATH_CHARS);
    ASSERT_EQ(path.size(), HUGE_PATH_CHARS);
    Start("\"" + path + "\"");
    ExpectUntitledAndWorking();
}

TEST_F(LongInputs, UnquotedCommandLinePathOf32000CharactersStartsUntitled)
{
    std::string path = MakeHugePath(HUGE_PATH_CHARS);
    Start(path);
    ExpectUntitledAndWorking();
}

TEST_F(LongInputs, DroppedPathOf32000CharactersIsRefusedWithTheBox)
{
    StartWithFile("kept.vrk", LEVEL_BYTES);
    ExpectTitle("kept.vrk", false);
    ASSERT_TRUE(DropFilesOn(&editor_, {MakeHugePath(HUGE_PATH_CHARS)})) << "the drop could not be made";
    AnswerBox("Error", "Unable to read level from file.", IDOK);
    ExpectLevelKept("kept.vrk");
}

// A level that exists, at a path longer than the system's limit: made with
// the wide calls, which take such paths, then dropped by its plain path.
// Either the editor loads it or it says it cannot; never anything between.
TEST_F(LongInputs, DroppedLevelBeyondThePathLimitLoadsOrIsRefused)
{
    StartWithFile("kept.vrk", LEVEL_BYTES);
    std::string path = folder_;
    while (path.size() < 400) {
        path += "\\" + std::string(100, 'd');
        std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
        ASSERT_TRUE(CreateDirectoryW(wide.c_str(), nullptr)) << "cannot create a folder " << path.size()
                                                             << " characters long";
    }
    path += "\\far.vrk";
    std::wstring wide = L"\\\\?\\" + std::wstring(path.begin(), path.end());
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot create a file " << path.size() << " characters long";
    DWORD written = 0;
    WriteFile(file, LEVEL_BYTES.data(), static_cast<DWORD>(LEVEL_BYTES.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, LEVEL_BYTES.size());

    ASSERT_TRUE(DropFilesOn(&editor_, {path})) << "the drop could not be made";
    // The drop is posted: wait for one outcome or the other.
    HWND box = nullptr;
    bool loaded = false;
    DWORD start = GetTickCount();
    while (!box && !loaded && GetTickCount() - start < DRIVER_TIMEOUT_MS) {
        box = FindProcessWindow(editor_.processId, "#32770", "Error", nullptr);
        loaded = GetWindowTitle(editor_.window) == ExpectedTitle("far.vrk", false);
        Sleep(10);
    }
    ASSERT_TRUE(box || loaded) << "neither loaded nor refused; title \"" << GetWindowTitle(editor_.window) << "\"";
    if (box) {
        EXPECT_EQ(GetMessageBoxText(box), "Unable to read level from file.");
        PressDialogButton(box, IDOK);
        EXPECT_TRUE(WaitForWindowGone(box));
        ExpectLevelKept("kept.vrk");
    }
    // The folders go by their wide names; the fixture's removal cannot reach them.
    DeleteFileW(wide.c_str());
    while (path.size() > folder_.size() + 1) {
        path.resize(path.find_last_of('\\'));
        if (path.size() > folder_.size())
            RemoveDirectoryW((L"\\\\?\\" + std::wstring(path.begin(), path.end())).c_str());
    }
}

// The longest name the system allows in the test's folder: the title is
// longer than the 128 characters the title once had, shown whole, and the
// level saves back to that file.
TEST_F(LongInputs, LongestFileNameShowsWholeInTheTitleAndSavesBack)
{
    size_t nameLength = SYSTEM_PATH_LIMIT - 1 - (folder_.size() + 1);
    std::string name = std::string(nameLength - 4, 'n') + ".vrk";
    std::string path = PathOf(name);
    ASSERT_EQ(path.size(), SYSTEM_PATH_LIMIT - 1);
    ASSERT_GT(ExpectedTitle(name, false).size(), 128u);

    StartEditingFile(path, LEVEL_BYTES);
    ExpectTitle(name, true);
    ASSERT_TRUE(TypeChordInto(editor_.window, {VK_CONTROL, 'S'})) << "Ctrl+S could not be typed";
    ExpectTitle(name, false);
    ExpectNoDialog();
    ExpectSameBytes(path, EditedLevel(LEVEL_BYTES));
    EXPECT_EQ(static_cast<size_t>(GetWindowTextLengthA(editor_.window)), ExpectedTitle(name, false).size())
        << "length of the title text";
}
