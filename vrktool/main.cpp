// vrktool: looks at, checks and repairs .vrk level files without the editor.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "level_info.h"
#include "portals.h"

namespace {

const char kUsage[] =
    "usage: vrktool info FILE [--json]     print every field and record of a level file\n"
    "       vrktool check FILE...          report problems, one line each; exit 0 none, 1 some, 2 unreadable\n"
    "       vrktool portals FILE [-o OUT]  rebuild the portals and save in place or to OUT\n";

// No level is more than 9 + 10 x (65535 + 65535) bytes; a larger file is
// not read into memory.
const size_t kLargestFile = 16u << 20;

int ShowUsage()
{
    fputs(kUsage, stderr);
    return 2;
}

// Reads the whole file. On failure returns false with the reason in error.
bool ReadWholeFile(const char* path, std::vector<unsigned char>* bytes, std::string* error)
{
    FILE* file = fopen(path, "rb");
    if (!file) {
        *error = strerror(errno);
        return false;
    }
    bytes->clear();
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (bytes->size() > kLargestFile) {
            fclose(file);
            *error = "larger than any level";
            return false;
        }
    }
    bool failed = ferror(file) != 0;
    if (failed)
        *error = strerror(errno);
    fclose(file);
    return !failed;
}

bool IsOption(const char* arg)
{
    return arg[0] == '-' && arg[1] != '\0';
}

// The arguments of info and portals: one FILE and the options the command
// takes, in any order, each at most once.
struct FileArgs {
    const char* path;
    bool json;        // info: --json
    const char* out;  // portals: -o OUT
};

bool ParseFileArgs(int argc, char** argv, bool takesJson, bool takesOut, FileArgs* args)
{
    *args = FileArgs{nullptr, false, nullptr};
    for (int i = 0; i < argc; i++) {
        if (takesJson && !args->json && strcmp(argv[i], "--json") == 0)
            args->json = true;
        else if (takesOut && !args->out && strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            args->out = argv[++i];
        else if (IsOption(argv[i]) || args->path)
            return false;
        else
            args->path = argv[i];
    }
    return args->path != nullptr;
}

int InfoCommand(int argc, char** argv)
{
    FileArgs args;
    if (!ParseFileArgs(argc, argv, true, false, &args))
        return ShowUsage();
    const char* path = args.path;
    std::vector<unsigned char> bytes;
    std::string error;
    if (!ReadWholeFile(path, &bytes, &error)) {
        fprintf(stderr, "%s: cannot be read: %s\n", path, error.c_str());
        return 2;
    }
    PrintLevelInfo(stdout, bytes.data(), bytes.size(), args.json);
    return 0;
}

struct ProblemContext {
    const char* path;
};

void PrintProblem(const char* problem, void* context)
{
    printf("%s: %s\n", static_cast<ProblemContext*>(context)->path, problem);
}

int CheckCommand(int argc, char** argv)
{
    if (argc == 0)
        return ShowUsage();
    for (int i = 0; i < argc; i++) {
        if (IsOption(argv[i]))
            return ShowUsage();
    }
    bool unreadable = false;
    bool problems = false;
    for (int i = 0; i < argc; i++) {
        std::vector<unsigned char> bytes;
        std::string error;
        if (!ReadWholeFile(argv[i], &bytes, &error)) {
            printf("%s: cannot be read: %s\n", argv[i], error.c_str());
            unreadable = true;
            continue;
        }
        ProblemContext context = {argv[i]};
        if (CheckLevelBytes(bytes.data(), bytes.size(), PrintProblem, &context) > 0)
            problems = true;
    }
    return unreadable ? 2 : problems ? 1 : 0;
}

const char* g_loadingPath = "";  // named in the reader's warnings

void PrintLoadWarning(const char* text)
{
    fprintf(stderr, "%s: %s\n", g_loadingPath, text);
}

int PortalsCommand(int argc, char** argv)
{
    FileArgs args;
    if (!ParseFileArgs(argc, argv, false, true, &args))
        return ShowUsage();
    const char* path = args.path;
    const char* out = args.out ? args.out : path;

    static Level level;  // the one level this run works on
    level = NewLevel();
    g_loadingPath = path;
    SetLevelWarningHook(PrintLoadWarning);
    int loaded = LoadLevel(&level, path);
    SetLevelWarningHook(nullptr);
    if (loaded != 0) {
        fprintf(stderr, "%s: unable to read level from file\n", path);
        return 2;
    }
    int leftOut = BuildPortals(&level);
    if (leftOut > 0)
        fprintf(stderr, "%s: %d shared edges left out, the portal table holds %d\n", path, leftOut,
                static_cast<int>(MAX_SHARED_EDGES));
    int saved = SaveLevel(&level, out);
    FreeLevel(&level);
    if (saved != 0) {
        fprintf(stderr, "%s: unable to write level to file\n", out);
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return ShowUsage();
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        fputs(kUsage, stdout);
        return 0;
    }
    if (command == "info")
        return InfoCommand(argc - 2, argv + 2);
    if (command == "check")
        return CheckCommand(argc - 2, argv + 2);
    if (command == "portals")
        return PortalsCommand(argc - 2, argv + 2);
    return ShowUsage();
}
