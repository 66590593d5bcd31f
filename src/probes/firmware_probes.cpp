#include "probes/firmware_probes.h"

#include <chrono>
#include <vector>

#include "probes/registry.h"
#include "probes/sized_fetch.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace {

constexpr std::u16string_view CurrentVersionKey =
    u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr std::u16string_view LogonUiKey =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI";
// Far beyond any real table (a few KiB), and small enough to be had on any machine.
constexpr std::uint32_t LargestFirmwareTable = 16U << 20;
constexpr std::uint32_t LongestDnsName = 1024;

}  // namespace

TSmbiosFacts GetFirmwareFacts() {
  std::uint32_t Size =
      platform::GetSystemFirmwareTable(platform::FirmwareTableProviderRsmb, 0, nullptr, 0);
  if (Size == 0 || Size > LargestFirmwareTable) return {};
  std::vector<std::uint8_t> Table;
  std::uint32_t Copied = 0;
  // More than the buffer: the table grew in between, and nothing was copied.
  const bool Fetched =
      FetchGrowing(Table, Size, [&](std::vector<std::uint8_t>& Into, std::uint32_t& Needed) {
        Copied = platform::GetSystemFirmwareTable(platform::FirmwareTableProviderRsmb, 0,
                                                  Into.data(), Needed);
        if (Copied == 0) return TFetch::Failed;
        if (Copied <= Into.size()) return TFetch::Done;
        if (Copied > LargestFirmwareTable) return TFetch::Failed;
        Needed = Copied;
        return TFetch::TooSmall;
      });
  if (!Fetched) return {};
  return ParseSmbios(Table.data(), Copied);
}

std::uint64_t GetInstalledMemoryBytes() {
  std::uint64_t KiB = 0;
  if (platform::GetPhysicallyInstalledSystemMemory(&KiB) == 0 || KiB > (~0ULL >> 10)) return 0;
  return KiB << 10;
}

std::u16string GetDnsHostName() {
  std::vector<char16_t> Buffer(64);
  for (int Attempt = 0; Attempt < 2; ++Attempt) {
    auto Size = static_cast<std::uint32_t>(Buffer.size());
    if (platform::GetComputerNameExW(platform::ComputerNameDnsHostname, Buffer.data(), &Size) != 0)
      return Size < Buffer.size() ? std::u16string(Buffer.data(), Size) : std::u16string{};
    if (platform::GetLastError() != platform::ErrorMoreData || Size <= Buffer.size() ||
        Size > LongestDnsName)
      return {};
    Buffer.resize(Size);
  }
  return {};
}

std::u16string GetJoinedDomain() {
  char16_t* Name = nullptr;
  std::uint32_t Type = platform::NetSetupUnknownStatus;
  const std::uint32_t Result = platform::NetGetJoinInformation(nullptr, &Name, &Type);
  const platform::ScopedNetApiBlock Block(Result == platform::ErrorSuccess ? Name : nullptr);
  if (Block.Get() == nullptr ||
      (Type != platform::NetSetupWorkgroupName && Type != platform::NetSetupDomainName))
    return {};
  return static_cast<const char16_t*>(Block.Get());
}

std::u16string GetLastLoggedUser() {
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  if (!Reg.OpenKeyReadOnly(LogonUiKey)) return {};
  const std::u16string User = ReadOptionalString(Reg, u"LastLoggedOnSAMUser").value_or(u"");
  return User.substr(User.rfind(u'\\') + 1);  // "DOMAIN\user", ".\user" or "user"
}

TWindowsInstallation GetWindowsInstallation() {
  TWindowsInstallation W;
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  if (!Reg.OpenKeyReadOnly(CurrentVersionKey)) return W;
  const std::optional<std::uint32_t> Major = ReadOptionalInteger(Reg, u"CurrentMajorVersionNumber");
  const std::optional<std::uint32_t> Minor = ReadOptionalInteger(Reg, u"CurrentMinorVersionNumber");
  const std::u16string Build = ReadOptionalString(Reg, u"CurrentBuildNumber").value_or(u"");
  std::u16string Version;
  if (Major && Minor) {
    Version = IntToStr(*Major) + u"." + IntToStr(*Minor);
  } else {
    Version = ReadOptionalString(Reg, u"CurrentVersion").value_or(u"");
  }
  if (!Version.empty() && !Build.empty()) W.KernelVersion = Version + u"." + Build;
  if (Major && *Major >= 10) {
    const std::optional<std::uint32_t> Revision = ReadOptionalInteger(Reg, u"UBR");
    W.ServicePack = Build.empty() || !Revision ? Build : Build + u"." + IntToStr(*Revision);
  } else {
    W.ServicePack = ReadOptionalString(Reg, u"CSDVersion").value_or(u"");
  }
  const std::optional<std::uint32_t> Installed = ReadOptionalInteger(Reg, u"InstallDate");
  if (Installed && *Installed != 0) {
    W.InstalledUtc = SystemTimeOf(std::chrono::sys_seconds{std::chrono::seconds{*Installed}});
    platform::TSystemTime Local{};
    if (platform::SystemTimeToTzSpecificLocalTime(nullptr, &*W.InstalledUtc, &Local) != 0)
      W.InstalledLocal = Local;
  }
  return W;
}
