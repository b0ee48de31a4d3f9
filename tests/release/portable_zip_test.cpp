// The portable zip, unpacked into a folder whose path has spaces, runs as it
// is; and the release files agree on one version and on their hashes.
#include <gtest/gtest.h>

#include <algorithm>

#include "editor_fixture.h"
#include "release_support.h"
#include "run_tool.h"

namespace {

// The release ships the example levels; their JSON sources stay with the
// repository's pipelines.
std::vector<std::string> ExampleNames()
{
    std::vector<std::string> names;
    for (const std::string& name : ListFolder(ExamplesFolder(), false)) {
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".vrk") == 0)
            names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string ReadText(const std::string& path)
{
    Bytes bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

class ReleaseFiles : public ::testing::Test {
protected:
    void SetUp() override { scratch = CreateTempFolder(); }
    void TearDown() override { RemoveFolderTree(scratch); }
    std::string scratch;
};

}  // namespace

TEST_F(ReleaseFiles, PortableZipRunsFromAFolderWithSpaces)
{
    // One folder named for the release holds everything.
    std::string top = "Quillmarch-" + ProductVersionOf(ToWindowsPath(QM_STAGE_DIR "/Quillmarch.exe"));
    std::string unpacked = UnpackedZipFolder() + "\\" + top;
    ASSERT_NE(std::string::npos, unpacked.find(' ')) << unpacked;
    std::vector<std::string> expected = {"CHANGELOG.txt", "LICENSE.txt", "Quillmarch.exe",
                                         "README.txt", "THIRD-PARTY-NOTICES.txt", "vrktool.exe",
                                         "include\\vrk.h", "level.schema.json"};
    for (const std::string& name : ExampleNames())
        expected.push_back("examples\\" + name);
    std::sort(expected.begin(), expected.end());
    for (std::string& name : expected)
        name = top + "\\" + name;
    ASSERT_EQ(expected, ListTree(UnpackedZipFolder())) << "the files in the zip";

    // Written for Windows: every line ends in CR LF.
    for (const char* name : {"README.txt", "LICENSE.txt", "CHANGELOG.txt", "THIRD-PARTY-NOTICES.txt"}) {
        std::string text = ReadText(unpacked + "\\" + name);
        size_t lines = std::count(text.begin(), text.end(), '\n');
        size_t crlf = 0;
        for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            crlf++;
        EXPECT_GT(lines, 10u) << name;
        EXPECT_EQ(lines, crlf) << name << ": lines, and lines that end in CR LF";
    }

    // Started from another folder, with nothing installed: it finds no DLL of
    // the build's and needs none.
    std::string level = ExampleNames().front();
    EditorProcess editor;
    ASSERT_TRUE(LaunchProgram(&editor, "\"" + unpacked + "\\Quillmarch.exe\" \"" + unpacked + "\\examples\\" + level + "\"", scratch.c_str()));
    HWND window = WaitForMainWindow(&editor);
    DWORD exitCode = 0;
    if (!window)
        GetExitCodeProcess(editor.process, &exitCode);
    EXPECT_NE(nullptr, window) << "no window; the editor's exit code " << exitCode;
    if (window) {
        std::string seen;
        EXPECT_TRUE(WaitForTitle(window, ExpectedTitle(level, false), &seen))
            << "expected the title '" << ExpectedTitle(level, false) << "', saw '" << seen << "'";
    }
    StopEditor(&editor);

    std::vector<std::string> args = {"check"};
    for (const std::string& name : ExampleNames())
        args.push_back(unpacked + "\\examples\\" + name);
    ToolRun check = RunTool(unpacked + "\\vrktool.exe", args, scratch);
    EXPECT_EQ(0, check.exitCode) << "vrktool check on every example: " << check.out << check.err;
    EXPECT_EQ("", check.out);
    EXPECT_EQ("", check.err);
}

// The editor's version block is where the version is set; everything else
// that names one must name the same.
TEST_F(ReleaseFiles, NamesVersionsAndHashesAgree)
{
    std::string editor = ToWindowsPath(QM_STAGE_DIR "/Quillmarch.exe");
    std::string version = ProductVersionOf(editor);
    ASSERT_NE("", version) << "no version block in " << editor;
    EXPECT_EQ(version + ".0", VersionStringOf(editor, "ProductVersion")) << "the editor's ProductVersion";
    std::string vrktool = UnpackedZipFolder() + "\\Quillmarch-" + version + "\\vrktool.exe";
    EXPECT_EQ(version, ProductVersionOf(vrktool)) << "vrktool's version block";
    EXPECT_EQ(version + ".0", VersionStringOf(vrktool, "ProductVersion")) << "vrktool's ProductVersion";

    ToolRun tool = RunTool(vrktool, {"--version"}, scratch);
    EXPECT_EQ(0, tool.exitCode) << "vrktool --version";
    EXPECT_EQ("vrktool " + version + "\n", tool.out) << "vrktool --version";

    std::string zip = "Quillmarch-" + version + "-win64.zip";
    std::string setup = "Quillmarch-" + version + "-setup.exe";
    std::vector<std::string> names = ListFolder(DistFolder(), false);
    std::sort(names.begin(), names.end());
    EXPECT_EQ((std::vector<std::string>{setup, zip, "SHA256SUMS"}), names) << "the release files";

    std::string setupPath = DistFolder() + "\\" + setup;
    EXPECT_EQ(version, ProductVersionOf(setupPath)) << "the installer's version block";
    EXPECT_EQ(version, VersionStringOf(setupPath, "ProductVersion")) << "the installer's ProductVersion";
    // Started by its user as that user: no UAC prompt; drawn sharp at any DPI.
    std::string manifest = ManifestOf(setupPath);
    EXPECT_NE(std::string::npos, manifest.find("level=\"asInvoker\"")) << "the installer's manifest:\n"
                                                                       << manifest;
    EXPECT_NE(std::string::npos, manifest.find(">true</dpiAware>")) << "the installer's manifest:\n"
                                                                    << manifest;

    bool readZip = false, readSetup = false;
    Bytes zipBytes = ReadFileBytes(DistFolder() + "\\" + zip, &readZip);
    Bytes setupBytes = ReadFileBytes(setupPath, &readSetup);
    ASSERT_TRUE(readZip);
    ASSERT_TRUE(readSetup);
    EXPECT_EQ(Sha256Of(zipBytes) + "  " + zip + "\n" + Sha256Of(setupBytes) + "  " + setup + "\n",
              ReadText(DistFolder() + "\\SHA256SUMS"));
}
