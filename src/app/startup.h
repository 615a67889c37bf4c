// The start-up sequence and the window-free rules it is made of.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "util/date.h"

// The parameters of a command line as GetCommandLineW gives it, without the program's own
// path (the first one): split at blanks outside quotation marks, every quotation mark removed.
std::vector<std::wstring> CommandLineParameters(const std::wstring& commandLine);

struct StartSwitches {
    bool local = false;   // "/LOCAL": log and configuration in the program directory
    bool hidden = false;  // "/HIDDEN": no tray icon or menu
};
// Compares each parameter, upper-cased, with "/LOCAL" and "/HIDDEN"; anything else is ignored.
StartSwitches ParseSwitches(const std::vector<std::wstring>& parameters);

// The semaphore name: the program's full path with "\", ":", " " and "." each made "_".
std::wstring InstanceName(const std::wstring& programPath);

// The watch directory with a "\" appended unless it already ends with one.
std::wstring WithTrailingBackslash(const std::wstring& directory);

// Seconds since the system started: counter / frequency, the low 32 bits read as signed.
// A frequency of 0 or less (no usable counter) gives 0.
int32_t UptimeSeconds(int64_t counter, int64_t frequency);
struct UptimeSplit {
    int32_t days = 0, hours = 0, minutes = 0, seconds = 0;
};
UptimeSplit SplitUptime(int32_t uptimeSeconds);
// "QPF System Startzeit war vor D Tage(n), H Stunden, M Minuten, S Sekunden"
std::wstring UptimeLine(int32_t uptimeSeconds);

// The boot moment as yyyymmddhhiiss.
std::wstring BootTimeKey(DateValue bootMoment);
// True when the stored LastMessage is below the boot key, compared as numbers, and must be
// raised to it.
bool LastMessageBeforeBoot(const std::wstring& lastMessage, const std::wstring& bootTimeKey);

// The text of the box shown for a watch directory that cannot be listed.
std::wstring InvalidWatchDirText(const std::wstring& watchDir);

// Creates directory + "nw_test.tmp" (emptied when it exists), writes "TEST", calls
// afterWrite while the file is still open, then closes and deletes it. True when the file
// could be created; afterWrite runs only then.
bool WriteTest(const std::wstring& directory, void (*afterWrite)());

// The whole start-up: switches, write tests, settings, the watch-directory test, the guard
// and the boot-time rule. Returns when start-up is complete; ends the program (ExitProgram)
// for an unusable watch directory or a second instance.
void RunStartup();
