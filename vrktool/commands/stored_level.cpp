// Levels as the commands that compare them load them: what the editor
// opens, with the portals the file stores.
#include <stdio.h>
#include <string.h>

#include <string>

#include "level_file.h"
#include "raw_level.h"
#include "tool_commands.h"

namespace {

std::string g_refusal;  // the reader's refusal of the file being loaded

void KeepRefusal(const char* text)
{
    if (strncmp(text, "Expected map version", 20) != 0)
        g_refusal = text;
}

}  // namespace

bool LoadStoredLevel(const std::string& path, Level* level, const std::string& shown)
{
    const char* name = shown.empty() ? ShownName(path) : shown.c_str();
    LevelFileBytes file;
    if (!ReadLevelFile(path, &file)) {
        fprintf(stderr, "%s: cannot be read: %s\n", name, file.info.reason.c_str());
        return false;
    }
    *level = NewLevel();
    g_refusal.clear();
    SetLevelWarningHook(KeepRefusal);
    int parsed = ParseLevel(level, file.bytes.data(), file.bytes.size());
    SetLevelWarningHook(nullptr);
    if (parsed != 0) {
        fprintf(stderr, "%s: cannot be loaded: %s\n", name,
                g_refusal.empty() ? "unable to read level from file" : g_refusal.c_str());
        return false;
    }
    RawLevel raw;
    ReadRawLevel(file.bytes.data(), file.bytes.size(), file.info.size, &raw);
    size_t count = raw.portalsPresent < size_t(MAX_PORTALS) ? raw.portalsPresent : size_t(MAX_PORTALS);
    for (size_t i = 0; i < count; i++)
        level->portals[i] = GetRawPortal(raw, i);
    level->portalCount = static_cast<uint16_t>(count);
    return true;
}
