// Memory, drives, ticks, the clock and the system's architecture: forwarding to kernel32, with
// GetTickCount64 and IsWow64Process2 bound on first use.
#include "platform/win32/windows_api.h"

#include "platform/win32/system_library.h"

namespace platform {

using win32::Wide;

Bool GlobalMemoryStatusEx(TMemoryStatusEx* Buffer) {
  static_assert(sizeof(MEMORYSTATUSEX) == sizeof(TMemoryStatusEx));
  return ::GlobalMemoryStatusEx(reinterpret_cast<MEMORYSTATUSEX*>(Buffer));
}

std::uint32_t GetDriveTypeW(const char16_t* RootPathName) {
  return ::GetDriveTypeW(Wide(RootPathName));
}

Bool GetDiskFreeSpaceExW(const char16_t* DirectoryName, std::uint64_t* FreeBytesAvailableToCaller,
                         std::uint64_t* TotalNumberOfBytes, std::uint64_t* TotalNumberOfFreeBytes) {
  static_assert(sizeof(ULARGE_INTEGER) == sizeof(std::uint64_t));
  return ::GetDiskFreeSpaceExW(Wide(DirectoryName),
                               reinterpret_cast<PULARGE_INTEGER>(FreeBytesAvailableToCaller),
                               reinterpret_cast<PULARGE_INTEGER>(TotalNumberOfBytes),
                               reinterpret_cast<PULARGE_INTEGER>(TotalNumberOfFreeBytes));
}

Bool GetTickCount64(std::uint64_t* Ticks) {
  static const auto Proc = win32::Kernel32Function<ULONGLONG(WINAPI*)()>("GetTickCount64");
  if (Proc == nullptr) return 0;
  *Ticks = Proc();
  return 1;
}

void GetLocalTime(TSystemTime* SystemTime) {
  static_assert(sizeof(SYSTEMTIME) == sizeof(TSystemTime));
  ::GetLocalTime(reinterpret_cast<SYSTEMTIME*>(SystemTime));
}

std::uint32_t GetSystemWindowsDirectoryW(char16_t* Buffer, std::uint32_t Size) {
  return ::GetSystemWindowsDirectoryW(Wide(Buffer), Size);
}

Bool IsWow64Process2(Handle Process, std::uint16_t* ProcessMachine, std::uint16_t* NativeMachine) {
  static const auto Proc =
      win32::Kernel32Function<BOOL(WINAPI*)(HANDLE, USHORT*, USHORT*)>("IsWow64Process2");
  if (Proc == nullptr) return 0;
  return Proc(win32::ToNative(Process), ProcessMachine, NativeMachine);
}

void GetNativeSystemInfo(TSystemInfo* SystemInfo) {
  SYSTEM_INFO Info{};
  ::GetNativeSystemInfo(&Info);
  SystemInfo->ProcessorArchitecture = Info.wProcessorArchitecture;
}

}  // namespace platform
