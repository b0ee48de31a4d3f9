// Whole-file reads and writes through the standard library, the same
// natively and under Wine.
#include "files.h"

#include <fstream>
#include <iterator>

Bytes ReadFileBytes(const std::string& path, bool* read)
{
    std::ifstream in(path, std::ios::binary);
    Bytes bytes(std::istreambuf_iterator<char>(in), (std::istreambuf_iterator<char>()));
    if (read)
        *read = in.is_open() && !in.bad();
    return bytes;
}

bool WriteFileBytes(const std::string& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}
