#include "level_load.h"

#include "raw_level.h"

namespace {

std::vector<LoadWarning>* g_warnings;  // where the reader's warnings on the bytes being loaded go

void KeepLoadWarning(LevelWarning kind, const char* text)
{
    g_warnings->push_back(LoadWarning{kind, text});
}

}  // namespace

bool LoadLevelBytes(const std::vector<unsigned char>& bytes, Level* level, std::vector<LoadWarning>* warnings)
{
    *level = NewLevel();
    warnings->clear();
    g_warnings = warnings;
    SetLevelWarningHook(KeepLoadWarning);
    int parsed = ParseLevel(level, bytes.data(), bytes.size());
    SetLevelWarningHook(nullptr);
    return parsed == 0;
}

void TakeStoredPortals(const std::vector<unsigned char>& bytes, uint64_t fileSize, Level* level)
{
    RawLevel raw;
    ReadRawLevel(bytes.data(), bytes.size(), fileSize, &raw);
    size_t count = raw.portalsPresent < size_t(MAX_PORTALS) ? raw.portalsPresent : size_t(MAX_PORTALS);
    for (size_t i = 0; i < count; i++)
        level->portals[i] = GetRawPortal(raw, i);
    level->portalCount = static_cast<uint16_t>(count);
}
