// Hands arbitrary bytes to the level reader and to the checks of `vrktool
// check`, all in memory; then builds portals and saves back to memory,
// checking at each step what a user or the engine could observe: the level
// after refused bytes, the warnings, the bytes written back, the portal
// pairs, and what the checker says. Nothing here touches the file system
// (level_file_fuzz does), and each costly step runs once per input: the
// checker once, the portal search once besides the checker's own, and a
// small drawing of the stored portals as `vrktool render` makes it.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "fuzz_check.h"
#include "level.h"
#include "level_check.h"
#include "level_file.h"
#include "raw_level.h"
#include "map_picture.h"
#include "portals.h"
#include "reader_invariants.h"
#include "structural_problem.h"

namespace {

// The largest file a level can be saved as.
const size_t LARGEST_IMAGE = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * (MAX_SECTORS + MAX_PORTALS);

// Written back, the level is the header and sectors with no portals.
void CheckSerialized(const Level& level, const uint8_t* data)
{
    size_t expected = LEVEL_HEADER_SIZE + LEVEL_RECORD_SIZE * static_cast<size_t>(level.sectorCount);
    static unsigned char out[LARGEST_IMAGE];
    size_t size = SerializeLevel(&level, out, sizeof out);
    FUZZ_CHECK(size == expected, "serialized size: expected %zu, got %zu", expected, size);
    FUZZ_CHECK(memcmp(out, data, 7) == 0, "serialized header differs from the file's");
    FUZZ_CHECK(out[7] == 0 && out[8] == 0, "serialized portal count: expected 0, got %u", U16At(out + 7));
    FUZZ_CHECK(memcmp(out + LEVEL_HEADER_SIZE, data + LEVEL_HEADER_SIZE, size - LEVEL_HEADER_SIZE) == 0,
               "serialized sectors differ from the file's");

    // Asked with too small a buffer it says how much it needs and writes nothing.
    out[0] = 0xA5;
    out[size - 2] = 0xA5;
    size_t need = SerializeLevel(&level, out, size - 1);
    FUZZ_CHECK(need == size, "size asked with a short buffer: expected %zu, got %zu", size, need);
    FUZZ_CHECK(out[0] == 0xA5 && out[size - 2] == 0xA5, "SerializeLevel wrote into a short buffer");
}

// Two ranges share a stretch of positive length.
bool Share(unsigned aStart, unsigned aEnd, unsigned bStart, unsigned bEnd)
{
    unsigned start = aStart > bStart ? aStart : bStart;
    unsigned end = aEnd < bEnd ? aEnd : bEnd;
    return start < end;
}

// Most pairs have no side on a line with the other's; that test comes first.
bool Touch(const Sector& a, const Sector& b)
{
    if ((a.top == b.bottom || a.bottom == b.top) && Share(a.left, a.right, b.left, b.right))
        return true;
    return (a.left == b.right || a.right == b.left) && Share(a.top, a.bottom, b.top, b.bottom);
}

// Every pair of sectors that shares an edge gets one pair of portals, from
// the lower slot's side, until the table is full. Returns the edges left
// out. That a second build gives the same table is checked by the checker
// on the saved level: it builds them again and compares.
int CheckPortals(Level* level)
{
    Sector sectorsBefore[MAX_SECTORS];
    memcpy(sectorsBefore, level->sectors, sizeof sectorsBefore);
    int leftOut = BuildPortals(level);

    int touching = 0;
    for (int i = 0; i < level->sectorCount; i++) {
        const Sector& a = level->sectors[i];
        for (int j = i + 1; j < level->sectorCount; j++)
            touching += Touch(a, level->sectors[j]) ? 1 : 0;
    }
    int stored = touching < MAX_SHARED_EDGES ? touching : MAX_SHARED_EDGES;
    FUZZ_CHECK(level->portalCount == 2 * stored, "portalCount: expected %d, got %u", 2 * stored,
               level->portalCount);
    FUZZ_CHECK(leftOut == touching - stored, "edges left out: expected %d, got %d", touching - stored, leftOut);
    FUZZ_CHECK(memcmp(sectorsBefore, level->sectors, sizeof sectorsBefore) == 0, "BuildPortals changed a sector");

    for (int m = 0; m < level->portalCount; m += 2) {
        const Portal& a = level->portals[m];
        const Portal& b = level->portals[m + 1];
        FUZZ_CHECK(a.twin == m + 1 && b.twin == m, "portal %d: twins %u/%u", m, a.twin, b.twin);
        FUZZ_CHECK(a.sector < b.sector && b.sector < level->sectorCount, "portal %d: sectors %u, %u of %u", m,
                   a.sector, b.sector, level->sectorCount);
        FUZZ_CHECK(a.length == b.length && a.length > 0, "portal %d: lengths %u/%u", m, a.length, b.length);
        const Sector& sa = level->sectors[a.sector];
        const Sector& sb = level->sectors[b.sector];
        FUZZ_CHECK(Touch(sa, sb), "portal %d joins sectors %u and %u, which share no edge", m, a.sector, b.sector);
        FUZZ_CHECK(static_cast<uint16_t>(sa.left + a.offsetX) == static_cast<uint16_t>(sb.left + b.offsetX) &&
                       static_cast<uint16_t>(sa.top + a.offsetY) == static_cast<uint16_t>(sb.top + b.offsetY),
                   "portal %d: the twins start at different corners", m);
    }
    return leftOut;
}

// What `vrktool check` said about one file raw.
struct CheckerFindings {
    int count;
    int structural;    // a cut-short file, trailing bytes, too many sectors, stale portals
    int edgesLeftOut;  // as the line about the portal table gives them
};

void CollectProblem(const char* problem, void* context)
{
    CheckerFindings* findings = static_cast<CheckerFindings*>(context);
    size_t length = strlen(problem);
    FUZZ_CHECK(length > 0 && length < 256, "a problem line of %zu characters", length);
    findings->count++;
    // A level of overlapping sectors gives a line for each pair; lines that
    // name sectors are about content, so the string searches are spared.
    if (problem[0] == 's' && problem[1] == 'e')
        return;
    if (IsStructuralProblem(problem))
        findings->structural++;
    char* rest = nullptr;
    long edges = strtol(problem, &rest, 10);
    if (rest != problem && (strcmp(rest, " shared edge does not fit the portal table") == 0 ||
                            strcmp(rest, " shared edges do not fit the portal table") == 0))
        findings->edgesLeftOut = static_cast<int>(edges);
}

CheckerFindings RunChecker(const uint8_t* data, size_t size)
{
    CheckerFindings findings = {0, 0, 0};
    int count = CheckLevelBytes(data, size, CollectProblem, &findings);
    FUZZ_CHECK(count == findings.count, "CheckLevelBytes: returned %d, reported %d", count, findings.count);
    return findings;
}

// The checker's word on bytes the reader takes: it names the edges left
// out of the portal table as the builder counts them, and passes a level
// without sectors (a fresh one as File, New saves it) on everything but its
// version and the file's structure.
void CheckCheckerOnLevel(const CheckerFindings& findings, const Level& level, int leftOut)
{
    FUZZ_CHECK(findings.edgesLeftOut == leftOut,
               "the checker names %d edges left out of the portal table, the builder left out %d",
               findings.edgesLeftOut, leftOut);
    if (level.sectorCount == 0) {
        int expected = level.version == LEVEL_VERSION ? 0 : 1;
        int content = findings.count - findings.structural;
        FUZZ_CHECK(content == expected, "a level without sectors: expected %d problems beyond the structure, got %d",
                   expected, content);
    }
}

// Saved to memory after the portals are built, the level reads back to the
// same sectors. Bytes that is already what the editor saves passes the
// checker's structural checks (level_file_fuzz checks every saved level so).
void CheckSave(const Level& level, const uint8_t* data, size_t size, const CheckerFindings& findings)
{
    static unsigned char saved[LARGEST_IMAGE];
    size_t savedSize = SerializeLevel(&level, saved, sizeof saved);
    FUZZ_CHECK(savedSize == LevelFileSize(&level), "saved size: expected %zu, got %zu", LevelFileSize(&level),
               savedSize);
    static Level back;
    back = NewLevel();
    FUZZ_CHECK(ParseLevel(&back, saved, savedSize) == 0, "a saved level does not read back");
    FUZZ_CHECK(back.sectorCount == level.sectorCount &&
                   memcmp(back.sectors, level.sectors, sizeof(Sector) * back.sectorCount) == 0,
               "a saved level reads back with other sectors");
    ForgetWarnings();  // the version warning, if any, was checked on the input
    if (savedSize == size && memcmp(saved, data, size) == 0)
        FUZZ_CHECK(findings.structural == 0,
                   "the checker finds %d structural faults in a level as the editor saves it",
                   findings.structural);
}

// `vrktool render --portals` on the bytes: its stored portals, whatever
// their sectors and twins say, drawn over a small view of the level. The
// table is exactly as long as the file's, so a look past it is caught.
void DrawStoredPortals(const Level& level, const uint8_t* data, size_t size)
{
    RawLevel raw;
    ReadRawLevel(data, size, size, &raw);
    std::vector<Portal> portals(raw.portalsPresent);
    for (size_t i = 0; i < portals.size(); i++)
        portals[i] = GetRawPortal(raw, i);
    MapPicture picture;
    DrawMapView(level, SHADE_FLOOR, 48, 32, &picture);
    DrawPortalEdges(level, portals.data(), portals.size(), &picture);
    FUZZ_CHECK(picture.pixels.size() == 48 * 32, "a 48 x 32 view holds %zu pixels", picture.pixels.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    PrepareReaderInvariants();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    Claim claim = ReadClaim(data, size);
    static Level level;
    int result = ParseAndCheck(data, size, claim, &level);

    // Any bytes the reader refuses is one the checker finds fault with.
    CheckerFindings findings = RunChecker(data, size);
    if (result != 0) {
        FUZZ_CHECK(findings.structural > 0, "bytes the reader refuses passes the structural checks");
        return 0;
    }
    CheckSerialized(level, data);
    DrawStoredPortals(level, data, size);
    int leftOut = CheckPortals(&level);
    CheckCheckerOnLevel(findings, level, leftOut);
    CheckSave(level, data, size, findings);
    return 0;
}
