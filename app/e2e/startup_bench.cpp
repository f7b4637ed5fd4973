// Start-up, list loading and memory of Stashly.exe against plain equivalents, under Wine:
//   start-up: process start until the window is shown and has painted (an answered WM_NULL
//             after it is visible), of the program as it ships (laid out with Corelet.dll,
//             Renova.dll and Pictora.dll beside it: the loopback/ folder), against the bare
//             dialog program, an empty list, taking turns, medians of fifteen;
//   load:     LoadFavorites of 10 000 entries (a WM_COPYDATA reload, sent and so synchronous)
//             against inserting the same strings into a plain list view in this process;
//   memory:   peak working set of both programs;
//   unreachable: start-up to first paint with 200 entries of which 50 are on a network share
//             that does not answer, against the same 200 entries all local, rounds interleaved;
//   settled:  working set 4 s after start with an empty list, of the program as it ships,
//             against the bare dialog, medians of five;
//   limit:    the largest list the program takes (kMaxFavorites records of the length that
//             fills kMaxFavoritesBytes): start-up until it is shown, an add from Explorer with
//             the window's reload, and the peak working set.
// Prints the figures and the ratios; it is a measurement, not a test. With the argument
// "start-up" it measures only the start-up and the settled working set.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "store/favorites_file.h"
#include "store/settings_store.h"
#include "testing/process.h"
#include "win/module.h"
#include "win/shell_paths.h"
#include "win/unique_any.h"

namespace {

double Now() {
  LARGE_INTEGER f, c;
  ::QueryPerformanceFrequency(&f);
  ::QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(f.QuadPart);
}

struct Run {
  double startMs = 0;
  SIZE_T peak = 0;
  HWND window = nullptr;
  win::UniqueHandle process;
};

Run Start(const std::wstring& exe, const wchar_t* title) {
  Run run;
  double t0 = Now();
  run.process = win::testing::StartProcess(L"\"" + exe + L"\"");
  if (!run.process) return run;
  while (!run.window && Now() - t0 < 60000) {
    HWND w = ::FindWindowW(nullptr, title);
    if (w && ::IsWindowVisible(w))
      run.window = w;
    else
      ::Sleep(1);
  }
  if (run.window) {
    ::UpdateWindow(run.window);
    ::SendMessageW(run.window, WM_NULL, 0, 0);
  }
  run.startMs = Now() - t0;
  return run;
}

void Stop(Run& run) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof(counters);
  ::GetProcessMemoryInfo(run.process.get(), &counters, sizeof(counters));
  run.peak = counters.PeakWorkingSetSize;
  ::TerminateProcess(run.process.get(), 0);
  ::WaitForSingleObject(run.process.get(), 5000);
}

// One start of `exe` until its window `title` is shown and painted, stopped again; its time goes
// into `times`. False (and said) when the window never came.
bool TimeStart(const std::wstring& exe, const wchar_t* title, std::vector<double>& times) {
  Run run = Start(exe, title);
  const bool shown = run.window != nullptr;
  Stop(run);
  if (!shown)
    std::fprintf(stderr, "a window did not appear; no measurement\n");
  else
    times.push_back(run.startMs);
  return shown;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// 200 records: existing local files, the last `unreachable` of them replaced by paths on a
// share of a documentation address (TEST-NET-1), which nothing answers.
stashly::RecordList MixedList(const std::wstring& folder, int unreachable) {
  stashly::RecordList records;
  for (int i = 0; i < 200; ++i) {
    if (i >= 200 - unreachable) {
      records.push_back(L"\\\\192.0.2.1\\share\\reports\\file" + std::to_wstring(i) + L".docx");
      continue;
    }
    std::wstring file = win::CombinePath(folder, L"file" + std::to_wstring(i) + L".txt");
    win::UniqueHandle h(
        ::CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    records.push_back(file);
  }
  return records;
}

// First paint of Stashly.exe with each list, alternating, `rounds` times; prints the medians.
void CompareUnreachable(const std::wstring& exe, int rounds) {
  wchar_t temp[MAX_PATH];
  ::GetTempPathW(MAX_PATH, temp);
  std::wstring folder = win::CombinePath(temp, L"stashly_bench_files");
  ::CreateDirectoryW(folder.c_str(), nullptr);
  const stashly::RecordList local = MixedList(folder, 0), mixed = MixedList(folder, 50);
  std::vector<double> localStart, mixedStart;
  for (int round = 0; round < rounds; ++round) {
    for (int which = 0; which < 2; ++which) {
      const bool withShare = (round + which) % 2 == 1;
      stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), withShare ? mixed : local);
      if (!TimeStart(exe, stashly::kMainWindowTitle, withShare ? mixedStart : localStart)) return;
    }
  }
  for (size_t i = 0; i < local.size(); ++i) ::DeleteFileW(local.c_str(i));
  ::RemoveDirectoryW(folder.c_str());
  double l = Median(localStart), m = Median(mixedStart);
  std::printf("200 entries, 50 unreachable %.1f ms, all local %.1f ms, ratio %.2f\n", m, l, m / l);
}

// Working set a few seconds after start, once the start's one-off jobs (the update check, the
// usage report) are over: what a long-running program carries.
SIZE_T SettledWorkingSet(const std::wstring& exe, const wchar_t* title) {
  Run run = Start(exe, title);
  ::Sleep(4000);
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  ::GetProcessMemoryInfo(run.process.get(), &counters, sizeof counters);
  Stop(run);
  return run.window ? counters.WorkingSetSize : 0;
}

// Start-up to first paint with an empty list, the program as it ships against the bare dialog,
// taking turns (which comes first alternates), `rounds` times each; prints the medians.
void CompareStartUp(const std::wstring& shipped, const std::wstring& bare, int rounds) {
  stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), stashly::RecordList());
  std::vector<double> program, plain;
  for (int round = 0; round < 2 * rounds; ++round) {
    const bool mine = round % 4 == 0 || round % 4 == 3;
    if (!(mine ? TimeStart(shipped, stashly::kMainWindowTitle, program)
               : TimeStart(bare, L"bare dialog", plain)))
      return;
  }
  const double p = Median(program), b = Median(plain);
  std::printf("start-up   Stashly %.1f ms, bare dialog %.1f ms, ratio %.2f (medians of %d)\n", p,
              b, p / b, rounds);
}

void CompareSettled(const std::wstring& here) {
  stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), stashly::RecordList());
  std::vector<double> program, bare;
  for (int round = 0; round < 5; ++round) {
    program.push_back(double(SettledWorkingSet(win::CombinePath(here, L"loopback\\Stashly.exe"),
                                               stashly::kMainWindowTitle)));
    bare.push_back(double(SettledWorkingSet(win::CombinePath(here, L"bare_dialog.exe"),
                                            L"bare dialog")));
  }
  const double p = Median(program) / 1048576.0, b = Median(bare) / 1048576.0;
  std::printf("settled    Stashly %.1f MB, bare dialog %.1f MB, ratio %.2f\n", p, b, p / b);
}

// The largest list the program takes, loaded, drawn and changed once.
void MeasureLimit(const std::wstring& exe) {
  const size_t length = stashly::kMaxFavoritesBytes / stashly::kMaxFavorites - 8;
  stashly::RecordList records;
  for (size_t i = 0; i < stashly::kMaxFavorites; ++i) {
    std::wstring record = L"C:\\data\\" + std::to_wstring(i) + L"\\";
    record.resize(length, L'x');
    records.push_back(record);
  }
  stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), records);
  Run run = Start(exe, stashly::kMainWindowTitle);
  if (!run.window) {
    std::fprintf(stderr, "the window did not appear; no measurement\n");
    Stop(run);
    return;
  }
  // An add from Explorer (which does not read the list whole) and the window's reload.
  const double t0 = Now();
  stashly::AppendFavorite(stashly::FavoritesFilePath(), L"C:\\added");
  stashly::NotifyFavoritesChanged();
  ::SendMessageW(run.window, WM_NULL, 0, 0);
  const double addMs = Now() - t0;
  Stop(run);
  std::printf("limit %zu entries of %zu characters: start-up %.0f ms, add and reload %.0f ms, "
              "peak %.1f MB\n",
              stashly::kMaxFavorites, length, run.startMs, addMs, run.peak / 1048576.0);
  stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), stashly::RecordList());
}

}  // namespace

int main(int argc, char** argv) {
  std::wstring here = win::ProgramFolder();
  // The program as it ships, with the update module and the helper library beside it.
  const std::wstring shipped = win::CombinePath(here, L"loopback\\Stashly.exe");
  if (argc > 1 && std::string(argv[1]) == "start-up") {
    stashly::WriteSettingDword(stashly::kAutoHideValue, 0);
    CompareStartUp(shipped, win::CombinePath(here, L"bare_dialog.exe"), 15);
    CompareSettled(here);
    return 0;
  }
  std::vector<std::wstring> rows;
  for (int i = 0; i < 10000; ++i)
    rows.push_back(L"C:\\data\\folder\\file" + std::to_wstring(i) + L".txt");
  stashly::WriteSettingDword(stashly::kAutoHideValue, 0);

  std::vector<double> stashlyLoad, plainLoad;
  SIZE_T stashlyPeak = 0, barePeak = 0;
  for (int round = 0; round < 5; ++round) {
    stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), stashly::RecordList());
    Run bare = Start(win::CombinePath(here, L"bare_dialog.exe"), L"bare dialog");
    Stop(bare);
    barePeak = std::max(barePeak, bare.peak);

    Run program = Start(shipped, stashly::kMainWindowTitle);
    if (!bare.window || !program.window) {
      // No figures from a run whose windows never came up (no display, a missing program).
      std::fprintf(stderr, "a window did not appear; no measurement\n");
      Stop(program);
      return 1;
    }
    stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), rows);
    double t0 = Now();
    COPYDATASTRUCT notice{stashly::COPYDATA_FAVORITES_CHANGED, 0, nullptr};
    ::SendMessageW(program.window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&notice));
    ::UpdateWindow(program.window);
    ::SendMessageW(program.window, WM_NULL, 0, 0);
    stashlyLoad.push_back(Now() - t0);
    Stop(program);
    stashlyPeak = std::max(stashlyPeak, program.peak);

    HWND list = ::CreateWindowExW(0, WC_LISTVIEWW, nullptr, WS_POPUP | LVS_REPORT, 0, 0, 460, 460,
                                  nullptr, nullptr, nullptr, nullptr);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 440;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    t0 = Now();
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    for (size_t i = 0; i < rows.size(); ++i) {
      item.iItem = static_cast<int>(i);
      item.pszText = rows[i].data();
      ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    plainLoad.push_back(Now() - t0);
    ::DestroyWindow(list);
  }
  CompareUnreachable(win::CombinePath(here, L"Stashly.exe"), 7);
  CompareSettled(here);
  MeasureLimit(win::CombinePath(here, L"Stashly.exe"));
  stashly::WriteFavoritesFile(stashly::FavoritesFilePath(), stashly::RecordList());
  double l = Median(stashlyLoad), p = Median(plainLoad);
  CompareStartUp(shipped, win::CombinePath(here, L"bare_dialog.exe"), 15);
  std::printf("load 10k   LoadFavorites %.1f ms, plain list view %.1f ms, ratio %.2f\n", l, p,
              l / p);
  std::printf("peak mem   Stashly %.1f MB, bare dialog %.1f MB, ratio %.2f\n",
              stashlyPeak / 1048576.0, barePeak / 1048576.0,
              double(stashlyPeak) / double(barePeak));
  return 0;
}
