// vrktool export: a level's rooms as a glTF or OBJ file for 3D programs.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_check.h"
#include "level_mesh.h"
#include "mesh_export.h"
#include "portals.h"
#include "raw_level.h"
#include "tool_commands.h"

namespace {

struct ExportArgs {
    std::string path;
    std::string out;
    std::string format;  // glb, gltf or obj; empty: from OUT's extension
    double cellSize = DEFAULT_EXPORT_SCALE.cellSize;
    double heightUnit = DEFAULT_EXPORT_SCALE.heightUnit;
};
ExportArgs g_args;  // this run's arguments

// A scale a file can hold: a plain positive number of metres, not so large
// that the level's far corner leaves the range of a float's whole metres.
const CLI::Validator METRES(
    [](std::string& text) {
        char* end = nullptr;
        double value = strtod(text.c_str(), &end);
        if (text.empty() || *end != '\0' || !(value >= 0.001 && value <= 1000))
            return std::string("not a number of metres from 0.001 to 1000: ") + text;
        return std::string();
    },
    "", "METRES");

void DefineExport(CLI::App* command)
{
    command->add_option("FILE", g_args.path, "the level file; - reads standard input")->required();
    command->add_option("-o", g_args.out, "the file to write; - is standard output (then --format is needed)")
        ->type_name("OUT")
        ->required();
    command->add_option("--format", g_args.format, "the file's format; by default OUT's extension says it")
        ->type_name("glb|gltf|obj")
        ->check(CLI::IsMember({"glb", "gltf", "obj"}).description(""));
    command
        ->add_option("--cell-size", g_args.cellSize,
                     "metres per cell (default " + FormatDecimal(DEFAULT_EXPORT_SCALE.cellSize) + ")")
        ->type_name("M")
        ->check(METRES);
    command
        ->add_option("--height-unit", g_args.heightUnit,
                     "metres per height unit (default " + FormatDecimal(DEFAULT_EXPORT_SCALE.heightUnit) +
                         ")")
        ->type_name("M")
        ->check(METRES);
    command->footer("Metres, +Y up, right-handed: the map's x is +X and its y (down the screen)\n"
                    "+Z. One node per sector, named \"sector N\", and a node \"start\"; the\n"
                    "materials floor, ceiling, wall and step. A .gltf holds its buffer inside;\n"
                    "an .obj has its materials in a .mtl of the same name beside it (none with\n"
                    "-o -).\n\n" +
                    command->get_footer());
}

// The format OUT's extension names, or empty.
std::string FormatOfName(const std::string& out)
{
    size_t dot = out.find_last_of('.');
    if (dot == std::string::npos || out.find_first_of("/\\", dot) != std::string::npos)
        return "";
    std::string extension = out.substr(dot + 1);
    for (char& c : extension)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return extension == "glb" || extension == "gltf" || extension == "obj" ? extension : "";
}

// The material library beside an OBJ: its name with .mtl for .obj.
std::string MtlPathOf(const std::string& out)
{
    return FormatOfName(out) == "obj" ? out.substr(0, out.size() - 4) + ".mtl" : out + ".mtl";
}

void PrintCheckLine(const char* problem, void* context)
{
    fprintf(stderr, "%s: %s\n", static_cast<const char*>(context), problem);
}

// The file's own portal table against the one the builder gives, as
// `build` says it of a document.
void WarnOfStalePortals(const LevelFileBytes& file, const Level& built, const char* name)
{
    RawLevel raw;
    ReadRawLevel(file.bytes.data(), file.bytes.size(), file.info.size, &raw);
    bool same = raw.portalsPresent == raw.portalCount && FindPortalDifference(raw, built) < 0;
    if (!same)
        fprintf(stderr, "%s: the portals stored are not those the sectors give (%u stored, %d derived); exported "
                        "with the derived ones (vrktool portals rebuilds them)\n",
                name, raw.portalCount, built.portalCount);
}

int RunExport()
{
    const char* name = ShownName(g_args.path);
    std::string format = g_args.format.empty() ? FormatOfName(g_args.out) : g_args.format;
    if (format.empty()) {
        fprintf(stderr, "vrktool export: %s names no format; give --format glb, gltf or obj\n",
                g_args.out == STANDARD_STREAM ? "standard output" : g_args.out.c_str());
        return TOOL_FAILED;
    }
    if (IsOutputTheInput(g_args.path, g_args.out)) {
        SayOutputIsTheInput(g_args.out);
        return TOOL_FAILED;
    }

    LevelFileBytes file;
    if (!ReadLevelFile(g_args.path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, file.info.reason.c_str());
        return TOOL_FAILED;
    }
    static Level level;  // the one level this run exports, with the portals its sectors give
    level = NewLevel();
    std::vector<LoadWarning> loadWarnings;
    bool loaded = LoadLevelBytes(file.bytes, &level, &loadWarnings);
    PrintLoadWarnings(g_args.path, loadWarnings);
    if (!loaded) {
        CheckLevelFile(file.bytes.data(), file.bytes.size(), file.info.size, PrintCheckLine, const_cast<char*>(name));
        return TOOL_FAILED;
    }
    int leftOut = BuildPortals(&level);
    WarnOfStalePortals(file, level, name);
    static LevelMesh mesh;
    BuildLevelMesh(level, &mesh);
    std::vector<std::string> warnings;
    DescribeMeshWarnings(level, mesh, leftOut, &warnings);
    for (const std::string& warning : warnings)
        fprintf(stderr, "%s: %s\n", name, warning.c_str());

    ExportScale scale = {g_args.cellSize, g_args.heightUnit};
    std::vector<unsigned char> bytes;
    if (format == "obj") {
        bool toFile = g_args.out != STANDARD_STREAM;
        std::string mtlPath = MtlPathOf(g_args.out);
        if (toFile) {
            if (IsOutputTheInput(g_args.path, mtlPath)) {
                SayOutputIsTheInput(mtlPath);
                return TOOL_FAILED;
            }
            std::string mtl = EncodeMtl();
            if (!WriteOutputFile(mtlPath, std::vector<unsigned char>(mtl.begin(), mtl.end()), "materials"))
                return TOOL_FAILED;
        }
        size_t slash = mtlPath.find_last_of("/\\");
        std::string obj = EncodeObj(level, mesh, scale, toFile ? mtlPath.substr(slash + 1) : "");
        bytes.assign(obj.begin(), obj.end());
    } else {
        bytes = EncodeGltf(level, mesh, scale, format == "glb");
    }
    return WriteOutputFile(g_args.out, bytes, "model") ? TOOL_DONE : TOOL_FAILED;
}

}  // namespace

const ToolCommand EXPORT_COMMAND = {"export", "write the level's rooms as a glTF or OBJ model for 3D programs",
                                    DefineExport, RunExport};
