// Reading back the pictures vrktool writes, with stb_image.
#ifndef QUILLMARCH_PNG_READ_H
#define QUILLMARCH_PNG_READ_H

#include <stdint.h>

#include <string>
#include <vector>

struct PngPicture {
    int width;
    int height;
    std::vector<uint32_t> pixels;  // 0xRRGGBB, row 0 first
};

// False when the file cannot be read or is no PNG.
bool ReadPngFile(const std::string& path, PngPicture* picture);

#endif
