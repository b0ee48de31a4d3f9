// What the release tests read from the release files and from the system:
// where the files are, version blocks, hashes, registry values, the shell's
// folders, and the places an installer writes to.
#ifndef QUILLMARCH_RELEASE_SUPPORT_H
#define QUILLMARCH_RELEASE_SUPPORT_H

#include <set>
#include <string>
#include <vector>

#include "driver.h"

// The folder with the zip, the installer and SHA256SUMS; the zip unpacked
// (into a folder whose path has spaces); the source's example levels.
std::string DistFolder();
std::string UnpackedZipFolder();
std::string ExamplesFolder();

// "0.1.1" from the fixed part of the file's version block; "" without one.
std::string ProductVersionOf(const std::string& file);
// A value of the version block's US English string table, "(missing)" when absent.
std::string VersionStringOf(const std::string& file, const char* key);

// The SHA-256 of the bytes in lower-case hex.
std::string Sha256Of(const Bytes& bytes);

// A string value ("" for the key's default value), "(missing)" when absent.
std::string ReadRegString(HKEY root, const std::string& key, const char* name);
bool RegKeyExists(HKEY root, const std::string& key);
// True when the value is there, of any type (REG_NONE too).
bool RegValueExists(HKEY root, const std::string& key, const char* name);

// A shell folder such as CSIDL_PROGRAMS, without a trailing backslash.
std::string ShellFolder(int csidl);

// The program a shortcut starts, "(unreadable)" when it cannot be read.
std::string ShortcutTarget(const std::string& shortcut);

// One "place: name" line for each key and file in the places an installer
// writes to: the classes and the installed-programs list of the user and of
// the machine, and both Start-menu program folders.
std::set<std::string> SnapshotInstallPlaces();

// Runs the command line and waits, up to the time, for it and every process
// it started to end. False when they did not end in time. *leftRunning (when
// given) counts the processes it started that still ran when it ended.
bool RunToEnd(const std::string& commandLine, DWORD timeoutMs, DWORD* exitCode,
              int* leftRunning = nullptr);

bool FolderExists(const std::string& folder);

// Every file below the folder as a relative path ("examples\hall.vrk"), sorted.
std::vector<std::string> ListTree(const std::string& folder);

// The switches winget's installer manifest gives Setup for the scope ("user",
// "machine"): the silent one, then the scope's own ("/S /AllUsers").
std::string WingetSwitches(const std::string& scope);

// The manifest that Windows reads before it starts the program ("" without one).
std::string ManifestOf(const std::string& file);

// The lines of a and not of b, one per line, for failure messages.
std::string Missing(const std::set<std::string>& a, const std::set<std::string>& b);

#endif
