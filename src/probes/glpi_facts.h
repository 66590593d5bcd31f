// What only the GLPI inventory needs beyond the report's fields: what tells the PC apart and the
// devices the report does not list, each probe's records as it returns them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "probes/antivirus.h"
#include "probes/device_probes.h"
#include "probes/edid.h"
#include "probes/firmware_probes.h"
#include "probes/probes.h"

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

// The machine's devices as only the GLPI inventory lists them.
struct TDeviceExtras {
  std::uint16_t Machine = 0;  // the installation's IMAGE_FILE_MACHINE_*
  // Filled by the network probe's own call; no list: the table could not be read.
  std::optional<std::vector<TAdapterDetails>> Adapters;
  TProcessorDetails Processor;
  // The report's graphics adapters; nothing when they could not be read.
  std::optional<std::vector<TVideoController>> Videos;
  std::optional<std::vector<TEdidMonitor>> Monitors;  // nothing: could not be read
};

// Asks for the processor's details and the monitors.
void ProbeDevices(TDeviceExtras& Devices);

// What only the GLPI inventory needs, taken from the same probe calls as the report's texts
// (and calls of its own).
struct TProbeExtras {
  std::uint64_t MemoryBytes = 0;
  std::vector<TDiskSpace> Disks;
  std::uint64_t UptimeMilliseconds = 0;
  platform::TSystemTime RunTime{};
  // No list: the probe could not read it (which is not the same as finding none).
  std::optional<std::vector<std::u16string>> Printers;
  std::optional<std::vector<TInstalledProgram>> Programs;
  char16_t SystemDrive = 0;
  std::u16string Arch;
  TMachineIdentity Identity;
  TDeviceExtras Devices;
  TAntivirusList Antivirus;
};
