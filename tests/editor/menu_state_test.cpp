// In-process: the main window created in the test's own process, so the
// state of its menu can be read (Wine cannot read another process's menu),
// and a remembered path can be longer than any file dialog returns.
// Boxes and file dialogs that a command opens are answered from a second
// thread while the command runs.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "driver.h"
#include "level_file.h"
#include "main_window.h"
#include "mouse_edit.h"
#include "resource.h"

namespace {

// Answers the next dialog or box of this process with `button`, from its
// own thread, and remembers what it showed.
class Answerer {
public:
    explicit Answerer(int button)
        : thread_([this, button] {
              HWND box = WaitForAnyDialog(GetCurrentProcessId());
              if (!box)
                  return;
              caption_ = GetWindowTitle(box);
              text_ = GetMessageBoxText(box);
              PressDialogButton(box, button);
          })
    {
    }
    ~Answerer() { Finish(); }
    void Finish()
    {
        if (thread_.joinable())
            thread_.join();
    }
    const std::string& Caption()
    {
        Finish();
        return caption_;
    }
    const std::string& Text()
    {
        Finish();
        return text_;
    }

private:
    std::string caption_;
    std::string text_;
    std::thread thread_;
};

// A drop handle as the shell makes it: DROPFILES, then the path.
HDROP MakeDrop(const std::string& path)
{
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT,
                                 sizeof(DROPFILES) + path.size() + 2);
    char* block = static_cast<char*>(GlobalLock(memory));
    DROPFILES* header = reinterpret_cast<DROPFILES*>(block);
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(block + sizeof(DROPFILES), path.c_str(), path.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

}  // namespace

class MenuState : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        LoadEditorStrings(instance);
        RegisterMainClass(instance);
    }

    void SetUp() override
    {
        folder_ = CreateTempFolder();
        ASSERT_FALSE(folder_.empty());
        ASSERT_TRUE(WriteFileBytes(Path("two.vrk"), TWO_SECTORS));
        FreeLevel(&g_level);
        g_level = NewLevel();
        ResetEditState();
        ASSERT_TRUE(CreateMainWindow(GetModuleHandleA(nullptr), SW_SHOWNORMAL));
        window_ = GetMainWindow();
        Drop(Path("two.vrk"));  // a level with sectors at cells (0, 0) and (2, 0)
        ASSERT_EQ(g_level.sectorCount, 2) << "the test level did not load";
    }

    void TearDown() override
    {
        DestroyWindow(window_);
        // Destroying posted the quit message; left in the queue it would end
        // the next test's first modal dialog at once.
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        }
        RemoveFolderTree(folder_);
    }

    std::string Path(const char* name) const { return folder_ + "\\" + name; }

    void Command(int id) { SendMessageA(window_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
    void Drop(const std::string& path)
    {
        SendMessageA(window_, WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(path)), 0);
    }
    void Press(UINT message, int column, int row)
    {
        SendMessageA(window_, message, MK_LBUTTON, MAKELPARAM(column * 16 + 8, row * 16 + 8));
    }
    void Click(int column, int row)
    {
        Press(WM_LBUTTONDOWN, column, row);
        Press(WM_LBUTTONUP, column, row);
    }
    void RightClick(int x, int y) { SendMessageA(window_, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(x, y)); }
    // File, Open on a file cut short: returns the text of the box it raises.
    std::string OpenFailing()
    {
        EXPECT_TRUE(WriteFileBytes(Path("short.vrk"), {2, 0}));
        std::string errorText;
        std::thread user([this, &errorText] {
            HWND dialog = WaitForAnyDialog(GetCurrentProcessId());
            if (!dialog)
                return;
            ConfirmFileDialog(dialog, Path("short.vrk"));
            WaitForWindowGone(dialog);
            HWND box = WaitForAnyDialog(GetCurrentProcessId());
            errorText = GetMessageBoxText(box);
            PressDialogButton(box, IDOK);
        });
        Command(IDM_FILE_OPEN);
        user.join();
        return errorText;
    }
    void SelectFirstSector()
    {
        Click(0, 0);
        ASSERT_TRUE(IsEnabled()) << "a press on a sector did not enable Sector Properties";
    }
    bool IsEnabled()
    {
        UINT state = GetMenuState(GetMenu(window_), IDM_SECTOR_PROPERTIES, MF_BYCOMMAND);
        EXPECT_NE(state, static_cast<UINT>(-1)) << "no Sector Properties item in the menu";
        return !(state & (MF_GRAYED | MF_DISABLED));
    }

    const Bytes TWO_SECTORS = {2, 0, 0, 0, 0, 2, 0, 0, 0,
                               0, 0, 0, 0, 1, 0, 1, 0, 128, 132,
                               2, 0, 0, 0, 3, 0, 1, 0, 128, 132};
    std::string folder_;
    HWND window_ = nullptr;
};

// Sector Properties is enabled exactly while a sector is selected. Each
// action starts from a fresh window with the first sector selected; `shown`
// is the caption or text of the box or dialog the action raised.
TEST_F(MenuState, SectorPropertiesAfterEachAction)
{
    // The command, with the question, dialog or box it raises answered by
    // `button`: returns that window's caption.
    auto answered = [this](int command, int button, bool modified = false) {
        return [=] {
            g_level.modified = modified;
            Answerer answer(button);
            Command(command);
            return answer.Caption();
        };
    };
    const struct {
        const char* action;
        std::function<std::string()> act;
        std::string shown;
        bool enabled;
    } rows[] = {
        {"a press on an empty cell", [this] { Click(5, 5); return std::string(); }, "", false},
        {"New", [this] { Command(IDM_FILE_NEW); return std::string(); }, "", false},
        {"a cancelled Open",
         [this] {
             Answerer cancel(IDCANCEL);
             Command(IDM_FILE_OPEN);
             return std::string();
         },
         "", false},
        {"a failed Open", [this] { return OpenFailing(); }, "Unable to read level from file.", false},
        {"a drop", [this] { Drop(Path("two.vrk")); return std::string(); }, "", false},
        {"a drop that loads nothing",
         [this] {
             Answerer error(IDOK);
             Drop(Path("missing.vrk"));
             return error.Text();
         },
         "Unable to read level from file.", true},
        {"Cancel to the question of New", answered(IDM_FILE_NEW, IDCANCEL, true), "Unsaved changes", true},
        {"Cancel to the question of Open", answered(IDM_FILE_OPEN, IDCANCEL, true), "Unsaved changes", true},
        {"Sector Properties", answered(IDM_SECTOR_PROPERTIES, IDCANCEL), "Sector Properties", true},
        {"About", answered(IDM_ABOUT, IDOK), "About Quillmarch", true},
        {"a right click", [this] { RightClick(100, 100); return std::string(); }, "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string("after ") + row.action);
        TearDown();
        ASSERT_NO_FATAL_FAILURE(SetUp());
        EXPECT_FALSE(IsEnabled()) << "at start";
        ASSERT_NO_FATAL_FAILURE(SelectFirstSector());
        EXPECT_EQ(row.shown, row.act());
        EXPECT_EQ(row.enabled, IsEnabled());
    }
}

// A remembered path longer than the file dialogs' 260 characters is used
// whole: the save goes to that very file or fails with the message, and
// never writes to a path cut short.
class SavePath : public MenuState {};

TEST_F(SavePath, LongRememberedPathIsNeverCutShort)
{
    std::string path = folder_ + "\\" + std::string(300, 'y') + ".vrk";
    ASSERT_EQ(SetLevelFileName(&g_level, path.c_str()), 0);
    g_level.modified = 1;
    Answerer answer(IDOK);
    Command(IDM_FILE_SAVE);
    answer.Finish();

    bool written = false;
    ReadFileBytes(path, &written);
    if (written) {
        EXPECT_EQ(g_level.modified, 0) << "saved, yet still modified";
    } else {
        // This system cannot reach such a path: the save must say so.
        EXPECT_EQ(answer.Text(), "Unable to write level to file.");
        EXPECT_EQ(g_level.modified, 1) << "not saved, yet not modified";
    }
    // Nothing else appeared in the folder (such as the path cut at 259).
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder_ + "\\y*").c_str(), &found);
    bool stray = search != INVALID_HANDLE_VALUE && std::strlen(found.cFileName) < 300;
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    EXPECT_FALSE(stray) << "a file with a cut-short name was written: " << found.cFileName;
}
