// vrktool git-setup: which git it starts. What it does in a repository is
// tested with a real git in level_repository_test.sh.
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "vrktool_cli.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#endif

namespace {

#ifdef _WIN32
const char PATH_SEPARATOR[] = ";";
const char GIT_NAME[] = "git.exe";

std::wstring GetPath()
{
    std::wstring path(32767, L'\0');
    path.resize(GetEnvironmentVariableW(L"PATH", &path[0], static_cast<DWORD>(path.size())));
    return path;
}

void SetPath(const std::wstring& path)
{
    SetEnvironmentVariableW(L"PATH", path.c_str());
}
#else
const char PATH_SEPARATOR[] = ":";
const char GIT_NAME[] = "git";

std::string GetPath()
{
    const char* path = getenv("PATH");
    return path ? path : "";
}

void SetPath(const std::string& path)
{
    setenv("PATH", path.c_str(), 1);
}
#endif

}  // namespace

// git is started from PATH's absolute entries only, never from the current
// folder or a relative entry. The git here is a copy of vrktool, which
// names git's first argument as an unknown command when it is started.
TEST_F(VrktoolCli, GitSetupStartsOnlyTheGitOnPath)
{
    const auto original = GetPath();
    std::filesystem::create_directory(levels.Path("bin"));
    const struct {
        std::string folder, path;
        bool started;
        const char* what;
    } cases[] = {
        {"", levels.Path("bin"), false, "a git in the current folder"},
        {"bin", std::string("bin") + PATH_SEPARATOR + ".", false, "a git in PATH's relative entries"},
        {"bin", levels.Path("bin"), true, "a git in PATH's absolute entry"},
    };
    ToolRunOptions inLevels;
    inLevels.workingFolder = levels.Root();
    for (const auto& c : cases) {
        std::string git = levels.Path(c.folder.empty() ? GIT_NAME : c.folder + "/" + GIT_NAME);
        std::filesystem::copy_file(NativeProgramPath(VRKTOOL_PATH), git);
        std::filesystem::permissions(git, std::filesystem::perms::owner_all, std::filesystem::perm_options::add);
        SetPath(std::filesystem::path(c.path).native());
        ToolRun run = Run({"git-setup"}, inLevels);
        SetPath(original);
        std::filesystem::remove(git);
        EXPECT_EQ(2, run.exitCode) << c.what;
        EXPECT_EQ(c.started, run.err.find("unknown command: rev-parse") != std::string::npos) << c.what << ": " << run.err;
        EXPECT_NE(std::string::npos, run.err.find("run it inside a git work tree")) << c.what << ": " << run.err;
    }
}
