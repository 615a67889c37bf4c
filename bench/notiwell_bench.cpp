// Times the poll of one directory, the log writer and the configuration read against the bare
// platform calls they stand on, in one run, and prints one "name: value" line per figure.
//
//   notiwell_bench.exe --work DIR [--sizes 1000,10000] [--reps N] [--log-lines N] [--conf-calls N]
//
// DIR must hold the message folders msgs_<size>\ (size files each, one in a hundred dated
// today, every key at most 99991231235959); the benchmark adds its configuration file and a
// log folder there. Every figure is the median of the repetitions. Ratio lines come last.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/program_state.h"
#include "config/conf_file.h"
#include "log/log_writer.h"
#include "ui/message_window.h"
#include "util/date.h"
#include "util/text.h"
#include "util/unique_handle.h"
#include "watch/selection.h"
#include "watch/watch_scanner.h"

namespace {
// The stored key of the benchmark's configuration: no message of the folders is newer.
const wchar_t kStoredKey[] = L"99991231235959";

struct Options {
    std::wstring work;  // ends with "\"
    std::vector<int> sizes{1000, 10000};
    int reps = 7;
    int logLines = 10000;
    int confCalls = 1000;
};

struct Figure {
    std::string name;
    double value;
    const char* unit;
};
std::vector<Figure> g_figures;
std::vector<Figure> g_ratios;

// Figures are printed as they are measured; ratios are kept for the end.
void Figure_(const std::string& name, double value, const char* unit) {
    g_figures.push_back({name, value, unit});
    std::printf("%s: %.4g%s%s\n", name.c_str(), value, *unit ? " " : "", unit);
    std::fflush(stdout);
}
void Ratio(const std::string& name, double value) { g_ratios.push_back({name, value, ""}); }

[[noreturn]] void Fail(const std::string& why) {
    std::printf("error: %s\n", why.c_str());
    std::fflush(stdout);
    std::exit(2);
}

std::string Narrow(const std::wstring& text) { return WideToUtf8(text); }

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Runs body once untimed (caches, first-touch allocations), then reps times; the median in ms.
template <class Body>
double MedianMs(int reps, Body body) {
    body();
    std::vector<double> times;
    for (int i = 0; i < reps; ++i) {
        const double start = NowMs();
        body();
        times.push_back(NowMs() - start);
    }
    return Median(times);
}

// Any message the polls would show means the folder is not the one the figures describe.
int g_messagesShown = 0;
void CountShownMessage(const std::wstring&, const std::wstring&, int32_t, int32_t) { ++g_messagesShown; }

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
    UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (!file) return false;
    DWORD written = 0;
    return WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

// The configuration a PC typically has: comments, the settings of "Global" with the stored
// key near their end, and a second group; 20 lines in the program's own layout.
std::string ConfText(const std::wstring& watchDir) {
    const std::wstring lines[] = {
        L"; Notiwell",
        L"; Einstellungen dieses Arbeitsplatzes",
        L"[Global]",
        L"Debug = 0",
        L"WatchDir = " + watchDir,
        L"WatchSubDir = ",
        L"Pollintervall = 1",
        L"AllowAdhoc = 0",
        L"QuitMode = 0",
        L"NotifyActDay = 1",
        L"NotifyActTime = 1",
        L"LastMessage = " + std::wstring(kStoredKey),
        L"LastSubMessage = 0",
        L"[Abteilung]",
        L"Name = Buchhaltung",
        L"Raum = 2.14",
        L"Telefon = 0815",
        L"Drucker = \\\\srv\\druck1",
        L"Kostenstelle = 4711",
        L"Bemerkung = keine",
    };
    std::string text = "\xEF\xBB\xBF";
    for (const std::wstring& line : lines) text += WideToUtf8(line) + "\r\n";
    return text;
}

// The bare listing: what any poll of the folder costs at least. Returns the entry count and
// how many names carry today's date.
struct ListingCount {
    int entries = 0;
    int today = 0;
};
ListingCount BareListing(const std::wstring& directory, const std::wstring& today) {
    ListingCount count;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((directory + L"*.msg").c_str(), &data));
    if (!find) return count;
    do {
        ++count.entries;
        if (!today.empty() && wcsncmp(data.cFileName, today.c_str(), today.size()) == 0) ++count.today;
    } while (FindNextFileW(find.get(), &data));
    return count;
}

// The least a read of the configuration file can cost: open, one read, close. The program
// opens it for reading and writing (it may have to write the key back), so that is the floor
// a poll can reach; the read-only open is the platform's own minimum.
size_t RawConfRead(const std::wstring& path, DWORD access = GENERIC_READ | GENERIC_WRITE) {
    UniqueFileHandle file(
        CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return 0;
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return 0;
    return got;
}

// The floor of a poll that reads the stored key fresh for every entry: the listing plus one
// raw read of the configuration file per entry.
size_t ListingWithRawReads(const std::wstring& directory, const std::wstring& confPath) {
    size_t bytes = 0;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((directory + L"*.msg").c_str(), &data));
    if (!find) return 0;
    do {
        bytes += RawConfRead(confPath);
    } while (FindNextFileW(find.get(), &data));
    return bytes;
}

void ScanFigures(const Options& options) {
    const std::wstring today = FormatDateMask(L"%yyyy%mm%dd", LocalSeconds());
    std::vector<double> listing, rule1, rule3;
    for (int size : options.sizes) {
        const std::wstring dir = options.work + L"msgs_" + std::to_wstring(size) + L"\\";
        const std::string n = std::to_string(size);
        const ListingCount count = BareListing(dir, today);
        if (count.entries != size || count.today != size / 100)
            Fail("folder " + Narrow(dir) + " holds " + std::to_string(count.entries) + " message files, " +
                 std::to_string(count.today) + " of today; expected " + n + " and " + std::to_string(size / 100));

        // Enough rounds per repetition that a small folder's time is well above the clock's grain.
        const int rounds = std::max(1, 10000 / size);
        const double listMs = MedianMs(options.reps, [&] {
                                  for (int r = 0; r < rounds; ++r) BareListing(dir, std::wstring());
                              }) / rounds;
        Figure_("listing_" + n, listMs, "ms");

        g_settings.NotifyActDay = L"1";
        g_settings.NotifyActTime = L"0";
        const double rule1Ms = MedianMs(options.reps, [&] {
                                   for (int r = 0; r < rounds; ++r) ScanDirectory(dir, L"LastMessage");
                               }) / rounds;
        Figure_("scan_rule1_" + n, rule1Ms, "ms");

        g_settings.NotifyActDay = L"0";
        const double rule3Ms = MedianMs(options.reps, [&] {
                                   for (int r = 0; r < rounds; ++r) ScanDirectory(dir, L"LastMessage");
                               }) / rounds;
        Figure_("scan_rule3_" + n, rule3Ms, "ms");

        const double floorMs = MedianMs(options.reps, [&] {
                                   for (int r = 0; r < rounds; ++r) ListingWithRawReads(dir, g_paths.ConfFilePath);
                               }) / rounds;
        Figure_("listing_with_raw_conf_reads_" + n, floorMs, "ms");

        if (g_messagesShown != 0)
            Fail(std::to_string(g_messagesShown) + " messages of " + Narrow(dir) + " counted as new");

        listing.push_back(listMs);
        rule1.push_back(rule1Ms);
        rule3.push_back(rule3Ms);
        Ratio("ratio_scan_rule1_" + n + "_to_listing", rule1Ms / listMs);
        Ratio("ratio_scan_rule3_" + n + "_to_listing", rule3Ms / listMs);
        Ratio("ratio_scan_rule3_" + n + "_to_raw_reads_floor", rule3Ms / floorMs);
    }
    // Growth from the smallest folder to the largest, next to the growth of the listing.
    if (options.sizes.size() > 1) {
        const std::string span = std::to_string(options.sizes.back()) + "_to_" + std::to_string(options.sizes.front());
        Ratio("ratio_listing_" + span, listing.back() / listing.front());
        Ratio("ratio_scan_rule1_" + span, rule1.back() / rule1.front());
        Ratio("ratio_scan_rule3_" + span, rule3.back() / rule3.front());
    }
}

// What the selection costs per entry before any file is touched: the clock and the texts.
void EntryFigures(const Options& options) {
    const int calls = 10000;
    const std::wstring name = L"20210315_101500.msg";
    size_t keep = 0;
    const double ms = MedianMs(options.reps, [&] {
        for (int i = 0; i < calls; ++i) keep += EntryTimesOf(name, LocalSeconds()).today.size();
    });
    Figure_("entry_times_us", ms * 1000.0 / calls, "us");
    if (keep == 0) Fail("entry times came out empty");
}

void ConfFigures(const Options& options) {
    const std::wstring& path = g_paths.ConfFilePath;
    ConfFile conf;
    std::wstring value;
    const double ms = MedianMs(options.reps, [&] {
        for (int i = 0; i < options.confCalls; ++i) {
            conf.Open(path);
            conf.SelectGroup(L"Global");
            value = conf.ReadString(L"LastMessage", L"0");
            conf.Close();
        }
    });
    if (value != kStoredKey) Fail("the configuration read gave " + Narrow(value));
    const double confUs = ms * 1000.0 / options.confCalls;
    Figure_("conf_read_us", confUs, "us");

    size_t bytes = 0;
    const double rawMs = MedianMs(options.reps, [&] {
        for (int i = 0; i < options.confCalls; ++i) bytes += RawConfRead(path);
    });
    const double readOnlyMs = MedianMs(options.reps, [&] {
        for (int i = 0; i < options.confCalls; ++i) bytes += RawConfRead(path, GENERIC_READ);
    });
    if (bytes == 0) Fail("the configuration file could not be read");
    const double rawUs = rawMs * 1000.0 / options.confCalls;
    Figure_("conf_raw_read_us", rawUs, "us");
    Figure_("conf_raw_read_readonly_us", readOnlyMs * 1000.0 / options.confCalls, "us");
    Ratio("ratio_conf_read_to_raw_read", confUs / rawUs);
}

void RemoveLogFiles(const std::wstring& logDir) {
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((logDir + L"*").c_str(), &data));
    if (!find) return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((logDir + data.cFileName).c_str());
    } while (FindNextFileW(find.get(), &data));
}

int64_t LogBytes(const std::wstring& logDir) {
    int64_t bytes = 0;
    WIN32_FIND_DATAW data;
    UniqueFindHandle find(FindFirstFileW((logDir + L"*").c_str(), &data));
    if (!find) return 0;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            bytes += (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    } while (FindNextFileW(find.get(), &data));
    return bytes;
}

void LogFigures(const Options& options) {
    const std::wstring logDir = options.work + L"log\\";
    CreateDirectoryW(logDir.c_str(), nullptr);
    g_paths.LogDir = logDir;
    g_paths.LogFilePath = logDir + L"notiwell_bench.log";

    // 80 characters each, numbered so that no two lines are alike.
    std::vector<std::wstring> texts;
    for (int i = 0; i < options.logLines; ++i) {
        std::wstring text = L"Zeile " + std::to_wstring(i) + L" der Messung: ";
        text.resize(80, L'x');
        texts.push_back(text);
    }
    const double writeMs = MedianMs(options.reps, [&] {
        RemoveLogFiles(logDir);
        for (const std::wstring& text : texts) WriteLog(0, text);
    });
    // The log and the copy rotation may have moved aside hold every line of the last repetition.
    const int64_t written = LogBytes(logDir);
    if (written < static_cast<int64_t>(options.logLines) * 82)
        Fail("the log holds " + std::to_string(written) + " bytes after " + std::to_string(options.logLines) +
             " lines");

    // The same bytes, formatted beforehand, appended through one handle.
    std::vector<std::string> lines;
    const std::wstring user = CurrentUserName();
    for (const std::wstring& text : texts) lines.push_back(WideToAnsi(FormatLogLine(LocalSeconds(), user, 0, text)) + "\r\n");
    const std::wstring barePath = logDir + L"bare.log";
    const double bareMs = MedianMs(options.reps, [&] {
        DeleteFileW(barePath.c_str());
        UniqueFileHandle file(CreateFileW(barePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) Fail("cannot create " + Narrow(barePath));
        for (const std::string& line : lines) {
            DWORD n = 0;
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
        }
    });
    // The least that opening and closing the log for every line costs, with the same bytes.
    const double reopenMs = MedianMs(options.reps, [&] {
        DeleteFileW(barePath.c_str());
        for (const std::string& line : lines) {
            UniqueFileHandle file(CreateFileW(barePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
            if (!file) Fail("cannot open " + Narrow(barePath));
            DWORD n = 0;
            WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &n, nullptr);
        }
    });
    RemoveLogFiles(logDir);

    const double reopenPerSecond = options.logLines / (reopenMs / 1000.0);
    const double perSecond = options.logLines / (writeMs / 1000.0);
    const double barePerSecond = options.logLines / (bareMs / 1000.0);
    Figure_("log_lines_per_s", perSecond, "lines/s");
    Figure_("log_bare_lines_per_s", barePerSecond, "lines/s");
    Figure_("log_reopen_bare_lines_per_s", reopenPerSecond, "lines/s");
    Ratio("ratio_log_bare_to_writelog", barePerSecond / perSecond);
    Ratio("ratio_log_reopen_bare_to_writelog", reopenPerSecond / perSecond);
}

bool ParseOptions(int argc, wchar_t** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        const std::wstring arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == L"--work" && hasValue) {
            o.work = argv[++i];
            if (o.work.back() != L'\\') o.work += L'\\';
        } else if (arg == L"--reps" && hasValue) {
            o.reps = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--log-lines" && hasValue) {
            o.logLines = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--conf-calls" && hasValue) {
            o.confCalls = std::max(1, _wtoi(argv[++i]));
        } else if (arg == L"--sizes" && hasValue) {
            o.sizes.clear();
            const std::wstring list = argv[++i];
            size_t start = 0;
            while (start <= list.size()) {
                const size_t comma = std::min(list.find(L',', start), list.size());
                const int size = _wtoi(list.substr(start, comma - start).c_str());
                if (size < 100) return false;  // one in a hundred files is dated today
                o.sizes.push_back(size);
                start = comma + 1;
            }
            std::sort(o.sizes.begin(), o.sizes.end());
        } else {
            return false;
        }
    }
    return !o.work.empty() && !o.sizes.empty();
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::printf("usage: notiwell_bench --work DIR [--sizes 1000,10000] [--reps N] [--log-lines N] "
                    "[--conf-calls N]\n");
        return 1;
    }
    SetMessageWindowHookForTesting(CountShownMessage);
    g_settings.Debug = L"0";
    g_paths.ConfFilePath = options.work + L"notiwell_bench.conf";
    if (!WriteWholeFile(g_paths.ConfFilePath, ConfText(options.work + L"msgs_10000\\")))
        Fail("cannot write " + Narrow(g_paths.ConfFilePath));
    g_paths.LogDir = options.work + L"log\\";
    CreateDirectoryW(g_paths.LogDir.c_str(), nullptr);
    g_paths.LogFilePath = g_paths.LogDir + L"notiwell_bench.log";

    std::printf("repetitions: %d\n", options.reps);
    ScanFigures(options);
    EntryFigures(options);
    ConfFigures(options);
    LogFigures(options);
    for (const Figure& r : g_ratios) std::printf("%s: %.3f\n", r.name.c_str(), r.value);
    std::fflush(stdout);
    return 0;
}
