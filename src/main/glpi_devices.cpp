#include "main/glpi_devices.h"

#include <utility>

void ProbeDevices(TDeviceExtras& Devices) {
  Devices.Processor = GetProcessorDetails();
  Devices.Videos = GetVideoControllers();
  Devices.Monitors = GetMonitors();
}

void AddDevices(TGlpiInventory& Inv, TDeviceExtras& Devices) {
  TGlpiDevices& D = Inv.Devices;
  D.Machine = Devices.Machine;
  for (TAdapterDetails& A : Devices.Adapters) {
    D.Networks.push_back({std::move(A.Description), std::move(A.Mac), A.Type, A.DhcpEnabled == 1,
                          std::move(A.IpAddress), std::move(A.IpMask), std::move(A.Gateway),
                          std::move(A.DhcpServer)});
  }
  const TProcessorDetails& P = Devices.Processor;
  D.Cpu = {P.Vendor, P.Identifier, P.Mhz.value_or(0), P.Packages, P.Cores, P.Threads};
  for (TVideoController& V : Devices.Videos)
    D.Videos.push_back({std::move(V.Name), std::move(V.Chipset), V.MemoryBytes});
  for (TEdidMonitor& M : Devices.Monitors) {
    D.Monitors.push_back({std::move(M.Manufacturer), std::move(M.Name), std::move(M.Serial),
                          std::move(M.Description), std::move(M.Base64)});
  }
}
