// The devices of a setup class: forwarding to setupapi, bound on first use from the system folder.
#include "platform/win32/windows_api.h"

#include <setupapi.h>
#include <cstddef>

#include "platform/win32/system_library.h"

namespace platform {

static_assert(sizeof(TGuid) == sizeof(GUID));
static_assert(sizeof(TSpDevinfoData) == sizeof(SP_DEVINFO_DATA));
static_assert(sizeof(SP_DEVINFO_DATA) == (sizeof(void*) == 8 ? 32 : 28));
static_assert(offsetof(TSpDevinfoData, ClassGuid) == offsetof(SP_DEVINFO_DATA, ClassGuid));
static_assert(offsetof(TSpDevinfoData, DevInst) == offsetof(SP_DEVINFO_DATA, DevInst));
static_assert(offsetof(TSpDevinfoData, Reserved) == offsetof(SP_DEVINFO_DATA, Reserved));
static_assert(DigcfPresent == DIGCF_PRESENT);
static_assert(SpdrpDeviceDesc == SPDRP_DEVICEDESC);
static_assert(DicsFlagGlobal == DICS_FLAG_GLOBAL);
static_assert(DiregDev == DIREG_DEV);
static_assert(DiregDrv == DIREG_DRV);

namespace {

constexpr const wchar_t* SetupApi = L"setupapi.dll";

HDEVINFO Native(Hdevinfo Set) {
  const auto Value = static_cast<std::uintptr_t>(Set);
  return reinterpret_cast<HDEVINFO>(Value);  // NOLINT(performance-no-int-to-ptr)
}

PSP_DEVINFO_DATA Native(TSpDevinfoData* Data) { return reinterpret_cast<PSP_DEVINFO_DATA>(Data); }

// A function that could not be bound fails as the call does, with the loader's reason.
template <typename TFunction>
bool Unbound(const win32::TSystemFunction<TFunction>& Bound) {
  if (Bound.Get() != nullptr) return false;
  ::SetLastError(Bound.Error());
  return true;
}

}  // namespace

Hdevinfo SetupDiGetClassDevsW(const TGuid* ClassGuid, const char16_t* Enumerator, Handle Parent,
                              std::uint32_t Flags) {
  static const win32::TSystemFunction<decltype(::SetupDiGetClassDevsW)> Bound(
      SetupApi, "SetupDiGetClassDevsW");
  if (Unbound(Bound)) return InvalidDevinfo;
  const HDEVINFO Set =
      Bound.Get()(reinterpret_cast<const GUID*>(ClassGuid), win32::Wide(Enumerator),
                  static_cast<HWND>(win32::ToNative(Parent)), Flags);
  return Hdevinfo{reinterpret_cast<std::uintptr_t>(Set)};
}

Bool SetupDiEnumDeviceInfo(Hdevinfo DeviceInfoSet, std::uint32_t MemberIndex,
                           TSpDevinfoData* DeviceInfoData) {
  static const win32::TSystemFunction<decltype(::SetupDiEnumDeviceInfo)> Bound(
      SetupApi, "SetupDiEnumDeviceInfo");
  if (Unbound(Bound)) return FALSE;
  return Bound.Get()(Native(DeviceInfoSet), MemberIndex, Native(DeviceInfoData));
}

Bool SetupDiGetDeviceInstanceIdW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                 char16_t* DeviceInstanceId, std::uint32_t DeviceInstanceIdSize,
                                 std::uint32_t* RequiredSize) {
  static const win32::TSystemFunction<decltype(::SetupDiGetDeviceInstanceIdW)> Bound(
      SetupApi, "SetupDiGetDeviceInstanceIdW");
  if (Unbound(Bound)) return FALSE;
  DWORD Required = 0;
  const BOOL Result = Bound.Get()(Native(DeviceInfoSet), Native(DeviceInfoData),
                                  win32::Wide(DeviceInstanceId), DeviceInstanceIdSize, &Required);
  if (RequiredSize != nullptr) *RequiredSize = Required;
  return Result;
}

Bool SetupDiGetDeviceRegistryPropertyW(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                                       std::uint32_t Property, std::uint32_t* PropertyRegDataType,
                                       std::uint8_t* PropertyBuffer,
                                       std::uint32_t PropertyBufferSize,
                                       std::uint32_t* RequiredSize) {
  static const win32::TSystemFunction<decltype(::SetupDiGetDeviceRegistryPropertyW)> Bound(
      SetupApi, "SetupDiGetDeviceRegistryPropertyW");
  if (Unbound(Bound)) return FALSE;
  DWORD Type = 0;
  DWORD Required = 0;
  const BOOL Result = Bound.Get()(Native(DeviceInfoSet), Native(DeviceInfoData), Property, &Type,
                                  PropertyBuffer, PropertyBufferSize, &Required);
  if (PropertyRegDataType != nullptr) *PropertyRegDataType = Type;
  if (RequiredSize != nullptr) *RequiredSize = Required;
  return Result;
}

Hkey SetupDiOpenDevRegKey(Hdevinfo DeviceInfoSet, TSpDevinfoData* DeviceInfoData,
                          std::uint32_t Scope, std::uint32_t HwProfile, std::uint32_t KeyType,
                          std::uint32_t Desired) {
  static const win32::TSystemFunction<decltype(::SetupDiOpenDevRegKey)> Bound(
      SetupApi, "SetupDiOpenDevRegKey");
  if (Unbound(Bound)) return InvalidKey;
  HKEY Key = Bound.Get()(Native(DeviceInfoSet), Native(DeviceInfoData), Scope, HwProfile, KeyType,
                         Desired);
  return Hkey{reinterpret_cast<std::uintptr_t>(Key)};
}

Bool SetupDiDestroyDeviceInfoList(Hdevinfo DeviceInfoSet) {
  static const win32::TSystemFunction<decltype(::SetupDiDestroyDeviceInfoList)> Bound(
      SetupApi, "SetupDiDestroyDeviceInfoList");
  if (Unbound(Bound)) return FALSE;
  return Bound.Get()(Native(DeviceInfoSet));
}

}  // namespace platform
