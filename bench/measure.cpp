// Runs a command line and reports the Windows view of its peak memory: measure.exe COMMAND-LINE
// prints "peak_working_set_kb=N peak_private_kb=N exit=N". Standard input is passed through.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <psapi.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: measure.exe COMMAND-LINE\n", stderr);
    return 2;
  }
  STARTUPINFOA Startup{};
  Startup.cb = sizeof Startup;
  PROCESS_INFORMATION Process{};
  if (CreateProcessA(nullptr, argv[1], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &Startup, &Process) == 0) {
    std::fprintf(stderr, "measure: cannot start %s (%lu)\n", argv[1], GetLastError());
    return 2;
  }
  // The counters are read while the process lives, every millisecond: once it has ended, Wine
  // may no longer know them and answers zeros. Peaks only grow, so the last reading is within a
  // millisecond of the end.
  PROCESS_MEMORY_COUNTERS Peak{};
  int Readings = 0;
  const auto Read = [&] {
    PROCESS_MEMORY_COUNTERS Counters{};
    Counters.cb = sizeof Counters;
    if (GetProcessMemoryInfo(Process.hProcess, &Counters, sizeof Counters) == 0 || Counters.PeakWorkingSetSize == 0) return;
    ++Readings;
    if (Counters.PeakWorkingSetSize > Peak.PeakWorkingSetSize) Peak.PeakWorkingSetSize = Counters.PeakWorkingSetSize;
    if (Counters.PeakPagefileUsage > Peak.PeakPagefileUsage) Peak.PeakPagefileUsage = Counters.PeakPagefileUsage;
  };
  while (WaitForSingleObject(Process.hProcess, 1) == WAIT_TIMEOUT) Read();
  Read();
  DWORD Code = 0;
  GetExitCodeProcess(Process.hProcess, &Code);
  if (Readings == 0) {
    std::fprintf(stderr, "measure: no memory reading of %s\n", argv[1]);
    std::puts("memory not measured");
    return 2;
  }
  std::printf("peak_working_set_kb=%lu peak_private_kb=%lu exit=%lu\n",
              static_cast<unsigned long>(Peak.PeakWorkingSetSize / 1024),
              static_cast<unsigned long>(Peak.PeakPagefileUsage / 1024), Code);
  return 0;
}
