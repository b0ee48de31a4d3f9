// vrktool: looks at, checks and repairs .vrk level files without the editor.
// Each command lives in a file of its own; this table lists them.
#include <errno.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <string>
#include <vector>

#include "tool_commands.h"
#include "platform.h"
#include "version.h"

namespace {

const ToolCommand* const COMMANDS[] = {
    &INFO_COMMAND,
    &CHECK_COMMAND,
    &PORTALS_COMMAND,
    &RENDER_COMMAND,
    &EXPORT_COMMAND,
    &BUILD_COMMAND,
    &DIFF_COMMAND,
    &MERGE_COMMAND,
    &GIT_SETUP_COMMAND,
    &REVIEW_COMMAND,
};

const char TOOL_FOOTER[] = "- as FILE is standard input, -o - standard output; -- ends the options, so the\n"
                           "arguments after it are files. vrktool COMMAND --help lists that command's options.";

}  // namespace

const char EXIT_CODE_RULE[] =
    "Exit codes, the same for every command: 0 done, and nothing found; 1 done, and\n"
    "something found (check's problems, differences, conflicts, a level render will\n"
    "not draw); 2 the command could not do its job (bad arguments, an input it cannot\n"
    "load as a level, an output it cannot write).";

namespace {

// Output that never reached its file must not pass for success: a full
// disk or a closed pipe gives exit code 2 and a message.
int FinishOutput(int result)
{
    if (fflush(stdout) != 0 || ferror(stdout)) {
        fprintf(stderr, "vrktool: cannot write to standard output: %s\n", strerror(errno));
        return TOOL_FAILED;
    }
    return result;
}

int RunTool(int argc, char** argv)
{
    CLI::App tool("vrktool " QM_VERSION_TEXT ": looks at, checks and repairs .vrk level files", "vrktool");
    tool.set_version_flag("--version", "vrktool " QM_VERSION_TEXT, "print the version and exit");
    tool.require_subcommand(1);
    // A path such as /levels/x.vrk is a file on every system, never a
    // Windows-style option.
    tool.allow_windows_style_options(false);
    tool.footer(std::string(TOOL_FOOTER) + "\n\n" + EXIT_CODE_RULE);
    // Every option may be given once; a second one is a mistake to name.
    tool.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    for (const ToolCommand* command : COMMANDS) {
        CLI::App* subcommand = tool.add_subcommand(command->name, command->summary);
        subcommand->footer(EXIT_CODE_RULE);
        command->define(subcommand);
    }

    // "vrktool help" is the same as "vrktool --help".
    char helpOption[] = "--help";
    if (argc == 2 && strcmp(argv[1], "help") == 0)
        argv[1] = helpOption;
    try {
        tool.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        fputs(tool.help().c_str(), stdout);
        return TOOL_DONE;
    } catch (const CLI::CallForAllHelp&) {
        fputs(tool.help("", CLI::AppFormatMode::All).c_str(), stdout);
        return TOOL_DONE;
    } catch (const CLI::CallForVersion& version) {
        printf("%s\n", version.what());
        return TOOL_DONE;
    } catch (const CLI::ParseError& error) {
        // One short line naming what was wrong, and where to look. An
        // argument the parser set aside is named before what it then missed.
        std::string where = "vrktool";
        std::vector<std::string> unexpected = tool.remaining();
        for (const CLI::App* command : tool.get_subcommands()) {
            where += " " + command->get_name();
            unexpected = command->remaining();
        }
        std::string what = error.what();
        if (where == "vrktool" && argc > 1 && argv[1][0] != '-')
            what = std::string("unknown command: ") + argv[1];
        else if (!unexpected.empty())
            what = "The following argument was not expected: " + unexpected[0];
        fprintf(stderr, "%s: %s\n%s --help lists the arguments.\n", where.c_str(), what.c_str(), where.c_str());
        return TOOL_FAILED;
    }
    for (const ToolCommand* command : COMMANDS) {
        if (tool.got_subcommand(command->name))
            return command->run();
    }
    return TOOL_FAILED;
}

}  // namespace

int main(int argc, char** argv)
{
#ifdef _WIN32
    if (!UseUtf8Arguments(&argc, &argv))
        return 2;
    // Lines end in LF on every system, so both builds print the same bytes;
    // a level or a picture written to standard output keeps its bytes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    UseConsoleOutput();
    int result = FinishOutput(RunTool(argc, argv));
    FinishConsoleOutput();
    return result;
#else
    return FinishOutput(RunTool(argc, argv));
#endif
}
