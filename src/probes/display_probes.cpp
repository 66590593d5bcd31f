#include <algorithm>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "probes/device_probes.h"
#include "probes/registry.h"
#include "text/string_routines.h"

namespace {

constexpr int SizeAttempts = 5;  // a value that keeps growing between the calls is given up
constexpr std::uint32_t ErrorInvalidData = 13;  // the device has no such property

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

std::optional<std::vector<std::uint8_t>> Raw(const TRegistry& Reg, std::u16string_view Name,
                                             std::uint32_t& Type) {
  std::vector<std::uint8_t> Data;
  if (!Reg.ReadRaw(Name, Type, Data)) return std::nullopt;
  return Data;
}

// A little-endian number of exactly Size bytes, as REG_DWORD, REG_QWORD or REG_BINARY.
std::optional<std::uint64_t> Number(const TRegistry& Reg, std::u16string_view Name,
                                    std::size_t Size) {
  std::uint32_t Type = 0;
  const std::optional<std::vector<std::uint8_t>> Data = Raw(Reg, Name, Type);
  if (!Data || Data->size() != Size) return std::nullopt;
  const std::uint32_t Expected = Size == 8 ? platform::RegQword : platform::RegDword;
  if (Type != Expected && Type != platform::RegBinary) return std::nullopt;
  std::uint64_t Result = 0;
  for (std::size_t I = Size; I-- > 0;) Result = Result << 8 | (*Data)[I];
  return Result;
}

std::u16string Chipset(const TRegistry& Reg) {
  std::uint32_t Type = 0;
  const std::optional<std::vector<std::uint8_t>> Data =
      Raw(Reg, u"HardwareInformation.ChipType", Type);
  if (!Data || (Type != platform::RegBinary && Type != platform::RegSz)) return {};
  return Utf16Text(*Data);
}

std::optional<std::uint64_t> VideoMemory(const TRegistry& Reg) {
  if (auto Bytes = Number(Reg, u"HardwareInformation.qwMemorySize", 8)) return Bytes;
  return Number(Reg, u"HardwareInformation.MemorySize", 4);
}

// One device of an enumerated set.
struct TDeviceRef {
  platform::Hdevinfo Set;
  platform::TSpDevinfoData Data;
};

// The device's instance ID ("PCI\VEN_8086&..."); nothing when it cannot be read.
std::optional<std::u16string> InstanceId(TDeviceRef& Device) {
  std::vector<char16_t> Buffer(201);  // the longest an instance ID may be, with its NUL
  for (int Attempt = 0; Attempt < SizeAttempts; ++Attempt) {
    std::uint32_t Required = 0;
    if (platform::SetupDiGetDeviceInstanceIdW(Device.Set, &Device.Data, Buffer.data(),
                                              static_cast<std::uint32_t>(Buffer.size()),
                                              &Required) != 0) {
      return std::u16string(Buffer.begin(), std::find(Buffer.begin(), Buffer.end(), u'\0'));
    }
    if (platform::GetLastError() != platform::ErrorInsufficientBuffer || Required <= Buffer.size())
      return std::nullopt;
    Buffer.assign(Required, u'\0');
  }
  return std::nullopt;
}

// The description the device's own record gives; empty when it has none, nothing when it cannot
// be read.
std::optional<std::u16string> DeviceDescription(TDeviceRef& Device) {
  std::vector<std::uint8_t> Buffer(512);
  for (int Attempt = 0; Attempt < SizeAttempts; ++Attempt) {
    std::uint32_t Type = 0;
    std::uint32_t Required = 0;
    if (platform::SetupDiGetDeviceRegistryPropertyW(
            Device.Set, &Device.Data, platform::SpdrpDeviceDesc, &Type, Buffer.data(),
            static_cast<std::uint32_t>(Buffer.size()), &Required) != 0) {
      Buffer.resize(std::min<std::size_t>(Buffer.size(), Required));
      return Type == platform::RegSz ? Utf16Text(Buffer) : std::u16string{};
    }
    const std::uint32_t Error = platform::GetLastError();
    if (Error == ErrorInvalidData) return std::u16string{};
    if (Error != platform::ErrorInsufficientBuffer || Required <= Buffer.size())
      return std::nullopt;
    Buffer.assign(Required, 0);
  }
  return std::nullopt;
}

// One of the device's keys, read-only, in Reg; false when the device has none.
bool OpenDeviceKey(TDeviceRef& Device, std::uint32_t KeyType, TRegistry& Reg) {
  return Reg.AdoptKey(platform::SetupDiOpenDevRegKey(
      Device.Set, &Device.Data, platform::DicsFlagGlobal, 0, KeyType, platform::KeyQueryValue));
}

// Calls Visit for every device of the class attached now, in the system's order, with its
// instance ID; false when the set could not be read to its end.
template <typename TVisit>
bool ForEachPresentDevice(const platform::TGuid& Class, TVisit Visit) {
  const platform::ScopedDevinfo Set(platform::SetupDiGetClassDevsW(
      &Class, nullptr, platform::NullHandle, platform::DigcfPresent));
  if (!Set.IsValid()) return false;
  for (std::uint32_t Index = 0;; ++Index) {
    TDeviceRef Device{Set.Get(), {}};
    Device.Data.CbSize = sizeof(platform::TSpDevinfoData);
    if (platform::SetupDiEnumDeviceInfo(Set.Get(), Index, &Device.Data) == 0) {
      return platform::GetLastError() == static_cast<std::uint32_t>(platform::ErrorNoMoreItems);
    }
    const std::optional<std::u16string> Id = InstanceId(Device);
    if (!Id || !Visit(Device, *Id)) return false;
  }
}

// Software devices (the remote-desktop adapter, indirect displays) are no adapter in the PC.
bool IsSoftwareDevice(std::u16string_view Id) {
  return Id.size() >= 4 && (Id[0] == u'S' || Id[0] == u's') && (Id[1] == u'W' || Id[1] == u'w') &&
         (Id[2] == u'D' || Id[2] == u'd') && Id[3] == u'\\';
}

// The adapter's name from its driver key, else from its own record, and with WithDetails its chip
// and memory; an empty name when it has none, nothing when its record cannot be read.
std::optional<TVideoController> Adapter(TDeviceRef& Device, bool WithDetails) {
  TVideoController Controller;
  TRegistry Reg(RegistryReadAccess);
  if (OpenDeviceKey(Device, platform::DiregDrv, Reg)) {
    Controller.Name = DisplayName(ReadOptionalString(Reg, u"DriverDesc").value_or(u""));
    if (WithDetails) {
      Controller.Chipset = Chipset(Reg);
      Controller.MemoryBytes = VideoMemory(Reg);
    }
  }
  if (Controller.Name.empty()) {
    const std::optional<std::u16string> Description = DeviceDescription(Device);
    if (!Description) return std::nullopt;
    Controller.Name = DisplayName(*Description);
  }
  return Controller;
}

}  // namespace

std::u16string DisplayName(std::u16string_view Value) {
  // "@oem12.inf,%amd.desc%;AMD Radeon": the text after the reference is the name.
  if (!Value.empty() && Value[0] == u'@') {
    if (const std::size_t Semicolon = Value.rfind(u';'); Semicolon != std::u16string_view::npos)
      Value.remove_prefix(Semicolon + 1);
  }
  std::u16string Name{Value};
  std::replace_if(
      Name.begin(), Name.end(), [](char16_t C) { return C < u' ' || C == u'\x7F'; }, u' ');
  return Trim(Name);
}

std::optional<std::vector<TVideoController>> GetDisplayAdapters(bool WithDetails) {
  std::vector<TVideoController> Controllers;
  const bool Read = ForEachPresentDevice(
      platform::DisplayClass, [&](TDeviceRef& Device, const std::u16string& Id) {
        if (IsSoftwareDevice(Id)) return true;
        std::optional<TVideoController> Controller = Adapter(Device, WithDetails);
        if (!Controller) return false;
        if (!Controller->Name.empty()) Controllers.push_back(std::move(*Controller));
        return true;
      });
  if (!Read) return std::nullopt;
  return Controllers;
}

std::u16string GraphicsText(const std::optional<std::vector<TVideoController>>& Adapters) {
  if (!Adapters || Adapters->empty()) return u"N\u00E3o identificada";
  std::u16string Text;
  for (const TVideoController& Adapter : *Adapters) {
    if (!Text.empty()) Text += u" | ";
    Text += Adapter.Name;
  }
  return Text;
}

std::optional<std::vector<TEdidMonitor>> GetMonitors() {
  std::vector<TEdidMonitor> Monitors;
  std::set<std::string> Seen;  // the EDIDs met, as bytes
  const bool Read = ForEachPresentDevice(
      platform::MonitorClass, [&](TDeviceRef& Device, const std::u16string& /*Id*/) {
        TRegistry Reg(RegistryReadAccess);
        if (!OpenDeviceKey(Device, platform::DiregDev, Reg)) return true;  // no EDID kept
        std::uint32_t Type = 0;
        std::optional<std::vector<std::uint8_t>> Edid = Raw(Reg, u"EDID", Type);
        if (!Edid || Type != platform::RegBinary) return true;
        std::string Key(Edid->begin(), Edid->end());
        if (Seen.contains(Key)) return true;
        if (std::optional<TEdidMonitor> Monitor = ParseEdid(*Edid)) {
          Seen.insert(std::move(Key));
          Monitors.push_back(std::move(*Monitor));
        }
        return true;
      });
  if (!Read) return std::nullopt;
  return Monitors;
}
