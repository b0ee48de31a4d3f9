// vrktool: looks at, checks and repairs .vrk level files without the editor.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <string>
#include <vector>

#include "file_layer.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "level_image.h"
#include "level_info.h"
#include "level_json.h"
#include "portals.h"
#include "tool_commands.h"
#include "version.h"

namespace {

const char USAGE_TEXT[] =
    "usage: vrktool info FILE [--json]     print every field and record of a level file\n"
    "       vrktool check FILE...          report problems, one line each; exit 0 none, 1 some, 2 unreadable\n"
    "       vrktool portals FILE [-o OUT]  rebuild the portals and save in place or to OUT\n"
    "       vrktool render FILE -o OUT.png [--size W H] [--scale N] [--portals] [--shade floor|ceiling]\n"
    "                                      draw the level as the editor shows it\n"
    "       vrktool build FILE.json -o OUT.vrk\n"
    "                                      write the level that info --json describes (FILE - reads stdin)\n"
    "       vrktool diff OLD NEW [--json]  what changed; exit 0 the same, 1 different, 2 unreadable\n"
    "       vrktool merge BASE OURS THEIRS -o OUT [--name PATH]\n"
    "                                      three-way merge; exit 0 clean, 1 conflicts (named on stderr), 2 unreadable\n"
    "       vrktool render NEW -o OUT.png --compare OLD\n"
    "                                      the changes since OLD marked: added cyan, removed magenta,\n"
    "                                      heights changed orange, the old start cell white\n"
    "       vrktool git-setup              make the git repository here ready for levels\n"
    "       -- ends the options: the arguments after it are files\n";

// The largest file a level can be: the header and 65535 records of each
// kind. A file is read to one byte past that, so anything beyond the level
// shows as trailing bytes without reading it all.
const size_t LARGEST_LEVEL = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (65535 + 65535);

}  // namespace

int ShowUsage()
{
    fputs(USAGE_TEXT, stderr);
    return 2;
}

bool ReadLevelFile(const char* path, LevelFileBytes* file)
{
    file->bytes.resize(LARGEST_LEVEL + 1);
    long got = ReadFilePrefix(path, file->bytes.data(), file->bytes.size(), &file->info);
    file->bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return got >= 0;
}

int SaveBuiltLevel(Level* level, const char* source, int leftOut, const char* out)
{
    if (leftOut > 0)
        fprintf(stderr, "%s: %d shared edges left out, the portal table holds %d\n", source, leftOut,
                static_cast<int>(MAX_SHARED_EDGES));
    int saved = SaveLevel(level, out);
    FreeLevel(level);
    if (saved != 0) {
        fprintf(stderr, "%s: unable to write level to file\n", out);
        return 1;
    }
    return 0;
}

namespace {

bool IsOption(const char* arg)
{
    return arg[0] == '-' && arg[1] != '\0';
}

// The arguments of info and portals: one FILE and the options the command
// takes, in any order, each at most once. "--" ends the options, so a file
// whose name starts with "-" can be given after it.
struct FileArgs {
    const char* path;
    bool json;        // info: --json
    const char* out;  // portals: -o OUT
};

bool ParseFileArgs(int argc, char** argv, bool takesJson, bool takesOut, FileArgs* args)
{
    *args = FileArgs{nullptr, false, nullptr};
    bool options = true;
    for (int i = 0; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && takesJson && !args->json && strcmp(argv[i], "--json") == 0)
            args->json = true;
        else if (options && takesOut && !args->out && strcmp(argv[i], "-o") == 0 && i + 1 < argc)
            args->out = argv[++i];
        else if ((options && IsOption(argv[i])) || args->path)
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
    LevelFileBytes file;
    if (!ReadLevelFile(args.path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", args.path, file.info.reason.c_str());
        return 2;
    }
    if (args.json)
        fputs(FormatLevelJson(file.bytes.data(), file.bytes.size(), file.info.size).c_str(), stdout);
    else
        PrintLevelInfo(stdout, file.bytes.data(), file.bytes.size(), file.info.size);
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
    // check takes no options; "--" lets the names that follow start with "-".
    std::vector<const char*> paths;
    bool options = true;
    for (int i = 0; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && IsOption(argv[i]))
            return ShowUsage();
        else
            paths.push_back(argv[i]);
    }
    if (paths.empty())
        return ShowUsage();
    bool unreadable = false;
    bool problems = false;
    for (const char* path : paths) {
        LevelFileBytes file;
        if (!ReadLevelFile(path, &file)) {
            printf("%s: cannot be read: %s\n", path, file.info.reason.c_str());
            unreadable = true;
            continue;
        }
        ProblemContext context = {path};
        if (CheckLevelFile(file.bytes.data(), file.bytes.size(), file.info.size, PrintProblem, &context) > 0)
            problems = true;
    }
    if (unreadable)
        return 2;
    return problems ? 1 : 0;
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
    bool inPlace = !args.out;

    // In place, a target that is not a regular file is refused like any
    // other the tool will not replace (exit 1); as mere input it is a file
    // that cannot be read (exit 2).
    LevelFileBytes file;
    if (!ReadLevelFile(path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", path, file.info.reason.c_str());
        return inPlace && file.info.notRegular ? 1 : 2;
    }
    static Level level;  // the one level this run works on
    level = NewLevel();
    g_loadingPath = path;
    SetLevelWarningHook(PrintLoadWarning);
    int parsed = ParseLevel(&level, file.bytes.data(), file.bytes.size());
    SetLevelWarningHook(nullptr);
    if (parsed != 0) {
        fprintf(stderr, "%s: unable to read level from file\n", path);
        return 2;
    }
    // The reader takes only the header and the sectors, so almost any file
    // loads; only a file that is exactly the level its header describes is
    // rewritten in place, so nothing else can be lost.
    LevelImage image;
    ReadLevelImage(file.bytes.data(), file.bytes.size(), file.info.size, &image);
    if (inPlace && image.size != image.claimedSize) {
        fprintf(stderr, "%s: %llu bytes, but its header describes a level of %llu; left as it is (-o OUT writes "
                        "the rebuilt level to another file)\n",
                path, static_cast<unsigned long long>(image.size), static_cast<unsigned long long>(image.claimedSize));
        return 1;
    }
    return SaveBuiltLevel(&level, path, BuildPortals(&level), out);
}

// Output that never reached its file must not pass for success: a full
// disk or a closed pipe gives exit code 2 and a message.
int FinishOutput(int result)
{
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "vrktool: cannot write to standard output: %s\n", strerror(errno));
        return 2;
    }
    return result;
}

int RunCommand(int argc, char** argv)
{
    if (argc < 2)
        return ShowUsage();
    std::string command = argv[1];
    if (command == "-h" || command == "--help" || command == "help") {
        fputs(USAGE_TEXT, stdout);
        return 0;
    }
    if (command == "--version") {
        puts("vrktool " QM_VERSION_TEXT);
        return 0;
    }
    if (command == "info")
        return InfoCommand(argc - 2, argv + 2);
    if (command == "check")
        return CheckCommand(argc - 2, argv + 2);
    if (command == "portals")
        return PortalsCommand(argc - 2, argv + 2);
    if (command == "render")
        return RenderCommand(argc - 2, argv + 2);
    if (command == "build")
        return BuildCommand(argc - 2, argv + 2);
    if (command == "diff")
        return DiffCommand(argc - 2, argv + 2);
    if (command == "merge")
        return MergeCommand(argc - 2, argv + 2);
    if (command == "git-setup")
        return GitSetupCommand(argc - 2, argv + 2);
    return ShowUsage();
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    // Lines end in LF on every system, so both builds print the same bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
#endif
    return FinishOutput(RunCommand(argc, argv));
}
