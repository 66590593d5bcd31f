// The firmware table, the installed memory, the DNS host name, local time of a UTC date and the
// domain: forwarding to kernel32, and to netapi32 bound on first use from the system folder.
#include "platform/win32/windows_api.h"

#include <lm.h>  // the network management calls, with their result type

#include "platform/win32/system_library.h"

namespace platform {

using win32::Wide;

std::uint32_t GetSystemFirmwareTable(std::uint32_t ProviderSignature, std::uint32_t TableId,
                                     void* Buffer, std::uint32_t BufferSize) {
  return ::GetSystemFirmwareTable(ProviderSignature, TableId, Buffer, BufferSize);
}

Bool GetPhysicallyInstalledSystemMemory(std::uint64_t* TotalMemoryInKilobytes) {
  static_assert(sizeof(ULONGLONG) == sizeof(std::uint64_t));
  return ::GetPhysicallyInstalledSystemMemory(reinterpret_cast<PULONGLONG>(TotalMemoryInKilobytes));
}

Bool GetComputerNameExW(std::uint32_t NameType, char16_t* Buffer, std::uint32_t* Size) {
  DWORD Units = *Size;
  const BOOL Result =
      ::GetComputerNameExW(static_cast<COMPUTER_NAME_FORMAT>(NameType), Wide(Buffer), &Units);
  *Size = Units;
  return Result;
}

Bool SystemTimeToTzSpecificLocalTime(const void* TimeZone, const TSystemTime* UniversalTime,
                                     TSystemTime* LocalTime) {
  static_assert(sizeof(SYSTEMTIME) == sizeof(TSystemTime));
  return ::SystemTimeToTzSpecificLocalTime(static_cast<const TIME_ZONE_INFORMATION*>(TimeZone),
                                           reinterpret_cast<const SYSTEMTIME*>(UniversalTime),
                                           reinterpret_cast<SYSTEMTIME*>(LocalTime));
}

std::uint32_t NetGetJoinInformation(const char16_t* Server, char16_t** NameBuffer,
                                    std::uint32_t* BufferType) {
  static const win32::TSystemFunction<decltype(::NetGetJoinInformation)> Bound(
      L"netapi32.dll", "NetGetJoinInformation");
  if (Bound.Get() == nullptr) return Bound.Error();
  LPWSTR Name = nullptr;
  NETSETUP_JOIN_STATUS Status = ::NetSetupUnknownStatus;
  const NET_API_STATUS Result = Bound.Get()(Wide(Server), &Name, &Status);
  *NameBuffer = reinterpret_cast<char16_t*>(Name);
  *BufferType = static_cast<std::uint32_t>(Status);
  return Result;
}

std::uint32_t NetApiBufferFree(void* Buffer) {
  static const win32::TSystemFunction<decltype(::NetApiBufferFree)> Bound(L"netapi32.dll",
                                                                          "NetApiBufferFree");
  if (Bound.Get() == nullptr) return Bound.Error();
  return Bound.Get()(Buffer);
}

}  // namespace platform
