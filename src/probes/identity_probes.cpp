#include <array>
#include <optional>

#include "platform/platform.h"
#include "probes/probes.h"
#include "probes/registry.h"
#include "text/format.h"
#include "text/string_routines.h"

namespace {

constexpr std::u16string_view CurrentVersionKey = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::u16string_view ProcessorKey = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr std::int32_t FirstWindows11Build = 22000;

// A reader on HKEY_LOCAL_MACHINE's 64-bit view with Key open, or false when it cannot be opened.
bool OpenMachineKey(TRegistry& Reg, std::u16string_view Key) {
  Reg.SetRootKey(platform::HkeyLocalMachine);
  return Reg.OpenKeyReadOnly(Key);
}

// A text value of a key of HKEY_LOCAL_MACHINE, or nothing when the key or the value is missing.
std::optional<std::u16string> MachineString(std::u16string_view Key, std::u16string_view Value) {
  TRegistry Reg(RegistryReadAccess);
  if (!OpenMachineKey(Reg, Key) || !Reg.ValueExists(Value)) return std::nullopt;
  std::u16string Text = Reg.ReadString(Value);
  Reg.CloseKey();
  return Text;
}

}  // namespace

std::u16string GetComputerNetName() {
  std::array<char16_t, 16> Buffer{};
  std::uint32_t Size = Buffer.size();
  if (platform::GetComputerNameW(Buffer.data(), &Size) == 0)
    return std::u16string{UnknownComputerName};
  const std::u16string_view Name(Buffer.data(), Buffer.size());
  return std::u16string{Name.substr(0, Name.find(u'\0'))};
}

std::u16string GetOSInfo(std::u16string& VersionStr, std::u16string& BuildStr) {
  std::u16string Result{UnknownOSName};
  VersionStr.clear();
  BuildStr.clear();
  TRegistry Reg(RegistryReadAccess);
  if (!OpenMachineKey(Reg, CurrentVersionKey)) return Result;
  if (Reg.ValueExists(u"ProductName")) Result = Reg.ReadString(u"ProductName");
  if (Reg.ValueExists(u"DisplayVersion")) {
    VersionStr = Reg.ReadString(u"DisplayVersion");
  } else if (Reg.ValueExists(u"ReleaseId")) {
    VersionStr = Reg.ReadString(u"ReleaseId");
  }
  std::u16string BuildNum;
  if (Reg.ValueExists(u"CurrentBuildNumber")) BuildNum = Reg.ReadString(u"CurrentBuildNumber");
  BuildStr = Reg.ValueExists(u"UBR") ? BuildNum + u"." + IntToStr(Reg.ReadInteger(u"UBR")) : BuildNum;
  // Windows 11 still calls itself "Windows 10" in ProductName; its build number tells them apart.
  if (StrToIntDef(BuildNum, 0) >= FirstWindows11Build && Pos(u"Windows 10", Result) > 0) {
    Result = StringReplace(Result, u"Windows 10", u"Windows 11", rfReplaceAll);
  }
  Reg.CloseKey();
  return Result;
}

std::u16string GetWindowsProductId() {
  return MachineString(CurrentVersionKey, u"ProductId").value_or(std::u16string{ProductIdNotFound});
}

std::u16string GetCPUName() {
  const std::optional<std::u16string> Name = MachineString(ProcessorKey, u"ProcessorNameString");
  return Name ? Trim(*Name) : std::u16string{UnknownCPUName};
}

std::uint16_t GetWindowsMachine() {
  std::uint16_t ProcessMachine = 0;
  std::uint16_t NativeMachine = 0;
  if (platform::IsWow64Process2(platform::CurrentProcess, &ProcessMachine, &NativeMachine) != 0) {
    return NativeMachine;
  }
  // Before Windows 10 1709 there is no x86 emulation on ARM64, so the native processor is real.
  platform::TSystemInfo Info{};
  platform::GetNativeSystemInfo(&Info);
  switch (Info.ProcessorArchitecture) {
    case platform::ProcessorArchitectureIntel: return platform::ImageFileMachineI386;
    case platform::ProcessorArchitectureArm: return platform::ImageFileMachineArmNt;
    case platform::ProcessorArchitectureIa64: return platform::ImageFileMachineIa64;
    case platform::ProcessorArchitectureAmd64: return platform::ImageFileMachineAmd64;
    case platform::ProcessorArchitectureArm64: return platform::ImageFileMachineArm64;
    default: return platform::ImageFileMachineUnknown;
  }
}

std::u16string WindowsArchitectureOf(std::uint16_t Machine) {
  const bool Is64 = Machine == platform::ImageFileMachineAmd64 ||
                    Machine == platform::ImageFileMachineArm64 ||
                    Machine == platform::ImageFileMachineIa64;
  return Is64 ? u"64-bit" : u"32-bit";
}

std::u16string GetWindowsArchitecture() { return WindowsArchitectureOf(GetWindowsMachine()); }
