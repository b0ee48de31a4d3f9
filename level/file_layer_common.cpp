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
