// Drives the real Quillmarch.exe with a seeded stream of random events and
// checks that it never crashes or hangs and that every file it writes is a
// whole level.
//   soak.exe --events N --seed S [--keep] [--trace FILE]
// Prints a summary; on a failure, the reason, the last events and the
// command that repeats the run, and exits with 1. The events, and so the
// trace, are a function of the seed and of what the editor does: two runs
// of one seed give the same trace whatever the machine's load.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "soak_dialogs.h"
#include "soak_events.h"
#include "soak_files.h"
#include "soak_session.h"

namespace {

enum { FILE_CHECK_EVERY = 250 };  // events between checks of the written files

// The title always reads "Quillmarch - NAME" and then a space and "*" or a space.
bool CheckTitle(SoakSession* session)
{
    if (!IsWindow(session->editor.window))
        return true;
    std::string title = GetWindowTitle(session->editor.window);
    const std::string prefix = "Quillmarch - ";
    size_t n = title.size();
    bool ok = n >= prefix.size() + 3 && title.compare(0, prefix.size(), prefix) == 0 && title[n - 2] == ' ' &&
              (title[n - 1] == '*' || title[n - 1] == ' ');
    return ok || FailSoak(session, "the title is \"" + title + "\"");
}

bool RunSoak(SoakSession* session)
{
    if (!PlantFiles(session) || !StartSoakEditor(session, ""))
        return false;
    for (session->event = 1; session->event <= session->eventCount; session->event++) {
        BeginEventStream(session);
        if (!RunRandomEvent(session) || !SettleDialogs(session) || !CheckEditorAlive(session))
            return false;
        if (!CheckTitle(session) || !CheckEventEffect(session))
            return false;
        if (IsWindow(session->editor.window))
            TraceLine(session, "  title " + GetWindowTitle(session->editor.window));
        if (session->event % FILE_CHECK_EVERY == 0) {
            if (!CheckWrittenFiles(session))
                return false;
            printf("  %d events, %d starts, %d checks of written files so far\n", session->event, session->starts,
                   session->filesChecked);
            fflush(stdout);
        }
    }
    return true;
}

void PrintCounts(const char* heading, const std::map<std::string, int>& counts)
{
    printf("%s\n", heading);
    for (const auto& entry : counts)
        printf("  %6d  %s\n", entry.second, entry.first.c_str());
}

// Wine shows each window as a window of the X display, and turns a loss of
// the X focus into a cancel-mode message to the active window when it reads
// it, which may be long after the window that took the focus has gone: a
// drag then ends, or an open menu closes, at a moment set by the machine's
// load. On a desktop drawn inside one X window of its own (its size in the
// registry) there is no such message, so the input alone decides a run.
bool EnterOwnDesktop()
{
    // On Windows itself input reaches only the desktop on the screen.
    if (!GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
        return true;
    const char* name = "QuillmarchSoak";
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\Explorer\\Desktops", 0, nullptr, 0, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    const char size[] = "1280x1024";
    LONG set = RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(size), sizeof size);
    RegCloseKey(key);
    HDESK desktop = CreateDesktopA(name, nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    return set == ERROR_SUCCESS && desktop && SetThreadDesktop(desktop);
}

bool ParseArguments(int argc, char** argv, SoakSession* session, bool* keep, const char** trace)
{
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--events") == 0 && i + 1 < argc)
            session->eventCount = atoi(argv[++i]);
        else if (strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
            session->seed = strtoull(argv[++i], nullptr, 10);
        else if (strcmp(argv[i], "--keep") == 0)
            *keep = true;
        else if (strcmp(argv[i], "--trace") == 0 && i + 1 < argc)
            *trace = argv[++i];
        else
            return false;
    }
    return session->eventCount > 0;
}

}  // namespace

int main(int argc, char** argv)
{
    SoakSession session = {};
    session.eventCount = 300;
    session.seed = 1;
    bool keep = false;
    const char* tracePath = nullptr;
    if (!ParseArguments(argc, argv, &session, &keep, &tracePath)) {
        fprintf(stderr, "usage: soak --events N --seed S [--keep] [--trace FILE]\n");
        return 2;
    }
    if (!EnterOwnDesktop()) {
        fprintf(stderr, "soak: cannot make a desktop of its own: error %lu\n", GetLastError());
        return 2;
    }
    if (tracePath && !(session.trace = fopen(tracePath, "w"))) {
        fprintf(stderr, "soak: cannot write %s\n", tracePath);
        return 2;
    }
    session.random = MakeSoakStream(session.seed, 0, 0);
    session.folder = CreateTempFolder();
    printf("Soak: %d events, seed %llu, files in %s\n", session.eventCount, session.seed, session.folder.c_str());
    fflush(stdout);

    DWORD start = GetTickCount();
    bool ok = RunSoak(&session);
    StopSoakEditor(&session);
    // The last files, written after the last periodic check.
    ok = ok && CheckWrittenFiles(&session);
    double seconds = (GetTickCount() - start) / 1000.0;
    if (session.trace)
        fclose(session.trace);

    PrintCounts("Events:", session.eventKinds);
    PrintCounts("Dialogs and boxes answered:", session.answers);
    printf("Editor starts: %d; files the editor wrote: %zu, checked %d times; %.1f s\n", session.starts,
           session.filesWritten.size(), session.filesChecked, seconds);
    if (!ok) {
        printf("SOAK FAILED at event %d of %d (seed %llu): %s\n", session.event, session.eventCount, session.seed,
               session.failure.c_str());
        printf("The last events:\n");
        for (const std::string& line : session.recent)
            printf("  %s\n", line.c_str());
        printf("Repeat with: make soak SOAK_EVENTS=%d SOAK_SEED=%llu (files kept in %s)\n", session.eventCount,
               session.seed, session.folder.c_str());
        return 1;
    }
    if (!keep)
        RemoveFolderTree(session.folder);
    printf("Soak passed: %d events, seed %llu\n", session.eventCount, session.seed);
    return 0;
}
