// The simulated registry: two root trees (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER) of keys holding
// typed values as raw bytes, as the real one stores them. The trees are the 64-bit (native) view;
// a 32-bit view of HKEY_LOCAL_MACHINE\SOFTWARE is served from its WOW6432Node subkey.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace platform::simulated {

// A name as the registry's maps hold it: upper-cased in ASCII. Every registry call looks names up,
// so a name that fits stays on the stack instead of being copied to the heap.
class TUpperName {
 public:
  explicit TUpperName(std::u16string_view Name);
  TUpperName(const TUpperName&) = delete;
  TUpperName& operator=(const TUpperName&) = delete;
  [[nodiscard]] std::u16string_view View() const {
    return FLong.empty() ? std::u16string_view{FLocal.data(), FSize} : std::u16string_view{FLong};
  }

 private:
  // NOLINTNEXTLINE(cppcoreguidelines-pro-type-member-init): its first FSize units are set
  std::array<char16_t, 128> FLocal;
  std::size_t FSize = 0;
  std::u16string FLong;
};

// Orders names by their code units, as std::less does. A lookup compares the name with several
// keys, and a key's subkeys often share a long beginning (entries named "App1", "App2", ...), so
// four code units are compared at a time until the names part: under the fuzzers, where every
// step of a loop is instrumented, comparing names was the largest cost of building a registry.
struct TNameOrder {
  using is_transparent = void;
  bool operator()(std::u16string_view A, std::u16string_view B) const noexcept;
};

struct TRegValue {
  std::u16string Name;  // as written; looked up without regard to case
  std::uint32_t Type = RegSz;
  std::string Data;     // the stored bytes, exactly
};

class TRegKey {
 public:
  std::u16string Name;
  std::map<std::u16string, TRegValue, TNameOrder> Values;                  // by upper-cased name
  std::map<std::u16string, std::unique_ptr<TRegKey>, TNameOrder> SubKeys;  // by upper-cased name
  std::uint32_t GrantedAccess = 0xFFFFFFFF;  // rights an open may ask for; others are refused

  // The subkey or the value of that name, in any case; nullptr when there is none.
  TRegKey* SubKey(std::u16string_view Name);
  [[nodiscard]] const TRegValue* Value(std::u16string_view Name) const;

  // The subkey at an enumeration index, in the registry's order; nullptr past the last one.
  const TRegKey* SubKeyAt(std::size_t Index) const;
  void SubKeysChanged() { EnumerationOrder.clear(); }

  TRegKey* Find(std::u16string_view Path);    // nullptr when missing; "" is this key
  TRegKey& Create(std::u16string_view Path);  // with every missing key on the way
  void SetValue(std::u16string_view ValueName, std::uint32_t Type, std::string Data);
  void SetString(std::u16string_view ValueName, std::u16string_view Text, std::uint32_t Type = RegSz);
  void SetDword(std::u16string_view ValueName, std::uint32_t Value);

 private:
  mutable std::vector<const TRegKey*> EnumerationOrder;  // built on first use after a change
};

class TRegistryTree {
 public:
  TRegistryTree();
  // The tree of a root key; nullptr for anything else.
  TRegKey* Root(Hkey Key);
  // Creates the key below root and returns it.
  TRegKey& Key(Hkey Root, std::u16string_view Path) { return this->Root(Root)->Create(Path); }

  // Applies a file in Windows Registry Editor format (version 5.00): keys, "[-key]" deletions,
  // string, dword, hex and hex(N) values, "-" value deletions. The bytes may be UTF-16 LE with a
  // byte-order mark, or UTF-8. Returns an error text, or nothing when the file was applied.
  std::optional<std::string> Import(std::string_view FileBytes);
  std::optional<std::string> ImportFile(const std::string& LinuxPath);

 private:
  TRegKey LocalMachine;
  TRegKey CurrentUser;
};

}  // namespace platform::simulated
