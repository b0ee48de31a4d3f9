// vrktool export: the glTF's nodes, extras and materials, the OBJ's groups
// and material library, and what it refuses or warns of. That the files
// pass the glTF-Validator and are the same bytes from vrktool.exe is
// export_files_test.sh's.
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "vrktool_cli.h"

namespace {

// HALL and EAST share the edge x = 8, y 1 to 5: HALL sees EAST's opening
// [8, 80] from its floor 0 and ceiling 96, a lower and an upper step; EAST
// sees all of its own height open.
Level HallAndEast(int startX, int startY)
{
    return MakeBuiltLevel({HALL, EAST}, startX, startY);
}

// The JSON of a .gltf, or of a .glb's first chunk, its members in the file's order.
nlohmann::ordered_json ReadGltfJson(const Bytes& bytes, bool binary)
{
    if (!binary)
        return nlohmann::ordered_json::parse(bytes.begin(), bytes.end());
    if (bytes.size() < 20 || std::string(bytes.begin(), bytes.begin() + 4) != "glTF")
        return nlohmann::ordered_json();
    size_t length = bytes[12] | bytes[13] << 8 | bytes[14] << 16 | size_t(bytes[15]) << 24;
    return nlohmann::ordered_json::parse(bytes.begin() + 20, bytes.begin() + 20 + std::min(length, bytes.size() - 20));
}

std::string AsText(const Bytes& bytes)
{
    return std::string(bytes.begin(), bytes.end());
}

// The lines of text that start with one of the prefixes, in order.
std::vector<std::string> LinesStartingWith(const std::string& text, const std::vector<std::string>& prefixes)
{
    std::vector<std::string> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        for (const std::string& prefix : prefixes) {
            if (line.compare(0, prefix.size(), prefix) == 0) {
                lines.push_back(line);
                break;
            }
        }
        at = end == std::string::npos ? text.size() : end + 1;
    }
    return lines;
}

}  // namespace

TEST_F(VrktoolCli, ExportNamesNodesAndMaterials)
{
    std::string level = Write("level.vrk", SerializeToBytes(HallAndEast(9, 2)));
    const struct {
        Args options;
        const char* out;
        std::vector<double> start;  // the start node's translation
    } rows[] = {
        // Cell 9, 2 of EAST, floor 8: the cell's centre at 2 m a cell and 0.625 m a unit.
        {{}, "level.glb", {19, 5, 5}},
        {{}, "level.gltf", {19, 5, 5}},
        {{"--cell-size", "1", "--height-unit", "0.5"}, "level.GLB", {9.5, 4, 2.5}},
        {{"--format", "gltf"}, "level.bin", {19, 5, 5}},
    };
    for (const auto& row : rows) {
        std::string out = outputs.Path(row.out);
        Args args = {"export", level, "-o", out};
        args.insert(args.end(), row.options.begin(), row.options.end());
        ToolRun run = Run(args);
        ASSERT_EQ(0, run.exitCode) << row.out << ": " << run.err;
        EXPECT_EQ("", run.err) << row.out;
        bool binary = std::string(row.out).find(".gltf") == std::string::npos && row.options.empty();
        binary |= std::string(row.out) == "level.GLB";
        nlohmann::ordered_json gltf = ReadGltfJson(ReadFileBytes(out), binary);
        ASSERT_TRUE(gltf.is_object()) << row.out << ": no glTF document";
        // The members in the order the files have always had: the three lists, then by name.
        std::vector<std::string> members;
        for (const auto& member : gltf.items())
            members.push_back(member.key());
        EXPECT_EQ((std::vector<std::string>{"accessors", "bufferViews", "meshes", "asset", "buffers", "materials",
                                            "nodes", "scene", "scenes"}),
                  members)
            << row.out;
        EXPECT_EQ(R"({"extras":{"x":9,"y":2},"name":"start","translation":)" + nlohmann::json(row.start).dump() + "}",
                  gltf["nodes"][2].dump())
            << row.out;
        std::vector<std::string> names, materials;
        for (const auto& node : gltf["nodes"])
            names.push_back(node["name"]);
        for (const auto& material : gltf["materials"])
            materials.push_back(material["name"]);
        EXPECT_EQ((std::vector<std::string>{"sector 0", "sector 1", "start"}), names) << row.out;
        EXPECT_EQ((std::vector<std::string>{"floor", "ceiling", "wall", "step"}), materials) << row.out;
        EXPECT_EQ(R"({"bottom":5,"ceilingHeight":80,"floorHeight":8,"left":8,"right":12,"slot":1,"top":1})",
                  gltf["nodes"][1]["extras"].dump())
            << row.out;
        // HALL: floor, ceiling, walls, steps; EAST no steps.
        std::vector<int> used;
        for (const auto& mesh : gltf["meshes"]) {
            for (const auto& primitive : mesh["primitives"])
                used.push_back(primitive["material"]);
        }
        EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 0, 1, 2}), used) << row.out << ": the primitives' materials";
        std::string uri = binary ? "" : gltf["buffers"][0].value("uri", "");
        EXPECT_EQ(binary ? "" : "data:application/octet-stream;base64,", uri.substr(0, binary ? 0 : 37)) << row.out;
    }
}

TEST_F(VrktoolCli, ExportWritesObjGroupsAndTheirMaterials)
{
    std::string level = Write("level.vrk", SerializeToBytes(HallAndEast(2, 2)));
    std::string out = outputs.Path("level.obj");
    ToolRun run = Run({"export", level, "-o", out});
    ASSERT_EQ(0, run.exitCode) << run.err;
    std::string obj = AsText(ReadFileBytes(out));
    // HALL: its right side cut at y 1 and 5 gives two walls there, five in
    // all, and the two steps of the opening; EAST: three walls.
    EXPECT_EQ((std::vector<std::string>{"mtllib level.mtl", "o sector 0", "usemtl floor", "f", "usemtl ceiling", "f",
                                        "usemtl wall", "f", "f", "f", "f", "f", "usemtl step", "f", "f", "o sector 1",
                                        "usemtl floor", "f", "usemtl ceiling", "f", "usemtl wall", "f", "f", "f"}),
              [&] {
                  std::vector<std::string> lines = LinesStartingWith(obj, {"mtllib", "o ", "usemtl", "f "});
                  for (std::string& line : lines)
                      line = line[0] == 'f' ? "f" : line;
                  return lines;
              }());
    std::string mtl = AsText(ReadFileBytes(outputs.Path("level.mtl")));
    EXPECT_EQ((std::vector<std::string>{"newmtl floor", "newmtl ceiling", "newmtl wall", "newmtl step"}),
              LinesStartingWith(mtl, {"newmtl"}));

    // To standard output: no library named and none written.
    run = Run({"export", level, "-o", "-", "--format", "obj"});
    ASSERT_EQ(0, run.exitCode) << run.err;
    EXPECT_EQ(std::vector<std::string>(), LinesStartingWith(run.out, {"mtllib"}));
    EXPECT_EQ(LinesStartingWith(obj, {"o ", "usemtl", "f "}), LinesStartingWith(run.out, {"o ", "usemtl", "f "}));
    std::vector<std::string> libraries;
    for (const std::string& name : ListFolder(outputs.Root(), false)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".mtl") == 0)
            libraries.push_back(name);
    }
    EXPECT_EQ(std::vector<std::string>{"level.mtl"}, libraries);
}

TEST_F(VrktoolCli, ExportRefusesOrWarnsAsBuildDoes)
{
    Level empty = MakeBuiltLevel({HALL, MakeSector(20, 20, 20, 24)});
    Level stale = MakeBuiltLevel({HALL, EAST});
    stale.portalCount = 0;
    Bytes truncated = SerializeToBytes(HallAndEast(2, 2));
    truncated.resize(25);
    const struct {
        Bytes level;
        Args options;  // after FILE -o OUT
        std::string out;
        int exitCode;
        std::string err;  // the start of standard error; ":" at its start stands for FILE
        bool written;
    } rows[] = {
        {truncated, {}, "1.glb", 2, ": truncated: 25 bytes, 2 sectors and 2 portals need 49\n", false},
        {SerializeToBytes(empty), {}, "2.glb", 0, ": sector 1: empty rectangle, no faces\n", true},
        {SerializeToBytes(stale), {}, "3.glb", 0, ": the portals stored are not those the sectors give (0 stored, 2 derived); exported with the derived "
                                                  "ones (vrktool portals rebuilds them)\n",
         true},
        {SerializeToBytes(stale), {}, "-", 2, "vrktool export: standard output names no format; give --format glb, gltf or obj\n", false},
        {SerializeToBytes(stale), {}, "5.png", 2, "vrktool export: OUT names no format; give --format glb, gltf or obj\n", false},
        {SerializeToBytes(stale), {"--cell-size", "0"}, "6.glb", 2, "vrktool export: --cell-size: not a number of metres from 0.001 to 1000: 0\n", false},
    };
    for (const auto& row : rows) {
        std::string level = Write("level.vrk", row.level);
        std::string out = row.out == "-" ? "-" : outputs.Path(row.out);
        Args args = {"export", level, "-o", out};
        args.insert(args.end(), row.options.begin(), row.options.end());
        ToolRun run = Run(args);
        std::string expected = row.err[0] == ':' ? level + row.err : row.err;
        size_t named = expected.find("OUT");
        if (named != std::string::npos)
            expected.replace(named, 3, out);
        EXPECT_EQ(row.exitCode, run.exitCode) << row.out << ": " << run.err;
        EXPECT_EQ(expected, run.err.substr(0, expected.size())) << row.out;
        if (row.out != "-") {
            EXPECT_EQ(row.written, FileExists(out)) << row.out << " written";
        }
    }
}
