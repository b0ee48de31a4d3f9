#include "soak_files.h"

#include <algorithm>

#include "level.h"
#include "level_check.h"
#include "level_bytes.h"
#include "level_file.h"
#include "structural_problem.h"

namespace {

// Sorted: the order a folder lists in depends on the file system's history.
std::vector<std::string> ListNames(const std::string& folder)
{
    std::vector<std::string> names = ListFolder(folder, false);
    std::sort(names.begin(), names.end());
    return names;
}

// Sectors anywhere in the view, overlapping or not, as a file might hold them.
Level MakeRandomLevel(SoakRandom* random, int sectors)
{
    Level level = NewLevel();
    level.startX = static_cast<uint16_t>(random->Between(0, 40));
    level.startY = static_cast<uint16_t>(random->Between(0, 25));
    for (int i = 0; i < sectors; i++) {
        Sector& s = level.sectors[i];
        s.left = static_cast<uint16_t>(random->Between(0, 36));
        s.top = static_cast<uint16_t>(random->Between(0, 20));
        s.right = static_cast<uint16_t>(s.left + random->Between(1, 6));
        s.bottom = static_cast<uint16_t>(s.top + random->Between(1, 6));
        s.floorHeight = static_cast<uint8_t>(random->Below(256));
        s.ceilingHeight = static_cast<uint8_t>(random->Below(256));
    }
    level.sectorCount = static_cast<uint16_t>(sectors);
    return level;
}

// Rows of two-cell bricks, every other row shifted by one cell: 256 of them
// share about 700 edges, more than the 512 the portal table holds.
Level MakeBrickLevel()
{
    Level level = NewLevel();
    for (int i = 0; i < MAX_SECTORS; i++) {
        Sector& s = level.sectors[i];
        int row = i / 16;
        s.left = static_cast<uint16_t>((i % 16) * 2 + row % 2);
        s.top = static_cast<uint16_t>(row);
        s.right = static_cast<uint16_t>(s.left + 2);
        s.bottom = static_cast<uint16_t>(row + 1);
        s.floorHeight = 128;
        s.ceilingHeight = 132;
    }
    level.sectorCount = MAX_SECTORS;
    return level;
}

bool Plant(SoakSession* session, const std::string& name, const Bytes& bytes)
{
    std::string path = session->planted + "\\" + name;
    session->plantedBytes[path] = bytes;
    return WriteFileBytes(path, bytes) || FailSoak(session, "cannot write " + path);
}

struct ProblemList {
    std::string text;
};

void CollectStructural(const char* problem, void* context)
{
    if (IsStructuralProblem(problem))
        static_cast<ProblemList*>(context)->text += std::string(problem) + "; ";
}

void IgnoreWarning(LevelWarning, const char*) {}

bool CheckWrittenFile(SoakSession* session, const std::string& path, const Bytes& bytes)
{
    ProblemList problems;
    CheckLevelBytes(bytes.data(), bytes.size(), CollectStructural, &problems);
    if (!problems.text.empty())
        return FailSoak(session, "the editor wrote " + path + ", which vrktool check faults: " + problems.text);
    Level level = NewLevel();
    SetLevelWarningHook(IgnoreWarning);
    int loaded = LoadLevel(&level, path.c_str());
    FreeLevel(&level);
    if (loaded != 0)
        return FailSoak(session, "the editor wrote " + path + ", which does not load");
    session->filesChecked++;
    session->filesWritten.insert(path);
    return true;
}

bool IsTemporary(const std::string& name)
{
    return name.find(".~qm") != std::string::npos;
}

}  // namespace

bool PlantFiles(SoakSession* session)
{
    session->saves = session->folder + "\\saves";
    session->planted = session->folder + "\\planted";
    if (!CreateDirectoryA(session->saves.c_str(), nullptr) || !CreateDirectoryA(session->planted.c_str(), nullptr))
        return FailSoak(session, "cannot create the folders in " + session->folder);

    SoakRandom& random = session->random;
    bool ok = true;
    for (int i = 0; i < 3; i++) {
        Bytes noise(random.Between(0, 400));
        for (unsigned char& b : noise)
            b = static_cast<unsigned char>(random.Below(256));
        ok = ok && Plant(session, "noise" + std::to_string(i) + ".vrk", noise);
    }
    for (int i = 0; i < 3; i++)
        ok = ok && Plant(session, "random level " + std::to_string(i) + ".vrk",
                         SerializeToBytes(MakeRandomLevel(&random, random.Between(0, 30))));
    Level old = MakeRandomLevel(&random, 4);
    old.version = 1;
    ok = ok && Plant(session, "version1.vrk", SerializeToBytes(old));
    Bytes tooMany = SerializeToBytes(MakeRandomLevel(&random, 8));
    tooMany[5] = 0x2C;  // 300 sectors claimed
    tooMany[6] = 0x01;
    ok = ok && Plant(session, "too_many.vrk", tooMany);
    Bytes cut = SerializeToBytes(MakeRandomLevel(&random, 10));
    cut.resize(cut.size() - 25);
    ok = ok && Plant(session, "cut_short.vrk", cut);
    ok = ok && Plant(session, "bricks.vrk", SerializeToBytes(MakeBrickLevel()));
    return ok;
}

std::string PickSavePath(SoakSession* session)
{
    SoakRandom& random = session->random;
    int kind = random.Below(100);
    if (kind < 60)
        return session->saves + "\\level" + std::to_string(random.Below(6)) + ".vrk";
    if (kind < 75)
        return session->saves + "\\plain" + std::to_string(random.Below(3));
    if (kind < 88) {
        auto planted = session->plantedBytes.begin();
        std::advance(planted, random.Below(static_cast<int>(session->plantedBytes.size())));
        return planted->first;
    }
    return session->saves + "\\missing folder\\lost.vrk";
}

std::string PickOpenPath(SoakSession* session)
{
    SoakRandom& random = session->random;
    std::vector<std::string> saved = ListNames(session->saves);
    int kind = random.Below(100);
    if (kind < 45 && !saved.empty())
        return session->saves + "\\" + random.Pick(saved);
    if (kind < 90) {
        auto planted = session->plantedBytes.begin();
        std::advance(planted, random.Below(static_cast<int>(session->plantedBytes.size())));
        return planted->first;
    }
    return session->saves + "\\not there.vrk";
}

std::vector<std::string> PickDropPaths(SoakSession* session)
{
    std::vector<std::string> paths;
    int count = session->random.Between(1, 3);
    for (int i = 0; i < count; i++) {
        int kind = session->random.Below(100);
        if (kind < 85)
            paths.push_back(PickOpenPath(session));
        else
            paths.push_back(session->saves + "\\" + std::string(session->random.Between(200, 600), 'x') + ".vrk");
    }
    return paths;
}

std::string PickStartPath(SoakSession* session)
{
    return session->random.Percent(30) ? "" : PickOpenPath(session);
}

bool CheckWrittenFiles(SoakSession* session)
{
    for (const std::string& folder : {session->saves, session->planted}) {
        for (const std::string& name : ListNames(folder)) {
            std::string path = folder + "\\" + name;
            if (IsTemporary(name))
                return FailSoak(session, "a temporary file was left behind: " + path);
            auto planted = session->plantedBytes.find(path);
            bool read = false;
            Bytes bytes = ReadFileBytes(path, &read);
            if (!read)
                return FailSoak(session, "cannot read " + path);
            if (planted != session->plantedBytes.end() && planted->second == bytes)
                continue;  // as planted: not the editor's
            if (!CheckWrittenFile(session, path, bytes))
                return false;
        }
    }
    return true;
}
