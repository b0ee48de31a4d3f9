// Hands arbitrary bytes to the level reader through a real file, as Open
// does, and saves each level it loads back over that file, as Save does:
// a refused file leaves the level as it was, a loaded one is what the bytes
// parse to with its path remembered, and the saved file holds exactly the
// level's bytes, which `vrktool check` finds whole: the right length for
// its counts, and the portals it derives again from the sectors are those
// stored. The file has the longest name its folder allows, so the
// new file a save writes beside it must fit the limit on one name too.
// Slower than level_reader_fuzz (every save is flushed), so it runs less.
#include <stdint.h>
#include <string.h>

#include <string>

#include "fuzz_check.h"
#include "fuzz_files.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "portals.h"
#include "reader_invariants.h"
#include "structural_problem.h"

namespace {

// Loaded from the file: the same outcome as from memory, and on success the
// remembered path and a cleared modified flag.
int CheckLoadFromFile(const uint8_t* data, size_t size, const Claim& claim, const Level& parsed, int parseResult,
                      Level* level)
{
    const char* path = WriteFuzzInput(data, size);
    *level = PreviousLevel();
    int result = LoadLevel(level, path);
    CheckWarnings(claim, size, "LoadLevel");
    FUZZ_CHECK(result == parseResult, "LoadLevel: expected %d as ParseLevel gave, got %d", parseResult, result);
    if (result != 0) {
        FUZZ_CHECK(SameContents(*level, PreviousLevel()) && level->fileName == nullptr,
                   "a refused file changed the level");
        return result;
    }
    FUZZ_CHECK(level->fileName && strcmp(level->fileName, path) == 0, "LoadLevel did not remember the path");
    FUZZ_CHECK(level->modified == 0, "modified after a load: expected 0, got %d", level->modified);
    Level expected = parsed;
    expected.modified = 0;
    FUZZ_CHECK(SameContents(*level, expected), "LoadLevel and ParseLevel disagree");
    return result;
}

void CountStructuralProblem(const char* problem, void* context)
{
    if (IsStructuralProblem(problem))
        ++*static_cast<int*>(context);
}

// Saved over the file it came from after the portals are built, the file
// holds exactly the serialized level, nothing is left beside it, and the
// checker finds its structure whole.
void CheckSaveOverFile(Level* level)
{
    BuildPortals(level);
    std::string path = level->fileName;
    level->modified = 1;
    FUZZ_CHECK(SaveLevel(level, path.c_str()) == 0,
               "SaveLevel over the level's own file (a name of %zu characters) failed",
               FuzzInputNameLength());
    FUZZ_CHECK(level->modified == 0 && level->fileName && path == level->fileName,
               "SaveLevel did not remember the path or clear modified");
    static unsigned char expected[LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (MAX_SECTORS + MAX_PORTALS)];
    size_t size = SerializeLevel(level, expected, sizeof expected);
    std::string written = ReadWholeFile(path.c_str());
    FUZZ_CHECK(written.size() == size && memcmp(written.data(), expected, size) == 0,
               "saved file: expected %zu serialized bytes, got %zu different ones", size, written.size());
    int structural = 0;
    CheckLevelBytes(reinterpret_cast<const unsigned char*>(written.data()), written.size(), CountStructuralProblem,
                    &structural);
    FUZZ_CHECK(structural == 0, "the checker finds %d structural faults in a saved level", structural);
    FUZZ_CHECK(CountFuzzFiles() == 1, "a save left %d files in the folder, expected the level alone",
               CountFuzzFiles());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareReaderInvariants();
    PrepareFuzzFiles();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Claim claim = ReadClaim(data, size);
    static Level parsed;
    int parseResult = ParseAndCheck(data, size, claim, &parsed);

    static Level level;
    if (CheckLoadFromFile(data, size, claim, parsed, parseResult, &level) == 0) {
        CheckSaveOverFile(&level);
        FreeLevel(&level);
    }
    return 0;
}
