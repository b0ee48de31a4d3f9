// vrktool render: a level's map view as a PNG picture.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "compare_picture.h"
#include "file_layer.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "level_image.h"
#include "map_picture.h"
#include "png_file.h"
#include "tool_commands.h"

namespace {

struct RenderArgs {
    const char* path;
    const char* out;
    long width, height;  // 0: the default size
    long scale;
    bool portals;
    SectorShade shade;
    const char* compare;  // --compare OLD: the changes since OLD marked
};

// A whole number in 1..largest written as plain digits.
bool ParseCount(const char* text, long largest, long* value)
{
    if (!*text || strlen(text) > 6 || strspn(text, "0123456789") != strlen(text))
        return false;
    *value = strtol(text, nullptr, 10);
    return *value >= 1 && *value <= largest;
}

bool ParseRenderArgs(int argc, char** argv, RenderArgs* args)
{
    *args = RenderArgs{nullptr, nullptr, 0, 0, 0, false, SHADE_NONE, nullptr};
    bool shadeSet = false;
    bool options = true;  // "--" ends them, so a file may start with "-"
    for (int i = 0; i < argc; i++) {
        const char* a = argv[i];
        int left = argc - i - 1;
        if (!options) {
            if (args->path)
                return false;
            args->path = a;
        } else if (strcmp(a, "--") == 0) {
            options = false;
        } else if (strcmp(a, "-o") == 0 && !args->out && left >= 1) {
            args->out = argv[++i];
        } else if (strcmp(a, "--size") == 0 && !args->width && left >= 2) {
            if (!ParseCount(argv[i + 1], MAX_PICTURE_SIDE, &args->width) ||
                !ParseCount(argv[i + 2], MAX_PICTURE_SIDE, &args->height))
                return false;
            i += 2;
        } else if (strcmp(a, "--scale") == 0 && !args->scale && left >= 1) {
            if (!ParseCount(argv[++i], 8, &args->scale))
                return false;
        } else if (strcmp(a, "--compare") == 0 && !args->compare && left >= 1) {
            args->compare = argv[++i];
        } else if (strcmp(a, "--portals") == 0 && !args->portals) {
            args->portals = true;
        } else if (strcmp(a, "--shade") == 0 && !shadeSet && left >= 1) {
            const char* which = argv[++i];
            if (strcmp(which, "floor") != 0 && strcmp(which, "ceiling") != 0)
                return false;
            args->shade = which[0] == 'f' ? SHADE_FLOOR : SHADE_CEILING;
            shadeSet = true;
        } else if ((a[0] == '-' && a[1] != '\0') || args->path) {
            return false;
        } else {
            args->path = a;
        }
    }
    if (!args->scale)
        args->scale = 1;
    return args->path && args->out;
}

struct Refusal {
    const char* path;
};

void PrintRefusal(const char* problem, void* context)
{
    fprintf(stderr, "%s: %s\n", static_cast<Refusal*>(context)->path, problem);
}

std::vector<std::string> g_warnings;  // the reader's warnings for the file being drawn

void KeepWarning(const char* text)
{
    g_warnings.push_back(text);
}

// Reads and parses a level to draw. Returns 0, or the exit code after
// saying why: what the editor cannot open gets `check`'s lines (1), an
// unreadable file 2. The reader's warnings on a level it opens are shown.
int LoadLevelToDraw(const char* path, LevelFileBytes* file, Level* level)
{
    if (!ReadLevelFile(path, file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", path, file->info.reason.c_str());
        return 2;
    }
    const std::vector<unsigned char>& bytes = file->bytes;
    *level = NewLevel();
    g_warnings.clear();
    SetLevelWarningHook(KeepWarning);
    int parsed = ParseLevel(level, bytes.data(), bytes.size());
    SetLevelWarningHook(nullptr);
    if (parsed != 0) {
        Refusal refusal = {path};
        CheckLevelFile(bytes.data(), bytes.size(), file->info.size, PrintRefusal, &refusal);
        return 1;
    }
    for (const std::string& warning : g_warnings)
        fprintf(stderr, "%s: %s\n", path, warning.c_str());
    return 0;
}

}  // namespace

int RenderCommand(int argc, char** argv)
{
    RenderArgs args;
    if (!ParseRenderArgs(argc, argv, &args))
        return ShowUsage();
    // Large tables: the level drawn and the one it is compared with.
    static Level level, before;
    LevelFileBytes file, beforeFile;
    int loaded = LoadLevelToDraw(args.path, &file, &level);
    if (loaded == 0 && args.compare)
        loaded = LoadLevelToDraw(args.compare, &beforeFile, &before);
    if (loaded != 0)
        return loaded;
    const std::vector<unsigned char>& bytes = file.bytes;

    long width = args.width, height = args.height;
    if (!width && args.compare)
        GetCompareSize(before, level, &width, &height);
    else if (!width)
        GetDefaultPictureSize(level, &width, &height);
    long side = MAX_PICTURE_SIDE, most = MAX_PICTURE_PIXELS;
    if (width * args.scale > side || height * args.scale > side ||
        (width * args.scale) * (height * args.scale) > most) {
        fprintf(stderr, "%s: a picture of %ld x %ld pixels is larger than vrktool makes (%ld pixels a side, "
                        "%ld in all); choose a part with --size W H\n",
                args.path, width * args.scale, height * args.scale, side, most);
        return 1;
    }

    MapPicture picture;
    DrawMapView(level, args.shade, static_cast<int>(width), static_cast<int>(height), &picture);
    if (args.compare)
        MarkLevelChanges(before, level, &picture);
    if (args.portals) {
        LevelImage image;
        ReadLevelImage(bytes.data(), bytes.size(), file.info.size, &image);
        std::vector<Portal> portals;
        for (size_t i = 0; i < image.portalsPresent; i++)
            portals.push_back(GetImagePortal(image, i));
        DrawPortalEdges(level, portals.data(), portals.size(), &picture);
    }
    ScalePicture(&picture, static_cast<int>(args.scale));
    std::vector<unsigned char> png;
    if (!EncodePng(picture, &png) || ReplaceFileContents(args.out, png.data(), png.size()) != 0) {
        fprintf(stderr, "%s: unable to write picture to file\n", args.out);
        return 1;
    }
    return 0;
}
