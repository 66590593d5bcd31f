#include "platform/test_support.h"

#include <array>
#include <string>

#include "platform/win32/windows_api.h"

// <windows.h> maps this name to its W or A variant, which would rename the helper below.
#undef SetEnvironmentVariable

namespace platform::testing {

using win32::Wide;

std::u16string MakeScratchDirectory() {
  std::array<char16_t, MAX_PATH + 1> Temp{};
  const DWORD Length = ::GetTempPathW(MAX_PATH, Wide(Temp.data()));
  std::u16string Base(Temp.data(), Length);
  static unsigned Counter = 0;
  for (;;) {
    const std::wstring Suffix = L"inventario-contract-" + std::to_wstring(::GetCurrentProcessId()) +
                                L"-" + std::to_wstring(Counter++);
    std::u16string Path = Base + std::u16string(Suffix.begin(), Suffix.end());
    if (::CreateDirectoryW(Wide(Path.c_str()), nullptr) != 0) return Path;
  }
}

void MakeDirectory(std::u16string_view Path) {
  const std::u16string Full{Path};
  ::CreateDirectoryW(Wide(Full.c_str()), nullptr);
}

void SetEnvironmentVariable(std::u16string_view Name, std::u16string_view Value) {
  const std::u16string N{Name};
  const std::u16string V{Value};
  ::SetEnvironmentVariableW(Wide(N.c_str()), Wide(V.c_str()));
}

void RemoveEnvironmentVariable(std::u16string_view Name) {
  const std::u16string N{Name};
  ::SetEnvironmentVariableW(Wide(N.c_str()), nullptr);
}

void SetLastError(std::uint32_t Error) { ::SetLastError(Error); }

bool CreateUserKey(std::u16string_view Path) {
  const std::u16string P{Path};
  HKEY Key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(P.c_str()), 0, nullptr, 0, KEY_WRITE, nullptr, &Key,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  ::RegCloseKey(Key);
  return true;
}

bool SetUserValue(std::u16string_view KeyPath, std::u16string_view Name, std::uint32_t Type,
                  std::string_view Data) {
  const std::u16string P{KeyPath};
  const std::u16string N{Name};
  HKEY Key = nullptr;
  if (::RegCreateKeyExW(HKEY_CURRENT_USER, Wide(P.c_str()), 0, nullptr, 0, KEY_WRITE, nullptr, &Key,
                        nullptr) != ERROR_SUCCESS) {
    return false;
  }
  // The system counts one more character into string data that lacks its NUL when a NUL follows
  // it in memory; bytes that are not NUL after the data keep the stored size the one given.
  std::string Bytes{Data};
  Bytes += "\xFF\xFF";
  const LSTATUS Status =
      ::RegSetValueExW(Key, Wide(N.c_str()), 0, Type, reinterpret_cast<const BYTE*>(Bytes.data()),
                       static_cast<DWORD>(Data.size()));
  ::RegCloseKey(Key);
  return Status == ERROR_SUCCESS;
}

void DeleteUserKeyTree(std::u16string_view Path) {
  const std::u16string P{Path};
  ::RegDeleteTreeW(HKEY_CURRENT_USER, Wide(P.c_str()));
}

// Wine lists its own adapter, "Wine Adapter", and Windows has at least its basic one.
void EnsureDisplayAdapter() {}

}  // namespace platform::testing
