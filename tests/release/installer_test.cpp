// The installer end to end: a silent install per user and for every user
// into a folder whose path has a space, a level whose name has a space
// opened through the .vrk association, and a silent uninstall that leaves
// nothing of the install but a level the user saved in its folder.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor_fixture.h"
#include "release_support.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

const std::string CLASSES_KEY = "Software\\Classes\\";
const std::string PROGRAMS_ENTRY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmarch";

struct InstallCase {
    const char* switches;  // after /S
    HKEY root;             // where the association and the programs-list entry go
    const char* rootName;  // "user" or "machine", as in the snapshot's lines
    int startMenu;         // the Start menu's programs folder (CSIDL)
    const char* startMenuName;
    bool ownFolder;     // /D= with a folder of the test's; else the default one
    bool throughShell;  // Wine's shell reads the machine's classes only
};

const InstallCase PER_USER = {"", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS,
                              "user Start menu", true, false};
// The default folder, C:\Program Files\Quillmarch, has a space of its own.
const InstallCase ALL_USERS = {" /AllUsers", HKEY_LOCAL_MACHINE, "machine", CSIDL_COMMON_PROGRAMS,
                               "common Start menu", false, true};

std::string FindSetup()
{
    for (const std::string& name : ListFolder(DistFolder(), false)) {
        if (name.size() > 10 && name.compare(name.size() - 10, 10, "-setup.exe") == 0)
            return DistFolder() + "\\" + name;
    }
    return "(no installer in " + DistFolder() + ")";
}

std::string ImageOf(HANDLE process)
{
    char path[MAX_PATH] = "";
    DWORD size = sizeof path;
    return QueryFullProcessImageNameA(process, 0, path, &size) ? path : "(unknown)";
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override { scratch = CreateTempFolder(); }
    void TearDown() override
    {
        RemoveFolderTree(scratch);
        if (!folder.empty())
            RemoveFolderTree(folder);
    }

    // A run that failed half-way may have left an install behind; each run
    // starts from a system without one.
    void RemoveLeftovers()
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            if (ReadRegString(root, CLASSES_KEY + ".vrk", "") == "Quillmarch.Level")
                RegDeleteTreeA(root, (CLASSES_KEY + ".vrk").c_str());
            RegDeleteTreeA(root, (CLASSES_KEY + "Quillmarch.Level").c_str());
            RegDeleteTreeA(root, PROGRAMS_ENTRY_KEY.c_str());
        }
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
            DeleteFileA((ShellFolder(csidl) + "\\Quillmarch.lnk").c_str());
        RemoveFolderTree(folder);
    }

    void CheckRegistry(const InstallCase& c)
    {
        std::string exe = folder + "\\Quillmarch.exe";
        std::string version = ProductVersionOf(exe);
        EXPECT_NE("", version) << "no version block in " << exe;
        const struct {
            std::string key;
            const char* name;
            std::string expected;
        } values[] = {
            {CLASSES_KEY + ".vrk", "", "Quillmarch.Level"},
            {CLASSES_KEY + "Quillmarch.Level", "", "Quillmarch level"},
            {CLASSES_KEY + "Quillmarch.Level\\DefaultIcon", "", exe + ",0"},
            {CLASSES_KEY + "Quillmarch.Level\\shell\\open\\command", "", "\"" + exe + "\" \"%1\""},
            {PROGRAMS_ENTRY_KEY, "DisplayName", "Quillmarch"},
            {PROGRAMS_ENTRY_KEY, "DisplayVersion", version},
            {PROGRAMS_ENTRY_KEY, "Publisher", "the Quillmarch authors"},
            {PROGRAMS_ENTRY_KEY, "DisplayIcon", exe + ",0"},
            {PROGRAMS_ENTRY_KEY, "InstallLocation", folder},
            {PROGRAMS_ENTRY_KEY, "UninstallString", "\"" + folder + "\\Uninstall.exe\""},
            {PROGRAMS_ENTRY_KEY, "QuietUninstallString", "\"" + folder + "\\Uninstall.exe\" /S"},
        };
        for (const auto& v : values) {
            EXPECT_EQ(v.expected, ReadRegString(c.root, v.key, v.name))
                << c.rootName << " " << v.key << " value '" << v.name << "'";
        }
        HICON icon = nullptr;
        EXPECT_EQ(1u, ExtractIconExA(exe.c_str(), 0, &icon, nullptr, 1))
            << "the file type's icon: no icon 0 in " << exe;
        if (icon)
            DestroyIcon(icon);
    }

    // Opens the level as a double-click would, and checks that the installed
    // editor shows it.
    void OpenThroughAssociation(const InstallCase& c, const std::string& level)
    {
        EditorProcess editor = {};
        if (c.throughShell) {
            SHELLEXECUTEINFOA open = {};
            open.cbSize = sizeof open;
            open.fMask = SEE_MASK_NOCLOSEPROCESS;
            open.lpVerb = "open";
            open.lpFile = level.c_str();
            open.nShow = SW_SHOWNORMAL;
            ASSERT_TRUE(ShellExecuteExA(&open)) << "the shell's open verb on " << level
                                                << ", error " << GetLastError();
            ASSERT_NE(nullptr, open.hProcess) << "the shell started no process for " << level;
            editor.process = open.hProcess;
            editor.processId = GetProcessId(open.hProcess);
        } else {
            // What the shell does with the registered command: %1 becomes the path.
            std::string type = ReadRegString(c.root, CLASSES_KEY + ".vrk", "");
            std::string command = ReadRegString(c.root, CLASSES_KEY + type + "\\shell\\open\\command", "");
            size_t at = command.find("%1");
            ASSERT_NE(std::string::npos, at) << "no %1 in the open command: " << command;
            command.replace(at, 2, level);
            ASSERT_TRUE(LaunchProgram(&editor, command)) << command;
        }
        HWND window = WaitForMainWindow(&editor);
        EXPECT_NE(nullptr, window) << "no editor window for " << level;
        if (window) {
            std::string seen;
            EXPECT_TRUE(WaitForTitle(window, ExpectedTitle("castle keep.vrk", false), &seen))
                << "expected the title '" << ExpectedTitle("castle keep.vrk", false) << "', saw '"
                << seen << "'";
            EXPECT_EQ(folder + "\\Quillmarch.exe", ImageOf(editor.process)) << "the program that opened it";
        }
        StopEditor(&editor);
    }

    void InstallOpenAndUninstall(const InstallCase& c)
    {
        folder = c.ownFolder ? scratch + "\\Level tools\\Quill march"
                             : ShellFolder(CSIDL_PROGRAM_FILES) + "\\Quillmarch";
        RemoveLeftovers();
        std::set<std::string> before = SnapshotInstallPlaces();

        // The release files and the uninstaller, nothing else.
        std::string command = "\"" + FindSetup() + "\" /S" + c.switches;
        if (c.ownFolder)
            command += " /D=" + folder;
        DWORD exitCode = 1;
        ASSERT_TRUE(RunToEnd(command, 60000, &exitCode)) << "did not end in 60 s: " << command;
        EXPECT_EQ(0u, exitCode) << command;
        std::vector<std::string> files = ListTree(ToWindowsPath(QM_STAGE_DIR));
        files.push_back("Uninstall.exe");
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, ListTree(folder)) << "the files in " << folder;
        bool readShipped = false, readInstalled = false;
        Bytes shipped = ReadFileBytes(ToWindowsPath(QM_STAGE_DIR "/Quillmarch.exe"), &readShipped);
        Bytes installed = ReadFileBytes(folder + "\\Quillmarch.exe", &readInstalled);
        EXPECT_TRUE(readShipped);
        EXPECT_TRUE(readInstalled);
        EXPECT_TRUE(shipped == installed) << "the installed Quillmarch.exe differs from the release's";

        // The installer's keys and shortcut, in the install's own places only.
        std::string who = c.rootName;
        std::set<std::string> expectedNew = {who + " classes: .vrk", who + " classes: Quillmarch.Level",
                                             who + " programs list: Quillmarch",
                                             std::string(c.startMenuName) + ": Quillmarch.lnk"};
        std::set<std::string> afterInstall = SnapshotInstallPlaces();
        EXPECT_EQ(Missing(expectedNew, {}), Missing(afterInstall, before)) << "what the install added";
        EXPECT_EQ("  (none)\n", Missing(before, afterInstall)) << "what the install took away";
        EXPECT_EQ(folder + "\\Quillmarch.exe", ShortcutTarget(ShellFolder(c.startMenu) + "\\Quillmarch.lnk"))
            << "the Start-menu shortcut's program";
        CheckRegistry(c);

        std::string levels = scratch + "\\My levels";
        CreateDirectoryA(levels.c_str(), nullptr);
        bool readExample = false;
        Bytes example = ReadFileBytes(ExamplesFolder() + "\\hall.vrk", &readExample);
        ASSERT_TRUE(readExample);
        ASSERT_TRUE(WriteFileBytes(levels + "\\castle keep.vrk", example));
        OpenThroughAssociation(c, levels + "\\castle keep.vrk");

        // The user's own level in the install folder outlives the uninstall.
        std::string own = folder + "\\my own level.vrk";
        ASSERT_TRUE(WriteFileBytes(own, example));
        std::string uninstall = ReadRegString(c.root, PROGRAMS_ENTRY_KEY, "QuietUninstallString");
        ASSERT_TRUE(RunToEnd(uninstall, 60000, &exitCode)) << "did not end in 60 s: " << uninstall;
        EXPECT_EQ(0u, exitCode) << uninstall;
        EXPECT_EQ(std::vector<std::string>{"my own level.vrk"}, ListTree(folder))
            << "what the uninstall left in " << folder;
        bool read = false;
        Bytes kept = ReadFileBytes(own, &read);
        EXPECT_TRUE(read && kept == example) << "the user's level is gone or changed";
        std::set<std::string> after = SnapshotInstallPlaces();
        EXPECT_EQ("  (none)\n", Missing(after, before)) << "what the uninstall left behind";
        EXPECT_EQ("  (none)\n", Missing(before, after)) << "what the uninstall took that was not the install's";
    }

    std::string scratch;
    std::string folder;  // the install folder
};

}  // namespace

TEST_F(Installer, PerUserSilentInstallOpensLevelsAndUninstallsCleanly)
{
    InstallOpenAndUninstall(PER_USER);
}

TEST_F(Installer, AllUsersSilentInstallOpensLevelsAndUninstallsCleanly)
{
    InstallOpenAndUninstall(ALL_USERS);
}
