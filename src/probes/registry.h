// Read-only access to registry keys and values, one open key at a time. A key that cannot be opened
// or a value that does not exist is a false or empty answer; a value of the wrong type is an error.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "text/exceptions.h"
#include "text/string_list.h"

INVENTARIO_DECLARE_ERROR(ERegistryException, Exception);

enum class TRegDataType {
  rdUnknown,
  rdString,
  rdExpandString,
  rdInteger,
  rdBinary,
  rdIntegerBE,
  rdLink,
  rdMultiString,
  rdInt64
};

struct TRegDataInfo {
  TRegDataType RegData = TRegDataType::rdUnknown;
  std::int32_t DataSize = 0;
};

struct TRegKeyInfo {
  std::int32_t NumSubKeys = 0;
  std::int32_t MaxSubKeyLen = 0;
  std::int32_t NumValues = 0;
  std::int32_t MaxValueLen = 0;
  std::int32_t MaxDataLen = 0;
  std::uint64_t FileTime = 0;
};

class TRegistry {
 public:
  // Access is the mask given to every open; only its view bits (32- or 64-bit) are kept.
  explicit TRegistry(std::uint32_t AAccess);

  [[nodiscard]] platform::Hkey RootKey() const { return FRootKey; }
  void SetRootKey(platform::Hkey Value);
  [[nodiscard]] platform::Hkey CurrentKey() const { return FCurrentKey.Get(); }
  [[nodiscard]] const std::u16string& CurrentPath() const { return FCurrentPath; }
  [[nodiscard]] std::uint32_t Access() const { return FAccess; }

  // Opens Key for reading, trying ever smaller access masks; false leaves the reader unchanged.
  // A path without a leading backslash opens below the open key, if there is one.
  bool OpenKeyReadOnly(std::u16string_view Key);
  // What the last open answered; after a failed one, the code of its last attempt: 2 (the key
  // does not exist) tells an absent key from one that could not be read.
  [[nodiscard]] std::int32_t LastOpenError() const { return FLastOpenError; }
  // Takes over a key the system opened by other means (a device's key), which is then the open
  // key and is closed with it; false, closing nothing, for a key that did not open.
  bool AdoptKey(platform::Hkey Key);
  void CloseKey();

  [[nodiscard]] bool ValueExists(std::u16string_view Name) const;
  [[nodiscard]] TRegDataType GetDataType(std::u16string_view ValueName) const;
  // Text of a REG_SZ or REG_EXPAND_SZ value, cut at its first NUL; empty for a missing value.
  [[nodiscard]] std::u16string ReadString(std::u16string_view Name) const;
  // The first four bytes of an integer value, little-endian.
  [[nodiscard]] std::int32_t ReadInteger(std::u16string_view Name) const;
  // A value exactly as the registry holds it, any type; false, leaving Data and Type untouched,
  // when it is missing, larger than MaxSize or cannot be read whole. Never raises.
  bool ReadRaw(std::u16string_view Name, std::uint32_t& Type, std::vector<std::uint8_t>& Data,
               std::uint32_t MaxSize = 1 << 20) const;
  // Replaces Strings' lines with the open key's subkey names, in the registry's order.
  void GetKeyNames(TStringList& Strings) const;

 private:
  bool GetDataInfo(std::u16string_view ValueName, TRegDataInfo& Value) const;
  std::uint32_t GetData(std::u16string_view Name, std::uint8_t* Buffer, std::uint32_t BufSize,
                        TRegDataType& RegData) const;
  bool GetKeyInfo(TRegKeyInfo& Value) const;

  platform::ScopedRegKey FCurrentKey;
  platform::Hkey FRootKey = platform::HkeyCurrentUser;
  std::u16string FCurrentPath;
  std::uint32_t FAccess;
  std::int32_t FLastOpenError = 0;
};

// What the probes create: read access in the registry's 64-bit view, also from a 32-bit process.
constexpr std::uint32_t RegistryReadAccess = platform::KeyRead | platform::KeyWow6464Key;

// Values that only add detail: nothing when missing, of another type or unreadable, never an error.
std::optional<std::u16string> ReadOptionalString(const TRegistry& Reg, std::u16string_view Name);
std::optional<std::uint32_t> ReadOptionalInteger(const TRegistry& Reg, std::u16string_view Name);
