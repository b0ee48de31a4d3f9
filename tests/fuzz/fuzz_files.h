// The file a fuzz run reads and saves, in a folder of its own.
#ifndef QUILLMARCH_FUZZ_FILES_H
#define QUILLMARCH_FUZZ_FILES_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// Makes the folder (in memory-backed storage when the system has it) and
// removes it again when the process exits.
void PrepareFuzzFiles();

// Writes the input to the level file, whose name is as long as the folder
// allows, and returns its path.
const char* WriteFuzzInput(const uint8_t* data, size_t size);
size_t FuzzInputNameLength();

// How many entries the folder holds besides "." and "..".
int CountFuzzFiles();

// The whole file, or an empty string when it cannot be read.
std::string ReadWholeFile(const char* path);

#endif
