// A level file that does not load as it is, by each way a file comes in
// (File, Open; a drop on the window; the command line) and each kind of
// file: what the user is told, and which level the editor then holds.
#include "editor_fixture.h"

#include "resource.h"

namespace {

enum Entry { BY_OPEN,
             BY_DROP,
             BY_COMMAND_LINE };
enum FileKind { MISSING,
                CUT_SHORT,
                TOO_MANY_SECTORS,
                VERSION_ONE };

const char VERSION_WARNING[] = "Expected map version 2, file is version 1.";
const char SECTORS_WARNING[] = "Map contains too many sectors.";

struct LoadCase {
    const char* name;
    Entry entry;
    FileKind kind;
    const char* warning;  // the loader's "Failed to load map" box, or null
    bool error;           // then the command's "Unable to read level from file."
    bool loads;           // the level is the file's afterwards; else the one before stays
};

// Open cannot be given a missing file: its dialog asks for one that exists.
const LoadCase CASES[] = {
    {"OpenCutShort", BY_OPEN, CUT_SHORT, nullptr, true, false},
    {"OpenTooManySectors", BY_OPEN, TOO_MANY_SECTORS, SECTORS_WARNING, true, false},
    {"OpenVersionOne", BY_OPEN, VERSION_ONE, VERSION_WARNING, false, true},
    {"DropMissing", BY_DROP, MISSING, nullptr, true, false},
    {"DropCutShort", BY_DROP, CUT_SHORT, nullptr, true, false},
    {"DropTooManySectors", BY_DROP, TOO_MANY_SECTORS, SECTORS_WARNING, true, false},
    {"DropVersionOne", BY_DROP, VERSION_ONE, VERSION_WARNING, false, true},
    // At start-up a level that does not load leaves the fresh one, silently.
    {"CommandLineMissing", BY_COMMAND_LINE, MISSING, nullptr, false, false},
    {"CommandLineCutShort", BY_COMMAND_LINE, CUT_SHORT, nullptr, false, false},
    {"CommandLineTooManySectors", BY_COMMAND_LINE, TOO_MANY_SECTORS, SECTORS_WARNING, false, false},
    {"CommandLineVersionOne", BY_COMMAND_LINE, VERSION_ONE, VERSION_WARNING, false, true},
};

Bytes FileOf(FileKind kind)
{
    Bytes cut = MakeLevelFile(0, 0, {{2, 1, 5, 3, 128, 132}});
    cut.resize(cut.size() - 3);
    switch (kind) {
    case MISSING: return {};
    case CUT_SHORT: return cut;
    case TOO_MANY_SECTORS: return {2, 0, 0, 0, 0, 0x01, 0x01, 0, 0};  // claims 257
    case VERSION_ONE: return MakeLevelFile(3, 2, {{0, 0, 2, 2, 10, 20}}, {}, 1);
    }
    return {};
}

struct ClassQuery {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK MatchMainClass(HWND window, LPARAM param)
{
    auto* query = reinterpret_cast<ClassQuery*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId == query->processId && GetClassNameOf(window) == "QUILLMARCH") {
        query->found = window;
        return FALSE;
    }
    return TRUE;
}

// The main window of the process, shown or not.
HWND FindMainWindowOf(DWORD processId)
{
    ClassQuery query = {processId, nullptr};
    EnumWindows(MatchMainClass, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

std::string CaseName(const ::testing::TestParamInfo<LoadCase>& info)
{
    return info.param.name;
}

}  // namespace

class LoadFailures : public EditorTest, public ::testing::WithParamInterface<LoadCase> {};

TEST_P(LoadFailures, SaysWhyAndKeepsOrLoadsTheLevel)
{
    const LoadCase& c = GetParam();
    const Bytes kept = MakeLevelFile(4, 4, {{5, 5, 6, 6, 33, 44}});
    const Bytes bytes = FileOf(c.kind);
    const std::string path = PathOf("level.vrk");
    if (c.kind != MISSING) {
        ASSERT_TRUE(WriteFileBytes(path, bytes));
    }

    if (c.entry == BY_COMMAND_LINE) {
        ASSERT_TRUE(LaunchEditor(&editor_, "\"" + path + "\"", folder_.c_str()));
        // The warning comes while no main window exists, so it has no owner.
        if (c.warning) {
            HWND box = WaitForDialog(editor_.processId, "Failed to load map");
            ASSERT_NE(nullptr, box) << "no warning box";
            EXPECT_EQ(c.warning, GetMessageBoxText(box));
            EXPECT_EQ(nullptr, GetWindow(box, GW_OWNER)) << "the warning has no owner";
            EXPECT_EQ(nullptr, FindMainWindowOf(editor_.processId)) << "the main window exists while the warning is up";
            PressDialogButton(box, IDOK);
        }
        ASSERT_NE(nullptr, WaitForMainWindow(&editor_)) << "no main window";
    } else {
        StartWithFile("kept.vrk", kept);
        if (c.entry == BY_OPEN) {
            PostCommand(editor_.window, IDM_FILE_OPEN);
            ChooseInFileDialog(path);
        } else {
            ASSERT_TRUE(DropFilesOn(&editor_, {path})) << "the drop was not delivered";
        }
        if (c.warning)
            ExpectLoadWarningBlocksTheWindow(c.warning);
    }
    if (c.error)
        AnswerBox("Error", "Unable to read level from file.", IDOK);
    ExpectNoDialog();

    // What is saved afterwards is the level the editor holds.
    if (c.loads) {
        ExpectTitle("level.vrk", false);
        SaveAndExpectFile("level.vrk", bytes);
    } else if (c.entry == BY_COMMAND_LINE) {
        ExpectTitle("[Untitled]", false);
    } else {
        ExpectTitle("kept.vrk", false);
        SaveAndExpectFile("kept.vrk", kept);
    }
}

INSTANTIATE_TEST_SUITE_P(EntryPoints, LoadFailures, ::testing::ValuesIn(CASES), CaseName);
