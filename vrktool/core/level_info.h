// What `vrktool info` prints: every field and record a .vrk file holds, in
// a fixed order and format, so the text can stand in for the file in diffs.
#ifndef QUILLMARCH_LEVEL_INFO_H
#define QUILLMARCH_LEVEL_INFO_H

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

// Prints the bytes of a file as lines of text (FormatLevelJson in level_json.h
// gives the same as one JSON document). A file cut short shows the records
// it holds whole and says what is missing. bytes are the first available
// bytes of a file of fileSize bytes; what lies beyond the records counts as
// trailing bytes.
void PrintLevelInfo(FILE* out, const unsigned char* bytes, size_t available, uint64_t fileSize);

#endif
