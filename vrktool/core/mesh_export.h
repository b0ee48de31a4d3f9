// A level's mesh as the files other programs import: glTF 2.0 (the binary
// .glb, or a .gltf with its buffer inside) and Wavefront OBJ with its
// material library. Metres, +Y up, right-handed; map x is +X and map y +Z.
#ifndef QUILLMARCH_MESH_EXPORT_H
#define QUILLMARCH_MESH_EXPORT_H

#include <string>
#include <vector>

#include "level.h"
#include "level_mesh.h"

struct ExportScale {
    double cellSize;    // metres per cell
    double heightUnit;  // metres per height unit
};

// A one-cell sector 4 units high, as the editor makes it, is a room 2 m
// across and 2.5 m high with these.
const ExportScale DEFAULT_EXPORT_SCALE = {2.0, 0.625};

// A number as the shortest decimal text that reads back as the same
// double, the same on every system.
std::string FormatDecimal(double value);

// The four materials, in the order of MeshMaterial.
extern const char* const MESH_MATERIAL_NAMES[MESH_MATERIAL_COUNT];

// The glTF file: binary (GLB) or a JSON document whose buffer is a data: URI.
std::vector<unsigned char> EncodeGltf(const Level& level, const LevelMesh& mesh, ExportScale scale, bool binary);

// The OBJ text; mtlName, when not empty, is the material library it names.
std::string EncodeObj(const Level& level, const LevelMesh& mesh, ExportScale scale, const std::string& mtlName);

// The material library of the four materials.
std::string EncodeMtl();

#endif
