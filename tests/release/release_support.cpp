// Reading the release files and the system for the release tests.
#include "release_support.h"

#include <bcrypt.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>

std::string DistFolder()
{
    return ToWindowsPath(QM_DIST_DIR);
}

std::string UnpackedZipFolder()
{
    return ToWindowsPath(QM_UNPACKED_ZIP);
}

std::string ExamplesFolder()
{
    return ToWindowsPath(QM_SOURCE_DIR "/examples");
}

namespace {

bool ReadVersionBlock(const std::string& file, std::vector<unsigned char>* info)
{
    DWORD size = GetFileVersionInfoSizeA(file.c_str(), nullptr);
    info->assign(size, 0);
    return size > 0 && GetFileVersionInfoA(file.c_str(), 0, size, info->data());
}

}  // namespace

std::string ProductVersionOf(const std::string& file)
{
    std::vector<unsigned char> info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (!ReadVersionBlock(file, &info) ||
        !VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length))
        return "";
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u", static_cast<unsigned>(HIWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned>(LOWORD(fixed->dwProductVersionMS)),
                  static_cast<unsigned>(HIWORD(fixed->dwProductVersionLS)));
    return text;
}

std::string VersionStringOf(const std::string& file, const char* key)
{
    std::vector<unsigned char> info;
    char* value = nullptr;
    UINT length = 0;
    std::string path = std::string("\\StringFileInfo\\040904b0\\") + key;
    if (!ReadVersionBlock(file, &info) ||
        !VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "(missing)";
    return value ? value : "";
}

std::string Sha256Of(const Bytes& bytes)
{
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    unsigned char digest[32];
    bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
              BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
              BCryptHashData(hash, const_cast<unsigned char*>(bytes.data()),
                             static_cast<ULONG>(bytes.size()), 0) == 0 &&
              BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
    if (hash)
        BCryptDestroyHash(hash);
    if (algorithm)
        BCryptCloseAlgorithmProvider(algorithm, 0);
    if (!ok)
        return "(no hash)";
    std::string text;
    char hex[3];
    for (unsigned char byte : digest) {
        std::snprintf(hex, sizeof hex, "%02x", byte);
        text += hex;
    }
    return text;
}

std::string ReadRegString(HKEY root, const std::string& key, const char* name)
{
    char value[2048];
    DWORD size = sizeof value;
    if (RegGetValueA(root, key.c_str(), *name ? name : nullptr, RRF_RT_REG_SZ, nullptr, value,
                     &size) != ERROR_SUCCESS)
        return "(missing)";
    return value;
}

bool RegValueExists(HKEY root, const std::string& key, const char* name)
{
    return RegGetValueA(root, key.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool RegKeyExists(HKEY root, const std::string& key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return false;
    RegCloseKey(opened);
    return true;
}

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return "(no folder)";
    return path;
}

std::string ShortcutTarget(const std::string& shortcut)
{
    std::string target = "(unreadable)";
    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        std::wstring wide(shortcut.begin(), shortcut.end());
        char path[MAX_PATH] = "";
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(wide.c_str(), STGM_READ)) &&
            SUCCEEDED(link->GetPath(path, sizeof path, nullptr, 0)))
            target = path;
        if (file)
            file->Release();
        link->Release();
    }
    CoUninitialize();
    return target;
}

namespace {

void AddSubkeys(std::set<std::string>* entries, const char* place, HKEY root, const char* key)
{
    HKEY opened;
    if (RegOpenKeyExA(root, key, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return;
    char name[512];
    for (DWORD i = 0;; i++) {
        DWORD length = sizeof name;
        if (RegEnumKeyExA(opened, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        entries->insert(std::string(place) + ": " + name);
    }
    RegCloseKey(opened);
}

void AddFiles(std::set<std::string>* entries, const char* place, int csidl)
{
    for (const std::string& name : ListFolder(ShellFolder(csidl), true))
        entries->insert(std::string(place) + ": " + name);
}

}  // namespace

std::set<std::string> SnapshotInstallPlaces()
{
    const char* const uninstall = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
    std::set<std::string> entries;
    AddSubkeys(&entries, "user classes", HKEY_CURRENT_USER, "Software\\Classes");
    AddSubkeys(&entries, "machine classes", HKEY_LOCAL_MACHINE, "Software\\Classes");
    AddSubkeys(&entries, "user programs list", HKEY_CURRENT_USER, uninstall);
    AddSubkeys(&entries, "machine programs list", HKEY_LOCAL_MACHINE, uninstall);
    AddFiles(&entries, "user Start menu", CSIDL_PROGRAMS);
    AddFiles(&entries, "common Start menu", CSIDL_COMMON_PROGRAMS);
    return entries;
}

namespace {

// The processes in the job that are not Wine's or Windows' own (the desktop
// and the services a first program starts live on after it).
int CountOwnProcesses(HANDLE job)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return -1;
    char system[MAX_PATH] = "";
    UINT systemLength = GetSystemDirectoryA(system, sizeof system);
    int count = 0;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE,
                                     entry.th32ProcessID);
        if (!process)
            continue;
        BOOL inJob = FALSE;
        char image[MAX_PATH] = "";
        DWORD size = sizeof image;
        if (IsProcessInJob(process, job, &inJob) && inJob &&
            WaitForSingleObject(process, 0) == WAIT_TIMEOUT &&
            QueryFullProcessImageNameA(process, 0, image, &size) &&
            CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, image, systemLength, system,
                           systemLength) != CSTR_EQUAL)
            count++;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return count;
}

}  // namespace

bool RunToEnd(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode, int* leftRunning)
{
    // An uninstaller runs a copy of itself and leaves at once: the job holds
    // every process started from here, and the run ends when none of them
    // runs any more.
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    std::vector<char> text(commandLine.begin(), commandLine.end());
    text.push_back('\0');
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!job || !CreateProcessA(nullptr, text.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                nullptr, nullptr, &startup, &info)) {
        if (job)
            CloseHandle(job);
        return false;
    }
    AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    DWORD start = GetTickCount();
    bool ended = WaitForSingleObject(info.hProcess, timeoutMs) == WAIT_OBJECT_0;
    GetExitCodeProcess(info.hProcess, exitCode);
    if (leftRunning)
        *leftRunning = ended ? CountOwnProcesses(job) : -1;
    while (ended && CountOwnProcesses(job) > 0) {
        if (GetTickCount() - start > timeoutMs)
            ended = false;
        Sleep(20);
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    CloseHandle(job);
    return ended;
}

namespace {

void AddTree(std::vector<std::string>* files, const std::string& folder, const std::string& prefix)
{
    for (const std::string& name : ListFolder(folder, false))
        files->push_back(prefix + name);
    for (const std::string& name : ListFolder(folder, true)) {
        if (GetFileAttributesA((folder + "\\" + name).c_str()) & FILE_ATTRIBUTE_DIRECTORY)
            AddTree(files, folder + "\\" + name, prefix + name + "\\");
    }
}

}  // namespace

bool FolderExists(const std::string& folder)
{
    DWORD attributes = GetFileAttributesA(folder.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> ListTree(const std::string& folder)
{
    std::vector<std::string> files;
    AddTree(&files, folder, "");
    std::sort(files.begin(), files.end());
    return files;
}

std::string ManifestOf(const std::string& file)
{
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC found = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    std::string text;
    if (loaded)
        text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    if (module)
        FreeLibrary(module);
    return text;
}

std::string Missing(const std::set<std::string>& a, const std::set<std::string>& b)
{
    std::string lines;
    for (const std::string& entry : a) {
        if (!b.count(entry))
            lines += "  " + entry + "\n";
    }
    return lines.empty() ? "  (none)\n" : lines;
}

// A line scan of the manifest as make-manifests.sh lays it out: the common
// "  Silent:" of the top-level switches, then "    Custom:" of the scope's entry.
std::string WingetSwitches(const std::string& scope)
{
    Bytes bytes = ReadFileBytes(DistFolder() + "\\winget\\Quillmarch.Quillmarch.installer.yaml");
    std::string text(bytes.begin(), bytes.end());
    std::string silent = "(no Silent)", custom, entryScope;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (line.rfind("  Silent: ", 0) == 0)
            silent = line.substr(10);
        else if (line.rfind("  Scope: ", 0) == 0)
            entryScope = line.substr(9);
        else if (line.rfind("    Custom: ", 0) == 0 && entryScope == scope)
            custom = " " + line.substr(12);
    }
    return silent + custom;
}
