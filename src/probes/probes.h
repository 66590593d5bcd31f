// The ten probes, one per group of report fields. Each returns printable text: when the machine
// gives nothing, the probe's fixed fallback.
//
// The optional out-parameters carry, beside the text, the values a machine-readable inventory
// needs as numbers or items; with nullptr (the default) a probe makes no call for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

// Fallback texts that another reader of the results must tell apart from found values.
inline constexpr std::u16string_view UnknownComputerName = u"DESCONHECIDO";
inline constexpr std::u16string_view UnknownOSName = u"Windows Desconhecido";
inline constexpr std::u16string_view UnknownCPUName = u"Desconhecido";
inline constexpr std::u16string_view ProductIdNotFound = u"N\u00E3o encontrado";
inline constexpr std::u16string_view AddressNotObtained = u"N\u00E3o obtido";  // no usable adapter
inline constexpr std::u16string_view GatewayNotFound = u"N\u00E3o encontrado";

struct TDiskSpace {
  char16_t Letter;
  std::uint64_t TotalBytes;
  std::uint64_t FreeBytes;
  // What the volume says of itself; all empty when it could not be asked.
  std::u16string FileSystem;
  std::u16string Label;
  std::u16string Serial;  // 8 upper-case hex digits
};

struct TInstalledProgram {
  std::u16string Name;       // the display name, as its line shows it
  std::u16string Version;    // DisplayVersion, trimmed; empty when missing or unreadable
  std::u16string Publisher;  // Publisher, likewise
  // The entry's other descriptive values, likewise; Guid is its key name when that is a {GUID}.
  std::u16string InstallDate;
  std::u16string Guid;
  std::u16string UninstallString;
  std::u16string UrlInfoAbout;
  std::u16string HelpLink;
  std::u16string Comments;
  bool WideView = false;  // read through the registry's 64-bit view (its own, not Wow6432Node)
};

// A PCI device's identity from its hardware ID, each part as lower-case hex digits; Subsystem
// ("1028:08b9", its vendor first) and Revision are empty where the ID has none.
struct TPciHardwareId {
  std::u16string VendorId;
  std::u16string ProductId;
  std::u16string Subsystem;
  std::u16string Revision;
};

// What the system says of an interface's link. Speeds are bits per second, 0 when unknown.
struct TLinkState {
  bool Read = false;       // false: the system could not be asked; nothing else is set
  bool Connected = false;  // the medium is not disconnected
  bool Up = false;         // the interface is operational
  std::uint64_t ReceiveBps = 0;
  std::uint64_t TransmitBps = 0;
};

// One adapter of the adapter table, as the GLPI inventory lists every one of them.
struct TAdapterDetails {
  std::u16string Description;
  std::vector<std::uint8_t> Mac;  // no more than the record's eight address bytes
  std::uint32_t Type = 0;         // MIB_IF_TYPE_* / IF_TYPE_*
  std::uint32_t DhcpEnabled = 0;
  std::u16string IpAddress;  // the first of each list, as the record holds it
  std::u16string IpMask;
  std::u16string Gateway;
  std::u16string DhcpServer;
  std::u16string AdapterName;  // the adapter's GUID text, "{...}"
  // What the adapter's driver key in the network class says of the device behind it.
  bool Virtual = false;               // no physical device: a tunnel, a virtual switch's port...
  std::optional<TPciHardwareId> Pci;  // a PCI device the key names
  std::uint32_t Index = 0;  // the interface index, which names it to the link calls
  TLinkState Link;
};

std::u16string GetComputerNetName();
std::u16string GetOSInfo(std::u16string& VersionStr, std::u16string& BuildStr);
std::u16string GetCPUName();
double GetTotalRAM(
    std::uint64_t* TotalBytes = nullptr);  // gigabytes; the bytes stay 0 when unknown
std::u16string FormatRAM(double Gigabytes);
std::u16string GetDisksInfo(std::vector<TDiskSpace>* Disks = nullptr);
std::u16string GetUptime(std::uint64_t* Milliseconds = nullptr);
std::u16string GetWindowsProductId();
// With Adapters, every adapter of the same table is also listed there, in the table's order;
// it stays empty (no list at all) when the table could not be read.
void GetNetworkDetails(std::u16string& NetName, std::u16string& IPLocal, std::u16string& Gateway,
                       std::u16string& MAC, std::u16string& TipoIP, std::u16string& SpeedStr,
                       std::optional<std::vector<TAdapterDetails>>* Adapters = nullptr);
// The link of the interface with this index, as GetIfEntry2 gives it.
TLinkState GetLinkState(std::uint32_t InterfaceIndex);
// The adapter's status text: "N\u00E3o conectada", "Inativa", "Ativa" or "Ativa (<speed>)".
std::u16string LinkText(const TLinkState& Link);
// A link speed in decimal units with one decimal, the locale's separator: "866,7 Mbps"; receive
// and transmit both when they differ ("866,7 / 780 Mbps"); empty when neither is known.
std::u16string LinkSpeedText(std::uint64_t ReceiveBps, std::uint64_t TransmitBps);
// With Names, the printers listed, or no list when the spooler could not list them.
std::u16string GetInstalledPrinters(std::optional<std::vector<std::u16string>>* Names = nullptr);
// With Details, each listed line's entry also gives its version and publisher, in line order;
// no list when an Uninstall key that exists could not be opened.
std::u16string GetInstalledPrograms(
    std::optional<std::vector<TInstalledProgram>>* Details = nullptr);

// Beyond the report: what only the machine-readable inventory holds.
platform::TSystemTime GetLocalDateTime();
// The letter of the drive Windows is installed on; 0 when the system does not say.
char16_t GetSystemDriveLetter();
// "64-bit" or "32-bit": the Windows installation's width, whatever this process's own.
std::u16string GetWindowsArchitecture();
// The processor the Windows installation is built for, as an IMAGE_FILE_MACHINE_* value
// (ImageFileMachineUnknown when the system does not say), whatever this process's own.
std::uint16_t GetWindowsMachine();
// GetWindowsArchitecture's answer for a machine GetWindowsMachine gave.
std::u16string WindowsArchitectureOf(std::uint16_t Machine);
