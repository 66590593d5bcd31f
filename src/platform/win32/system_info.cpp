// Memory, drives and ticks: forwarding to kernel32, with GetTickCount64 bound on first use.
#include "platform/win32/windows_api.h"

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
  using TGetTickCount64 = ULONGLONG(WINAPI*)();
  static const auto Proc = reinterpret_cast<TGetTickCount64>(
      reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetTickCount64")));
  if (Proc == nullptr) return 0;
  *Ticks = Proc();
  return 1;
}

}  // namespace platform
