#include "file_layer.h"

static FileStep g_fileFault = FILE_STEP_NONE;  // the save step tests make fail

void SetFileFault(FileStep step)
{
    g_fileFault = step;
}

FileStep GetFileFault()
{
    return g_fileFault;
}
