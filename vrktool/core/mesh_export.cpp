#include "mesh_export.h"

#include <stdint.h>
#include <string.h>

#include <nlohmann/json.hpp>

const char* const MESH_MATERIAL_NAMES[MESH_MATERIAL_COUNT] = {"floor", "ceiling", "wall", "step"};

namespace {

// The tool's one JSON type, which keeps members in the order they are added:
// each object here adds them in the order of their names.
typedef nlohmann::ordered_json Json;

// Linear RGB of each material, plain enough that a viewer's lighting makes
// the difference between them.
const double MATERIAL_COLOURS[MESH_MATERIAL_COUNT][3] = {
    {0.55, 0.5, 0.45},  // floor
    {0.35, 0.35, 0.4},  // ceiling
    {0.7, 0.68, 0.62},  // wall
    {0.8, 0.55, 0.25},  // step
};

enum {
    GLTF_FLOAT = 5126,
    GLTF_UNSIGNED_SHORT = 5123,
    GLTF_UNSIGNED_INT = 5125,
    GLTF_ARRAY_BUFFER = 34962,
    GLTF_ELEMENT_ARRAY_BUFFER = 34963,
    GLTF_TRIANGLES = 4
};

// One corner in metres; float, as the files store it, so the bounds and
// the data agree to the bit.
void ScaleCorner(const int corner[3], ExportScale scale, float out[3])
{
    out[0] = static_cast<float>(corner[0] * scale.cellSize);
    out[1] = static_cast<float>(corner[1] * scale.heightUnit);
    out[2] = static_cast<float>(corner[2] * scale.cellSize);
}

// Little-endian everywhere, so both builds give the same bytes.
void AppendUint32(std::vector<unsigned char>* bytes, uint32_t v)
{
    for (int k = 0; k < 4; k++)
        bytes->push_back(static_cast<unsigned char>(v >> (8 * k)));
}

void AppendFloat(std::vector<unsigned char>* bytes, float f)
{
    uint32_t v;
    memcpy(&v, &f, sizeof v);
    AppendUint32(bytes, v);
}

void PadTo4(std::vector<unsigned char>* bytes, unsigned char with)
{
    while (bytes->size() % 4 != 0)
        bytes->push_back(with);
}

// The accessors, their buffer views and the meshes, written as text as they are made:
// a full level has thousands, too many to build as JSON objects in the few
// milliseconds an export takes.
struct Accessors {
    std::string accessors, views;
    int count = 0;
};

// Adds a tightly packed view of the bytes from `from` to `to`, and its
// accessor, with bounds when they are given; returns the accessor's index.
int AddAccessor(Accessors* list, size_t from, size_t to, int target, int componentType, size_t count,
                const char* type, const float* low = nullptr, const float* high = nullptr)
{
    const char* comma = list->count == 0 ? "" : ",";
    list->views += std::string(comma) + "{\"buffer\":0,\"byteLength\":" + std::to_string(to - from) +
                   ",\"byteOffset\":" + std::to_string(from) + ",\"target\":" + std::to_string(target) + "}";
    list->accessors += std::string(comma) + "{\"bufferView\":" + std::to_string(list->count) +
                       ",\"componentType\":" + std::to_string(componentType) + ",\"count\":" + std::to_string(count);
    if (low) {
        list->accessors += ",\"max\":[" + FormatDecimal(high[0]) + "," + FormatDecimal(high[1]) + "," +
                           FormatDecimal(high[2]) + "],\"min\":[" + FormatDecimal(low[0]) + "," + FormatDecimal(low[1]) +
                           "," + FormatDecimal(low[2]) + "]";
    }
    list->accessors += std::string(",\"type\":\"") + type + "\"}";
    return list->count++;
}

// One primitive: the faces of one material of one sector, two triangles
// each, with flat normals.
std::string AddPrimitive(const std::vector<const MeshFace*>& faces, int material, ExportScale scale,
                         Accessors* list, std::vector<unsigned char>* buffer)
{
    size_t vertices = faces.size() * 4;
    float low[3], high[3];
    size_t from = buffer->size();
    for (size_t f = 0; f < faces.size(); f++) {
        int corners[4][3];
        GetFaceCorners(*faces[f], corners);
        for (int i = 0; i < 4; i++) {
            float p[3];
            ScaleCorner(corners[i], scale, p);
            for (int k = 0; k < 3; k++) {
                low[k] = f == 0 && i == 0 ? p[k] : (p[k] < low[k] ? p[k] : low[k]);
                high[k] = f == 0 && i == 0 ? p[k] : (p[k] > high[k] ? p[k] : high[k]);
                AppendFloat(buffer, p[k]);
            }
        }
    }
    int positions = AddAccessor(list, from, buffer->size(), GLTF_ARRAY_BUFFER, GLTF_FLOAT, vertices, "VEC3", low, high);

    from = buffer->size();
    for (const MeshFace* face : faces) {
        int n[3];
        GetFacingNormal(face->facing, n);
        for (int i = 0; i < 4; i++) {
            for (int k = 0; k < 3; k++)
                AppendFloat(buffer, static_cast<float>(n[k]));
        }
    }
    int normals = AddAccessor(list, from, buffer->size(), GLTF_ARRAY_BUFFER, GLTF_FLOAT, vertices, "VEC3");

    // 65535 is the restart value of 16-bit indices, so only fewer vertices
    // than that take them.
    bool shortIndices = vertices < 65535;
    from = buffer->size();
    for (size_t f = 0; f < faces.size(); f++) {
        static const int TRIANGLES[6] = {0, 1, 2, 0, 2, 3};
        for (int t : TRIANGLES) {
            uint32_t index = static_cast<uint32_t>(f * 4 + t);
            buffer->push_back(static_cast<unsigned char>(index));
            buffer->push_back(static_cast<unsigned char>(index >> 8));
            if (!shortIndices) {
                buffer->push_back(static_cast<unsigned char>(index >> 16));
                buffer->push_back(static_cast<unsigned char>(index >> 24));
            }
        }
    }
    int indices = AddAccessor(list, from, buffer->size(), GLTF_ELEMENT_ARRAY_BUFFER,
                              shortIndices ? GLTF_UNSIGNED_SHORT : GLTF_UNSIGNED_INT, faces.size() * 6, "SCALAR");
    PadTo4(buffer, 0);
    return "{\"attributes\":{\"NORMAL\":" + std::to_string(normals) + ",\"POSITION\":" + std::to_string(positions) +
           "},\"indices\":" + std::to_string(indices) + ",\"material\":" + std::to_string(material) +
           ",\"mode\":" + std::to_string(GLTF_TRIANGLES) + "}";
}

Json DescribeSector(const Sector& s, int slot)
{
    return {{"bottom", s.bottom}, {"ceilingHeight", s.ceilingHeight}, {"floorHeight", s.floorHeight}, {"left", s.left}, {"right", s.right}, {"slot", slot}, {"top", s.top}};
}

// The faces of one sector, each material's apart, in the materials' order.
void GroupByMaterial(const SectorMesh& sector, std::vector<const MeshFace*> groups[MESH_MATERIAL_COUNT])
{
    for (const MeshFace& face : sector.faces)
        groups[face.material].push_back(&face);
}

const char BASE64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string EncodeBase64(const std::vector<unsigned char>& bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t v = uint32_t(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size())
            v |= bytes[i + 2];
        text += BASE64[v >> 18 & 63];
        text += BASE64[v >> 12 & 63];
        text += i + 1 < bytes.size() ? BASE64[v >> 6 & 63] : '=';
        text += i + 2 < bytes.size() ? BASE64[v & 63] : '=';
    }
    return text;
}

// A float as the shortest text that reads back as the same float.
std::string FormatNumber(float value)
{
    return FormatDecimal(value);
}

void GetStartPoint(const Level& level, const LevelMesh& mesh, ExportScale scale, float point[3])
{
    point[0] = static_cast<float>((level.startX + 0.5) * scale.cellSize);
    point[1] = static_cast<float>(mesh.startFloor * scale.heightUnit);
    point[2] = static_cast<float>((level.startY + 0.5) * scale.cellSize);
}

}  // namespace

// The JSON library's own conversion, which printf's differences between
// C libraries do not reach.
std::string FormatDecimal(double value)
{
    return Json(value).dump();
}

std::vector<unsigned char> EncodeGltf(const Level& level, const LevelMesh& mesh, ExportScale scale, bool binary)
{
    Json materials = Json::array();
    for (int m = 0; m < MESH_MATERIAL_COUNT; m++) {
        const double* c = MATERIAL_COLOURS[m];
        materials.push_back(
            {{"name", MESH_MATERIAL_NAMES[m]},
             {"pbrMetallicRoughness",
              {{"baseColorFactor", {c[0], c[1], c[2], 1.0}}, {"metallicFactor", 0.0}, {"roughnessFactor", 1.0}}}});
    }
    // Room for all of it at once: growing by doubling costs more than the
    // writing itself.
    size_t faces = 0;
    for (const SectorMesh& sector : mesh.sectors)
        faces += sector.faces.size();
    std::vector<unsigned char> buffer;
    buffer.reserve(faces * (4 * 24 + 6 * 4) + mesh.sectors.size() * MESH_MATERIAL_COUNT * 4);
    Accessors list;
    std::string meshes;  // as text too, for the same reason
    int meshCount = 0;
    list.accessors.reserve(mesh.sectors.size() * MESH_MATERIAL_COUNT * 3 * 160);
    list.views.reserve(mesh.sectors.size() * MESH_MATERIAL_COUNT * 3 * 80);
    Json nodes = Json::array();
    for (const SectorMesh& sector : mesh.sectors) {
        Json node = {{"extras", DescribeSector(level.sectors[sector.slot], sector.slot)}};
        if (!sector.faces.empty()) {
            std::vector<const MeshFace*> groups[MESH_MATERIAL_COUNT];
            GroupByMaterial(sector, groups);
            std::string primitives;
            for (int m = 0; m < MESH_MATERIAL_COUNT; m++) {
                if (!groups[m].empty())
                    primitives += (primitives.empty() ? "" : ",") + AddPrimitive(groups[m], m, scale, &list, &buffer);
            }
            meshes += std::string(meshCount == 0 ? "" : ",") + "{\"name\":\"sector " + std::to_string(sector.slot) +
                      "\",\"primitives\":[" + primitives + "]}";
            node["mesh"] = meshCount++;
        }
        node["name"] = "sector " + std::to_string(sector.slot);
        nodes.push_back(node);
    }
    float start[3];
    GetStartPoint(level, mesh, scale, start);
    nodes.push_back({{"extras", {{"x", level.startX}, {"y", level.startY}}},
                     {"name", "start"},
                     {"translation", {double(start[0]), double(start[1]), double(start[2])}}});
    Json sceneNodes = Json::array();
    for (size_t i = 0; i < nodes.size(); i++)
        sceneNodes.push_back(i);

    Json gltf = {{"asset", {{"generator", "vrktool export"}, {"version", "2.0"}}}};
    if (!buffer.empty()) {
        gltf["buffers"] = {{{"byteLength", buffer.size()}}};
        if (!binary)
            gltf["buffers"][0]["uri"] = "data:application/octet-stream;base64," + EncodeBase64(buffer);
    }
    gltf["materials"] = materials;
    gltf["nodes"] = nodes;
    gltf["scene"] = 0;
    gltf["scenes"] = {{{"nodes", sceneNodes}}};

    // The accessors, views and meshes go first in the object; its other members
    // follow in the order of their names.
    std::string text = gltf.dump();
    if (list.count > 0)
        text.insert(1, "\"accessors\":[" + list.accessors + "],\"bufferViews\":[" + list.views + "],\"meshes\":[" +
                           meshes + "],");
    if (!binary) {
        text += '\n';
        return std::vector<unsigned char>(text.begin(), text.end());
    }
    // GLB: the header, the JSON chunk padded with spaces, the binary chunk
    // padded with zeros.
    std::vector<unsigned char> json(text.begin(), text.end());
    PadTo4(&json, ' ');
    std::vector<unsigned char> glb;
    size_t total = 12 + 8 + json.size() + (buffer.empty() ? 0 : 8 + buffer.size());
    glb.reserve(total);
    AppendUint32(&glb, 0x46546C67);  // "glTF"
    AppendUint32(&glb, 2);
    AppendUint32(&glb, static_cast<uint32_t>(total));
    AppendUint32(&glb, static_cast<uint32_t>(json.size()));
    AppendUint32(&glb, 0x4E4F534A);  // "JSON"
    glb.insert(glb.end(), json.begin(), json.end());
    if (!buffer.empty()) {
        AppendUint32(&glb, static_cast<uint32_t>(buffer.size()));
        AppendUint32(&glb, 0x004E4942);  // "BIN"
        glb.insert(glb.end(), buffer.begin(), buffer.end());
    }
    return glb;
}

std::string EncodeObj(const Level& level, const LevelMesh& mesh, ExportScale scale, const std::string& mtlName)
{
    std::string obj = "# A level exported by vrktool: metres, +Y up; map x is +X, map y is +Z\n";
    if (!mtlName.empty())
        obj += "mtllib " + mtlName + "\n";
    float start[3];
    GetStartPoint(level, mesh, scale, start);
    obj += "# start " + FormatNumber(start[0]) + " " + FormatNumber(start[1]) + " " + FormatNumber(start[2]) + "\n";
    // The six directions, one normal each, numbered as MeshFacing plus one.
    for (int facing = 0; facing < 6; facing++) {
        int n[3];
        GetFacingNormal(facing, n);
        obj += "vn " + std::to_string(n[0]) + " " + std::to_string(n[1]) + " " + std::to_string(n[2]) + "\n";
    }
    size_t vertex = 1;
    for (const SectorMesh& sector : mesh.sectors) {
        if (sector.faces.empty())
            continue;
        obj += "o sector " + std::to_string(sector.slot) + "\n";
        std::vector<const MeshFace*> groups[MESH_MATERIAL_COUNT];
        GroupByMaterial(sector, groups);
        for (int m = 0; m < MESH_MATERIAL_COUNT; m++) {
            if (groups[m].empty())
                continue;
            obj += std::string("usemtl ") + MESH_MATERIAL_NAMES[m] + "\n";
            for (const MeshFace* face : groups[m]) {
                int corners[4][3];
                GetFaceCorners(*face, corners);
                for (int i = 0; i < 4; i++) {
                    float p[3];
                    ScaleCorner(corners[i], scale, p);
                    obj += "v " + FormatNumber(p[0]) + " " + FormatNumber(p[1]) + " " + FormatNumber(p[2]) + "\n";
                }
                std::string normal = "//" + std::to_string(face->facing + 1);
                obj += "f";
                for (int i = 0; i < 4; i++)
                    obj += " " + std::to_string(vertex + i) + normal;
                obj += "\n";
                vertex += 4;
            }
        }
    }
    return obj;
}

std::string EncodeMtl()
{
    std::string mtl = "# The materials of a level exported by vrktool\n";
    for (int m = 0; m < MESH_MATERIAL_COUNT; m++) {
        const double* c = MATERIAL_COLOURS[m];
        mtl += std::string("newmtl ") + MESH_MATERIAL_NAMES[m] + "\nKd " + FormatDecimal(c[0]) + " " + FormatDecimal(c[1]) +
               " " + FormatDecimal(c[2]) + "\nd 1\nillum 1\n";
    }
    return mtl;
}
