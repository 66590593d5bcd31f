// The machine's devices: the graphics adapters (the report's line and the GLPI inventory's),
// and what only the GLPI inventory holds, the processor's details and the monitors. Each asks
// the system once per run.
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
// One per display adapter attached now, in the order the system lists them, software devices
// (the remote-desktop adapter, indirect displays) left out; nothing when the list could not be
// read. The chipset and memory are read only WithDetails.
std::optional<std::vector<TVideoController>> GetDisplayAdapters(bool WithDetails = false);
// The report's graphics line after its label: the adapters' names joined with " | ", or
// "N\u00E3o identificada" when there are none or they could not be read.
std::u16string GraphicsText(const std::optional<std::vector<TVideoController>>& Adapters);
// A device name as the report shows it: the text of an indirect "@file,%id%;Text" value, control
// characters and line breaks as spaces, trimmed.
std::u16string DisplayName(std::u16string_view Value);
// One per monitor attached now whose EDID the system keeps, a monitor seen through several ports
// once; nothing when the list could not be read.
std::optional<std::vector<TEdidMonitor>> GetMonitors();
