// The machine's devices as only the GLPI inventory lists them: what the probes give beside the
// report's fields, and how it enters the inventory.
#pragma once

#include <cstdint>
#include <vector>

#include "probes/device_probes.h"
#include "probes/edid.h"
#include "probes/probes.h"
#include "report/glpi_inventory.h"

struct TDeviceExtras {
  std::uint16_t Machine = 0;              // the installation's IMAGE_FILE_MACHINE_*
  std::vector<TAdapterDetails> Adapters;  // filled by the network probe's own call
  TProcessorDetails Processor;
  std::vector<TVideoController> Videos;
  std::vector<TEdidMonitor> Monitors;
};

// Asks for the processor's details, the graphics adapters and the monitors.
void ProbeDevices(TDeviceExtras& Devices);

// Moves the devices into the inventory.
void AddDevices(TGlpiInventory& Inv, TDeviceExtras& Devices);
