#include "probes/network_class.h"

#include <algorithm>
#include <utility>

#include "platform/platform.h"
#include "probes/registry.h"
#include "text/string_list.h"

namespace {

constexpr std::u16string_view NetworkClassKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";
constexpr std::uint32_t NcfPhysical = 0x4;
constexpr std::uint32_t IfTypeTunnel = 131;
constexpr std::uint32_t IfTypePropVirtual = 53;

std::u16string AsciiUpper(std::u16string_view Text) {
  std::u16string Result(Text);
  for (char16_t& C : Result) {
    if (C >= u'a' && C <= u'z') C = static_cast<char16_t>(C - (u'a' - u'A'));
  }
  return Result;
}

bool IsHex(std::u16string_view Text) {
  return std::all_of(Text.begin(), Text.end(), [](char16_t C) {
    return (C >= u'0' && C <= u'9') || (C >= u'A' && C <= u'F');
  });
}

std::u16string Lower(std::u16string_view Text) {
  std::u16string Result(Text);
  for (char16_t& C : Result) {
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C + (u'a' - u'A'));
  }
  return Result;
}

// The hex digits of Part when it is Prefix followed by exactly one of the sizes; empty otherwise.
std::u16string_view Field(std::u16string_view Part, std::u16string_view Prefix,
                          std::initializer_list<std::size_t> Sizes) {
  if (!Part.starts_with(Prefix)) return {};
  const std::u16string_view Digits = Part.substr(Prefix.size());
  const bool Sized = std::find(Sizes.begin(), Sizes.end(), Digits.size()) != Sizes.end();
  return Sized && IsHex(Digits) ? Digits : std::u16string_view{};
}

}  // namespace

std::optional<TPciHardwareId> ParsePciHardwareId(std::u16string_view Id) {
  const std::u16string Upper = AsciiUpper(Id);
  constexpr std::u16string_view Bus = u"PCI\\";
  if (!std::u16string_view(Upper).starts_with(Bus)) return std::nullopt;
  std::vector<std::u16string_view> Parts;
  std::u16string_view Rest = std::u16string_view(Upper).substr(Bus.size());
  while (true) {
    const std::size_t Amp = Rest.find(u'&');
    Parts.push_back(Rest.substr(0, Amp));
    if (Amp == std::u16string_view::npos) break;
    Rest.remove_prefix(Amp + 1);
  }
  if (Parts.size() < 2) return std::nullopt;
  const std::u16string_view Vendor = Field(Parts[0], u"VEN_", {4});
  const std::u16string_view Device = Field(Parts[1], u"DEV_", {4});
  if (Vendor.empty() || Device.empty()) return std::nullopt;
  TPciHardwareId Pci{Lower(Vendor), Lower(Device), {}, {}};
  std::size_t Next = 2;
  if (Next < Parts.size()) {
    if (const std::u16string_view Subsys = Field(Parts[Next], u"SUBSYS_", {8}); !Subsys.empty()) {
      // The subsystem's device, then its vendor: shown vendor first, as lspci shows it.
      Pci.Subsystem = Lower(Subsys.substr(4)) + u":" + Lower(Subsys.substr(0, 4));
      ++Next;
    }
  }
  if (Next < Parts.size()) {
    if (const std::u16string_view Rev = Field(Parts[Next], u"REV_", {2}); !Rev.empty()) {
      Pci.Revision = Lower(Rev);
      ++Next;
    }
  }
  if (Next < Parts.size() && !Field(Parts[Next], u"CC_", {4, 6}).empty()) ++Next;
  if (Next != Parts.size()) return std::nullopt;
  return Pci;
}

std::map<std::u16string, TNetworkDriverKey> GetNetworkDriverKeys() {
  std::map<std::u16string, TNetworkDriverKey> Keys;
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  TStringList Names;
  if (!Reg.OpenKeyReadOnly(NetworkClassKey)) return Keys;
  Reg.GetKeyNames(Names);
  Reg.CloseKey();
  for (std::int32_t I = 0; I < Names.Count(); ++I) {
    // "Properties" and the like refuse a user; adapters' keys open.
    if (!Reg.OpenKeyReadOnly(std::u16string{NetworkClassKey} + u"\\" + Names.Get(I))) continue;
    const std::optional<std::u16string> Instance = ReadOptionalString(Reg, u"NetCfgInstanceId");
    if (Instance && !Instance->empty()) {
      TNetworkDriverKey Key;
      Key.Characteristics = ReadOptionalInteger(Reg, u"Characteristics");
      if (const auto Matching = ReadOptionalString(Reg, u"MatchingDeviceId"))
        Key.Pci = ParsePciHardwareId(*Matching);
      Keys.emplace(AsciiUpper(*Instance), std::move(Key));
    }
    Reg.CloseKey();
  }
  return Keys;
}

void AddDriverKeyFacts(std::vector<TAdapterDetails>& Adapters,
                       const std::map<std::u16string, TNetworkDriverKey>& Keys) {
  for (TAdapterDetails& Adapter : Adapters) {
    Adapter.Virtual = Adapter.Type == IfTypeTunnel || Adapter.Type == IfTypePropVirtual;
    const auto Found = Keys.find(AsciiUpper(Adapter.AdapterName));
    if (Adapter.AdapterName.empty() || Found == Keys.end()) continue;
    const TNetworkDriverKey& Key = Found->second;
    if (Key.Characteristics && (*Key.Characteristics & NcfPhysical) == 0) Adapter.Virtual = true;
    Adapter.Pci = Key.Pci;
  }
}
