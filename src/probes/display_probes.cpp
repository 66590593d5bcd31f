#include <algorithm>
#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "probes/device_probes.h"
#include "probes/registry.h"

namespace {

constexpr std::u16string_view DisplayClassKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e968-e325-11ce-bfc1-08002be10318}";
constexpr std::u16string_view DisplayEnumKey = u"SYSTEM\\CurrentControlSet\\Enum\\DISPLAY";
constexpr std::uint32_t LargestValue = 1 << 20;  // far beyond any EDID or adapter value

struct TRawValue {
  std::uint32_t Type = 0;
  std::vector<std::uint8_t> Data;
};

// A value of the open key as the registry holds it, or nothing when it cannot be read.
std::optional<TRawValue> RawValue(const TRegistry& Reg, std::u16string_view Name) {
  const std::u16string Terminated{Name};
  TRawValue Value;
  std::uint32_t Size = 0;
  if (platform::RegQueryValueExW(Reg.CurrentKey(), Terminated.c_str(), nullptr, &Value.Type,
                                 nullptr, &Size) != 0 ||
      Size > LargestValue) {
    return std::nullopt;
  }
  Value.Data.resize(Size);
  // A value that changed size in between is read as missing, not half.
  if (platform::RegQueryValueExW(Reg.CurrentKey(), Terminated.c_str(), nullptr, &Value.Type,
                                 Value.Data.data(), &Size) != 0 ||
      Size != Value.Data.size()) {
    return std::nullopt;
  }
  return Value;
}

// UTF-16 text up to its first NUL; a final odd byte is dropped.
std::u16string Utf16Text(const std::vector<std::uint8_t>& Data) {
  std::u16string Text;
  for (std::size_t I = 0; I + 1 < Data.size(); I += 2) {
    const auto C = static_cast<char16_t>(Data[I] | Data[I + 1] << 8);
    if (C == u'\0') break;
    Text += C;
  }
  return Text;
}

// A little-endian number of exactly Size bytes, as REG_DWORD, REG_QWORD or REG_BINARY.
std::optional<std::uint64_t> Number(const std::optional<TRawValue>& Value, std::size_t Size) {
  if (!Value || Value->Data.size() != Size) return std::nullopt;
  const std::uint32_t Expected = Size == 8 ? platform::RegQword : platform::RegDword;
  if (Value->Type != Expected && Value->Type != platform::RegBinary) return std::nullopt;
  std::uint64_t Result = 0;
  for (std::size_t I = Size; I-- > 0;) Result = Result << 8 | Value->Data[I];
  return Result;
}

std::u16string Chipset(const TRegistry& Reg) {
  const std::optional<TRawValue> Value = RawValue(Reg, u"HardwareInformation.ChipType");
  if (!Value) return {};
  if (Value->Type == platform::RegBinary || Value->Type == platform::RegSz)
    return Utf16Text(Value->Data);
  return {};
}

std::optional<std::uint64_t> VideoMemory(const TRegistry& Reg) {
  if (auto Bytes = Number(RawValue(Reg, u"HardwareInformation.qwMemorySize"), 8)) return Bytes;
  return Number(RawValue(Reg, u"HardwareInformation.MemorySize"), 4);
}

bool IsNumber(std::u16string_view Name) {
  return !Name.empty() &&
         std::all_of(Name.begin(), Name.end(), [](char16_t C) { return C >= u'0' && C <= u'9'; });
}

// The subkey names of Path under HKEY_LOCAL_MACHINE; none when it does not open.
TStringList SubKeys(TRegistry& Reg, std::u16string_view Path) {
  TStringList Names;
  if (Reg.OpenKeyReadOnly(Path)) {
    Reg.GetKeyNames(Names);
    Reg.CloseKey();
  }
  return Names;
}

}  // namespace

std::vector<TVideoController> GetVideoControllers() {
  std::vector<TVideoController> Controllers;
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  const TStringList Names = SubKeys(Reg, DisplayClassKey);
  for (std::int32_t I = 0; I < Names.Count(); ++I) {
    // Besides the adapters ("0000", "0001"...) the class has "Properties" and the like.
    if (!IsNumber(Names.Get(I))) continue;
    if (!Reg.OpenKeyReadOnly(std::u16string{DisplayClassKey} + u"\\" + Names.Get(I))) continue;
    const std::optional<TRawValue> Name = RawValue(Reg, u"DriverDesc");
    if (Name && (Name->Type == platform::RegSz || Name->Type == platform::RegExpandSz)) {
      if (std::u16string Text = Utf16Text(Name->Data); !Text.empty())
        Controllers.push_back({std::move(Text), Chipset(Reg), VideoMemory(Reg)});
    }
    Reg.CloseKey();
  }
  return Controllers;
}

std::vector<TEdidMonitor> GetMonitors() {
  std::vector<TEdidMonitor> Monitors;
  std::set<std::string> Seen;  // the EDIDs met, as bytes
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  const TStringList Models = SubKeys(Reg, DisplayEnumKey);
  for (std::int32_t M = 0; M < Models.Count(); ++M) {
    const std::u16string ModelPath = std::u16string{DisplayEnumKey} + u"\\" + Models.Get(M);
    const TStringList Instances = SubKeys(Reg, ModelPath);
    for (std::int32_t I = 0; I < Instances.Count(); ++I) {
      if (!Reg.OpenKeyReadOnly(ModelPath + u"\\" + Instances.Get(I) + u"\\Device Parameters"))
        continue;
      std::optional<TRawValue> Edid = RawValue(Reg, u"EDID");
      Reg.CloseKey();
      if (!Edid || Edid->Type != platform::RegBinary) continue;
      std::string Key(Edid->Data.begin(), Edid->Data.end());
      if (Seen.contains(Key)) continue;
      if (std::optional<TEdidMonitor> Monitor = ParseEdid(Edid->Data)) {
        Seen.insert(std::move(Key));
        Monitors.push_back(std::move(*Monitor));
      }
    }
  }
  return Monitors;
}
