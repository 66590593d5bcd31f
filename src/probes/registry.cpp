#include "probes/registry.h"

#include <array>
#include <vector>

#include "text/format.h"

namespace {

TRegDataType DataTypeToRegData(std::uint32_t Type) {
  switch (Type) {
    case platform::RegSz: return TRegDataType::rdString;
    case platform::RegExpandSz: return TRegDataType::rdExpandString;
    case platform::RegBinary: return TRegDataType::rdBinary;
    case platform::RegDword: return TRegDataType::rdInteger;
    case platform::RegDwordBigEndian: return TRegDataType::rdIntegerBE;
    case platform::RegLink: return TRegDataType::rdLink;
    case platform::RegMultiSz: return TRegDataType::rdMultiString;
    case platform::RegQword: return TRegDataType::rdInt64;
    default: return TRegDataType::rdUnknown;
  }
}

[[noreturn]] void RaiseRegistryError(std::u16string_view Fmt, std::u16string_view Name) {
  throw ERegistryException(Format(Fmt, {Name}));
}

// Value names are passed to the system NUL-terminated. A scan asks thousands of keys for the
// same few names, so a name that fits is copied to the stack rather than to the heap.
class TTerminated {
 public:
  explicit TTerminated(std::u16string_view Name) {
    if (Name.size() < FLocal.size()) {
      std::copy(Name.begin(), Name.end(), FLocal.begin());
      FLocal[Name.size()] = u'\0';
    } else {
      FLong.assign(Name);
    }
  }
  // NOLINTNEXTLINE(readability-identifier-naming): read as a string's own c_str()
  [[nodiscard]] const char16_t* c_str() const {
    return FLong.empty() ? FLocal.data() : FLong.c_str();
  }

 private:
  std::array<char16_t, 64> FLocal{};
  std::u16string FLong;
};

constexpr std::array<std::uint32_t, 3> OpenMasks{
    platform::KeyRead, 0x20009 /* read rights without notify */, platform::KeyQueryValue};

}  // namespace

TRegistry::TRegistry(std::uint32_t AAccess) : FAccess(AAccess) {}

void TRegistry::SetRootKey(platform::Hkey Value) {
  if (Value == FRootKey) return;
  FRootKey = Value;
  CloseKey();
}

void TRegistry::CloseKey() {
  FCurrentKey.Reset();
  FCurrentPath.clear();
}

bool TRegistry::OpenKeyReadOnly(std::u16string_view Key) {
  std::u16string S{Key};
  const bool Relative = S.empty() || S[0] != u'\\';
  if (!Relative) S.erase(0, 1);
  const std::uint32_t WowFlags = FAccess & platform::KeyWow64Res;
  for (const std::uint32_t Mask : OpenMasks) {
    const platform::Hkey Base = FCurrentKey.IsValid() && Relative ? FCurrentKey.Get() : FRootKey;
    platform::Hkey Opened{0};
    FLastOpenError = platform::RegOpenKeyExW(Base, S.c_str(), 0, WowFlags | Mask, &Opened);
    if (FLastOpenError != 0) continue;
    FAccess = WowFlags | Mask;
    if (FCurrentKey.IsValid() && Relative) S.insert(0, FCurrentPath + u'\\');
    CloseKey();
    FCurrentKey.Reset(Opened);
    FCurrentPath = std::move(S);
    return true;
  }
  return false;
}

bool TRegistry::AdoptKey(platform::Hkey Key) {
  if (Key == platform::Hkey{0} || Key == platform::InvalidKey) return false;
  CloseKey();
  FCurrentKey.Reset(Key);
  return true;
}

bool TRegistry::ReadRaw(std::u16string_view Name, std::uint32_t& Type,
                        std::vector<std::uint8_t>& Data, std::uint32_t MaxSize) const {
  const TTerminated Terminated(Name);
  std::uint32_t ReadType = 0;
  std::uint32_t Size = 0;
  if (platform::RegQueryValueExW(FCurrentKey.Get(), Terminated.c_str(), nullptr, &ReadType, nullptr,
                                 &Size) != 0 ||
      Size > MaxSize) {
    return false;
  }
  std::vector<std::uint8_t> Bytes(Size);
  // A value that changed size in between is read as missing, not half.
  if (platform::RegQueryValueExW(FCurrentKey.Get(), Terminated.c_str(), nullptr, &ReadType,
                                 Bytes.data(), &Size) != 0 ||
      Size != Bytes.size()) {
    return false;
  }
  Type = ReadType;
  Data = std::move(Bytes);
  return true;
}

bool TRegistry::GetDataInfo(std::u16string_view ValueName, TRegDataInfo& Value) const {
  Value = TRegDataInfo{};
  std::uint32_t Type = 0;
  std::uint32_t Size = 0;
  if (platform::RegQueryValueExW(FCurrentKey.Get(), TTerminated(ValueName).c_str(), nullptr, &Type,
                                 nullptr, &Size) != 0) {
    return false;
  }
  Value.RegData = DataTypeToRegData(Type);
  Value.DataSize = static_cast<std::int32_t>(Size);
  return true;
}

bool TRegistry::ValueExists(std::u16string_view Name) const {
  TRegDataInfo Info;
  return GetDataInfo(Name, Info);
}

TRegDataType TRegistry::GetDataType(std::u16string_view ValueName) const {
  TRegDataInfo Info;
  return GetDataInfo(ValueName, Info) ? Info.RegData : TRegDataType::rdUnknown;
}

std::uint32_t TRegistry::GetData(std::u16string_view Name, std::uint8_t* Buffer,
                                 std::uint32_t BufSize, TRegDataType& RegData) const {
  std::uint32_t Type = 0;
  std::uint32_t Size = BufSize;
  if (platform::RegQueryValueExW(FCurrentKey.Get(), TTerminated(Name).c_str(), nullptr, &Type,
                                 Buffer, &Size) != 0) {
    RaiseRegistryError(u"Failed to get data for '%s'", Name);
  }
  RegData = DataTypeToRegData(Type);
  return Size;
}

std::u16string TRegistry::ReadString(std::u16string_view Name) const {
  // One query answers most values: data that fits the buffer on the stack comes back with its
  // type, so a value costs one trip to the registry, not a size query and then a read. Longer data
  // is read again into a buffer of the size that query reported.
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): filled by the query
  std::array<std::uint8_t, 512> Local;
  std::vector<std::uint8_t> Grown;
  std::uint8_t* Data = Local.data();
  std::uint32_t Capacity = Local.size();
  std::uint32_t Type = 0;
  std::uint32_t Read = Capacity;
  const std::int32_t Result = platform::RegQueryValueExW(
      FCurrentKey.Get(), TTerminated(Name).c_str(), nullptr, &Type, Data, &Read);
  TRegDataType RegData = DataTypeToRegData(Type);
  if (Result == static_cast<std::int32_t>(platform::ErrorMoreData)) {
    // A size no larger than what was offered would read nothing more: the read has failed.
    if (Read <= Capacity) RaiseRegistryError(u"Failed to get data for '%s'", Name);
    Grown.resize(Read);
    Data = Grown.data();
    Capacity = Read;
    Read = GetData(Name, Data, Capacity, RegData);  // raises if the value grew again or went away
  } else if (Result != 0) {
    return {};  // a missing value reads as empty
  }
  if (Read == 0) return {};  // so does one without data, whatever its type
  if (RegData != TRegDataType::rdString && RegData != TRegDataType::rdExpandString) {
    RaiseRegistryError(u"Invalid data type for '%s'", Name);
  }
  // Whole characters only, never beyond what was read; a final odd byte is dropped.
  const std::size_t Units = std::min(Read, Capacity) / 2;
  std::u16string Text(Units, u'\0');
  for (std::size_t I = 0; I < Units; ++I) {
    Text[I] = static_cast<char16_t>(Data[2 * I] | Data[2 * I + 1] << 8);
    if (Text[I] == u'\0') {
      Text.resize(I);
      break;
    }
  }
  return Text;
}

std::int32_t TRegistry::ReadInteger(std::u16string_view Name) const {
  std::array<std::uint8_t, 4> Bytes{};  // bytes the value does not fill stay zero
  TRegDataType RegData = TRegDataType::rdUnknown;
  GetData(Name, Bytes.data(), static_cast<std::uint32_t>(Bytes.size()), RegData);
  if (RegData != TRegDataType::rdInteger && RegData != TRegDataType::rdIntegerBE &&
      RegData != TRegDataType::rdInt64) {
    RaiseRegistryError(u"Invalid data type for '%s'", Name);
  }
  return static_cast<std::int32_t>(
      static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
      static_cast<std::uint32_t>(Bytes[2]) << 16 | static_cast<std::uint32_t>(Bytes[3]) << 24);
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value) const {
  Value = TRegKeyInfo{};
  std::uint32_t NumSubKeys = 0;
  std::uint32_t MaxSubKeyLen = 0;
  std::uint32_t NumValues = 0;
  std::uint32_t MaxValueLen = 0;
  std::uint32_t MaxDataLen = 0;
  if (platform::RegQueryInfoKeyW(FCurrentKey.Get(), nullptr, nullptr, nullptr, &NumSubKeys,
                                 &MaxSubKeyLen, nullptr, &NumValues, &MaxValueLen, &MaxDataLen,
                                 nullptr, &Value.FileTime) != 0) {
    return false;
  }
  Value.NumSubKeys = static_cast<std::int32_t>(NumSubKeys);
  Value.MaxSubKeyLen = static_cast<std::int32_t>(MaxSubKeyLen);
  Value.NumValues = static_cast<std::int32_t>(NumValues);
  Value.MaxValueLen = static_cast<std::int32_t>(MaxValueLen);
  Value.MaxDataLen = static_cast<std::int32_t>(MaxDataLen);
  return true;
}

void TRegistry::GetKeyNames(TStringList& Strings) const {
  Strings.Clear();
  TRegKeyInfo Info;
  if (!GetKeyInfo(Info) || Info.NumSubKeys <= 0) return;
  // Twice the longest name, as room for any name the key may gain meanwhile.
  const auto Size = static_cast<std::uint32_t>(2 * std::max(Info.MaxSubKeyLen, 0) + 1);
  std::vector<char16_t> Name(Size);
  for (std::int32_t I = 0; I < Info.NumSubKeys; ++I) {
    std::uint32_t Length = Size;
    // An index whose name cannot be read (a key removed meanwhile) adds nothing.
    if (platform::RegEnumKeyExW(FCurrentKey.Get(), static_cast<std::uint32_t>(I), Name.data(),
                                &Length, nullptr, nullptr, nullptr, nullptr) != 0) {
      continue;
    }
    Strings.Add(std::u16string(Name.data(), std::min<std::size_t>(Length, Size)));
  }
}

std::optional<std::u16string> ReadOptionalString(const TRegistry& Reg, std::u16string_view Name) {
  try {
    const TRegDataType Type = Reg.GetDataType(Name);
    if (Type != TRegDataType::rdString && Type != TRegDataType::rdExpandString) return std::nullopt;
    return Reg.ReadString(Name);
  } catch (const ERegistryException&) {
    return std::nullopt;
  }
}

std::optional<std::uint32_t> ReadOptionalInteger(const TRegistry& Reg, std::u16string_view Name) {
  try {
    if (Reg.GetDataType(Name) != TRegDataType::rdInteger) return std::nullopt;
    return static_cast<std::uint32_t>(Reg.ReadInteger(Name));
  } catch (const ERegistryException&) {
    return std::nullopt;
  }
}
