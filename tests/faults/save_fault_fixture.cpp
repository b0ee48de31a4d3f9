#include "save_fault_fixture.h"

#include <algorithm>

#include "resource.h"

namespace {

const int NEW_COLUMN = 10;  // where the edit puts its sector
const int NEW_ROW = 10;

// "a, b, c" for failure messages.
std::string JoinNames(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return text;
}

}  // namespace

long FirstDifference(const Bytes& expected, const Bytes& actual)
{
    size_t common = std::min(expected.size(), actual.size());
    for (size_t i = 0; i < common; i++)
        if (expected[i] != actual[i])
            return static_cast<long>(i);
    return expected.size() == actual.size() ? -1 : static_cast<long>(common);
}

std::string FolderOf(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void SaveFaultTest::StartEditingFile(const std::string& path, const Bytes& original)
{
    ASSERT_TRUE(WriteFileBytes(path, original)) << "cannot write " << path;
    Start("\"" + path + "\"");
    AddSectorAt(NEW_COLUMN, NEW_ROW);
}

// The file's sectors plus the one-cell sector of the edit, with default
// heights. The original sectors lie away from (10, 10), so no portals.
Bytes SaveFaultTest::EditedLevel(const Bytes& original) const
{
    Bytes edited = original;
    unsigned count = original[5] | original[6] << 8;
    count++;
    edited[5] = static_cast<unsigned char>(count & 0xFF);
    edited[6] = static_cast<unsigned char>(count >> 8);
    const unsigned char record[] = {NEW_COLUMN, 0, NEW_ROW, 0, NEW_COLUMN + 1, 0, NEW_ROW + 1, 0, 128, 132};
    edited.insert(edited.end(), record, record + sizeof record);
    return edited;
}

void SaveFaultTest::ExpectSaveRefused(bool byKeys)
{
    if (byKeys)
        ASSERT_TRUE(TypeChordInto(editor_.window, {VK_CONTROL, 'S'})) << "Ctrl+S could not be typed";
    else
        PostCommand(editor_.window, IDM_FILE_SAVE);
    // The remembered path is used: no file dialog comes first.
    AnswerBox("Error", "Unable to write level to file.", IDOK);
    ExpectNoDialog();
}

void SaveFaultTest::ExpectNothingLost(const std::string& path, const Bytes& original, const std::string& name)
{
    ExpectSameBytes(path, original);
    std::vector<std::string> left = ListFolder(FolderOf(path), true);
    EXPECT_EQ(left.size(), 1u) << "files beside the level: expected only " << name << ", got "
                               << JoinNames(left);
    ExpectTitle(name, true);

    PostMessageA(editor_.window, WM_CLOSE, 0, 0);
    AnswerBox("Unsaved changes", "Would you like to save your changes?", IDCANCEL);
    ExpectNoDialog();
}

void SaveFaultTest::ExpectSaveAsSucceeds(const Bytes& original)
{
    PostCommand(editor_.window, IDM_FILE_SAVE_AS);
    ChooseInFileDialog(PathOf("rescued.vrk"));
    ExpectTitle("rescued.vrk", false);
    ExpectNoDialog();
    ExpectSameBytes(PathOf("rescued.vrk"), EditedLevel(original));
}

void SaveFaultTest::ExpectSameBytes(const std::string& path, const Bytes& expected)
{
    bool read = false;
    Bytes actual = ReadFileBytes(path, &read);
    ASSERT_TRUE(read) << "cannot read " << path;
    long at = FirstDifference(expected, actual);
    EXPECT_EQ(at, -1) << path << ": expected " << expected.size() << " bytes, got " << actual.size()
                      << ", the first difference at offset " << at;
}
