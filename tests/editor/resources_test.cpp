// The resources read back from the built Quillmarch.exe, loaded as a data
// file: menu, accelerators, dialogs, strings, icons and the version block.
#include <gtest/gtest.h>

#include <string.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "driver.h"
#include "resource.h"
#include "version.h"

namespace {

class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        module_ = LoadLibraryExA(GetEditorPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite()
    {
        if (module_)
            FreeLibrary(module_);
        module_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(nullptr, module_) << "cannot load " << GetEditorPath() << " as a data file";
    }

    // The raw bytes of a resource, empty when it is missing.
    static std::vector<unsigned char> Raw(LPCSTR type, int id)
    {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        if (!found)
            return {};
        HGLOBAL loaded = LoadResource(module_, found);
        auto* bytes = static_cast<const unsigned char*>(LockResource(loaded));
        return std::vector<unsigned char>(bytes, bytes + SizeofResource(module_, found));
    }

    static HMODULE module_;
};

HMODULE Resources::module_ = nullptr;

unsigned Word(const std::vector<unsigned char>& b, size_t at)
{
    return at + 1 < b.size() ? b[at] | b[at + 1] << 8 : 0xFFFFFFFFu;
}

unsigned Dword(const std::vector<unsigned char>& b, size_t at)
{
    return Word(b, at) | Word(b, at + 2) << 16;
}

TEST_F(Resources, Strings)
{
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {{IDS_APP_TITLE, "Quillmarch"}, {IDS_WINDOW_CLASS, "QUILLMARCH"}};
    for (const Case& c : cases) {
        char text[100] = "";
        LoadStringA(module_, c.id, text, sizeof text);
        EXPECT_STREQ(c.text, text) << "string " << c.id;
    }
}

// The command numbers are what other programs send the editor: they are
// pinned here, once, and named everywhere else.
static_assert(IDM_FILE_NEW == 32771 && IDM_FILE_OPEN == 32772 && IDM_FILE_SAVE == 32773 &&
                  IDM_FILE_SAVE_AS == 32774 && IDM_SECTOR_PROPERTIES == 32781 && IDM_EXIT == 105 &&
                  IDM_ABOUT == 104,
              "the command numbers of the menu and the accelerators");

TEST_F(Resources, MenuTextsIdsAndStates)
{
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAINMENU));
    ASSERT_NE(nullptr, menu) << "menu 109";
    struct Item {
        const char* text;
        int id;
        UINT state;
    };  // id 0: separator
    struct Popup {
        const char* text;
        std::vector<Item> items;
    };
    const std::vector<Popup> popups = {
        {"&File", {
                      {"&New\tCtrl+N", IDM_FILE_NEW, 0},
                      {"&Open...\tCtrl+O", IDM_FILE_OPEN, 0},
                      {"&Save\tCtrl+S", IDM_FILE_SAVE, 0},
                      {"&Save As...\tCtrl+Shift+S", IDM_FILE_SAVE_AS, 0},
                      {"", 0, MF_SEPARATOR},
                      {"E&xit", IDM_EXIT, 0},
                  }},
        {"&Edit", {{"&Sector Properties...", IDM_SECTOR_PROPERTIES, MF_GRAYED}}},
        {"&Help", {{"&About ...", IDM_ABOUT, 0}}},
    };
    ASSERT_EQ(static_cast<int>(popups.size()), GetMenuItemCount(menu)) << "popups on the bar";
    for (size_t p = 0; p < popups.size(); p++) {
        char text[100] = "";
        GetMenuStringA(menu, static_cast<UINT>(p), text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ(popups[p].text, text) << "popup " << p;
        HMENU sub = GetSubMenu(menu, static_cast<int>(p));
        ASSERT_NE(nullptr, sub) << "popup " << popups[p].text;
        ASSERT_EQ(static_cast<int>(popups[p].items.size()), GetMenuItemCount(sub))
            << "items under " << popups[p].text;
        for (size_t i = 0; i < popups[p].items.size(); i++) {
            const Item& item = popups[p].items[i];
            UINT position = static_cast<UINT>(i);
            text[0] = '\0';
            GetMenuStringA(sub, position, text, sizeof text, MF_BYPOSITION);
            EXPECT_STREQ(item.text, text) << popups[p].text << " item " << i;
            UINT state = GetMenuState(sub, position, MF_BYPOSITION);
            if (item.id == 0) {
                EXPECT_NE(0u, state & MF_SEPARATOR) << popups[p].text << " item " << i;
                continue;
            }
            EXPECT_EQ(item.id, static_cast<int>(GetMenuItemID(sub, static_cast<int>(i))))
                << "command of " << item.text;
            EXPECT_EQ(item.state, state & (MF_GRAYED | MF_SEPARATOR)) << "state of " << item.text;
        }
    }
    DestroyMenu(menu);
}

TEST_F(Resources, SixAcceleratorsWithTheirFlags)
{
    std::vector<unsigned char> raw = Raw(RT_ACCELERATOR, IDR_ACCELERATORS);
    struct Entry {
        unsigned flags, key, id;
    };
    const Entry expected[] = {
        {FALT | FNOINVERT, '/', IDM_ABOUT},
        {FALT | FNOINVERT, '?', IDM_ABOUT},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'N', IDM_FILE_NEW},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'O', IDM_FILE_OPEN},
        {FVIRTKEY | FCONTROL | FNOINVERT, 'S', IDM_FILE_SAVE},
        {FVIRTKEY | FSHIFT | FCONTROL | FNOINVERT, 'S', IDM_FILE_SAVE_AS},
    };
    const unsigned lastEntry = 0x80;
    ASSERT_EQ(sizeof expected / sizeof expected[0] * 8, raw.size()) << "bytes of table 109";
    for (size_t i = 0; i < 6; i++) {
        unsigned flags = Word(raw, i * 8), key = Word(raw, i * 8 + 2), id = Word(raw, i * 8 + 4);
        unsigned wantFlags = expected[i].flags | (i == 5 ? lastEntry : 0);
        EXPECT_EQ(wantFlags, flags) << "flags of entry " << i;
        EXPECT_EQ(expected[i].key, key) << "key of entry " << i;
        EXPECT_EQ(expected[i].id, id) << "command of entry " << i;
    }
    // A shortcut is never the only way to a command: each is a menu item.
    HMENU menu = LoadMenuA(module_, MAKEINTRESOURCEA(IDR_MAINMENU));
    for (const Entry& entry : expected)
        EXPECT_NE(static_cast<UINT>(-1), GetMenuState(menu, entry.id, MF_BYCOMMAND))
            << "command " << entry.id << " of an accelerator is no menu item";
    DestroyMenu(menu);
    HACCEL table = LoadAcceleratorsA(module_, MAKEINTRESOURCEA(IDR_ACCELERATORS));
    ASSERT_NE(nullptr, table);
    EXPECT_EQ(6, CopyAcceleratorTableA(table, nullptr, 0)) << "entries the system loads";
    DestroyAcceleratorTable(table);
}

// Each image of an icon group: its size, 16 colours, 4 bits, and an icon
// the system can build from it.
TEST_F(Resources, IconsAreSixteenColours)
{
    struct Group {
        int id;
        std::vector<int> sizes;
    };
    const Group groups[] = {{IDI_QUILLMARCH, {32, 16}}, {IDI_SMALL, {16}}};
    for (const Group& g : groups) {
        std::vector<unsigned char> dir = Raw(RT_GROUP_ICON, g.id);
        ASSERT_GE(dir.size(), 6u) << "icon group " << g.id;
        ASSERT_EQ(g.sizes.size(), Word(dir, 4)) << "images in icon group " << g.id;
        for (size_t i = 0; i < g.sizes.size(); i++) {
            size_t e = 6 + i * 14;
            SCOPED_TRACE("icon group " + std::to_string(g.id) + " image " + std::to_string(i));
            EXPECT_EQ(static_cast<unsigned>(g.sizes[i]), dir[e]) << "width";
            EXPECT_EQ(static_cast<unsigned>(g.sizes[i]), dir[e + 1]) << "height";
            EXPECT_EQ(16u, dir[e + 2]) << "colour count";
            EXPECT_EQ(4u, Word(dir, e + 6)) << "bits per pixel";
            std::vector<unsigned char> image = Raw(RT_ICON, static_cast<int>(Word(dir, e + 12)));
            ASSERT_GE(image.size(), 40u) << "icon image bytes";
            EXPECT_EQ(static_cast<unsigned>(g.sizes[i]), Dword(image, 4)) << "bitmap width";
            EXPECT_EQ(4u, Word(image, 14)) << "bitmap bits per pixel";
            HICON icon = CreateIconFromResourceEx(image.data(), static_cast<DWORD>(image.size()),
                                                  TRUE, 0x00030000, g.sizes[i], g.sizes[i], 0);
            EXPECT_NE(nullptr, icon) << "the system cannot build the icon";
            if (icon)
                DestroyIcon(icon);
        }
    }
}

std::string VersionString(const std::vector<unsigned char>& info, const char* key)
{
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + key;
    char* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(missing)";
    return value ? std::string(value) : std::string();
}

TEST_F(Resources, VersionBlock)
{
    std::string exe = GetEditorPath();
    DWORD size = GetFileVersionInfoSizeA(exe.c_str(), nullptr);
    ASSERT_GT(size, 0u) << "no version block in " << exe;
    std::vector<unsigned char> info(size);
    ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(0x00010000u, fixed->dwFileVersionMS) << "file version 1.0";
    EXPECT_EQ(0x00000000u, fixed->dwFileVersionLS) << "file version .0.0";
    EXPECT_EQ(static_cast<DWORD>(QM_VERSION_MAJOR << 16 | QM_VERSION_MINOR), fixed->dwProductVersionMS)
        << "product version " QM_VERSION_TEXT ": major and minor";
    EXPECT_EQ(static_cast<DWORD>(QM_VERSION_PATCH << 16), fixed->dwProductVersionLS)
        << "product version " QM_VERSION_TEXT ": patch and 0";
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType) << "file type";

    struct Case {
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"Comments", "Level editor for the VRK engine"},
        {"CompanyName", ""},
        {"FileDescription", "Quillmarch"},
        {"FileVersion", "1.0.0.0"},
        {"InternalName", "Quillmarch"},
        {"LegalTrademarks", ""},
        {"OriginalFilename", "Quillmarch.exe"},
        {"PrivateBuild", ""},
        {"ProductName", "Quillmarch"},
        {"ProductVersion", QM_VERSION_TEXT ".0"},
        {"SpecialBuild", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.value, VersionString(info, c.key)) << "version string " << c.key;

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_GE(length, 4u);
    EXPECT_EQ(0x0409, translation[0]) << "language US English";
    EXPECT_EQ(1200, translation[1]) << "code page Unicode";
}

INT_PTR CALLBACK IgnoreDialogMessages(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string ClassOf(HWND window)
{
    char name[64] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TextOf(HWND window)
{
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The text of a control that shows an image instead, and is not compared.
const char IMAGE[] = "(an image)";

// A control as the user meets it in the dialog: its kind, its text, its id.
struct ShownControl {
    const char* className;
    std::string text;
    int id;
};

// The dialog made from the exe's template, as it shows: its caption, its
// font, each control in order with its text, visible and whole inside the
// dialog, the default button, and the order Tab walks through the controls.
void ExpectShownDialog(HMODULE module, int dialogId, const char* caption, const std::vector<ShownControl>& controls,
                       const std::vector<int>& tabOrder)
{
    HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(dialogId), nullptr, IgnoreDialogMessages, 0);
    ASSERT_NE(nullptr, dialog) << "dialog " << dialogId << " cannot be made";
    EXPECT_EQ(caption, TextOf(dialog)) << "caption";
    LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_TRUE((style & WS_CAPTION) == WS_CAPTION && (style & WS_SYSMENU)) << "a title bar with a close box";
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)), sizeof font, &font);
    EXPECT_STREQ("MS Sans Serif", font.lfFaceName) << "the dialog's font";
    RECT client;
    GetClientRect(dialog, &client);
    size_t i = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT), i++) {
        if (i >= controls.size()) {
            ADD_FAILURE() << "control " << i << " (" << ClassOf(child) << " \"" << TextOf(child) << "\") is one too many";
            break;
        }
        const ShownControl& want = controls[i];
        SCOPED_TRACE("control " + std::to_string(i) + " (" + want.className + " \"" + want.text + "\")");
        EXPECT_STREQ(want.className, ClassOf(child).c_str()) << "kind";
        if (want.text != IMAGE) {
            EXPECT_EQ(want.text, TextOf(child)) << "text";
        }
        EXPECT_EQ(want.id, static_cast<int>(static_cast<short>(GetDlgCtrlID(child)))) << "id";
        EXPECT_NE(0, GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE) << "shown with the dialog";
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.right && r.bottom <= client.bottom &&
                    r.left < r.right && r.top < r.bottom)
            << "(" << r.left << ", " << r.top << ") to (" << r.right << ", " << r.bottom
            << ") is not whole inside the dialog's " << client.right << " x " << client.bottom;
    }
    EXPECT_EQ(controls.size(), i) << "controls in the dialog";
    EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), SendMessageA(dialog, DM_GETDEFID, 0, 0)) << "OK is the default button";
    std::vector<int> walked;
    HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
    for (HWND item = first; item && walked.size() <= tabOrder.size();) {
        walked.push_back(GetDlgCtrlID(item));
        item = GetNextDlgTabItem(dialog, item, FALSE);
        if (item == first)
            break;
    }
    EXPECT_EQ(tabOrder, walked) << "the controls Tab reaches, in order";
    DestroyWindow(dialog);
}

TEST_F(Resources, AboutDialogTemplate)
{
    HWND about = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr, IgnoreDialogMessages, 0);
    ASSERT_NE(nullptr, about) << "dialog 103 cannot be made";
    HWND icon = GetWindow(about, GW_CHILD);
    HWND sunken = icon ? GetWindow(icon, GW_HWNDNEXT) : nullptr;
    EXPECT_NE(0, icon ? SendMessageA(icon, STM_GETICON, 0, 0) : 0) << "the icon is shown";
    // The credit line names whoever made it: check its fixed part, then take it.
    std::string text = sunken ? TextOf(sunken) : "";
    DestroyWindow(about);
    const std::string lines = "Quillmarch (in development)\nLevel editor for the VRK Engine\n\nCreated by ";
    EXPECT_EQ(lines, text.substr(0, lines.size())) << "the text's fixed lines";
    EXPECT_GT(text.size(), lines.size()) << "the author's name after \"Created by \"";
    EXPECT_EQ(std::string::npos, text.find('\n', lines.size())) << "the credit line is the last";

    ExpectShownDialog(module_, IDD_ABOUT, "About Quillmarch",
                      {{"Static", IMAGE, IDC_ABOUT_ICON},
                       {"Static", text, IDC_STATIC},
                       {"Static", "\"IT'S REAL THIS TIME\"", IDC_STATIC},
                       {"Button", "OK", IDOK}},
                      {IDOK});
}

struct TextSearch {
    const char* start;
    HWND found;
};

BOOL CALLBACK MatchTextStart(HWND child, LPARAM param)
{
    TextSearch* search = reinterpret_cast<TextSearch*>(param);
    char text[256] = "";
    GetWindowTextA(child, text, sizeof text);
    if (strncmp(text, search->start, strlen(search->start)) != 0)
        return TRUE;
    search->found = child;
    return FALSE;
}

// The About box made from the exe's template, in its own font: the credit
// line fits one line of the sunken text, and all four lines fit its height,
// so no word is wrapped onto a line that the control cuts off.
TEST_F(Resources, AboutTextFitsItsControl)
{
    HWND about = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_ABOUT), nullptr,
                                    IgnoreDialogMessages, 0);
    ASSERT_NE(nullptr, about) << "dialog 103 cannot be made";
    TextSearch search = {"Quillmarch (in development)", nullptr};
    EnumChildWindows(about, MatchTextStart, reinterpret_cast<LPARAM>(&search));
    ASSERT_NE(nullptr, search.found) << "no sunken text in the About box";
    char text[256] = "";
    GetWindowTextA(search.found, text, sizeof text);
    std::string credit = strrchr(text, '\n') + 1;

    RECT client;
    GetClientRect(search.found, &client);
    HDC dc = GetDC(search.found);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(search.found, WM_GETFONT, 0, 0)));
    SIZE creditSize = {};
    GetTextExtentPoint32A(dc, credit.c_str(), static_cast<int>(credit.size()), &creditSize);
    RECT laidOut = {0, 0, client.right, 0};
    DrawTextA(dc, text, -1, &laidOut, DT_CALCRECT | DT_CENTER | DT_WORDBREAK | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(search.found, dc);
    DestroyWindow(about);

    EXPECT_LE(creditSize.cx, client.right)
        << "\"" << credit << "\": " << creditSize.cx << " pixels wide, the control's text room "
        << client.right;
    EXPECT_EQ(4 * creditSize.cy, laidOut.bottom) << "height of the text laid out: four lines";
    EXPECT_LE(laidOut.bottom, client.bottom) << "the text's height against the control's";
}

TEST_F(Resources, SectorPropertiesDialogTemplate)
{
    ExpectShownDialog(module_, IDD_SECTOR_PROPERTIES, "Sector Properties",
                      {{"Button", "OK", IDOK},
                       {"Button", "Cancel", IDCANCEL},
                       {"Button", "Geometry", IDC_STATIC},
                       {"Edit", "", IDC_FLOOR_HEIGHT},
                       {"Static", "Floor Height", IDC_STATIC},
                       {"Edit", "", IDC_CEILING_HEIGHT},
                       {"Static", "Ceiling Height", IDC_STATIC}},
                      {IDOK, IDCANCEL, IDC_FLOOR_HEIGHT, IDC_CEILING_HEIGHT});
    // The height boxes take digits only: a letter typed there is refused.
    HWND dialog = CreateDialogParamA(module_, MAKEINTRESOURCEA(IDD_SECTOR_PROPERTIES), nullptr,
                                     IgnoreDialogMessages, 0);
    ASSERT_NE(nullptr, dialog);
    for (int id : {IDC_FLOOR_HEIGHT, IDC_CEILING_HEIGHT}) {
        HWND edit = GetDlgItem(dialog, id);
        for (char typed : {'x', '7', '-', '2'})
            SendMessageA(edit, WM_CHAR, static_cast<WPARAM>(typed), 0);
        EXPECT_EQ("72", TextOf(edit)) << "height box " << id << " after typing x7-2";
    }
    DestroyWindow(dialog);
}

// The manifest Windows reads from both programs, which share it.
TEST(Manifest, BothProgramsAskForTheSameSettings)
{
    for (const std::string& program : {GetEditorPath(), ToWindowsPath(VRKTOOL_PATH)}) {
        HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
        ASSERT_NE(nullptr, found) << "no manifest in " << program;
        std::string text(static_cast<const char*>(LockResource(LoadResource(module, found))),
                         SizeofResource(module, found));
        for (const char* part : {"\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
                                 ">UTF-8</activeCodePage>", ">true</gdiScaling>", ">true</longPathAware>",
                                 "level=\"asInvoker\""})
            EXPECT_NE(std::string::npos, text.find(part)) << program << " lacks " << part;
        FreeLibrary(module);
    }
}

// Every function a program imports by name, as "dll!Name" with the DLL's
// name in lower case, read from its import tables mapped as an image.
std::vector<std::string> ImportedFunctions(const std::string& program)
{
    std::vector<std::string> names;
    HMODULE module = LoadLibraryExA(program.c_str(), nullptr, LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    auto* base = reinterpret_cast<const char*>(reinterpret_cast<uintptr_t>(module) & ~uintptr_t(3));
    if (!module)
        return names;
    auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    DWORD table = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (auto* dll = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + table); table && dll->Name; dll++) {
        std::string dllName = base + dll->Name;
        CharLowerBuffA(&dllName[0], static_cast<DWORD>(dllName.size()));
        DWORD thunks = dll->OriginalFirstThunk ? dll->OriginalFirstThunk : dll->FirstThunk;
        for (auto* thunk = reinterpret_cast<const IMAGE_THUNK_DATA*>(base + thunks); thunk->u1.AddressOfData; thunk++)
            if (!IMAGE_SNAP_BY_ORDINAL(thunk->u1.Ordinal))
                names.push_back(dllName + "!" + reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + thunk->u1.AddressOfData)->Name);
    }
    FreeLibrary(module);
    return names;
}

// No ANSI call takes a path, a window text or the command line: the code
// page would turn a name outside it into another name. Every ...A function
// of user32, comdlg32 and shell32 carries text of the kind (window texts,
// messages, class names, chosen and dropped file names); of kernel32, those
// named here; of the C runtime, those taking a path or an environment text
// (std::ifstream's narrow open, CLI11's file checks and its environment
// options reach them too). Wine honours this test program's own UTF-8 code page, so only
// the import tables show an ANSI call put back.
TEST(Manifest, NoAnsiCallTakesAPathOrAWindowText)
{
    const std::set<std::string> kernel32 = {
        "CopyFileA", "CopyFileExA", "CreateDirectoryA", "CreateFileA", "CreateHardLinkA", "CreateProcessA",
        "CreateSymbolicLinkA", "DeleteFileA", "FindFirstFileA", "FindFirstFileExA", "FindNextFileA",
        "GetCommandLineA", "GetCurrentDirectoryA", "GetDiskFreeSpaceExA", "GetEnvironmentVariableA",
        "GetFileAttributesA", "GetFileAttributesExA", "GetFinalPathNameByHandleA", "GetFullPathNameA",
        "GetLongPathNameA", "GetModuleFileNameA", "GetModuleHandleA", "GetShortPathNameA", "GetTempFileNameA",
        "GetTempPathA", "GetVolumeInformationA", "LoadLibraryA", "LoadLibraryExA", "MoveFileA", "MoveFileExA",
        "RemoveDirectoryA", "ReplaceFileA", "SearchPathA", "SetCurrentDirectoryA", "SetFileAttributesA",
        "WriteConsoleA"};
    // The C runtime's calls that take a path or an environment text in the code page.
    const std::set<std::string> runtime = {
        "_access", "_chdir", "_chmod", "_creat", "_dupenv_s", "_execv", "_execvp", "_findfirst", "_findfirst64",
        "_findfirsti64", "_fullpath", "_getcwd", "_mkdir", "_mktemp", "_open", "_popen", "_putenv", "_putenv_s",
        "_rmdir", "_sopen", "_sopen_s", "_spawnv", "_spawnvp", "_stat", "_stat32", "_stat32i64", "_stat64", "_stat64i32",
        "_stati64", "_tempnam", "_unlink",
        "_utime", "_utime64", "access", "fopen", "freopen", "getenv", "getenv_s", "mkdir", "open", "putenv", "remove",
        "rename", "stat", "system", "tmpnam", "unlink"};
    for (const std::string& program : {GetEditorPath(), ToWindowsPath(VRKTOOL_PATH)}) {
        std::vector<std::string> imports = ImportedFunctions(program);
        EXPECT_NE(std::find(imports.begin(), imports.end(), "kernel32.dll!CreateFileW"), imports.end())
            << "the import tables of " << program << " name no CreateFileW";
        for (const std::string& import : imports) {
            std::string dll = import.substr(0, import.find('!')), name = import.substr(dll.size() + 1);
            bool text = dll == "user32.dll" || dll == "comdlg32.dll" || dll == "shell32.dll";
            bool crt = dll == "msvcrt.dll" || dll == "ucrtbase.dll" || dll.compare(0, 15, "api-ms-win-crt-") == 0;
            EXPECT_FALSE(name.back() == 'A' && (text || (dll == "kernel32.dll" && kernel32.count(name))))
                << program << " imports " << import;
            EXPECT_FALSE(crt && runtime.count(name)) << program << " imports " << import;
        }
    }
}

}  // namespace
