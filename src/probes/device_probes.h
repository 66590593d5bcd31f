// What only the GLPI inventory holds of the machine's devices: the processor's details, the
// graphics adapters and the monitors. Each reads the registry or asks the system once per run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probes/edid.h"

struct TProcessorDetails {
  std::u16string Manufacturer;  // as people call it ("Intel"), from VendorIdentifier
  // The numbers of the Identifier text ("Intel64 Family 6 Model 165 Stepping 5") that it holds
  // in decimal.
  std::optional<std::uint32_t> Family;
  std::optional<std::uint32_t> Model;
  std::optional<std::uint32_t> Stepping;
  std::optional<std::uint32_t> Mhz;
  // From how logical processors share cores and packages; 0 when the system does not say.
  std::uint32_t Packages = 0;
  std::uint32_t Cores = 0;    // in all packages
  std::uint32_t Threads = 0;  // logical processors, in all packages
};

struct TVideoController {
  std::u16string Name;
  std::u16string Chipset;
  std::optional<std::uint64_t> MemoryBytes;
};

TProcessorDetails GetProcessorDetails();
// What the processor key's VendorIdentifier and Identifier texts say, into Details.
void ParseProcessorIdentity(std::u16string_view Vendor, std::u16string_view Identifier,
                            TProcessorDetails& Details);
// One per display adapter the display device class lists, in its order.
std::vector<TVideoController> GetVideoControllers();
// One per monitor whose EDID the system keeps, a monitor seen through several ports once.
std::vector<TEdidMonitor> GetMonitors();
