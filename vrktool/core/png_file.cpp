#include "png_file.h"

#include <stdlib.h>

// The encoder writes through a callback, so files go through the level
// core's file layer like every other write of the tool.
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

namespace {

void AppendBytes(void* context, void* data, int size)
{
    auto* png = static_cast<std::vector<unsigned char>*>(context);
    auto* bytes = static_cast<unsigned char*>(data);
    png->insert(png->end(), bytes, bytes + size);
}

}  // namespace

bool EncodePng(const MapPicture& picture, std::vector<unsigned char>* png)
{
    std::vector<unsigned char> rgb(picture.pixels.size() * 3);
    for (size_t i = 0; i < picture.pixels.size(); i++) {
        uint32_t p = picture.pixels[i];
        rgb[3 * i] = static_cast<unsigned char>(p >> 16);
        rgb[3 * i + 1] = static_cast<unsigned char>(p >> 8);
        rgb[3 * i + 2] = static_cast<unsigned char>(p);
    }
    png->clear();
    return stbi_write_png_to_func(AppendBytes, png, picture.width, picture.height, 3, rgb.data(),
                                  picture.width * 3) != 0;
}
