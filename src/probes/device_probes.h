// What only the GLPI inventory holds of the machine's devices: the processor's details, the
// graphics adapters and the monitors. Each reads the registry or asks the system once per run.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "probes/edid.h"

struct TProcessorDetails {
  std::u16string Vendor;      // VendorIdentifier, "GenuineIntel"...
  std::u16string Identifier;  // "Intel64 Family 6 Model 165 Stepping 5"
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
// One per display adapter the display device class lists, in its order.
std::vector<TVideoController> GetVideoControllers();
// One per monitor whose EDID the system keeps, a monitor seen through several ports once.
std::vector<TEdidMonitor> GetMonitors();
