// vrktool build: a level file from its JSON document.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "file_layer.h"
#include "level.h"
#include "level_file.h"
#include "level_json.h"
#include "tool_commands.h"

namespace {

// The document of the largest level is about 150 kilobytes; spaces aside,
// nothing bigger can be one.
const size_t LARGEST_DOCUMENT = 16u << 20;

// A named document, read through the file layer like every level file: a
// regular file only, never waited on.
bool ReadDocument(const char* path, std::vector<unsigned char>* bytes, std::string* error)
{
    bytes->resize(LARGEST_DOCUMENT + 1);
    FileReadInfo info;
    long got = ReadFilePrefix(path, bytes->data(), bytes->size(), &info);
    bytes->resize(got > 0 ? static_cast<size_t>(got) : 0);
    if (got < 0)
        *error = info.reason;
    else if (bytes->size() > LARGEST_DOCUMENT)
        *error = "larger than any level document";
    return got >= 0 && bytes->size() <= LARGEST_DOCUMENT;
}

// Standard input as bytes: in binary mode on Windows too, so a Ctrl+Z or
// a carriage return in a piped document is read as it was sent.
bool ReadStandardInput(std::vector<unsigned char>* bytes, std::string* error)
{
#ifdef _WIN32
    _setmode(_fileno(stdin), _O_BINARY);
#endif
    bytes->clear();
    unsigned char chunk[65536];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, stdin)) > 0) {
        bytes->insert(bytes->end(), chunk, chunk + got);
        if (bytes->size() > LARGEST_DOCUMENT) {
            *error = "larger than any level document";
            return false;
        }
    }
    if (ferror(stdin)) {
        *error = "read failed";
        return false;
    }
    return true;
}

}  // namespace

int BuildCommand(int argc, char** argv)
{
    const char* path = nullptr;
    const char* out = nullptr;
    bool options = true;  // "--" ends them, so a file may start with "-"
    for (int i = 0; i < argc; i++) {
        if (options && strcmp(argv[i], "--") == 0)
            options = false;
        else if (options && strcmp(argv[i], "-o") == 0 && !out && i + 1 < argc)
            out = argv[++i];
        else if ((options && argv[i][0] == '-' && argv[i][1] != '\0') || path)
            return ShowUsage();
        else
            path = argv[i];
    }
    if (!path || !out)
        return ShowUsage();

    bool fromStdin = strcmp(path, "-") == 0;
    const char* name = fromStdin ? "(standard input)" : path;
    std::vector<unsigned char> text;
    std::string error;
    if (!(fromStdin ? ReadStandardInput(&text, &error) : ReadDocument(path, &text, &error))) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, error.c_str());
        return 2;
    }

    static Level level;  // the one level this run builds
    level = NewLevel();
    JsonBuild build;
    std::vector<std::string> problems;
    if (!BuildLevelFromJson(reinterpret_cast<const char*>(text.data()), text.size(), &level, &build, &problems)) {
        for (const std::string& problem : problems)
            fprintf(stderr, "%s: %s\n", name, problem.c_str());
        return 1;
    }
    return SaveBuiltLevel(&level, name, build.leftOut, out);
}
