// vrktool info: every field and record of a level file, as lines or JSON.
#include <stdio.h>

#include <string>

#include "level_info.h"
#include "level_json.h"
#include "tool_commands.h"

namespace {

struct InfoArgs {
    std::string path;
    bool json = false;
};
InfoArgs g_args;  // this run's arguments

void DefineInfo(CLI::App* command)
{
    command->add_option("FILE", g_args.path, "the level file; - reads standard input")->required();
    command->add_flag("--json", g_args.json, "print one JSON document, as build reads it, instead of lines")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
}

int RunInfo()
{
    LevelFileBytes file;
    if (!ReadLevelFile(g_args.path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", ShownName(g_args.path), file.info.reason.c_str());
        return TOOL_FAILED;
    }
    if (g_args.json)
        fputs(FormatLevelJson(file.bytes.data(), file.bytes.size(), file.info.size).c_str(), stdout);
    else
        PrintLevelInfo(stdout, file.bytes.data(), file.bytes.size(), file.info.size);
    return TOOL_DONE;
}

}  // namespace

const ToolCommand INFO_COMMAND = {"info", "print every field and record of a level file", DefineInfo, RunInfo};
