// The parts of the file layer that both implementations share.
#include "file_layer.h"

namespace {

FileStep g_fileFault = FILE_STEP_NONE;  // the save step tests make fail

}  // namespace

void SetFileFault(FileStep step)
{
    g_fileFault = step;
}

FileStep GetFileFault()
{
    return g_fileFault;
}

std::string TemporaryNameBeside(const std::string& path, int attempt, size_t pathLimit,
                                size_t nameLimit, const char* separators)
{
    std::string suffix = ".~qm" + std::to_string(attempt);
    size_t baseLength = path.size() - (path.find_last_of(separators) + 1);
    bool tooLong = path.size() + suffix.size() > pathLimit || baseLength + suffix.size() > nameLimit;
    if (tooLong && baseLength > suffix.size())
        return path.substr(0, path.size() - suffix.size()) + suffix;
    return path + suffix;
}
