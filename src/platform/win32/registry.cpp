// Registry and computer-name calls: straight forwarding to advapi32 and kernel32.
#include "platform/win32/windows_api.h"

namespace platform {

using win32::Wide;

namespace {

HKEY ToNative(Hkey Key) {
  return reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(Key));  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

Bool GetComputerNameW(char16_t* Buffer, std::uint32_t* Size) {
  DWORD Length = *Size;
  const BOOL Result = ::GetComputerNameW(Wide(Buffer), &Length);
  *Size = Length;
  return Result;
}

std::int32_t RegOpenKeyExW(Hkey Key, const char16_t* SubKey, std::uint32_t Options,
                           std::uint32_t Desired, Hkey* Result) {
  HKEY Opened = nullptr;
  const LSTATUS Status = ::RegOpenKeyExW(ToNative(Key), Wide(SubKey), Options, Desired, &Opened);
  if (Status == ERROR_SUCCESS) *Result = Hkey{reinterpret_cast<std::uintptr_t>(Opened)};
  return Status;
}

std::int32_t RegQueryValueExW(Hkey Key, const char16_t* ValueName, std::uint32_t* Reserved,
                              std::uint32_t* Type, std::uint8_t* Data, std::uint32_t* DataSize) {
  static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
  return ::RegQueryValueExW(ToNative(Key), Wide(ValueName), reinterpret_cast<LPDWORD>(Reserved),
                            reinterpret_cast<LPDWORD>(Type), Data,
                            reinterpret_cast<LPDWORD>(DataSize));
}

std::int32_t RegQueryInfoKeyW(Hkey Key, char16_t* Class, std::uint32_t* ClassLength,
                              std::uint32_t* Reserved, std::uint32_t* SubKeys,
                              std::uint32_t* MaxSubKeyLength, std::uint32_t* MaxClassLength,
                              std::uint32_t* Values, std::uint32_t* MaxValueNameLength,
                              std::uint32_t* MaxValueLength, std::uint32_t* SecurityDescriptor,
                              std::uint64_t* LastWriteTime) {
  static_assert(sizeof(FILETIME) == sizeof(std::uint64_t));
  const auto D = [](std::uint32_t* P) { return reinterpret_cast<LPDWORD>(P); };
  return ::RegQueryInfoKeyW(ToNative(Key), Wide(Class), D(ClassLength), D(Reserved), D(SubKeys),
                            D(MaxSubKeyLength), D(MaxClassLength), D(Values),
                            D(MaxValueNameLength), D(MaxValueLength), D(SecurityDescriptor),
                            reinterpret_cast<PFILETIME>(LastWriteTime));
}

std::int32_t RegEnumKeyExW(Hkey Key, std::uint32_t Index, char16_t* Name,
                           std::uint32_t* NameLength, std::uint32_t* Reserved, char16_t* Class,
                           std::uint32_t* ClassLength, std::uint64_t* LastWriteTime) {
  const auto D = [](std::uint32_t* P) { return reinterpret_cast<LPDWORD>(P); };
  return ::RegEnumKeyExW(ToNative(Key), Index, Wide(Name), D(NameLength), D(Reserved),
                         Wide(Class), D(ClassLength), reinterpret_cast<PFILETIME>(LastWriteTime));
}

std::int32_t RegCloseKey(Hkey Key) { return ::RegCloseKey(ToNative(Key)); }

}  // namespace platform
