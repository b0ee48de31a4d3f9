// The one way vrktool loads a level from bytes: what the editor opens, with
// the reader's warnings kept for the caller to show or weigh, and the
// portal table as the file stores it for the commands that compare it.
#ifndef QUILLMARCH_LEVEL_LOAD_H
#define QUILLMARCH_LEVEL_LOAD_H

#include <stddef.h>
#include <stdint.h>

#include <string>
#include <vector>

#include "level.h"
#include "level_file.h"

// One of the reader's warnings on a file, with its kind.
struct LoadWarning {
    LevelWarning kind;
    std::string text;
};

// Loads bytes into a fresh level as the editor would. False when the reader
// refuses them.
bool LoadLevelBytes(const std::vector<unsigned char>& bytes, Level* level, std::vector<LoadWarning>* warnings);

// Puts the portals the file stores (as many whole records as it holds, at
// most the table's size) in place of the level's, for a level just loaded
// from the first bytes of a file of fileSize bytes.
void TakeStoredPortals(const std::vector<unsigned char>& bytes, uint64_t fileSize, Level* level);

#endif
