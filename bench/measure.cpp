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
  WaitForSingleObject(Process.hProcess, INFINITE);
  PROCESS_MEMORY_COUNTERS Counters{};
  Counters.cb = sizeof Counters;
  GetProcessMemoryInfo(Process.hProcess, &Counters, sizeof Counters);
  DWORD Code = 0;
  GetExitCodeProcess(Process.hProcess, &Code);
  std::printf("peak_working_set_kb=%lu peak_private_kb=%lu exit=%lu\n",
              static_cast<unsigned long>(Counters.PeakWorkingSetSize / 1024),
              static_cast<unsigned long>(Counters.PeakPagefileUsage / 1024), Code);
  return 0;
}
