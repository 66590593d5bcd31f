// Simulated setup classes, served from the registry as Windows keeps them: a device is a key
// Enum\<enumerator>\<device>\<instance> whose ClassGUID names its class, with its description in
// DeviceDesc, its driver's key named by Driver below Control\Class and its hardware key "Device
// Parameters". Which devices are attached now is the machine's DetachedDevices.
#include <algorithm>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;
using simulated::TRegKey;

namespace {

constexpr std::u16string_view EnumKey = u"SYSTEM\\CurrentControlSet\\Enum";
constexpr std::u16string_view ClassKey = u"SYSTEM\\CurrentControlSet\\Control\\Class";
constexpr std::uint32_t ErrorInvalidData = 13;
constexpr std::uint32_t ErrorInvalidUserBuffer = 1784;
constexpr std::uint32_t ErrorKeyDoesNotExist = 0xE0000204;

std::u16string GuidText(const TGuid& Guid) {
  constexpr std::u16string_view Digits = u"0123456789abcdef";
  std::u16string Text = u"{";
  const auto Put = [&](std::uint64_t Value, int Count) {
    for (int I = Count - 1; I >= 0; --I) Text += Digits[(Value >> (4 * I)) & 0xF];
  };
  Put(Guid.Data1, 8);
  Text += u'-';
  Put(Guid.Data2, 4);
  Text += u'-';
  Put(Guid.Data3, 4);
  Text += u'-';
  for (int I = 0; I < 8; ++I) {
    if (I == 2) Text += u'-';
    Put(Guid.Data4[I], 2);
  }
  return Text + u"}";
}

std::u16string ValueText(const TRegKey& Key, std::u16string_view Name) {
  const auto Found = Key.Values.find(simulated::ToUpperAscii(Name));
  if (Found == Key.Values.end() || Found->second.Type != RegSz) return {};
  std::u16string Text;
  const std::string& Data = Found->second.Data;
  for (std::size_t I = 0; I + 1 < Data.size(); I += 2) {
    const auto C = static_cast<char16_t>(static_cast<unsigned char>(Data[I]) |
                                         static_cast<unsigned char>(Data[I + 1]) << 8);
    if (C == u'\0') break;
    Text += C;
  }
  return Text;
}

TRegKey* LocalMachine(std::u16string_view Path) {
  return Machine().Registry.Root(HkeyLocalMachine)->Find(Path);
}

// The device a record names in a set, or nullptr with the error set.
const std::u16string* DeviceOf(Hdevinfo Set, const TSpDevinfoData* Data) {
  auto& M = Machine();
  const auto Found = M.DeviceSets.find(static_cast<std::uintptr_t>(Set));
  if (Found == M.DeviceSets.end()) {
    M.LastError = ErrorInvalidHandle;
    return nullptr;
  }
  if (Data == nullptr || Data->CbSize != sizeof(TSpDevinfoData)) {
    M.LastError = ErrorInvalidUserBuffer;
    return nullptr;
  }
  if (Data->DevInst == 0 || Data->DevInst > Found->second.size()) {
    M.LastError = ErrorInvalidParameter;
    return nullptr;
  }
  return &Found->second[Data->DevInst - 1];
}

TRegKey* InstanceKey(const std::u16string& InstanceId) {
  return LocalMachine(std::u16string{EnumKey} + u"\\" + InstanceId);
}

}  // namespace

Hdevinfo SetupDiGetClassDevsW(const TGuid* ClassGuid, const char16_t* /*Enumerator*/,
                              Handle /*Parent*/, std::uint32_t Flags) {
  auto& M = Machine();
  if (M.Failing("SetupDiGetClassDevsW")) return InvalidDevinfo;
  if (ClassGuid == nullptr) {
    M.LastError = ErrorInvalidParameter;
    return InvalidDevinfo;
  }
  const std::u16string Class = simulated::ToUpperAscii(GuidText(*ClassGuid));
  std::vector<std::u16string> Devices;
  if (const TRegKey* Enum = LocalMachine(EnumKey)) {
    for (std::size_t E = 0; const TRegKey* Enumerator = Enum->SubKeyAt(E); ++E) {
      for (std::size_t D = 0; const TRegKey* Device = Enumerator->SubKeyAt(D); ++D) {
        for (std::size_t I = 0; const TRegKey* Instance = Device->SubKeyAt(I); ++I) {
          if (simulated::ToUpperAscii(ValueText(*Instance, u"ClassGUID")) != Class) continue;
          std::u16string Id = Enumerator->Name + u"\\" + Device->Name + u"\\" + Instance->Name;
          if ((Flags & DigcfPresent) != 0 &&
              M.DetachedDevices.contains(simulated::ToUpperAscii(Id))) {
            continue;
          }
          Devices.push_back(std::move(Id));
        }
      }
    }
  }
  const std::uintptr_t Value = M.NextHandle;
  M.NextHandle += 4;
  M.DeviceSets.emplace(Value, std::move(Devices));
  return Hdevinfo{Value};
}

Bool SetupDiEnumDeviceInfo(Hdevinfo DeviceInfoSet, std::uint32_t MemberIndex,
                           TSpDevinfoData* DeviceInfoData) {
  auto& M = Machine();
  if (M.Failing("SetupDiEnumDeviceInfo")) return 0;
  const auto Found = M.DeviceSets.find(static_cast<std::uintptr_t>(DeviceInfoSet));
  if (Found == M.DeviceSets.end()) {
    M.LastError = ErrorInvalidHandle;
    return 0;
  }
  if (DeviceInfoData == nullptr || DeviceInfoData->CbSize != sizeof(TSpDevinfoData)) {
    M.LastError = ErrorInvalidUserBuffer;
    return 0;
  }
  if (MemberIndex >= Found->second.size()) {
    M.LastError = static_cast<std::uint32_t>(ErrorNoMoreItems);
    return 0;
  }
  DeviceInfoData->DevInst = MemberIndex + 1;
  DeviceInfoData->ClassGuid = {};
  DeviceInfoData->Reserved = 0;
  return 1;
}

Bool SetupDiGetDeviceInstanceIdW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                 char16_t* DeviceInstanceId, std::uint32_t DeviceInstanceIdSize,
                                 std::uint32_t* RequiredSize) {
  auto& M = Machine();
  if (M.Failing("SetupDiGetDeviceInstanceIdW")) return 0;
  const std::u16string* Id = DeviceOf(DeviceInfoSet, DeviceInfoData);
  if (Id == nullptr) return 0;
  const auto Needed = static_cast<std::uint32_t>(Id->size() + 1);
  if (RequiredSize != nullptr) *RequiredSize = Needed;
  if (DeviceInstanceId == nullptr || DeviceInstanceIdSize < Needed) {
    M.LastError = ErrorInsufficientBuffer;
    return 0;
  }
  std::copy(Id->begin(), Id->end(), DeviceInstanceId);
  DeviceInstanceId[Id->size()] = u'\0';
  return 1;
}

Bool SetupDiGetDeviceRegistryPropertyW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                       std::uint32_t Property, std::uint32_t* PropertyRegDataType,
                                       std::uint8_t* PropertyBuffer,
                                       std::uint32_t PropertyBufferSize,
                                       std::uint32_t* RequiredSize) {
  auto& M = Machine();
  if (M.Failing("SetupDiGetDeviceRegistryPropertyW")) return 0;
  const std::u16string* Id = DeviceOf(DeviceInfoSet, DeviceInfoData);
  if (Id == nullptr) return 0;
  const TRegKey* Instance = InstanceKey(*Id);
  const simulated::TRegValue* Value = nullptr;
  if (Property == SpdrpDeviceDesc && Instance != nullptr) {
    const auto Found = Instance->Values.find(u"DEVICEDESC");
    if (Found != Instance->Values.end()) Value = &Found->second;
  }
  if (Value == nullptr) {
    M.LastError = ErrorInvalidData;  // the device has no such property
    return 0;
  }
  const auto Needed = static_cast<std::uint32_t>(Value->Data.size());
  if (RequiredSize != nullptr) *RequiredSize = Needed;
  if (PropertyRegDataType != nullptr) *PropertyRegDataType = Value->Type;
  if (PropertyBuffer == nullptr || PropertyBufferSize < Needed) {
    M.LastError = ErrorInsufficientBuffer;
    return 0;
  }
  std::copy(Value->Data.begin(), Value->Data.end(), PropertyBuffer);
  return 1;
}

Hkey SetupDiOpenDevRegKey(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                          std::uint32_t Scope, std::uint32_t /*HwProfile*/, std::uint32_t KeyType,
                          std::uint32_t Desired) {
  auto& M = Machine();
  if (M.Failing("SetupDiOpenDevRegKey")) return InvalidKey;
  const std::u16string* Id = DeviceOf(DeviceInfoSet, DeviceInfoData);
  if (Id == nullptr) return InvalidKey;
  if (Scope != DicsFlagGlobal || (KeyType != DiregDev && KeyType != DiregDrv)) {
    M.LastError = ErrorInvalidFlags;
    return InvalidKey;
  }
  TRegKey* Instance = InstanceKey(*Id);
  TRegKey* Key = nullptr;
  if (Instance != nullptr && KeyType == DiregDev) {
    Key = Instance->Find(u"Device Parameters");
  } else if (Instance != nullptr) {
    const std::u16string Driver = ValueText(*Instance, u"Driver");
    if (!Driver.empty()) Key = LocalMachine(std::u16string{ClassKey} + u"\\" + Driver);
  }
  if (Key == nullptr) {
    M.LastError = ErrorKeyDoesNotExist;
    return InvalidKey;
  }
  if (((Desired & ~KeyWow64Res) & ~Key->GrantedAccess) != 0) {
    M.LastError = ErrorAccessDenied;
    return InvalidKey;
  }
  const std::uintptr_t Value = M.NextHandle;
  M.NextHandle += 4;
  M.RegHandles.emplace(Value, Key);
  return Hkey{Value};
}

Bool SetupDiDestroyDeviceInfoList(Hdevinfo DeviceInfoSet) {
  auto& M = Machine();
  if (M.Failing("SetupDiDestroyDeviceInfoList")) return 0;
  if (M.DeviceSets.erase(static_cast<std::uintptr_t>(DeviceInfoSet)) == 0) {
    M.LastError = ErrorInvalidHandle;
    return 0;
  }
  return 1;
}

}  // namespace platform
