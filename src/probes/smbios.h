// The firmware's own description of the machine: the SMBIOS table as GetSystemFirmwareTable('RSMB')
// hands it over, read by a pure function that never looks past the bytes it is given.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One populated memory device. Slot is its 1-based place among all the table's memory devices,
// empty slots included, as a technician counts the sockets.
struct TSmbiosMemory {
  std::uint32_t Slot = 0;
  std::uint64_t CapacityMiB = 0;
  std::optional<std::uint32_t> SpeedMTs;  // the configured speed where the table gives one
  std::u16string Type;                    // "DDR4", "LPDDR5"...
  std::u16string FormFactor;              // "DIMM", "SODIMM"...; empty when unknown
  std::u16string Manufacturer;
  std::u16string SerialNumber;
  std::u16string PartNumber;
  std::u16string Locator;  // the device locator printed on the board: "DIMM 1", "ChannelA-DIMM0"
};

// What the table says. An empty text was missing, malformed or a placeholder that firmware
// writers leave behind ("To Be Filled By O.E.M.", "Default string", all zeros...): identical on
// thousands of machines, such a value would make them look like one.
struct TSmbiosFacts {
  std::u16string BiosVendor;
  std::u16string BiosVersion;
  std::u16string BiosDate;  // "YYYY-MM-DD"
  std::u16string SystemManufacturer;
  std::u16string SystemProduct;
  std::u16string SystemSerial;
  std::u16string SystemSku;
  std::u16string SystemUuid;  // upper-case 8-4-4-4-12, as Windows shows it
  std::u16string BoardManufacturer;
  std::u16string BoardProduct;
  std::u16string BoardSerial;
  std::u16string ChassisType;  // the DMTF's name of the enclosure: "Desktop", "Notebook"...
  std::u16string ChassisSerial;
  std::u16string ChassisAssetTag;
  std::vector<TSmbiosMemory> Memories;  // populated devices only, in table order
  std::uint32_t MemorySlots = 0;        // memory devices the table lists, empty ones included
  // The populated processor sockets and their cores and threads, summed; a count is 0 where a
  // populated socket does not give it.
  std::uint32_t ProcessorSockets = 0;
  std::uint32_t ProcessorCores = 0;
  std::uint32_t ProcessorThreads = 0;
};

// Parses a RawSMBIOSData block: its 8-byte header (calling method, major and minor version, DMI
// revision, table length) and the structure table after it. Of each structure type the first
// one counts; a field the structure is too short to hold for its version is left out, and so is
// every structure from the first one that runs past the end of the data.
TSmbiosFacts ParseSmbios(const std::uint8_t* Data, std::size_t Size);

// The text as it would be shown, or empty when it is a placeholder: trailing blanks trimmed.
std::u16string SmbiosValue(std::u16string Text);
