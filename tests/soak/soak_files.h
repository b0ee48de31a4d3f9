// The files of a soak: levels and garbage it plants for the editor to open,
// the paths it types into the file dialogs, and the check that every file
// the editor wrote is a whole level.
#ifndef QUILLMARCH_SOAK_FILES_H
#define QUILLMARCH_SOAK_FILES_H

#include <string>
#include <vector>

#include "soak_session.h"

// Makes the run's folders and writes the planted files: random bytes,
// random levels, a version-1 level, a file claiming too many sectors, one
// cut short, and a level with more shared edges than the portal table holds.
bool PlantFiles(SoakSession* session);

// A path for the Save dialog: a level name in the saves folder (often one
// that exists), a name without extension, a planted file, a missing folder.
std::string PickSavePath(SoakSession* session);

// A path for the Open dialog: a saved or planted file, or one that is not there.
std::string PickOpenPath(SoakSession* session);

// One to three paths to drop, some of them missing or very long.
std::vector<std::string> PickDropPaths(SoakSession* session);

// A level path to start the editor with, or "" for none.
std::string PickStartPath(SoakSession* session);

// Every file the editor wrote (all of the saves folder, and planted files
// whose bytes changed) passes the structural checks of `vrktool check` and
// loads; no temporary file is left behind. False (and a failure) otherwise.
bool CheckWrittenFiles(SoakSession* session);

#endif
