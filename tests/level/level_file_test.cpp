// The .vrk reader and writer: exact bytes, round trips, the two warnings,
// and files that must be refused without touching the level.
#include <gtest/gtest.h>

#include <stdio.h>

#include <random>

#include "level.h"
#include "level_bytes.h"
#include "level_file.h"
#include "level_test_support.h"
#include "portals.h"

namespace {

Bytes SaveToBytes(Level* level, const ScratchFolder& folder)
{
    std::string path = folder.Path("saved.vrk");
    EXPECT_EQ(0, SaveLevel(level, path.c_str()));
    return ReadFileBytes(path);
}

// A level that is clearly not empty, to load over.
void FillLoadedLooking(Level* level)
{
    FillBrickLayout(level, 5);
    BuildPortals(level);
    level->startX = 9;
    level->startY = 8;
    SetLevelFileName(level, "previous.vrk");
    level->modified = 1;
}

}  // namespace

TEST(LevelFile, FreshLevelSavesAsNineBytes)
{
    ScratchFolder folder;
    Level level = NewLevel();
    level.modified = 1;
    Bytes bytes = SaveToBytes(&level, folder);
    EXPECT_EQ("02 00 00 00 00 00 00 00 00", HexBytes(bytes));
    EXPECT_EQ(folder.Path("saved.vrk"), level.fileName ? level.fileName : "(none)");
    EXPECT_EQ(0, level.modified);
    FreeLevel(&level);
}

TEST(LevelFile, OneSectorSavesAsNineteenBytes)
{
    ScratchFolder folder;
    Level level = NewLevel();
    Sector s = MakeSector(3, 4, 4, 5);
    AddSector(&level, &s);
    EXPECT_EQ("02 00 00 00 00 01 00 00 00 03 00 04 00 04 00 05 00 80 84", HexBytes(SaveToBytes(&level, folder)));
    FreeLevel(&level);
}

TEST(LevelFile, EveryFieldIsLittleEndianInItsPlace)
{
    ScratchFolder folder;
    Level level = NewLevel();
    level.version = 7;
    level.startX = 0x0102;
    level.startY = 0xA0B0;
    level.sectors[0] = MakeSector(0x1112, 0x2122, 0x3132, 0x4142, 0x51, 0x61);
    level.sectorCount = 1;
    level.portals[0] = Portal{0x0708, 0x0900, 0xFFFE, 0x0001, 0x1000};
    level.portalCount = 1;
    EXPECT_EQ("07 02 01 b0 a0 01 00 01 00 "
              "12 11 22 21 32 31 42 41 51 61 "
              "08 07 00 09 fe ff 01 00 00 10",
              HexBytes(SaveToBytes(&level, folder)));
    FreeLevel(&level);
}

TEST(LevelFile, SerializeLevelAsksForRoomAndRefusesImpossibleCounts)
{
    Level level = NewLevel();
    FillBrickLayout(&level, 3);
    unsigned char out[64] = {};
    EXPECT_EQ(39u, SerializeLevel(&level, out, 10));
    EXPECT_EQ(0, out[0]) << "nothing is written when the room is too small";
    EXPECT_EQ(39u, SerializeLevel(&level, out, sizeof out));
    level.portalCount = MAX_PORTALS + 1;
    EXPECT_EQ(0u, SerializeLevel(&level, out, sizeof out));
    ScratchFolder folder;
    EXPECT_EQ(-1, SaveLevel(&level, folder.Path("x.vrk").c_str()));
    EXPECT_FALSE(FileExists(folder.Path("x.vrk")));
}

TEST(LevelFile, FullLevelRoundTripsByteForByte)
{
    ScratchFolder folder;
    Level original = NewLevel();
    FillBrickLayout(&original, MAX_SECTORS);
    original.startX = 300;
    original.startY = 65535;
    BuildPortals(&original);
    std::string first = folder.Path("first.vrk");
    ASSERT_EQ(0, SaveLevel(&original, first.c_str()));
    Bytes firstBytes = ReadFileBytes(first);
    ASSERT_EQ(9u + 10u * (MAX_SECTORS + original.portalCount), firstBytes.size());

    Level loaded = NewLevel();
    FillLoadedLooking(&loaded);
    ASSERT_EQ(0, LoadLevel(&loaded, first.c_str()));
    EXPECT_EQ(MAX_SECTORS, loaded.sectorCount);
    EXPECT_EQ(300, loaded.startX);
    EXPECT_EQ(65535, loaded.startY);
    EXPECT_EQ(0, loaded.portalCount) << "the reader leaves the portals to the next build";
    EXPECT_EQ(0, loaded.modified);
    EXPECT_STREQ(first.c_str(), loaded.fileName);
    for (int i = 0; i < MAX_SECTORS; i++)
        ASSERT_EQ(DescribeSector(original.sectors[i]), DescribeSector(loaded.sectors[i])) << "slot " << i;

    BuildPortals(&loaded);
    std::string second = folder.Path("second.vrk");
    ASSERT_EQ(0, SaveLevel(&loaded, second.c_str()));
    EXPECT_TRUE(firstBytes == ReadFileBytes(second)) << "a loaded level saves back unchanged";
    FreeLevel(&original);
    FreeLevel(&loaded);
}

TEST(LevelFile, OldVersionLoadsWithWarningAndSavesBack)
{
    ScratchFolder folder;
    Bytes file = MakeLevelHeader(1, 5, 6, 1, 0);
    AppendSector(&file, {1, 2, 3, 4, 10, 20});
    WriteFileBytes(folder.Path("old.vrk"), file);

    WarningCapture warnings;
    Level level = NewLevel();
    ASSERT_EQ(0, LoadLevel(&level, folder.Path("old.vrk").c_str()));
    ASSERT_EQ(1u, warnings.Texts().size());
    EXPECT_EQ("Expected map version 2, file is version 1.", warnings.Texts()[0]);
    EXPECT_EQ(1, level.version);
    std::string again = folder.Path("again.vrk");
    ASSERT_EQ(0, SaveLevel(&level, again.c_str()));
    EXPECT_EQ(HexBytes(file), HexBytes(ReadFileBytes(again)));
    FreeLevel(&level);
}

TEST(LevelFile, VersionWarningNamesTheFilesByte)
{
    ScratchFolder folder;
    WriteFileBytes(folder.Path("v.vrk"), MakeLevelHeader(255, 0, 0, 0, 0));
    WarningCapture warnings;
    Level level = NewLevel();
    ASSERT_EQ(0, LoadLevel(&level, folder.Path("v.vrk").c_str()));
    ASSERT_EQ(1u, warnings.Texts().size());
    EXPECT_EQ("Expected map version 2, file is version 255.", warnings.Texts()[0]);
    EXPECT_EQ(255, level.version);
    FreeLevel(&level);
}

TEST(LevelFile, ReaderIgnoresStoredPortalsEvenWhenCutShort)
{
    ScratchFolder folder;
    Bytes file = MakeLevelHeader(2, 0, 0, 2, 3);
    AppendSector(&file, {0, 0, 1, 1, 1, 2});
    AppendSector(&file, {1, 0, 2, 1, 3, 4});
    for (int i = 0; i < 30; i++)
        file.push_back(0xEE);  // three portal records of nonsense
    file.push_back(0x77);      // and one trailing byte
    for (size_t cut = 29; cut <= file.size(); cut++) {
        WriteFileBytes(folder.Path("p.vrk"), Bytes(file.begin(), file.begin() + cut));
        Level level = NewLevel();
        FillLoadedLooking(&level);
        ASSERT_EQ(0, LoadLevel(&level, folder.Path("p.vrk").c_str())) << "cut at " << cut;
        EXPECT_EQ(2, level.sectorCount);
        EXPECT_EQ(0, level.portalCount);
        EXPECT_EQ("[1, 2) x [0, 1) 3/4", DescribeSector(level.sectors[1]));
        FreeLevel(&level);
    }
}

TEST(LevelFile, ExactlyTwoHundredFiftySixSectorsPassTheCountCheck)
{
    ScratchFolder folder;
    Bytes file = MakeLevelHeader(2, 0, 0, 256, 0);
    for (unsigned i = 0; i < 256; i++)
        AppendSector(&file, {i, 0, i + 1, 1, i, 255 - i});
    WriteFileBytes(folder.Path("full.vrk"), file);
    WarningCapture warnings;
    Level level = NewLevel();
    ASSERT_EQ(0, LoadLevel(&level, folder.Path("full.vrk").c_str()));
    EXPECT_EQ(0u, warnings.Texts().size());
    EXPECT_EQ("[255, 256) x [0, 1) 255/0", DescribeSector(level.sectors[255]));
    FreeLevel(&level);
}

// Every way a load can fail; each must leave the level exactly as it was.
struct RefusalCase {
    const char* what;
    Bytes file;    // written unless missing
    bool missing;  // no file at all
    std::vector<std::string> warnings;
};

std::vector<RefusalCase> RefusalCases()
{
    std::vector<RefusalCase> cases;
    const std::vector<std::string> none;
    const std::string tooMany = "Map contains too many sectors.";
    cases.push_back({"no such file", Bytes(), true, none});
    Bytes header = MakeLevelHeader(2, 1, 2, 0, 0);
    for (size_t n = 0; n < 9; n++)
        cases.push_back({"shorter than the header", Bytes(header.begin(), header.begin() + n), false, none});
    Bytes full = MakeLevelHeader(2, 1, 2, 3, 0);
    for (unsigned i = 0; i < 3; i++)
        AppendSector(&full, {i, i, i + 1, i + 1, 1, 2});
    for (size_t n = 9; n < full.size(); n++)
        cases.push_back({"sectors cut short", Bytes(full.begin(), full.begin() + n), false, none});
    Bytes big = MakeLevelHeader(2, 0, 0, 257, 0);
    for (unsigned i = 0; i < 257; i++)
        AppendSector(&big, {i, 0, i + 1, 1, 1, 2});
    cases.push_back({"257 sectors", big, false, {tooMany}});
    cases.push_back({"65535 sectors claimed", MakeLevelHeader(2, 0, 0, 65535, 0), false, {tooMany}});
    cases.push_back({"256 sectors claimed, none present", MakeLevelHeader(2, 0, 0, 256, 0), false, none});
    cases.push_back({"old version and too many sectors", MakeLevelHeader(1, 0, 0, 300, 0), false, {"Expected map version 2, file is version 1.", tooMany}});
    Bytes oldCut = MakeLevelHeader(1, 0, 0, 1, 0);
    oldCut.push_back(0);
    cases.push_back({"old version cut short", oldCut, false, {"Expected map version 2, file is version 1."}});
    return cases;
}

TEST(LevelFile, RefusedFilesLeaveTheLevelUnchanged)
{
    ScratchFolder folder;
    for (const RefusalCase& c : RefusalCases()) {
        std::string path = folder.Path("refused.vrk");
        std::remove(path.c_str());
        if (!c.missing)
            WriteFileBytes(path, c.file);
        Level level = NewLevel();
        FillLoadedLooking(&level);
        LevelSnapshot before = TakeSnapshot(level);
        WarningCapture warnings;
        EXPECT_EQ(-1, LoadLevel(&level, path.c_str())) << c.what << " (" << c.file.size() << " bytes)";
        EXPECT_EQ("", DescribeChange(before, level)) << c.what << " (" << c.file.size() << " bytes)";
        EXPECT_EQ(c.warnings, warnings.Texts()) << c.what << " (" << c.file.size() << " bytes)";
        FreeLevel(&level);
    }
}

TEST(LevelFile, AnythingButARegularFileIsRefused)
{
    ScratchFolder folder;
    std::vector<std::string> paths = {folder.Root()};
#ifndef _WIN32
    // A FIFO with a level ready for a reader that waits on it: the reader
    // must neither wait nor take it.
    Bytes oneSector = MakeLevelHeader(2, 3, 4, 1, 0);
    AppendSector(&oneSector, {3, 4, 4, 5, 128, 132});
    FifoFeeder fifo(folder.Path("pipe.vrk"), oneSector);
    ASSERT_TRUE(fifo.Made());
    paths.push_back(folder.Path("pipe.vrk"));
#endif
    for (const std::string& path : paths) {
        Level level = NewLevel();
        FillLoadedLooking(&level);
        LevelSnapshot before = TakeSnapshot(level);
        EXPECT_EQ(-1, LoadLevel(&level, path.c_str())) << path;
        EXPECT_EQ("", DescribeChange(before, level)) << path;
        FreeLevel(&level);
    }
}

// Random bytes: the parse either takes the header and sectors exactly as
// they stand or refuses and changes nothing.
TEST(LevelFile, RandomBytesParseWholeOrNotAtAll)
{
    std::mt19937 random(20261207);
    WarningCapture warnings;
    for (int round = 0; round < 3000; round++) {
        Bytes bytes(random() % 120);
        for (unsigned char& b : bytes)
            b = static_cast<unsigned char>(random());
        if (bytes.size() >= 9 && round % 2 == 0) {
            bytes[6] = 0;  // a plausible count most of the time
            bytes[5] = static_cast<unsigned char>(random() % 12);
        }
        Level level = NewLevel();
        FillLoadedLooking(&level);
        LevelSnapshot before = TakeSnapshot(level);
        int result = ParseLevel(&level, bytes.data(), bytes.size());
        size_t count = bytes.size() >= 9 ? (bytes[5] | bytes[6] << 8) : 0;
        bool fits = bytes.size() >= 9 && count <= 256 && bytes.size() >= 9 + 10 * count;
        ASSERT_EQ(fits ? 0 : -1, result) << HexBytes(bytes);
        if (!fits) {
            ASSERT_EQ("", DescribeChange(before, level)) << HexBytes(bytes);
        } else {
            ASSERT_EQ(bytes[0], level.version);
            ASSERT_EQ(bytes[1] | bytes[2] << 8, level.startX);
            ASSERT_EQ(count, level.sectorCount);
            ASSERT_EQ(0, level.portalCount);
            for (size_t i = 0; i < count; i++) {
                const unsigned char* r = &bytes[9 + 10 * i];
                Sector expected = MakeSector(r[0] | r[1] << 8, r[2] | r[3] << 8, r[4] | r[5] << 8,
                                             r[6] | r[7] << 8, r[8], r[9]);
                ASSERT_EQ(DescribeSector(expected), DescribeSector(level.sectors[i])) << HexBytes(bytes);
            }
            ASSERT_STREQ("previous.vrk", level.fileName) << "parsing bytes leaves the name alone";
        }
        FreeLevel(&level);
    }
}
