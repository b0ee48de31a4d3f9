// The same bytes through vrk.h, the reader engines include, and through the
// level core: the verdict, the warnings and their texts, the header and the
// sectors, the stored portals as vrktool reads them, and the portals each
// derives must agree. A refusal leaves vrk.h's record as it was. The bytes
// sit in a buffer of exactly their size, so a look past them is caught.
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "fuzz_check.h"
#include "level.h"
#include "level_file.h"
#include "portals.h"
#include "raw_level.h"
#include "vrk.h"

namespace {

std::vector<std::string> g_warnings;  // the level core's, in order, for one input

void KeepWarning(const char* text)
{
    g_warnings.push_back(text);
}

// The core's warnings, rebuilt from what vrk.h reports.
std::vector<std::string> VrkWarnings(vrk_result result, const vrk_warnings& warnings)
{
    std::vector<std::string> texts;
    if (warnings.other_version) {
        char text[VRK_MESSAGE_SIZE];
        size_t length = vrk_version_message(warnings.version, text, sizeof text);
        FUZZ_CHECK(length == strlen(text), "version message: length %zu, text of %zu", length, strlen(text));
        texts.push_back(text);
    }
    if (result == VRK_TOO_MANY_SECTORS)
        texts.push_back(vrk_result_message(result));
    return texts;
}

void CheckSameWarnings(const std::vector<std::string>& vrk)
{
    FUZZ_CHECK(vrk.size() == g_warnings.size(), "warnings: the core gave %zu, vrk.h %zu", g_warnings.size(),
               vrk.size());
    for (size_t i = 0; i < vrk.size(); i++)
        FUZZ_CHECK(vrk[i] == g_warnings[i], "warning %zu: the core \"%s\", vrk.h \"%s\"", i, g_warnings[i].c_str(),
                   vrk[i].c_str());
}

void CheckSameRecords(const Level& level, const vrk_level& v)
{
    FUZZ_CHECK(v.version == level.version, "version: core %u, vrk.h %u", level.version, v.version);
    FUZZ_CHECK(v.start_x == level.startX && v.start_y == level.startY, "start: core (%u, %u), vrk.h (%u, %u)",
               level.startX, level.startY, v.start_x, v.start_y);
    FUZZ_CHECK(v.sector_count == level.sectorCount, "sectors: core %u, vrk.h %u", level.sectorCount, v.sector_count);
    for (int i = 0; i < level.sectorCount; i++) {
        const Sector& s = level.sectors[i];
        const vrk_sector& t = v.sectors[i];
        FUZZ_CHECK(s.left == t.left && s.top == t.top && s.right == t.right && s.bottom == t.bottom &&
                       s.floorHeight == t.floor_height && s.ceilingHeight == t.ceiling_height,
                   "sector %d: core {%u %u %u %u %u %u}, vrk.h {%u %u %u %u %u %u}", i, s.left, s.top, s.right,
                   s.bottom, s.floorHeight, s.ceilingHeight, t.left, t.top, t.right, t.bottom, t.floor_height,
                   t.ceiling_height);
    }
}

// Portal tables from both sides, count and every field.
void CheckSamePortals(const char* which, const Portal* portals, size_t count, const vrk_level& v)
{
    FUZZ_CHECK(v.portal_count == count, "%s portals: core %zu, vrk.h %u", which, count, v.portal_count);
    for (size_t i = 0; i < count; i++) {
        const Portal& p = portals[i];
        const vrk_portal& q = v.portals[i];
        FUZZ_CHECK(p.offsetX == q.offset_x && p.offsetY == q.offset_y && p.length == q.length &&
                       p.sector == q.sector && p.twin == q.twin,
                   "%s portal %zu: core {%u %u %u %u %u}, vrk.h {%u %u %u %u %u}", which, i, p.offsetX, p.offsetY,
                   p.length, p.sector, p.twin, q.offset_x, q.offset_y, q.length, q.sector, q.twin);
    }
}

// The stored portals as vrktool reads them: whole records after the
// sectors, no more than the header claims; vrk.h keeps at most a table's.
void CheckStoredPortals(const uint8_t* data, size_t size, const vrk_level& v)
{
    RawLevel raw;
    ReadRawLevel(data, size, size, &raw);
    FUZZ_CHECK(v.portals_claimed == raw.portalCount, "claimed portals: core %u, vrk.h %u", raw.portalCount,
               v.portals_claimed);
    size_t count = raw.portalsPresent < size_t{MAX_PORTALS} ? raw.portalsPresent : size_t{MAX_PORTALS};
    static Portal stored[MAX_PORTALS];
    for (size_t i = 0; i < count; i++)
        stored[i] = GetRawPortal(raw, i);
    CheckSamePortals("stored", stored, count, v);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    SetLevelWarningHook(KeepWarning);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Level level;
    level = NewLevel();
    g_warnings.clear();
    int core = ParseLevel(&level, data, size);

    // A record full of a pattern no read gives, to see that a refusal leaves it.
    static vrk_level v, before;
    memset(&v, 0xA5, sizeof v);
    before = v;
    vrk_warnings warnings;
    vrk_result result = vrk_read(&v, data, size, &warnings);
    FUZZ_CHECK((core == 0) == (result == VRK_OK), "verdict: the core %d, vrk.h %d (%s)", core,
               static_cast<int>(result), vrk_result_message(result));
    CheckSameWarnings(VrkWarnings(result, warnings));
    if (result != VRK_OK) {
        FUZZ_CHECK(memcmp(&v, &before, sizeof v) == 0, "vrk.h changed the record of a refused file");
        return 0;
    }
    CheckSameRecords(level, v);
    CheckStoredPortals(data, size, v);

    int coreLeftOut = BuildPortals(&level);
    int vrkLeftOut = vrk_build_portals(&v);
    FUZZ_CHECK(coreLeftOut == vrkLeftOut, "edges left out: core %d, vrk.h %d", coreLeftOut, vrkLeftOut);
    CheckSamePortals("derived", level.portals, level.portalCount, v);
    return 0;
}
