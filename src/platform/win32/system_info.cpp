// Memory, drives, ticks, the clock and the system's architecture: forwarding to kernel32, with
// GetTickCount64 and IsWow64Process2 bound on first use.
#include "platform/win32/windows_api.h"

#include <cstddef>

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

std::uint32_t QueryDosDeviceW(const char16_t* DeviceName, char16_t* TargetPath, std::uint32_t Max) {
  return ::QueryDosDeviceW(Wide(DeviceName), Wide(TargetPath), Max);
}

Bool GetDiskFreeSpaceExW(const char16_t* DirectoryName, std::uint64_t* FreeBytesAvailableToCaller,
                         std::uint64_t* TotalNumberOfBytes, std::uint64_t* TotalNumberOfFreeBytes) {
  static_assert(sizeof(ULARGE_INTEGER) == sizeof(std::uint64_t));
  return ::GetDiskFreeSpaceExW(Wide(DirectoryName),
                               reinterpret_cast<PULARGE_INTEGER>(FreeBytesAvailableToCaller),
                               reinterpret_cast<PULARGE_INTEGER>(TotalNumberOfBytes),
                               reinterpret_cast<PULARGE_INTEGER>(TotalNumberOfFreeBytes));
}

Bool GetVolumeInformationW(const char16_t* RootPathName, char16_t* VolumeNameBuffer,
                           std::uint32_t VolumeNameSize, std::uint32_t* VolumeSerialNumber,
                           std::uint32_t* MaximumComponentLength, std::uint32_t* FileSystemFlags,
                           char16_t* FileSystemNameBuffer, std::uint32_t FileSystemNameSize) {
  static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
  return ::GetVolumeInformationW(Wide(RootPathName), Wide(VolumeNameBuffer), VolumeNameSize,
                                 reinterpret_cast<LPDWORD>(VolumeSerialNumber),
                                 reinterpret_cast<LPDWORD>(MaximumComponentLength),
                                 reinterpret_cast<LPDWORD>(FileSystemFlags),
                                 Wide(FileSystemNameBuffer), FileSystemNameSize);
}

namespace record = processor_record;
using TProcessorInfo = SYSTEM_LOGICAL_PROCESSOR_INFORMATION;
static_assert(sizeof(TProcessorInfo) == record::RecordSize);
static_assert(offsetof(TProcessorInfo, ProcessorMask) == record::ProcessorMask);
static_assert(sizeof(TProcessorInfo{}.ProcessorMask) == record::ProcessorMaskSize);
static_assert(offsetof(TProcessorInfo, Relationship) == record::Relationship);
static_assert(sizeof(TProcessorInfo{}.Relationship) == sizeof(std::uint32_t));
static_assert(RelationProcessorCore == record::RelationProcessorCore);
static_assert(RelationProcessorPackage == record::RelationProcessorPackage);

Bool GetLogicalProcessorInformation(std::uint8_t* Buffer, std::uint32_t* ReturnedLength) {
  DWORD Length = *ReturnedLength;
  const BOOL Result =
      ::GetLogicalProcessorInformation(reinterpret_cast<TProcessorInfo*>(Buffer), &Length);
  *ReturnedLength = Length;
  return Result;
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
