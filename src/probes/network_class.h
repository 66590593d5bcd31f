// The network class's driver keys: what the system knows of the device behind each adapter of the
// adapter table, asked for only by the GLPI inventory.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "probes/probes.h"

// One driver key of the network class, as far as it could be read.
struct TNetworkDriverKey {
  std::optional<std::uint32_t> Characteristics;  // NCF_* flags
  std::optional<TPciHardwareId> Pci;             // from its MatchingDeviceId
};

// The class's driver keys by their NetCfgInstanceId, upper-cased. A key that cannot be opened or
// has no such text is left out, and so is a value of another type: none of it is an error.
std::map<std::u16string, TNetworkDriverKey> GetNetworkDriverKeys();

// "PCI\VEN_8086&DEV_15BC&SUBSYS_08B91028&REV_10" in any letter case, with or without the subsystem
// and revision (a class code may follow); nothing for another bus's ID or a malformed one.
std::optional<TPciHardwareId> ParsePciHardwareId(std::u16string_view Id);

// Each adapter's Virtual and Pci, from the driver key named by its AdapterName and its type.
void AddDriverKeyFacts(std::vector<TAdapterDetails>& Adapters,
                       const std::map<std::u16string, TNetworkDriverKey>& Keys);
