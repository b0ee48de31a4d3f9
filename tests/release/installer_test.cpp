// The installer end to end: a silent install per user and for every user
// into a folder whose path has a space, a level whose name has a space
// opened through the .vrk association, and a silent uninstall that has left
// nothing of the install when its command returns. Each further row takes
// one detour a user or an administrator takes, and checks that the installer
// touches nothing that is not its own.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor_fixture.h"
#include "release_support.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

const std::string CLASSES_KEY = "Software\\Classes\\";
const std::string PROGRAMS_ENTRY_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillmarch";

// What a row does beside the straight path.
enum Detour {
    STRAIGHT,
    INSTALL_AGAIN,      // setup again without /D=, then with /D= naming another folder
    UNREGISTERED_COPY,  // the uninstaller of a copy of the install folder
    EDITOR_RUNNING,     // the silent uninstall while the editor runs from the folder
    FOREIGN_FILE_TYPE,  // .vrk belongs to another program before the install
    USER_FILES,         // an example the user changed and a level the user saved there
};

struct InstallCase {
    const char* name;
    const char* switches;  // after /S
    HKEY root;             // where the association and the programs-list entry go
    const char* rootName;  // "user" or "machine", as in the snapshot's lines
    int startMenu;         // the Start menu's programs folder (CSIDL)
    const char* startMenuName;
    bool ownFolder;     // /D= with a folder of the test's; else the default one
    bool throughShell;  // Wine's shell reads the machine's classes only
    Detour detour;
};

// The default folder for every user, C:\Program Files\Quillmarch, has a space of its own.
const InstallCase CASES[] = {
    {"PerUser", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false, STRAIGHT},
    {"AllUsers", " /AllUsers", HKEY_LOCAL_MACHINE, "machine", CSIDL_COMMON_PROGRAMS, "common Start menu",
     false, true, STRAIGHT},
    {"InstallAgain", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false,
     INSTALL_AGAIN},
    {"UnregisteredCopy", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false,
     UNREGISTERED_COPY},
    {"EditorRunning", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false,
     EDITOR_RUNNING},
    {"ForeignFileType", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false,
     FOREIGN_FILE_TYPE},
    {"UserFiles", "", HKEY_CURRENT_USER, "user", CSIDL_PROGRAMS, "user Start menu", true, false,
     USER_FILES},
};

const char OTHER_PROGID[] = "OtherEditor.Level";

// A failure names the row.
void PrintTo(const InstallCase& c, std::ostream* out)
{
    *out << c.name;
}

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

class Installer : public ::testing::TestWithParam<InstallCase> {
protected:
    void SetUp() override { scratch = CreateTempFolder(); }
    void TearDown() override
    {
        RemoveLeftovers();
        RemoveFolderTree(scratch);
    }

    // A run that failed half-way may have left an install behind; each run
    // starts from a system without one, and without another program's .vrk.
    void RemoveLeftovers()
    {
        for (HKEY root : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE}) {
            for (const char* key : {".vrk", "Quillmarch.Level", "Applications\\Quillmarch.exe", OTHER_PROGID})
                RegDeleteTreeA(root, (CLASSES_KEY + key).c_str());
            RegDeleteTreeA(root, PROGRAMS_ENTRY_KEY.c_str());
            // Left empty by an uninstall, it goes with the uninstall.
            RegDeleteKeyA(root, (CLASSES_KEY + "Applications").c_str());
        }
        for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
            DeleteFileA((ShellFolder(csidl) + "\\Quillmarch.lnk").c_str());
        if (!folder.empty())
            RemoveFolderTree(folder);
    }

    // Runs the installer silently into the folder (the default one without).
    void Install(const InstallCase& c, const std::string& into)
    {
        // The straight rows install as winget's manifest tells it to.
        if (c.detour == STRAIGHT) {
            EXPECT_EQ(WingetSwitches(c.rootName), std::string("/S") + c.switches) << "the manifest's switches";
        }
        std::string command = "\"" + FindSetup() + "\" /S" + c.switches;
        if (!into.empty())
            command += " /D=" + into;
        DWORD exitCode = 1;
        ASSERT_TRUE(RunToEnd(command, 60000, &exitCode)) << "did not end in 60 s: " << command;
        EXPECT_EQ(0u, exitCode) << command;
    }

    // The release files, the uninstaller and its record, nothing else.
    void CheckFiles()
    {
        std::vector<std::string> files = ListTree(ToWindowsPath(QM_STAGE_DIR));
        files.push_back("Uninstall.exe");
        files.push_back("Uninstall.ini");
        std::sort(files.begin(), files.end());
        EXPECT_EQ(files, ListTree(folder)) << "the files in " << folder;
        bool readShipped = false, readInstalled = false;
        Bytes shipped = ReadFileBytes(ToWindowsPath(QM_STAGE_DIR "/Quillmarch.exe"), &readShipped);
        Bytes installed = ReadFileBytes(folder + "\\Quillmarch.exe", &readInstalled);
        EXPECT_TRUE(readShipped);
        EXPECT_TRUE(readInstalled);
        EXPECT_TRUE(shipped == installed) << "the installed Quillmarch.exe differs from the release's";
    }

    void CheckRegistry(const InstallCase& c)
    {
        std::string exe = folder + "\\Quillmarch.exe";
        std::string open = "\"" + exe + "\" \"%1\"";
        std::string version = ProductVersionOf(exe);
        EXPECT_NE("", version) << "no version block in " << exe;
        const std::string app = CLASSES_KEY + "Applications\\Quillmarch.exe";
        const struct {
            std::string key;
            const char* name;
            std::string expected;
        } values[] = {
            {CLASSES_KEY + ".vrk", "", c.detour == FOREIGN_FILE_TYPE ? OTHER_PROGID : "Quillmarch.Level"},
            {CLASSES_KEY + "Quillmarch.Level", "", "Quillmarch level"},
            {CLASSES_KEY + "Quillmarch.Level\\DefaultIcon", "", exe + ",0"},
            {CLASSES_KEY + "Quillmarch.Level\\shell\\open\\command", "", open},
            {app, "FriendlyAppName", "Quillmarch"},
            {app + "\\shell\\open\\command", "", open},
            {PROGRAMS_ENTRY_KEY, "DisplayName", "Quillmarch"},
            {PROGRAMS_ENTRY_KEY, "DisplayVersion", version},
            {PROGRAMS_ENTRY_KEY, "Publisher", "The Quillmarch authors"},
            {PROGRAMS_ENTRY_KEY, "DisplayIcon", exe + ",0"},
            {PROGRAMS_ENTRY_KEY, "InstallLocation", folder},
            {PROGRAMS_ENTRY_KEY, "UninstallString", "\"" + folder + "\\Uninstall.exe\""},
        };
        for (const auto& v : values) {
            EXPECT_EQ(v.expected, ReadRegString(c.root, v.key, v.name))
                << c.rootName << " " << v.key << " value '" << v.name << "'";
        }
        EXPECT_TRUE(RegValueExists(c.root, CLASSES_KEY + ".vrk\\OpenWithProgids", "Quillmarch.Level"))
            << "Quillmarch.Level is not among .vrk's OpenWithProgids";
        EXPECT_TRUE(RegValueExists(c.root, app + "\\SupportedTypes", ".vrk")) << ".vrk is not among SupportedTypes";
        EXPECT_EQ(exe, ShortcutTarget(ShellFolder(c.startMenu) + "\\Quillmarch.lnk"))
            << "the Start-menu shortcut's program";
        HICON icon = nullptr;
        EXPECT_EQ(1u, ExtractIconExA(exe.c_str(), 0, &icon, nullptr, 1))
            << "the file type's icon: no icon 0 in " << exe;
        if (icon)
            DestroyIcon(icon);
    }

    // Opens the level as a double-click (or Open with, Quillmarch) would,
    // and checks that the installed editor shows it.
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
            std::string command = ReadRegString(c.root, CLASSES_KEY + "Quillmarch.Level\\shell\\open\\command", "");
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

    // Runs the registered silent uninstall as a script does: what it left
    // running when it returned counts as not done.
    void Uninstall(const InstallCase& c, DWORD* exitCode)
    {
        std::string command = ReadRegString(c.root, PROGRAMS_ENTRY_KEY, "QuietUninstallString");
        int leftRunning = 0;
        ASSERT_TRUE(RunToEnd(command, 60000, exitCode, &leftRunning)) << "did not end in 60 s: " << command;
        EXPECT_EQ(0, leftRunning) << "processes still at work when the command returned: " << command;
    }

    void TakeDetour(const InstallCase& c, const std::set<std::string>& afterInstall);
    void InstallOpenAndUninstall(const InstallCase& c);

    std::string scratch;
    std::string folder;                  // the install folder
    Bytes example;                       // examples\hall.vrk as the release has it
    std::vector<std::string> userFiles;  // what the uninstall must leave in the folder
};

void Installer::TakeDetour(const InstallCase& c, const std::set<std::string>& afterInstall)
{
    DWORD exitCode = 0;
    switch (c.detour) {
    case STRAIGHT:
    case FOREIGN_FILE_TYPE:
        break;
    case INSTALL_AGAIN: {
        // An update stays where the install is; /D= moves it, old copy and all.
        Install(c, "");
        EXPECT_EQ(folder, ReadRegString(c.root, PROGRAMS_ENTRY_KEY, "InstallLocation")) << "after setup again";
        EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_LOCAL_APPDATA) + "\\Programs\\Quillmarch"))
            << "a second copy in the default folder";
        std::string old = folder;
        folder = scratch + "\\Other tools\\Quillmarch";
        Install(c, folder);
        std::string made = old.substr(0, old.rfind('\\'));
        EXPECT_FALSE(FolderExists(made)) << "the old copy, or the folder made for it, is still in " << made;
        CheckFiles();
        CheckRegistry(c);
        break;
    }
    case UNREGISTERED_COPY: {
        std::string copy = scratch + "\\Copy of Quill march";
        CreateDirectoryA(copy.c_str(), nullptr);
        for (const std::string& name : ListTree(folder)) {
            // Each subfolder (examples, include...) before the files in it.
            for (size_t slash = name.find('\\'); slash != std::string::npos; slash = name.find('\\', slash + 1))
                CreateDirectoryA((copy + "\\" + name.substr(0, slash)).c_str(), nullptr);
            ASSERT_TRUE(CopyFileA((folder + "\\" + name).c_str(), (copy + "\\" + name).c_str(), TRUE)) << name;
        }
        ASSERT_TRUE(RunToEnd("\"" + copy + "\\Uninstall.exe\" /S", 60000, &exitCode)) << "the copy's uninstaller";
        EXPECT_EQ(0u, exitCode) << "the copy's uninstaller";
        EXPECT_FALSE(FolderExists(copy)) << "the copy's uninstaller left its folder";
        EXPECT_EQ("  (none)\n", Missing(afterInstall, SnapshotInstallPlaces())) << "what the copy's uninstaller took";
        CheckRegistry(c);
        break;
    }
    case EDITOR_RUNNING: {
        EditorProcess editor = {};
        ASSERT_TRUE(LaunchProgram(&editor, "\"" + folder + "\\Quillmarch.exe\""));
        EXPECT_NE(nullptr, WaitForMainWindow(&editor)) << "the installed editor did not start";
        std::vector<std::string> files = ListTree(folder);
        Uninstall(c, &exitCode);
        EXPECT_NE(0u, exitCode) << "the silent uninstall while the editor runs";
        EXPECT_EQ(files, ListTree(folder)) << "what the refused uninstall took from " << folder;
        EXPECT_EQ("  (none)\n", Missing(afterInstall, SnapshotInstallPlaces())) << "what the refused uninstall took";
        StopEditor(&editor);
        break;
    }
    case USER_FILES: {
        // Changed and saved by the user: both outlive an update and the uninstall.
        bool read = false;
        Bytes changed = ReadFileBytes(ExamplesFolder() + "\\stairs.vrk", &read);
        ASSERT_TRUE(read && changed != example);
        ASSERT_TRUE(WriteFileBytes(folder + "\\examples\\hall.vrk", changed));
        ASSERT_TRUE(WriteFileBytes(folder + "\\my own level.vrk", example));
        Install(c, folder);
        EXPECT_TRUE(ReadFileBytes(folder + "\\examples\\hall.vrk") == changed) << "the changed example, after setup again";
        example = changed;
        userFiles = {"examples\\hall.vrk", "my own level.vrk"};
        break;
    }
    }
}

void Installer::InstallOpenAndUninstall(const InstallCase& c)
{
    folder = c.ownFolder ? scratch + "\\Level tools\\Quill march" : ShellFolder(CSIDL_PROGRAM_FILES) + "\\Quillmarch";
    RemoveLeftovers();
    if (c.detour == FOREIGN_FILE_TYPE) {
        RegSetKeyValueA(c.root, (CLASSES_KEY + ".vrk").c_str(), nullptr, REG_SZ, OTHER_PROGID, sizeof OTHER_PROGID);
        RegSetKeyValueA(c.root, (CLASSES_KEY + OTHER_PROGID).c_str(), nullptr, REG_SZ, "x", 2);
    }
    std::set<std::string> before = SnapshotInstallPlaces();
    bool readExample = false;
    example = ReadFileBytes(ExamplesFolder() + "\\hall.vrk", &readExample);
    ASSERT_TRUE(readExample);

    Install(c, c.ownFolder ? folder : "");
    CheckFiles();
    // The installer's keys and shortcut, in the install's own places only.
    std::string who = c.rootName;
    std::set<std::string> expectedNew;
    for (std::string entry : {who + " classes: .vrk", who + " classes: Quillmarch.Level", who + " classes: Applications",
                              who + " programs list: Quillmarch", std::string(c.startMenuName) + ": Quillmarch.lnk"}) {
        if (!before.count(entry))
            expectedNew.insert(entry);
    }
    std::set<std::string> afterInstall = SnapshotInstallPlaces();
    EXPECT_EQ(Missing(expectedNew, {}), Missing(afterInstall, before)) << "what the install added";
    EXPECT_EQ("  (none)\n", Missing(before, afterInstall)) << "what the install took away";
    CheckRegistry(c);
    TakeDetour(c, afterInstall);
    if (HasFailure())
        return;

    std::string levels = scratch + "\\My levels";
    CreateDirectoryA(levels.c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(levels + "\\castle keep.vrk", example));
    OpenThroughAssociation(c, levels + "\\castle keep.vrk");

    DWORD exitCode = 1;
    Uninstall(c, &exitCode);
    EXPECT_EQ(0u, exitCode) << "the silent uninstall";
    if (userFiles.empty()) {
        // Gone with the folders the install made.
        EXPECT_FALSE(FolderExists(folder)) << "the uninstall left " << folder;
        std::string made = c.ownFolder ? folder.substr(0, folder.rfind('\\')) : folder;
        EXPECT_FALSE(FolderExists(made)) << "the uninstall left the folder the install made: " << made;
    } else {
        EXPECT_EQ(userFiles, ListTree(folder)) << "what the uninstall left in " << folder;
        bool read = false;
        EXPECT_TRUE(ReadFileBytes(folder + "\\" + userFiles.front(), &read) == example && read)
            << "the user's " << userFiles.front() << " is gone or changed";
    }
    std::set<std::string> after = SnapshotInstallPlaces();
    EXPECT_EQ("  (none)\n", Missing(after, before)) << "what the uninstall left behind";
    EXPECT_EQ("  (none)\n", Missing(before, after)) << "what the uninstall took that was not the install's";
    if (c.detour == FOREIGN_FILE_TYPE) {
        EXPECT_EQ(OTHER_PROGID, ReadRegString(c.root, CLASSES_KEY + ".vrk", "")) << "the other program's default";
        EXPECT_FALSE(RegValueExists(c.root, CLASSES_KEY + ".vrk\\OpenWithProgids", "Quillmarch.Level"));
    }
}

}  // namespace

TEST_P(Installer, SilentInstallOpensLevelsAndUninstallsCleanly)
{
    InstallOpenAndUninstall(GetParam());
}

INSTANTIATE_TEST_SUITE_P(, Installer, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<InstallCase>& info) { return info.param.name; });
