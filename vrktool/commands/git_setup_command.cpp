// vrktool git-setup: makes the git repository around the working folder
// ready for levels in one step: the attributes, the textconv and the merge
// driver in the repository's own config, and a pre-commit hook that checks
// the staged levels. Running it again changes nothing.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "file_layer.h"
#include "platform.h"
#include "tool_commands.h"

namespace {

const char ATTRIBUTES_LINE[] = "*.vrk diff=vrk merge=vrk";
const char HOOK_MARK[] = "# Made by vrktool git-setup.";
const char MERGE_NAME[] = "Quillmarch levels (vrktool merge)";
// The largest .gitattributes or hook the tool will read and add to.
const size_t LARGEST_TEXT = 1 << 20;

// The value quoted for git's shell; forward slashes on Windows, which
// git's shell reads as they are.
std::string ShellQuote(std::string text)
{
#ifdef _WIN32
    for (char& c : text) {
        if (c == '\\')
            c = '/';
    }
#endif
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// git expands %O, %A, %P... inside a merge driver's command, so a % of the
// path is written %% there.
std::string DriverQuote(const std::string& path)
{
    std::string text;
    for (char c : ShellQuote(path))
        text += c == '%' ? std::string("%%") : std::string(1, c);
    return text;
}

// What git prints without its line end; false when git failed.
bool AskGit(const std::vector<std::string>& args, std::string* answer)
{
    std::vector<std::string> command = {"git"};
    command.insert(command.end(), args.begin(), args.end());
    if (RunProgram(command, answer) != 0)
        return false;
    while (!answer->empty() && (answer->back() == '\n' || answer->back() == '\r'))
        answer->pop_back();
    return true;
}

bool IsAbsolute(const std::string& path)
{
    return (!path.empty() && (path[0] == '/' || path[0] == '\\')) || (path.size() > 1 && path[1] == ':');
}

// A text file's contents; a missing file is empty. False when it exists
// but cannot be read whole.
bool ReadText(const std::string& path, std::string* text)
{
    text->clear();
    if (!PathExists(path))
        return true;
    std::vector<unsigned char> bytes(LARGEST_TEXT + 1);
    FileReadInfo info;
    long got = ReadFilePrefix(path.c_str(), bytes.data(), bytes.size(), &info);
    if (got < 0 || static_cast<size_t>(got) > LARGEST_TEXT) {
        fprintf(stderr, "%s: cannot be read: %s\n", path.c_str(), got < 0 ? info.reason.c_str() : "too large");
        return false;
    }
    text->assign(bytes.begin(), bytes.begin() + got);
    return true;
}

bool WriteText(const std::string& path, const std::string& text)
{
    if (ReplaceFileContents(path.c_str(), reinterpret_cast<const unsigned char*>(text.data()), text.size()) == 0)
        return true;
    fprintf(stderr, "%s: unable to write file\n", path.c_str());
    return false;
}

bool HasLine(const std::string& text, const std::string& wanted)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        if (line == wanted)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

bool SetUpAttributes(const std::string& top)
{
    std::string path = top + "/.gitattributes";
    std::string text;
    if (!ReadText(path, &text))
        return false;
    if (HasLine(text, ATTRIBUTES_LINE)) {
        printf("%s: already has %s\n", path.c_str(), ATTRIBUTES_LINE);
        return true;
    }
    if (!text.empty() && text.back() != '\n')
        text += '\n';
    text += std::string(ATTRIBUTES_LINE) + "\n";
    if (!WriteText(path, text))
        return false;
    printf("%s: added %s\n", path.c_str(), ATTRIBUTES_LINE);
    return true;
}

// git config writes the file through its own lock, whole or not at all.
bool SetConfig(const std::string& key, const std::string& value)
{
    std::string current;
    if (AskGit({"config", "--local", "--get", key}, &current) && current == value) {
        printf("git config %s: already set\n", key.c_str());
        return true;
    }
    std::string ignored;
    if (!AskGit({"config", "--local", key, value}, &ignored)) {
        fprintf(stderr, "git config %s: git could not set it\n", key.c_str());
        return false;
    }
    printf("git config %s %s\n", key.c_str(), value.c_str());
    return true;
}

// Checks what the commit takes, the staged content, not the work tree. The
// names come NUL-separated (-z) and reach the loop as arguments, so a name
// may hold any character, a newline too.
std::string MakeHookScript(const std::string& tool)
{
    return std::string("#!/bin/sh\n") + HOOK_MARK +
           "\n"
           "# Refuses a commit whose staged levels have problems, as vrktool check names them.\n"
           "vrktool=" +
           ShellQuote(tool) +
           "\n"
           "export vrktool\n"
           "git diff --cached --name-only --diff-filter=ACMR -z -- '*.vrk' | xargs -0 sh -c '\n"
           "status=0\n"
           "for path; do\n"
           "    report=$(git show \":$path\" | \"$vrktool\" check - 2>&1) && continue\n"
           "    status=1\n"
           "    printf \"%s\\n\" \"$report\" | while IFS= read -r line; do\n"
           "        printf \"%s%s\\n\" \"$path\" \"${line#\"(standard input)\"}\" >&2\n"
           "    done\n"
           "done\n"
           "exit $status' vrktool-pre-commit && exit 0\n"
           "echo 'pre-commit: commit refused: the staged levels above have problems' >&2\n"
           "exit 1\n";
}

bool WriteHook(const std::string& path, const std::string& script)
{
    std::string text;
    if (!ReadText(path, &text))
        return false;
    if (text == script) {
        printf("%s: already in place\n", path.c_str());
        return true;
    }
    if (!WriteText(path, script))
        return false;
    MakeExecutable(path);
    printf("%s: written\n", path.c_str());
    return true;
}

// A pre-commit hook of someone else's is kept as it is: ours goes beside
// it, and the message says how to chain it.
bool SetUpHook(const std::string& hooks, const std::string& tool)
{
    if (!MakeFolder(hooks)) {
        fprintf(stderr, "%s: unable to make the folder\n", hooks.c_str());
        return false;
    }
    std::string hook = hooks + "/pre-commit";
    std::string script = MakeHookScript(tool);
    std::string existing;
    if (!ReadText(hook, &existing))
        return false;
    if (existing.empty() || existing.find(HOOK_MARK) != std::string::npos)
        return WriteHook(hook, script);
    std::string beside = hooks + "/vrktool-pre-commit";
    if (!WriteHook(beside, script))
        return false;
    if (existing.find(ShellQuote(beside)) != std::string::npos || existing.find(beside) != std::string::npos) {
        printf("%s: not made by vrktool, left as it is; it runs %s: already set up\n", hook.c_str(), beside.c_str());
        return true;
    }
    printf("%s: not made by vrktool, left as it is; to check staged levels too, add this line to it:\n"
           "    %s || exit 1\n",
           hook.c_str(), ShellQuote(beside).c_str());
    return true;
}

void DefineGitSetup(CLI::App* command)
{
    command->footer("Run inside a git work tree. Adds *.vrk diff=vrk merge=vrk to .gitattributes, sets "
                    "diff.vrk.textconv, merge.vrk.name and merge.vrk.driver in the repository's own config, "
                    "naming this vrktool by its full path, and writes a pre-commit hook that runs check on "
                    "the staged content of each staged level; a pre-commit hook of someone else's is left as "
                    "it is. Running it again changes nothing.\n\n" +
                    command->get_footer());
}

int RunGitSetup()
{
    std::string tool = GetToolPath();
    if (tool.empty()) {
        fprintf(stderr, "vrktool git-setup: the system does not say where vrktool is\n");
        return TOOL_FAILED;
    }
    std::string top;
    std::string inside;
    if (!AskGit({"rev-parse", "--is-inside-work-tree"}, &inside) || inside != "true" ||
        !AskGit({"rev-parse", "--show-toplevel"}, &top) || top.empty()) {
        fprintf(stderr, "vrktool git-setup: run it inside a git work tree (git must be on PATH)\n");
        return TOOL_FAILED;
    }
    // git names the hooks folder relative to the folder it runs in: asked
    // from the top, it is the top's.
    std::string hooks;
    if (!AskGit({"-C", top, "rev-parse", "--git-path", "hooks"}, &hooks) || hooks.empty()) {
        fprintf(stderr, "vrktool git-setup: git did not name the hooks folder\n");
        return TOOL_FAILED;
    }
    if (!IsAbsolute(hooks))
        hooks = top + "/" + hooks;
    // Everything is read, and the hooks folder's place checked, before
    // anything is written: a step that cannot be done changes nothing.
    std::string text;
    size_t slash = hooks.find_last_of("/\\");
    if (!PathExists(hooks) && (slash == std::string::npos || !PathExists(hooks.substr(0, slash)))) {
        fprintf(stderr, "%s: unable to make the folder: its parent is missing\n", hooks.c_str());
        return TOOL_FAILED;
    }
    if (!ReadText(top + "/.gitattributes", &text) || !ReadText(hooks + "/pre-commit", &text) ||
        !ReadText(hooks + "/vrktool-pre-commit", &text))
        return TOOL_FAILED;
    // Each step is done or already done; a failed one stops the rest.
    bool done = SetUpAttributes(top) && SetConfig("diff.vrk.textconv", ShellQuote(tool) + " info") &&
                SetConfig("merge.vrk.name", MERGE_NAME) &&
                SetConfig("merge.vrk.driver", DriverQuote(tool) + " merge %O %A %B -o %A --name %P") &&
                SetUpHook(hooks, tool);
    return done ? TOOL_DONE : TOOL_FAILED;
}

}  // namespace

const ToolCommand GIT_SETUP_COMMAND = {"git-setup", "make the git repository here ready for levels",
                                       DefineGitSetup, RunGitSetup};
