// vrktool render: a level's map view as a PNG picture.
#include <stdio.h>

#include <algorithm>

#include <string>
#include <vector>

#include "compare_picture.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "level_view3d.h"
#include "raw_level.h"
#include "map_picture.h"
#include "png_file.h"
#include "tool_commands.h"

namespace {

struct RenderArgs {
    std::string path;
    std::string out;
    std::vector<long> size;  // W H, or empty for the default size
    long scale = 1;
    bool portals = false;
    std::string shade;
    std::string compare;  // --compare OLD: the changes since OLD marked
    std::string view = "map";
    std::string from = "se";  // the corner a 3D view is seen from
};
RenderArgs g_args;  // this run's arguments

void DefineRender(CLI::App* command)
{
    command->add_option("FILE", g_args.path, "the level file; - reads standard input")->required();
    command->add_option("-o", g_args.out, "the PNG picture to write; - is standard output")
        ->type_name("OUT.png")
        ->required();
    command
        ->add_option("--size", g_args.size,
                     "draw a W x H pixel view, as a window of that size shows it; each side 1 to " +
                         std::to_string(MAX_PICTURE_SIDE))
        ->type_name("W H")
        ->expected(2)
        ->check(WHOLE_NUMBER)
        ->check(CLI::Range(1L, static_cast<long>(MAX_PICTURE_SIDE)).description(""));
    command->add_option("--scale", g_args.scale, "enlarge each pixel to N x N, N 1 to 8 (default 1)")
        ->type_name("N")
        ->check(WHOLE_NUMBER)
        ->check(CLI::Range(1L, 8L).description(""));
    command->add_flag("--portals", g_args.portals, "draw each stored portal's edge in yellow")
        ->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    command->add_option("--shade", g_args.shade, "fill each sector with a grey of its floor or ceiling height")
        ->type_name("floor|ceiling")
        ->check(CLI::IsMember({"floor", "ceiling"}).description(""));
    command->add_option("--compare", g_args.compare, "mark what changed since the level OLD; - reads standard input")
        ->type_name("OLD");
    command->add_option("--view", g_args.view, "map: the editor's map view (default); 3d: the rooms seen from above")
        ->type_name("map|3d")
        ->check(CLI::IsMember({"map", "3d"}).description(""));
    command->add_option("--from", g_args.from, "the corner a 3D view is seen from (default se)")
        ->type_name("ne|nw|se|sw")
        ->check(CLI::IsMember({"ne", "nw", "se", "sw"}).description(""));
    command->footer("The picture is at most " + std::to_string(MAX_PICTURE_SIDE) + " pixels a side and " +
                    std::to_string(MAX_PICTURE_PIXELS) +
                    " pixels in all, after --scale.\n"
                    "--compare OLD marks each change two pixels deep along the sector's edges, over the plain "
                    "picture, which covers both levels:\n"
                    "  cyan (0, 255, 255): a sector the level adds\n"
                    "  magenta (255, 0, 255): a sector it removed, where it was\n"
                    "  orange (255, 128, 0): a sector whose heights changed\n"
                    "  white (255, 255, 255): the start cell's old place\n"
                    "--view 3d draws the floors, walls and steps, ceilings left out, from 30 degrees\n"
                    "above the corner --from names (default se): floors from dark to light blue as\n"
                    "they rise, walls grey, steps brown, the start cell green; --compare outlines\n"
                    "the changes at their floors in the colours above. It takes neither --size,\n"
                    "--portals nor --shade.\n\n" +
                    command->get_footer());
}

void PrintRefusal(const char* problem, void* context)
{
    fprintf(stderr, "%s: %s\n", static_cast<const char*>(context), problem);
}

// Reads and loads a level to draw; false after saying why: what the editor
// cannot open gets `check`'s lines. The reader's warnings on a level it
// opens are shown.
bool LoadLevelToDraw(const std::string& path, LevelFileBytes* file, Level* level)
{
    const char* name = ShownName(path);
    if (!ReadLevelFile(path, file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, file->info.reason.c_str());
        return false;
    }
    std::vector<LoadWarning> warnings;
    if (!LoadLevelBytes(file->bytes, level, &warnings)) {
        CheckLevelFile(file->bytes.data(), file->bytes.size(), file->info.size, PrintRefusal,
                       const_cast<char*>(name));
        return false;
    }
    PrintLoadWarnings(path, warnings);
    return true;
}

int RunRender()
{
    const char* name = ShownName(g_args.path);
    bool compare = !g_args.compare.empty();
    if (IsOutputTheInput(g_args.path, g_args.out) || (compare && IsOutputTheInput(g_args.compare, g_args.out))) {
        SayOutputIsTheInput(g_args.out);
        return TOOL_FAILED;
    }
    // What the editor can open is drawn; what it refuses is described as
    // `check` describes it. Large tables: the level and the one it is
    // compared with.
    static Level level, before;
    LevelFileBytes file, beforeFile;
    if (!LoadLevelToDraw(g_args.path, &file, &level) ||
        (compare && !LoadLevelToDraw(g_args.compare, &beforeFile, &before)))
        return TOOL_FAILED;
    const std::vector<unsigned char>& bytes = file.bytes;

    bool view3d = g_args.view == "3d";
    if (view3d && (!g_args.size.empty() || g_args.portals || !g_args.shade.empty())) {
        fprintf(stderr, "vrktool render: --view 3d takes neither --size, --portals nor --shade\n");
        return TOOL_FAILED;
    }
    static const char* const CORNERS[] = {"ne", "nw", "se", "sw"};
    View3d view;
    long width = 0, height = 0;
    if (view3d) {
        int corner = static_cast<int>(std::find(CORNERS, CORNERS + 4, g_args.from) - CORNERS);
        Frame3dView(level, compare ? &before : nullptr, corner, &view);
        width = view.width;
        height = view.height;
    } else if (g_args.size.size() == 2) {
        width = g_args.size[0];
        height = g_args.size[1];
    } else if (compare) {
        GetCompareSize(before, level, &width, &height);
    } else {
        GetDefaultPictureSize(level, &width, &height);
    }
    long scale = g_args.scale, side = MAX_PICTURE_SIDE, most = MAX_PICTURE_PIXELS;
    if (width * scale > side || height * scale > side || (width * scale) * (height * scale) > most) {
        fprintf(stderr, "%s: a picture of %ld x %ld pixels is larger than vrktool makes (%ld pixels a side, "
                        "%ld in all)%s\n",
                name, width * scale, height * scale, side, most, view3d ? "" : "; choose a part with --size W H");
        return TOOL_FOUND;
    }

    SectorShade shade = g_args.shade == "floor" ? SHADE_FLOOR : g_args.shade == "ceiling" ? SHADE_CEILING
                                                                                          : SHADE_NONE;
    MapPicture picture;
    if (view3d) {
        Draw3dView(level, view, &picture);
        if (compare)
            Mark3dChanges(before, level, view, &picture);
    } else {
        DrawMapView(level, shade, static_cast<int>(width), static_cast<int>(height), &picture);
        if (compare)
            MarkLevelChanges(before, level, &picture);
    }
    if (g_args.portals) {
        RawLevel raw;
        ReadRawLevel(bytes.data(), bytes.size(), file.info.size, &raw);
        std::vector<Portal> portals;
        for (size_t i = 0; i < raw.portalsPresent; i++)
            portals.push_back(GetRawPortal(raw, i));
        DrawPortalEdges(level, portals.data(), portals.size(), &picture);
    }
    ScalePicture(&picture, static_cast<int>(scale));
    std::vector<unsigned char> png;
    if (!EncodePng(picture, &png)) {
        fprintf(stderr, "%s: unable to encode the picture\n", g_args.out.c_str());
        return TOOL_FAILED;
    }
    return WriteOutputFile(g_args.out, png, "picture") ? TOOL_DONE : TOOL_FAILED;
}

}  // namespace

const ToolCommand RENDER_COMMAND = {"render", "draw the level as the editor's map view shows it, or its rooms in 3D, as a PNG",
                                    DefineRender, RunRender};
