#include "reader_invariants.h"

#include <string.h>

#include "fuzz_check.h"
#include "level_file.h"

namespace {

int g_versionWarnings;  // "Expected map version ..." seen during one read
int g_tooManyWarnings;  // "Map contains too many sectors." seen during one read
Level g_previous;       // the level a refused image must leave untouched

// Each text must come with its own kind.
void CountWarning(LevelWarning kind, const char* text)
{
    if (kind == LEVEL_WARNING_VERSION && strncmp(text, "Expected map version 2, file is version ", 40) == 0)
        g_versionWarnings++;
    else if (kind == LEVEL_WARNING_TOO_MANY_SECTORS && strcmp(text, "Map contains too many sectors.") == 0)
        g_tooManyWarnings++;
    else
        FUZZ_FAIL("unexpected warning of kind %d: \"%s\"", static_cast<int>(kind), text);
}

Level MakePreviousLevel()
{
    Level level = NewLevel();
    level.version = 7;
    level.startX = 11;
    level.startY = 12;
    for (int i = 0; i < MAX_SECTORS; i++) {
        Sector& s = level.sectors[i];
        s.left = static_cast<uint16_t>(i);
        s.top = static_cast<uint16_t>(i * 3);
        s.right = static_cast<uint16_t>(i + 1);
        s.bottom = static_cast<uint16_t>(i * 3 + 2);
        s.floorHeight = static_cast<uint8_t>(i);
        s.ceilingHeight = static_cast<uint8_t>(255 - i);
    }
    level.sectorCount = 3;
    level.portalCount = 2;
    level.portals[0] = Portal{1, 2, 3, 0, 1};
    level.portals[1] = Portal{4, 5, 3, 1, 0};
    level.modified = 1;
    return level;
}

// A parsed level holds the image's header and records, field for field.
void CheckParsed(const Level& level, const uint8_t* data)
{
    FUZZ_CHECK(level.version == data[0], "version: expected %u, got %u", data[0], level.version);
    FUZZ_CHECK(level.startX == U16At(data + 1), "startX: expected %u, got %u", U16At(data + 1), level.startX);
    FUZZ_CHECK(level.startY == U16At(data + 3), "startY: expected %u, got %u", U16At(data + 3), level.startY);
    FUZZ_CHECK(level.portalCount == 0, "portalCount after a read: expected 0, got %u", level.portalCount);
    for (unsigned i = 0; i < level.sectorCount; i++) {
        const uint8_t* r = data + LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * i;
        const Sector& s = level.sectors[i];
        bool same = s.left == U16At(r) && s.top == U16At(r + 2) && s.right == U16At(r + 4) &&
                    s.bottom == U16At(r + 6) && s.floorHeight == r[8] && s.ceilingHeight == r[9];
        FUZZ_CHECK(same, "sector %u differs from its record", i);
    }
}

}  // namespace

void PrepareReaderInvariants()
{
    g_previous = MakePreviousLevel();
    SetLevelWarningHook(CountWarning);
}

const Level& PreviousLevel()
{
    return g_previous;
}

unsigned U16At(const uint8_t* bytes)
{
    return bytes[0] | bytes[1] << 8;
}

bool SameContents(const Level& a, const Level& b)
{
    return a.version == b.version && a.startX == b.startX && a.startY == b.startY &&
           a.sectorCount == b.sectorCount && a.portalCount == b.portalCount &&
           memcmp(a.sectors, b.sectors, sizeof a.sectors) == 0 &&
           memcmp(a.portals, b.portals, sizeof a.portals) == 0 && a.modified == b.modified;
}

Claim ReadClaim(const uint8_t* data, size_t size)
{
    Claim claim = {false, 0, 0};
    if (size < LEVEL_HEADER_SIZE)
        return claim;
    claim.version = data[0];
    claim.sectorCount = U16At(data + 5);
    claim.acceptable = claim.sectorCount <= MAX_SECTORS &&
                       size >= LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * claim.sectorCount;
    return claim;
}

void ForgetWarnings()
{
    g_versionWarnings = 0;
    g_tooManyWarnings = 0;
}

void CheckWarnings(const Claim& claim, size_t size, const char* step)
{
    int expectVersion = size >= LEVEL_HEADER_SIZE && claim.version != LEVEL_VERSION ? 1 : 0;
    int expectTooMany = size >= LEVEL_HEADER_SIZE && claim.sectorCount > MAX_SECTORS ? 1 : 0;
    FUZZ_CHECK(g_versionWarnings == expectVersion, "%s: version warnings expected %d, got %d", step,
               expectVersion, g_versionWarnings);
    FUZZ_CHECK(g_tooManyWarnings == expectTooMany, "%s: too-many warnings expected %d, got %d", step,
               expectTooMany, g_tooManyWarnings);
    ForgetWarnings();
}

int ParseAndCheck(const uint8_t* data, size_t size, const Claim& claim, Level* level)
{
    ForgetWarnings();
    *level = g_previous;
    int result = ParseLevel(level, data, size);
    CheckWarnings(claim, size, "ParseLevel");
    FUZZ_CHECK(result == (claim.acceptable ? 0 : -1), "ParseLevel: expected %d, got %d", claim.acceptable ? 0 : -1,
               result);
    if (result != 0) {
        FUZZ_CHECK(SameContents(*level, g_previous) && level->fileName == nullptr,
                   "a refused image changed the level");
        return result;
    }
    FUZZ_CHECK(level->sectorCount == claim.sectorCount, "sectorCount: expected %u, got %u", claim.sectorCount,
               level->sectorCount);
    FUZZ_CHECK(level->modified == g_previous.modified && level->fileName == nullptr,
               "ParseLevel touched modified or the file name");
    CheckParsed(*level, data);
    return result;
}
