// The simulated registry: two root trees (HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER) of keys holding
// typed values as raw bytes, as the real one stores them. The trees are the 64-bit (native) view;
// a 32-bit view of HKEY_LOCAL_MACHINE\SOFTWARE is served from its WOW6432Node subkey.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace platform::simulated {

struct TRegValue {
  std::u16string Name;  // as written; looked up without regard to case
  std::uint32_t Type = RegSz;
  std::string Data;     // the stored bytes, exactly
};

class TRegKey {
 public:
  std::u16string Name;
  std::map<std::u16string, TRegValue> Values;                  // by upper-cased name
  std::map<std::u16string, std::unique_ptr<TRegKey>> SubKeys;  // by upper-cased name
  std::uint32_t GrantedAccess = 0xFFFFFFFF;  // rights an open may ask for; others are refused

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
