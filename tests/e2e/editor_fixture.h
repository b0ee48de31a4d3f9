// The fixture of the end-to-end tests: a temp folder and a running editor
// per test, both cleaned up whatever the test did.
#ifndef QUILLMARCH_EDITOR_FIXTURE_H
#define QUILLMARCH_EDITOR_FIXTURE_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver.h"

// "Quillmarch - name *" as the editor shows it.
std::string ExpectedTitle(const std::string& name, bool modified);

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Starts the editor with the arguments; fails the test when it does not start.
    void Start(const std::string& arguments = "");

    // A path inside this test's temp folder.
    std::string PathOf(const std::string& name) const;

    // Waits for the title and reports expected and seen when it does not come.
    void ExpectTitle(const std::string& name, bool modified);

    // Waits for a message box or dialog with this caption, checks its text
    // (when not null) and answers it with the button.
    void AnswerBox(const char* caption, const char* text, int button);

    // Checks the file's bytes against the expected ones.
    void ExpectFileBytes(const std::string& path, const std::vector<unsigned char>& expected);

    EditorProcess editor_ = {};
    std::string folder_;
};

#endif
