// The fixture of the end-to-end tests: a temp folder and a running editor
// per test, both cleaned up whatever the test did, and the steps a user
// takes, each checked as it goes.
#ifndef QUILLMARCH_EDITOR_FIXTURE_H
#define QUILLMARCH_EDITOR_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"
#include "level_bytes.h"

// "Quillmarch - name *" as the editor shows it.
std::string ExpectedTitle(const std::string& name, bool modified);

// The middle pixel of a cell of the map view.
inline int CellCentre(int cell) { return cell * 16 + 8; }

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the editor with the arguments; fails the test when it does not start.
    void Start(const std::string& arguments = "");

    // Writes a level file into the temp folder and starts the editor on it.
    void StartWithFile(const std::string& name, const Bytes& bytes);

    // A path inside this test's temp folder.
    std::string PathOf(const std::string& name) const;

    // Waits for the title and reports expected and seen when it does not come.
    void ExpectTitle(const std::string& name, bool modified);

    // Waits for a message box or dialog with this caption, checks its text
    // (when not null) and answers it with the button.
    void AnswerBox(const char* caption, const char* text, int button);

    // The same for a box owned by `owner` (a dialog's own boxes).
    void AnswerOwnedBox(HWND owner, const char* caption, const char* text, int button);

    // The Open or Save dialog, which the main window owns.
    HWND WaitForFileDialog();

    // Waits for the file dialog and confirms it with the path / cancels it.
    void ChooseInFileDialog(const std::string& path);
    void CancelFileDialog();

    // Runs the command (Save or Save As), names the file in the Save dialog
    // and waits for the title to show it saved.
    void SaveThroughDialog(int command, const std::string& name);

    // File, Save on a level that has a file name: checks the title and the
    // file's bytes afterwards.
    void SaveAndExpectFile(const std::string& name, const Bytes& expected);

    // Clicks an empty cell: a new one-cell sector there.
    void AddSectorAt(int column, int row);

    // Checks the file's bytes against the expected ones.
    void ExpectFileBytes(const std::string& path, const Bytes& expected);

    // The loader's warning "Failed to load map" with this text, after the
    // main window exists: owned by the window, which is disabled while it is
    // up, so a real click on the map then changes nothing. Answers it.
    void ExpectLoadWarningBlocksTheWindow(const char* text);

    // Checks that no dialog or box of the editor is up, once the editor has
    // answered a sent message. Used after a box closed or the title changed:
    // by then the handler that would show another box has run.
    void ExpectNoDialog();

    // Sends the close request and checks that the editor ends with code 0.
    void ExpectExitAfter(bool sendClose);

    EditorProcess editor_ = {};
    std::string folder_;
};

#endif
