// A full disk, and a disk with room for only part of the level, met by a
// real save under Wine on a 64 KiB file system that with_small_disk.sh
// mounts (QM_SMALL_DISK). Wine reports the first as a failed write
// (ERROR_DISK_FULL) and the second as a write that succeeds with fewer
// bytes than asked; the editor must refuse both and lose nothing.
#include <stdlib.h>

#include "save_fault_fixture.h"

#include "resource.h"

namespace {

const int PAGE_BYTES = 4096;  // the small file system's unit of space

// A 16 x 16 grid of one-cell sectors at columns 20..35, rows 0..15, less
// its bottom-right cell: 255 sectors, 478 shared edges once portals are
// built, the room the edit's sector at (10, 10) completes to 256.
Bytes MakeGridLevel()
{
    std::vector<FileSector> cells;
    for (unsigned row = 0; row < 16; row++)
        for (unsigned column = 20; column < 36; column++)
            if (!(row == 15 && column == 35))
                cells.push_back({column, row, column + 1, row + 1, row, 100 + column});
    return MakeLevelFile(0, 0, cells);
}

}  // namespace

class SmallDisk : public SaveFaultTest {
protected:
    void SetUp() override
    {
        const char* disk = getenv("QM_SMALL_DISK");
        if (!disk || !*disk)
            GTEST_SKIP() << "QM_SMALL_DISK is not set: no small file system to fill (mounting needs root)";
        SaveFaultTest::SetUp();
        disk_ = ToWindowsPath(disk);
        maps_ = disk_ + "\\maps";
        ASSERT_TRUE(CreateDirectoryA(maps_.c_str(), nullptr)) << "cannot create " << maps_;
    }

    void TearDown() override
    {
        SaveFaultTest::TearDown();
        if (!disk_.empty()) {
            DeleteFileA(FillerPath().c_str());
            RemoveFolderTree(maps_);
        }
    }

    std::string FillerPath() const { return disk_ + "\\filler"; }

    // Takes all the free space but `leave` bytes (whole pages), and checks
    // that the system agrees about what is left.
    void FillDisk(DWORD leave)
    {
        HANDLE filler = CreateFileA(FillerPath().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(filler, INVALID_HANDLE_VALUE) << "cannot create " << FillerPath();
        static const char page[PAGE_BYTES] = {};
        DWORD written = PAGE_BYTES;
        LONG size = 0;
        while (WriteFile(filler, page, PAGE_BYTES, &written, nullptr) && written == PAGE_BYTES)
            size += PAGE_BYTES;
        size += written;
        bool shrunk = leave == 0 ||
                      (SetFilePointer(filler, size - static_cast<LONG>(leave), nullptr, FILE_BEGIN) !=
                           INVALID_SET_FILE_POINTER &&
                       SetEndOfFile(filler));
        CloseHandle(filler);
        ASSERT_TRUE(shrunk) << "cannot shrink the filler to leave " << leave << " bytes";
        ULARGE_INTEGER available = {}, total = {};
        ASSERT_TRUE(GetDiskFreeSpaceExA(maps_.c_str(), &available, &total, nullptr));
        ASSERT_EQ(available.QuadPart, leave) << "free bytes on the small disk after filling it";
    }

    std::string disk_;  // the small file system, Windows form
    std::string maps_;  // the level's folder on it
};

TEST_F(SmallDisk, FullDiskKeepsTheOldFileAndSaveSucceedsOnceThereIsRoom)
{
    const Bytes original = MakeLevelFile(3, 4, {{3, 4, 4, 5, 10, 20}, {0, 0, 2, 1, 30, 40}});
    std::string path = maps_ + "\\room.vrk";
    StartEditingFile(path, original);
    FillDisk(0);

    ExpectSaveRefused(true);
    ExpectNothingLost(path, original, "room.vrk");

    ASSERT_TRUE(DeleteFileA(FillerPath().c_str())) << "cannot delete the filler";
    ASSERT_TRUE(TypeChordInto(editor_.window, {VK_CONTROL, 'S'})) << "Ctrl+S could not be typed";
    ExpectTitle("room.vrk", false);
    ExpectNoDialog();
    ExpectSameBytes(path, EditedLevel(original));
}

TEST_F(SmallDisk, WriteCutShortKeepsTheOldFileAndSaveSucceedsOnceThereIsRoom)
{
    const Bytes original = MakeGridLevel();
    std::string path = maps_ + "\\grid.vrk";
    StartEditingFile(path, original);
    // The save needs 9 + 10 x (256 + 956) = 12129 bytes; two pages are left.
    FillDisk(2 * PAGE_BYTES);

    ExpectSaveRefused(false);
    ExpectNothingLost(path, original, "grid.vrk");

    ASSERT_TRUE(DeleteFileA(FillerPath().c_str())) << "cannot delete the filler";
    PostCommand(editor_.window, IDM_FILE_SAVE);
    ExpectTitle("grid.vrk", false);
    ExpectNoDialog();
    bool read = false;
    Bytes saved = ReadFileBytes(path, &read);
    ASSERT_TRUE(read) << "cannot read " << path;
    ASSERT_EQ(saved.size(), 12129u) << "size of the saved level";
    unsigned portalCount = saved[7] | saved[8] << 8;
    EXPECT_EQ(portalCount, 956u) << "portal count in the saved header";
    // Header and sectors as edited; the portals are checked elsewhere.
    Bytes sectors = EditedLevel(original);
    sectors[7] = saved[7];
    sectors[8] = saved[8];
    EXPECT_EQ(FirstDifference(sectors, Bytes(saved.begin(), saved.begin() + sectors.size())), -1)
        << "the first difference in the header and sectors";
}
