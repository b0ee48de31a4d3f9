// A picture as the bytes of a PNG file: 8-bit RGB, no other chunks.
#ifndef QUILLMARCH_PNG_FILE_H
#define QUILLMARCH_PNG_FILE_H

#include <vector>

#include "map_picture.h"

// Returns false when the encoder could not have its memory.
bool EncodePng(const MapPicture& picture, std::vector<unsigned char>* png);

#endif
