// Saves that the system refuses, driven through the real editor: the steps
// every fault case shares, from the edit that makes the level worth saving
// to the checks that nothing was lost.
#ifndef QUILLMARCH_SAVE_FAULT_FIXTURE_H
#define QUILLMARCH_SAVE_FAULT_FIXTURE_H

#include <string>
#include <vector>

#include "editor_fixture.h"

class SaveFaultTest : public EditorTest {
protected:
    // Starts the editor on `path` holding `original` and adds a sector at
    // cell (10, 10), so the level differs from the file and is modified.
    void StartEditingFile(const std::string& path, const Bytes& original);

    // The level the editor holds after that edit.
    Bytes EditedLevel(const Bytes& original) const;

    // Asks for File, Save (by Ctrl+S when `byKeys`, else by the menu
    // command) and expects the error box, answered with OK.
    void ExpectSaveRefused(bool byKeys);

    // After a refused save: the old file byte-identical, no file left
    // beside it, the title as it was, and the close request still asking
    // about unsaved changes (answered Cancel, so the editor stays).
    void ExpectNothingLost(const std::string& path, const Bytes& original, const std::string& name);

    // Save As to a new file in the test's folder, which must succeed and
    // hold the edited level.
    void ExpectSaveAsSucceeds(const Bytes& original);

    // The file holds exactly `expected`; a difference is reported by its
    // size and first differing offset, levels being too long to print.
    void ExpectSameBytes(const std::string& path, const Bytes& expected);
};

// The first offset where the two differ, counting a missing byte as a
// difference; -1 when they are the same.
long FirstDifference(const Bytes& expected, const Bytes& actual);

// Everything before the last backslash.
std::string FolderOf(const std::string& path);

#endif
