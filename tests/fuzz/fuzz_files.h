// The two files a fuzz run reads and writes, in a folder of its own.
#ifndef QUILLMARCH_FUZZ_FILES_H
#define QUILLMARCH_FUZZ_FILES_H

#include <stddef.h>
#include <stdint.h>

#include <string>

// Makes the folder (in memory-backed storage when the system has it) and
// removes it again when the process exits.
void PrepareFuzzFiles();

// Writes the input to the input file and returns its path.
const char* WriteFuzzInput(const uint8_t* data, size_t size);

// Where the level is saved to.
const char* FuzzSavePath();

// The whole file, or an empty string when it cannot be read.
std::string ReadWholeFile(const char* path);

#endif
