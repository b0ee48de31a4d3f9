// vrktool run as a program, one file per command: the fixture that runs it
// and the levels several commands' tests share.
#ifndef QUILLMARCH_VRKTOOL_CLI_H
#define QUILLMARCH_VRKTOOL_CLI_H

#include <gtest/gtest.h>

#include <stdint.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_bytes.h"
#include "level_file.h"
#include "level_test_support.h"
#include "portals.h"
#include "run_tool.h"

typedef std::vector<std::string> Args;

// Each test has a folder for its levels and one for the tool's output.
class VrktoolCli : public ::testing::Test {
protected:
    ToolRun Run(const Args& args, const ToolRunOptions& options = ToolRunOptions())
    {
        ToolRun run = RunTool(NativeProgramPath(VRKTOOL_PATH), args, outputs.Root(), options);
        // A sanitizer report or a crash must never pass for a result.
        EXPECT_EQ(std::string::npos, run.err.find("Sanitizer")) << run.err;
        EXPECT_EQ(std::string::npos, run.err.find("runtime error")) << run.err;
        return run;
    }

    std::string Write(const std::string& name, const Bytes& bytes)
    {
        std::string path = levels.Path(name);
        WriteFileBytes(path, bytes);
        return path;
    }

    ScratchFolder levels;
    ScratchFolder outputs;
};

// Two one-cell sectors side by side with their portals, start in the first.
inline Level TwoCells()
{
    Level level = NewLevel();
    level.sectors[0] = MakeSector(0, 0, 1, 1);
    level.sectors[1] = MakeSector(1, 0, 2, 1, 10, 250);
    level.sectorCount = 2;
    BuildPortals(&level);
    return level;
}

inline std::string ExamplePath(const std::string& name)
{
    return NativeProgramPath(std::string(QM_SOURCE_DIR) + "/examples/" + name);
}

inline Sector WithHeights(Sector s, int floor, int ceiling)
{
    s.floorHeight = static_cast<uint8_t>(floor);
    s.ceilingHeight = static_cast<uint8_t>(ceiling);
    return s;
}

const Sector HALL = MakeSector(0, 0, 8, 6, 0, 96);
const Sector EAST = MakeSector(8, 1, 12, 5, 8, 80);
const Sector SOUTH = MakeSector(2, 6, 6, 10, 16, 96);

// A level with its portals as the editor builds them.
inline Level MakeBuiltLevel(const std::vector<Sector>& sectors, int startX = 2, int startY = 2, int version = 2)
{
    Level level = NewLevel();
    for (const Sector& s : sectors)
        level.sectors[level.sectorCount++] = s;
    level.startX = static_cast<uint16_t>(startX);
    level.startY = static_cast<uint16_t>(startY);
    level.version = static_cast<uint8_t>(version);
    BuildPortals(&level);
    return level;
}

#endif
