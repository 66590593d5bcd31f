// What the GLPI inventory of a run is made of: the report's fields and what the probes give
// beside them only when the inventory is asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "main/glpi_devices.h"
#include "platform/platform.h"
#include "probes/firmware_probes.h"
#include "probes/probes.h"
#include "report/glpi_inventory.h"
#include "report/report_fields.h"

// What tells the PC apart, asked of the system only for the GLPI inventory.
struct TMachineIdentity {
  TSmbiosFacts Firmware;
  std::uint64_t InstalledMemoryBytes = 0;  // asked for only when the table lists no module
  std::u16string DnsHostName;
  std::u16string Domain;
  std::u16string LastLoggedUser;
  TWindowsInstallation Installation;
};

TMachineIdentity GetMachineIdentity();

// What only the GLPI inventory needs, taken from the same probe calls as the report's texts
// (and three calls of its own).
struct TProbeExtras {
  std::uint64_t MemoryBytes = 0;
  std::vector<TDiskSpace> Disks;
  std::uint64_t UptimeMilliseconds = 0;
  platform::TSystemTime RunTime{};
  std::vector<std::u16string> Printers;
  std::vector<TInstalledProgram> Programs;
  char16_t SystemDrive = 0;
  std::u16string Arch;
  TMachineIdentity Identity;
  TDeviceExtras Devices;
};

// The inventory of a run: every report field the machine gave, none at its probe's fallback text
// (that text is no value of the machine), with the extras moved in.
TGlpiInventory GlpiInventoryOf(const TReportFields& F, TProbeExtras& X);
