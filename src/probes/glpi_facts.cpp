#include "probes/glpi_facts.h"

TMachineIdentity GetMachineIdentity() {
  TMachineIdentity M;
  M.Firmware = GetFirmwareFacts();
  if (M.Firmware.Memories.empty()) M.InstalledMemoryBytes = GetInstalledMemoryBytes();
  M.DnsHostName = GetDnsHostName();
  M.Domain = GetJoinedDomain();
  M.LastLoggedUser = GetLastLoggedUser();
  M.Installation = GetWindowsInstallation();
  return M;
}

void ProbeDevices(TDeviceExtras& Devices) {
  Devices.Processor = GetProcessorDetails();
  Devices.Monitors = GetMonitors();
}
