// Replays inputs through a fuzz target's own checks without libFuzzer, so
// the ordinary native suite keeps every input that once found a fault:
//   <target>_replay FILE-OR-FOLDER...
// Each file, or each file in a folder, is read whole and handed to the
// target. A failed check aborts, after the name of the input it was on.
#include <stdint.h>
#include <stdio.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::vector<std::string> ListInputs(const std::string& named)
{
    std::error_code error;
    if (!std::filesystem::is_directory(named, error))
        return {named};
    std::vector<std::string> inputs;
    for (const auto& entry : std::filesystem::directory_iterator(named, error))
        inputs.push_back(entry.path().string());
    std::sort(inputs.begin(), inputs.end());
    return inputs;
}

}  // namespace

int main(int argc, char** argv)
{
    LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    for (int i = 1; i < argc; i++) {
        for (const std::string& path : ListInputs(argv[i])) {
            std::ifstream file(path, std::ios::binary);
            std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
            if (!file.good() && !file.eof()) {
                fprintf(stderr, "cannot read %s\n", path.c_str());
                return 1;
            }
            printf("Running: %s (%zu bytes)\n", path.c_str(), bytes.size());
            fflush(stdout);
            LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
            replayed++;
        }
    }
    if (replayed == 0) {
        fprintf(stderr, "no inputs to replay\n");
        return 1;
    }
    printf("%d inputs replayed: none fails\n", replayed);
    return 0;
}
