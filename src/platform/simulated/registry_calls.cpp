// Simulated registry reads and the computer name.
#include <algorithm>
#include <string>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;
using simulated::TRegKey;

namespace {

constexpr std::int32_t ErrorFileNotFoundResult = 2;
constexpr std::int32_t ErrorAccessDeniedResult = 5;
constexpr std::int32_t ErrorInvalidHandleResult = 6;
constexpr std::int32_t ErrorInvalidParameterResult = 87;
constexpr std::int32_t ErrorMoreDataResult = 234;

// The key behind a handle: a root or one that RegOpenKeyExW gave out.
TRegKey* KeyOf(Hkey Key) {
  auto& M = Machine();
  if (TRegKey* Root = M.Registry.Root(Key)) return Root;
  const auto Found = M.RegHandles.find(static_cast<std::uintptr_t>(Key));
  return Found == M.RegHandles.end() ? nullptr : Found->second;
}

std::int32_t Fault() { return static_cast<std::int32_t>(Machine().LastError); }

// Whether Text starts with Prefix, an upper-case ASCII text, in any letter case.
bool StartsWithUpper(std::u16string_view Text, std::u16string_view Prefix) {
  if (Text.size() < Prefix.size()) return false;
  for (std::size_t I = 0; I < Prefix.size(); ++I) {
    const char16_t C = Text[I];
    if ((C >= u'a' && C <= u'z' ? static_cast<char16_t>(C - u'a' + u'A') : C) != Prefix[I])
      return false;
  }
  return true;
}

}  // namespace

Bool GetComputerNameW(char16_t* Buffer, std::uint32_t* Size) {
  auto& M = Machine();
  if (M.Failing("GetComputerNameW")) return 0;
  const auto Length = static_cast<std::uint32_t>(M.ComputerName.size());
  if (Size == nullptr || *Size <= Length) {
    if (Size != nullptr) *Size = Length + 1;
    M.LastError = ErrorBufferOverflow;
    return 0;
  }
  std::copy(M.ComputerName.begin(), M.ComputerName.end(), Buffer);
  Buffer[Length] = u'\0';
  *Size = Length;
  return 1;
}

std::int32_t RegOpenKeyExW(Hkey Key, const char16_t* SubKey, std::uint32_t /*Options*/,
                           std::uint32_t Desired, Hkey* Result) {
  auto& M = Machine();
  if (M.Failing("RegOpenKeyExW")) return Fault();
  TRegKey* Base = KeyOf(Key);
  if (Base == nullptr || Result == nullptr) return ErrorInvalidHandleResult;
  std::u16string_view Path = SubKey != nullptr ? SubKey : u"";
  // Without the 64-bit flag a 32-bit process sees HKLM\SOFTWARE through WOW6432Node.
  std::u16string Redirected;
  const bool Software =
      StartsWithUpper(Path, u"SOFTWARE") && (Path.size() == 8 || Path[8] == u'\\');
  if (Key == HkeyLocalMachine && (Desired & KeyWow6464Key) == 0 && Software &&
      !StartsWithUpper(Path, u"SOFTWARE\\WOW6432NODE")) {
    Redirected = Path;
    Redirected.insert(8, u"\\WOW6432Node");
    Path = Redirected;
  }
  TRegKey* Found = Base->Find(Path);
  if (Found == nullptr) return ErrorFileNotFoundResult;
  const std::uint32_t Rights = Desired & ~KeyWow64Res;
  if ((Rights & ~Found->GrantedAccess) != 0) return ErrorAccessDeniedResult;
  const std::uintptr_t Value = M.NextHandle;
  M.NextHandle += 4;
  M.RegHandles.emplace(Value, Found);
  *Result = Hkey{Value};
  return 0;
}

std::int32_t RegQueryValueExW(Hkey Key, const char16_t* ValueName, std::uint32_t* /*Reserved*/,
                              std::uint32_t* Type, std::uint8_t* Data, std::uint32_t* DataSize) {
  auto& M = Machine();
  if (M.Failing("RegQueryValueExW")) return Fault();
  const TRegKey* K = KeyOf(Key);
  if (K == nullptr) return ErrorInvalidHandleResult;
  const simulated::TRegValue* Found = K->Value(ValueName != nullptr ? ValueName : u"");
  if (Found == nullptr) return ErrorFileNotFoundResult;
  const simulated::TRegValue& Value = *Found;
  if (Data != nullptr && DataSize == nullptr) return ErrorInvalidParameterResult;
  if (Type != nullptr) *Type = Value.Type;
  const auto Size = static_cast<std::uint32_t>(Value.Data.size());
  if (Data != nullptr) {
    if (*DataSize < Size) {
      *DataSize = Size;
      return ErrorMoreDataResult;
    }
    std::copy(Value.Data.begin(), Value.Data.end(), Data);
  }
  if (DataSize != nullptr) *DataSize = Size;
  return 0;
}

std::int32_t RegQueryInfoKeyW(Hkey Key, char16_t* /*Class*/, std::uint32_t* ClassLength,
                              std::uint32_t* /*Reserved*/, std::uint32_t* SubKeys,
                              std::uint32_t* MaxSubKeyLength, std::uint32_t* MaxClassLength,
                              std::uint32_t* Values, std::uint32_t* MaxValueNameLength,
                              std::uint32_t* MaxValueLength, std::uint32_t* SecurityDescriptor,
                              std::uint64_t* LastWriteTime) {
  auto& M = Machine();
  if (M.Failing("RegQueryInfoKeyW")) return Fault();
  const TRegKey* K = KeyOf(Key);
  if (K == nullptr) return ErrorInvalidHandleResult;
  std::uint32_t LongestKey = 0;
  for (const auto& [Upper, Sub] : K->SubKeys) LongestKey = std::max<std::uint32_t>(LongestKey, static_cast<std::uint32_t>(Sub->Name.size()));
  std::uint32_t LongestName = 0;
  std::uint32_t LongestData = 0;
  for (const auto& [Upper, Value] : K->Values) {
    LongestName = std::max<std::uint32_t>(LongestName, static_cast<std::uint32_t>(Value.Name.size()));
    LongestData = std::max<std::uint32_t>(LongestData, static_cast<std::uint32_t>(Value.Data.size()));
  }
  const auto Put = [](std::uint32_t* Out, std::uint32_t Value) {
    if (Out != nullptr) *Out = Value;
  };
  Put(ClassLength, 0);
  Put(SubKeys, static_cast<std::uint32_t>(K->SubKeys.size()));
  Put(MaxSubKeyLength, LongestKey);
  Put(MaxClassLength, 0);
  Put(Values, static_cast<std::uint32_t>(K->Values.size()));
  Put(MaxValueNameLength, LongestName);
  Put(MaxValueLength, LongestData);
  Put(SecurityDescriptor, 0);
  if (LastWriteTime != nullptr) *LastWriteTime = 0;
  return 0;
}

std::int32_t RegEnumKeyExW(Hkey Key, std::uint32_t Index, char16_t* Name,
                           std::uint32_t* NameLength, std::uint32_t* /*Reserved*/,
                           char16_t* /*Class*/, std::uint32_t* /*ClassLength*/,
                           std::uint64_t* LastWriteTime) {
  auto& M = Machine();
  if (M.Failing("RegEnumKeyExW")) return Fault();
  const TRegKey* K = KeyOf(Key);
  if (K == nullptr) return ErrorInvalidHandleResult;
  if (Name == nullptr || NameLength == nullptr) return ErrorInvalidParameterResult;
  const TRegKey* Sub = K->SubKeyAt(Index);
  if (Sub == nullptr) return ErrorNoMoreItems;
  const std::u16string& SubName = Sub->Name;
  if (*NameLength <= SubName.size()) return ErrorMoreDataResult;
  std::copy(SubName.begin(), SubName.end(), Name);
  Name[SubName.size()] = u'\0';
  *NameLength = static_cast<std::uint32_t>(SubName.size());
  if (LastWriteTime != nullptr) *LastWriteTime = 0;
  return 0;
}

std::int32_t RegCloseKey(Hkey Key) {
  auto& M = Machine();
  if (M.Failing("RegCloseKey")) return Fault();
  if (M.Registry.Root(Key) != nullptr) return 0;
  return M.RegHandles.erase(static_cast<std::uintptr_t>(Key)) != 0 ? 0 : ErrorInvalidHandleResult;
}

}  // namespace platform
