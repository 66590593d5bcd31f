// What tells this PC apart from every other: read only when the GLPI inventory is asked for,
// each with its own fallback of nothing, never an error, so that the report is never at stake.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "probes/smbios.h"

// The Windows installation as GLPI's own agent describes it.
struct TWindowsInstallation {
  std::u16string KernelVersion;  // "10.0.22631", "6.1.7601"
  std::u16string ServicePack;    // "22631.4460" from Windows 10 on, "Service Pack 1" before
  std::optional<platform::TSystemTime> InstalledUtc;
  std::optional<platform::TSystemTime> InstalledLocal;
};

// The SMBIOS table's facts; all empty when the system gives no table.
TSmbiosFacts GetFirmwareFacts();
// The memory the firmware says is installed, in bytes; 0 when it does not say.
std::uint64_t GetInstalledMemoryBytes();
// The DNS host name, case kept; empty when unknown.
std::u16string GetDnsHostName();
// The domain the PC is joined to, or its workgroup; empty when unknown.
std::u16string GetJoinedDomain();
// The user name of the last interactive logon, without its domain; empty when unknown.
std::u16string GetLastLoggedUser();
TWindowsInstallation GetWindowsInstallation();
