// Temporary folders through std::filesystem, for the native suites.
#include "files.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

bool FileExists(const std::string& path)
{
    std::error_code error;
    return fs::exists(path, error);
}

std::string CreateTempFolder()
{
    // Tests run in parallel processes, so the name carries a random part.
    std::random_device device;
    std::mt19937_64 random(device() ^ static_cast<uint64_t>(
                                          std::chrono::steady_clock::now().time_since_epoch().count()));
    std::error_code error;
    fs::path base = fs::temp_directory_path(error);
    for (int attempt = 0; attempt < 100 && !error; attempt++) {
        fs::path candidate = base / ("qm-test-" + std::to_string(random() % 1000000000));
        if (fs::create_directory(candidate, error))
            return candidate.string();
    }
    return std::string();
}

void RemoveFolderTree(const std::string& folder)
{
    if (folder.empty())
        return;
    std::error_code error;
    // Read-only files and folders left by a test must not keep the tree alive.
    fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, error);
    for (const auto& entry : fs::recursive_directory_iterator(folder, error))
        fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(folder, error);
}

std::vector<std::string> ListFolder(const std::string& folder, bool withFolders)
{
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (withFolders || !entry.is_directory(error))
            names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string JoinPath(const std::string& folder, const std::string& name)
{
    return folder + "/" + name;
}
