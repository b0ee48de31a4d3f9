#include "png_read.h"

#include <fstream>
#include <iterator>

#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

bool ReadPngFile(const std::string& path, PngPicture* picture)
{
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    int channels = 0;
    unsigned char* rgb = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                               static_cast<int>(bytes.size()), &picture->width, &picture->height,
                                               &channels, 3);
    if (!rgb)
        return false;
    size_t count = static_cast<size_t>(picture->width) * picture->height;
    picture->pixels.resize(count);
    for (size_t i = 0; i < count; i++)
        picture->pixels[i] = uint32_t(rgb[3 * i]) << 16 | uint32_t(rgb[3 * i + 1]) << 8 | rgb[3 * i + 2];
    stbi_image_free(rgb);
    return true;
}
