// The same bytes through vrk.h, the reader engines include, and through the
// level core: the verdict, the warnings and their texts, the header and the
// sectors, the stored portals as vrktool reads them, and the portals each
// derives must agree. A refusal leaves vrk.h's record as it was. The bytes
// sit in a buffer of exactly their size, so a look past them is caught.
#include <stdint.h>
#include <string.h>

#include <string>

#include "fuzz_check.h"
#include "level.h"
#include "level_file.h"
#include "portals.h"
#include "raw_level.h"
#include "vrk.h"

// Both sides lay their records out alike, so whole tables compare at once.
static_assert(sizeof(Sector) == sizeof(vrk_sector) && sizeof(Portal) == sizeof(vrk_portal), "record layouts");

namespace {

std::string g_warnings;  // the level core's for one input, one a line

void KeepWarning(LevelWarning, const char* text)
{
    g_warnings += std::string(text) + "\n";
}

// The first record where two tables of count records of size bytes differ.
void CheckSameTable(const char* what, const void* core, const void* vrk, size_t count, size_t size)
{
    for (size_t i = 0; i < count; i++) {
        const unsigned char* a = static_cast<const unsigned char*>(core) + i * size;
        const unsigned char* b = static_cast<const unsigned char*>(vrk) + i * size;
        FUZZ_CHECK(memcmp(a, b, size) == 0, "%s %zu: core %02x%02x %02x%02x %02x%02x %02x%02x %02x%02x, vrk.h %02x%02x "
                                            "%02x%02x %02x%02x %02x%02x %02x%02x",
                   what, i, a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7],
                   a[8], a[9], b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9]);
    }
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

    // The core's warnings, in order, rebuilt from what vrk.h reports.
    std::string texts;
    if (warnings.other_version) {
        char text[VRK_MESSAGE_SIZE];
        size_t length = vrk_version_message(warnings.version, text, sizeof text);
        FUZZ_CHECK(length == strlen(text), "version message: length %zu, text of %zu", length, strlen(text));
        texts += std::string(text) + "\n";
    }
    if (result == VRK_TOO_MANY_SECTORS)
        texts += std::string(vrk_result_message(result)) + "\n";
    FUZZ_CHECK(texts == g_warnings, "warnings: the core \"%s\", vrk.h \"%s\"", g_warnings.c_str(), texts.c_str());
    if (result != VRK_OK) {
        FUZZ_CHECK(memcmp(&v, &before, sizeof v) == 0, "vrk.h changed the record of a refused file");
        return 0;
    }

    FUZZ_CHECK(v.version == level.version && v.start_x == level.startX && v.start_y == level.startY &&
                   v.sector_count == level.sectorCount,
               "header: core %u (%u, %u) %u sectors, vrk.h %u (%u, %u) %u sectors", level.version, level.startX,
               level.startY, level.sectorCount, v.version, v.start_x, v.start_y, v.sector_count);
    CheckSameTable("sector", level.sectors, v.sectors, level.sectorCount, sizeof(Sector));

    // The stored portals as vrktool reads them: whole records after the
    // sectors, no more than the header claims; vrk.h keeps a table's worth.
    RawLevel raw;
    ReadRawLevel(data, size, size, &raw);
    size_t stored = raw.portalsPresent < size_t{MAX_PORTALS} ? raw.portalsPresent : size_t{MAX_PORTALS};
    FUZZ_CHECK(v.portals_claimed == raw.portalCount && v.portal_count == stored,
               "stored portals: core %u claimed, %zu read; vrk.h %u claimed, %u read", raw.portalCount, stored,
               v.portals_claimed, v.portal_count);
    for (size_t i = 0; i < stored; i++)
        level.portals[i] = GetRawPortal(raw, i);
    CheckSameTable("stored portal", level.portals, v.portals, stored, sizeof(Portal));

    int coreLeftOut = BuildPortals(&level);
    int vrkLeftOut = vrk_build_portals(&v);
    FUZZ_CHECK(coreLeftOut == vrkLeftOut && level.portalCount == v.portal_count,
               "derived portals: core %u, %d left out; vrk.h %u, %d left out", level.portalCount, coreLeftOut,
               v.portal_count, vrkLeftOut);
    CheckSameTable("derived portal", level.portals, v.portals, level.portalCount, sizeof(Portal));
    return 0;
}
