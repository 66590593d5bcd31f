// The run's inventory as a GLPI inventory document (JSON), the machine-readable twin of the report.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

struct TGlpiDrive {
  char16_t Letter;
  std::uint64_t TotalBytes;
  std::uint64_t FreeBytes;
  bool SystemDrive;
  std::u16string FileSystem;  // these three empty: the volume could not be asked
  std::u16string Label;
  std::u16string Serial;
};

struct TGlpiSoftware {
  std::u16string Name;
  std::u16string Version;      // empty: not known
  std::u16string Publisher;    // empty: not known
  std::u16string InstallDate;  // as the entry holds it: "YYYYMMDD" when it is sound
  std::u16string Guid;
  std::u16string UninstallString;
  std::u16string UrlInfoAbout;
  std::u16string HelpLink;
  std::u16string Comments;
  bool WideView = false;  // read through the 64-bit view of a 64-bit Windows
};

// One adapter of the adapter table, its texts as the table holds them.
struct TGlpiNetwork {
  std::u16string Description;
  std::vector<std::uint8_t> Mac;
  std::uint32_t Type = 0;  // the table's adapter type
  bool Dhcp = false;
  std::u16string IpAddress;
  std::u16string IpMask;
  std::u16string Gateway;
  std::u16string DhcpServer;
  bool Virtual = false;  // no physical device behind it
  // What the interface's row says, when it could be read: connected and operational, and the
  // receive speed in bits per second (0: unknown).
  std::optional<bool> LinkUp;
  std::uint64_t ReceiveBps = 0;
};

// The PCI device behind an adapter, by which GLPI names its card; Name is the adapter's
// description, which GLPI pairs the two by. Hex digits in lower case; empty parts not known.
struct TGlpiController {
  std::u16string Name;
  std::u16string VendorId;
  std::u16string ProductId;
  std::u16string Subsystem;  // "1028:08b9"
  std::u16string Revision;
};

// The processor beyond its name; numbers at 0 and empty texts were not found.
struct TGlpiCpuDetails {
  std::u16string Manufacturer;
  std::optional<std::uint32_t> Family;
  std::optional<std::uint32_t> Model;
  std::optional<std::uint32_t> Stepping;
  std::uint32_t Mhz = 0;
  std::uint32_t Packages = 0;
  std::uint32_t Cores = 0;    // in all packages
  std::uint32_t Threads = 0;  // in all packages
};

struct TGlpiVideo {
  std::u16string Name;
  std::u16string Chipset;
  std::optional<std::uint64_t> MemoryBytes;
};

struct TGlpiMonitor {
  std::u16string Manufacturer;
  std::u16string Name;
  std::u16string Serial;
  std::u16string Description;
  std::string Base64;
};

// An antivirus product Security Center knows; Enabled and UpToDate where it says.
struct TGlpiAntivirus {
  std::u16string Name;
  std::optional<bool> Enabled;
  std::optional<bool> UpToDate;
};

// What a run found of the machine's devices beyond the report's fields.
struct TGlpiDevices {
  std::uint16_t Machine = 0;  // what the installation is built for: IMAGE_FILE_MACHINE_*
  // All of the adapter table; no list when it could not be read.
  std::optional<std::vector<TGlpiNetwork>> Networks;
  std::vector<TGlpiController> Controllers;
  TGlpiCpuDetails Cpu;
  // Nothing: the list could not be read, and its section is left out; empty: there are none.
  std::optional<std::vector<TGlpiVideo>> Videos;
  // GLPI reads a document without monitors as a PC without any, so when they could not be
  // listed the document says it is partial instead, and GLPI keeps what it had.
  std::optional<std::vector<TGlpiMonitor>> Monitors;
};

// What tells one PC apart from another: the firmware's identity, the memory modules, who uses
// it, where it belongs and when Windows was installed. Empty texts were not found.
struct TGlpiBios {
  std::u16string SystemManufacturer;
  std::u16string SystemModel;
  std::u16string SystemSerial;  // the chassis's or the board's where the system has none
  std::u16string SkuNumber;
  std::u16string BiosManufacturer;
  std::u16string BiosVersion;
  std::u16string BiosDate;  // "YYYY-MM-DD"
  std::u16string BoardManufacturer;
  std::u16string BoardModel;
  std::u16string BoardSerial;
  std::u16string EnclosureSerial;
  std::u16string AssetTag;
};

struct TGlpiMemory {
  std::uint64_t CapacityMiB = 0;
  std::optional<std::uint32_t> SpeedMTs;
  std::u16string Type;
  std::u16string Manufacturer;
  std::u16string SerialNumber;
  std::u16string Model;    // the part number
  std::u16string Caption;  // where it sits: "DIMM 1"
  std::optional<std::uint32_t> Slot;
  std::u16string Description;  // the form factor: "DIMM", "SODIMM"
};

struct TGlpiIdentity {
  TGlpiBios Bios;
  std::u16string Uuid;
  std::u16string ChassisType;
  std::u16string LastLoggedUser;
  std::u16string Workgroup;
  std::vector<TGlpiMemory> Memories;
  std::u16string ServicePack;
  std::optional<platform::TSystemTime> InstalledUtc;  // names the device: the same on every run
  std::optional<platform::TSystemTime> InstalledLocal;
};

// What the run found. An empty text or an absent number was not found, and its field is left
// out of the document: a placeholder would be imported as if it were the machine's value.
// A list that is there was read, and goes into the document even when empty, so that GLPI
// removes what is gone; a list that is not there could not be read, and its section is left
// out, so that GLPI keeps what it had.
struct TGlpiInventory {
  std::u16string DeviceName;  // names the device even at its fallback, as it names the report
  // Local; names the device where the firmware's identity and the installation's date are unknown.
  platform::TSystemTime RunTime{};
  std::u16string VersionClient;
  std::u16string ProviderVersion;  // the program's version, which GLPI shows as its agent's
  std::u16string Tag;  // GLPI's entity rules sort computers by it; empty: none

  std::u16string Name;
  std::optional<std::uint64_t> MemoryBytes;
  std::u16string WinProdId;

  std::u16string OSFullName;
  std::u16string OSVersion;
  std::u16string KernelVersion;
  std::optional<std::uint64_t> UptimeMilliseconds;
  std::u16string Arch;

  std::u16string CpuName;
  std::vector<TGlpiDrive> Drives;

  std::u16string NetDescription;  // the adapter: all four empty when none was found
  std::u16string IpAddress;
  std::u16string IpGateway;
  std::u16string Mac;  // as the report shows it: hex pairs joined by "-"

  std::optional<std::vector<std::u16string>> Printers;
  std::optional<std::vector<TGlpiSoftware>> Softwares;

  TGlpiIdentity Identity;
  TGlpiDevices Devices;
  // None: Security Center could not be asked, or did not answer, and the section is left out.
  std::optional<std::vector<TGlpiAntivirus>> Antivirus;
};

// The document as UTF-8 JSON text without a byte-order mark. Raises EOutOfMemory, or
// EEncodingError when the system cannot convert a text.
std::string GlpiInventoryJson(const TGlpiInventory& Inventory);

// The lists that could not be read, whose sections are left out, in the document's order.
std::vector<std::string> GlpiUnreadSections(const TGlpiInventory& Inventory);

// "relatorio_" + the computer name + ".json".
std::u16string GlpiInventoryFileName(std::u16string_view ComputerName);

// Writes Json to FilePath as the report is written: whole or not at all, an earlier document
// of that name kept until the new one is complete, so no partial document is ever left to import.
// Raises the error (EFCreateError or EWriteError).
void SaveGlpiInventory(std::string_view Json, std::u16string_view FilePath);
