// The bytes of a file, and their text in failure messages.
#ifndef QUILLMARCH_TEST_BYTES_H
#define QUILLMARCH_TEST_BYTES_H

#include <string>
#include <vector>

typedef std::vector<unsigned char> Bytes;

// "02 00 ff" for failure messages.
std::string HexBytes(const Bytes& bytes);

#endif
