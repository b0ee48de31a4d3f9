// What the commands of vrktool share: reading a level file or standard
// input, writing a file or standard output, loading and saving a level.
// Levels are loaded here alone, for every command.
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
#include "level_file.h"
#include "portals.h"
#include "tool_commands.h"

const char STANDARD_STREAM[] = "-";

namespace {

// The largest file a level can be: the header and 65535 records of each
// kind. A file is read to one byte past that, so anything beyond the level
// shows as trailing bytes without keeping it all.
const size_t LARGEST_LEVEL = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (65535 + 65535);

// Standard input to its end: the first capacity bytes kept, the rest only
// counted. In binary mode on Windows too, so a Ctrl+Z or a carriage return
// is read as it was sent.
bool ReadStandardInput(size_t capacity, LevelFileBytes* file)
{
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    file->bytes.clear();
    file->info = FileReadInfo{0, false, ""};
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, stdin)) > 0) {
        size_t kept = file->bytes.size() < capacity ? capacity - file->bytes.size() : 0;
        file->bytes.insert(file->bytes.end(), chunk, chunk + (got < kept ? got : kept));
        file->info.size += got;
    }
    if (ferror(stdin)) {
        file->info.reason = "read failed";
        return false;
    }
    return true;
}

}  // namespace

const CLI::Validator WHOLE_NUMBER(
    [](std::string& text) {
        if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos)
            return std::string("not a whole number: ") + text;
        text.erase(0, text.find_first_not_of('0') == std::string::npos ? text.size() - 1
                                                                       : text.find_first_not_of('0'));
        return std::string();
    },
    "", "WHOLE_NUMBER");

const char* ShownName(const std::string& path)
{
    return path == STANDARD_STREAM ? "(standard input)" : path.c_str();
}

bool ReadInputFile(const std::string& path, size_t capacity, LevelFileBytes* file)
{
    if (path == STANDARD_STREAM)
        return ReadStandardInput(capacity, file);
    file->bytes.resize(capacity);
    long got = ReadFilePrefix(path.c_str(), file->bytes.data(), file->bytes.size(), &file->info);
    file->bytes.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return got >= 0;
}

bool ReadLevelFile(const std::string& path, LevelFileBytes* file)
{
    return ReadInputFile(path, LARGEST_LEVEL + 1, file);
}

bool WriteOutputFile(const std::string& out, const std::vector<unsigned char>& bytes, const char* what)
{
    if (out == STANDARD_STREAM) {
        // A failed write shows at the end, where standard output is flushed.
        fwrite(bytes.data(), 1, bytes.size(), stdout);
        return true;
    }
    std::string reason;
    if (ReplaceFileContents(out.c_str(), bytes.data(), bytes.size(), &reason) != 0) {
        fprintf(stderr, "%s: unable to write %s to file: %s\n", out.c_str(), what, reason.c_str());
        return false;
    }
    return true;
}

bool IsOutputTheInput(const std::string& path, const std::string& out)
{
    return path != STANDARD_STREAM && out != STANDARD_STREAM && IsSameFile(path.c_str(), out.c_str());
}

void SayOutputIsTheInput(const std::string& out)
{
    fprintf(stderr, "%s: is the input file; vrktool writes this output to another file only\n", out.c_str());
}

void PrintLoadWarnings(const std::string& path, const std::vector<LoadWarning>& warnings)
{
    for (const LoadWarning& warning : warnings)
        fprintf(stderr, "%s: %s\n", ShownName(path), warning.text.c_str());
}

bool LoadStoredLevel(const std::string& path, Level* level, const std::string& shown)
{
    const char* name = shown.empty() ? ShownName(path) : shown.c_str();
    LevelFileBytes file;
    if (!ReadLevelFile(path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, file.info.reason.c_str());
        return false;
    }
    std::vector<LoadWarning> warnings;
    if (!LoadLevelBytes(file.bytes, level, &warnings)) {
        // The reader's refusal, when it gave one, is the reason; a version
        // warning is none, since the comparison names the version.
        std::string reason = "unable to read level from file";
        for (const LoadWarning& warning : warnings) {
            if (warning.kind == LEVEL_WARNING_TOO_MANY_SECTORS)
                reason = warning.text;
        }
        fprintf(stderr, "%s: cannot be loaded: %s\n", name, reason.c_str());
        return false;
    }
    TakeStoredPortals(file.bytes, file.info.size, level);
    return true;
}

bool SaveBuiltLevel(const Level& level, const std::string& source, int leftOut, const std::string& out)
{
    if (leftOut > 0)
        fprintf(stderr, "%s: %d shared edges left out, the portal table holds %d\n", ShownName(source), leftOut,
                static_cast<int>(MAX_SHARED_EDGES));
    std::vector<unsigned char> bytes(LevelFileSize(&level));
    return SerializeLevel(&level, bytes.data(), bytes.size()) == bytes.size() && WriteOutputFile(out, bytes, "level");
}
