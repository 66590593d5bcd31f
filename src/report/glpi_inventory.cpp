#include "report/glpi_inventory.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <new>
#include <optional>
#include <utility>

#include <nlohmann/json.hpp>

#include "text/exceptions.h"
#include "text/string_list.h"
#include "text/string_routines.h"
#include "text/sys_utils.h"
#include "text/whole_file.h"

namespace {

using TJson = nlohmann::ordered_json;

constexpr std::uint64_t BytesPerMiB = 1048576;

// The system's UTF-8 of a text, as the report is written: an unpaired surrogate becomes U+FFFD,
// so the library is never handed an invalid byte.
std::string U8(std::u16string_view Text) { return TEncoding::UTF8().GetBytes(Text); }

// Sets Key only for a value that was found.
void PutText(TJson& Object, const char* Key, std::u16string_view Text) {
  if (!Text.empty()) Object[Key] = U8(Text);
}

std::string Padded(long long Value, std::size_t Width) {
  std::string Text = std::to_string(Value);
  return Text.size() < Width ? std::string(Width - Text.size(), '0') + Text : Text;
}

// GLPI keeps one agent record per deviceid, so it must name one board: PCs cloned from one image
// share their host name and installation date, but not their firmware's UUID or serial. Where the
// firmware gives neither, the installation's date keeps it the same run after run; a PC that does
// not say when Windows was installed either gets a new one per run.
std::string DeviceId(const TGlpiInventory& Inv) {
  const std::string Host = U8(Inv.DeviceName) + "-";
  if (!Inv.Identity.Uuid.empty()) return Host + U8(Inv.Identity.Uuid);
  if (!Inv.Identity.Bios.SystemSerial.empty()) return Host + U8(Inv.Identity.Bios.SystemSerial);
  const platform::TSystemTime& T = Inv.Identity.InstalledUtc.value_or(Inv.RunTime);
  return Host + Padded(T.Year, 4) + "-" + Padded(T.Month, 2) + "-" + Padded(T.Day, 2) + "-" +
         Padded(T.Hour, 2) + "-" + Padded(T.Minute, 2) + "-" + Padded(T.Second, 2);
}

// "YYYY-MM-DD hh:mm:ss"; nothing for a time that is not one.
std::optional<std::string> DateTime(const platform::TSystemTime& T) {
  const std::chrono::year_month_day Date{std::chrono::year{T.Year}, std::chrono::month{T.Month},
                                         std::chrono::day{T.Day}};
  if (!Date.ok() || T.Year > 9999 || T.Hour > 23 || T.Minute > 59 || T.Second > 59)
    return std::nullopt;
  return Padded(T.Year, 4) + "-" + Padded(T.Month, 2) + "-" + Padded(T.Day, 2) + " " +
         Padded(T.Hour, 2) + ":" + Padded(T.Minute, 2) + ":" + Padded(T.Second, 2);
}

// The run's time minus the uptime, as "YYYY-MM-DD hh:mm:ss"; nothing when either is not a date
// that has four-digit years.
std::optional<std::string> BootTime(const platform::TSystemTime& Now, std::uint64_t UptimeMs) {
  using namespace std::chrono;
  const year_month_day Today{year{Now.Year}, month{Now.Month}, day{Now.Day}};
  if (!Today.ok() || Now.Hour > 23 || Now.Minute > 59 || Now.Second > 59) return std::nullopt;
  constexpr std::uint64_t LongestUptimeMs = 100ULL * 366 * 24 * 3600 * 1000;  // beyond any real one
  if (UptimeMs > LongestUptimeMs) return std::nullopt;
  const sys_time<milliseconds> RunAt = sys_days{Today} + hours{Now.Hour} + minutes{Now.Minute} +
                                       seconds{Now.Second} + milliseconds{Now.Milliseconds % 1000};
  const sys_seconds Boot =
      floor<seconds>(RunAt - milliseconds{static_cast<std::int64_t>(UptimeMs)});
  const int Year = static_cast<int>(year_month_day{floor<days>(Boot)}.year());
  if (Year < 1 || Year > 9999) return std::nullopt;
  return DateTime(SystemTimeOf(Boot));
}

// Four decimal numbers 0 to 255 joined by dots, without leading zeros: what GLPI takes as IPv4.
bool IsDottedQuad(std::u16string_view Text) {
  int Parts = 0;
  std::size_t I = 0;
  while (true) {
    const std::size_t Start = I;
    unsigned Value = 0;
    while (I < Text.size() && Text[I] >= u'0' && Text[I] <= u'9' && I - Start < 3) {
      Value = Value * 10 + (Text[I] - u'0');
      ++I;
    }
    const std::size_t Digits = I - Start;
    if (Digits == 0 || Value > 255 || (Digits > 1 && Text[Start] == u'0')) return false;
    if (++Parts == 4) return I == Text.size();
    if (I >= Text.size() || Text[I] != u'.') return false;
    ++I;
  }
}

// "00-1A-2B-3C-4D-5E" as GLPI writes a hardware address: "00:1a:2b:3c:4d:5e".
std::u16string GlpiMac(std::u16string_view Mac) {
  std::u16string Result(Mac);
  for (char16_t& C : Result) {
    if (C == u'-') C = u':';
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C + (u'a' - u'A'));
  }
  return Result;
}

TJson Hardware(const TGlpiInventory& Inv) {
  TJson Object = TJson::object();
  PutText(Object, "name", Inv.Name);
  if (Inv.MemoryBytes) Object["memory"] = *Inv.MemoryBytes / BytesPerMiB;
  PutText(Object, "winprodid", Inv.WinProdId);
  PutText(Object, "defaultgateway", Inv.IpGateway);
  PutText(Object, "uuid", Inv.Identity.Uuid);
  PutText(Object, "chassis_type", Inv.Identity.ChassisType);
  PutText(Object, "lastloggeduser", Inv.Identity.LastLoggedUser);
  PutText(Object, "workgroup", Inv.Identity.Workgroup);
  return Object;
}

TJson Bios(const TGlpiBios& B) {
  TJson Object = TJson::object();
  PutText(Object, "smanufacturer", B.SystemManufacturer);
  PutText(Object, "smodel", B.SystemModel);
  PutText(Object, "ssn", B.SystemSerial);
  PutText(Object, "skunumber", B.SkuNumber);
  PutText(Object, "bmanufacturer", B.BiosManufacturer);
  PutText(Object, "bversion", B.BiosVersion);
  PutText(Object, "bdate", B.BiosDate);
  PutText(Object, "mmanufacturer", B.BoardManufacturer);
  PutText(Object, "mmodel", B.BoardModel);
  PutText(Object, "msn", B.BoardSerial);
  PutText(Object, "enclosureserial", B.EnclosureSerial);
  PutText(Object, "assettag", B.AssetTag);
  return Object;
}

TJson Memory(const TGlpiMemory& M) {
  TJson Object = {{"capacity", M.CapacityMiB}};
  if (M.SpeedMTs) Object["speed"] = std::to_string(*M.SpeedMTs);  // as GLPI's agent sends it
  PutText(Object, "type", M.Type);
  PutText(Object, "manufacturer", M.Manufacturer);
  PutText(Object, "serialnumber", M.SerialNumber);
  PutText(Object, "model", M.Model);
  PutText(Object, "caption", M.Caption);
  if (M.Slot) Object["numslots"] = *M.Slot;
  PutText(Object, "description", M.Description);  // GLPI names the module "<type> - <this>"
  return Object;
}

TJson OperatingSystem(const TGlpiInventory& Inv) {
  TJson Object = TJson::object();
  Object["name"] = "Windows";
  PutText(Object, "full_name", Inv.OSFullName);
  PutText(Object, "version", Inv.OSVersion);
  PutText(Object, "kernel_version", Inv.KernelVersion);
  if (Inv.UptimeMilliseconds) {
    if (const std::optional<std::string> Boot = BootTime(Inv.RunTime, *Inv.UptimeMilliseconds)) {
      Object["boot_time"] = *Boot;
    }
  }
  PutText(Object, "arch", Inv.Arch);
  PutText(Object, "service_pack", Inv.Identity.ServicePack);
  if (Inv.Identity.InstalledLocal) {
    if (const std::optional<std::string> Date = DateTime(*Inv.Identity.InstalledLocal))
      Object["install_date"] = *Date;
  }
  return Object;
}

TJson Network(const TGlpiInventory& Inv) {
  TJson Object = TJson::object();
  Object["description"] = U8(Inv.NetDescription);  // the adapter's own, even when it is empty
  if (IsDottedQuad(Inv.IpAddress)) Object["ipaddress"] = U8(Inv.IpAddress);
  PutText(Object, "ipgateway", Inv.IpGateway);
  if (!Inv.Mac.empty() && Inv.Mac.find_first_not_of(u"0-") != std::u16string::npos)
    PutText(Object, "mac", GlpiMac(Inv.Mac));
  Object["type"] = "ethernet";  // of no type the report knows, which GLPI counts as Ethernet
  Object["status"] = "up";
  return Object;
}

// The first address is usable as the report takes one: set, not 0.0.0.0, not in 127.x.
bool UsableAddress(std::u16string_view Address) {
  return IsDottedQuad(Address) && Address != u"0.0.0.0" && !Address.starts_with(u"127");
}

bool SetAddress(std::u16string_view Address) {
  return IsDottedQuad(Address) && Address != u"0.0.0.0";
}

// The address with the mask applied: "192.168.10.23" and "255.255.255.0" give "192.168.10.0".
std::string Subnet(std::u16string_view Address, std::u16string_view Mask) {
  const auto Parts = [](std::u16string_view Text) {
    std::array<unsigned, 4> Bytes{};
    std::size_t Part = 0;
    for (const char16_t C : Text) {
      if (C == u'.') {
        ++Part;
      } else {
        Bytes[Part] = Bytes[Part] * 10 + (C - u'0');
      }
    }
    return Bytes;
  };
  const std::array<unsigned, 4> A = Parts(Address);
  const std::array<unsigned, 4> M = Parts(Mask);
  std::string Text;
  for (std::size_t I = 0; I < 4; ++I) Text += (I > 0 ? "." : "") + std::to_string(A[I] & M[I]);
  return Text;
}

std::string MacText(const std::vector<std::uint8_t>& Mac) {
  constexpr std::string_view Digits = "0123456789abcdef";
  std::string Text;
  for (const std::uint8_t Byte : Mac) {
    if (!Text.empty()) Text += ':';
    Text += Digits[Byte >> 4];
    Text += Digits[Byte & 0xF];
  }
  return Text;
}

// The port type GLPI stores, from the adapter's IfType; what GLPI has no name for is Ethernet,
// as GLPI itself takes a port with a hardware address to be.
const char* AdapterType(std::uint32_t Type) {
  namespace record = platform::adapter_record;
  switch (Type) {
    case record::TypeWireless: return "wifi";
    case record::TypeLoopback: return "loopback";
    case 23:   // PPP
    case 243:  // WWAN (GSM)
    case 244:  // WWAN (CDMA)
      return "dialup";
    case 209: return "bridge";
    case 161: return "aggregate";  // IEEE 802.3ad link aggregation
    case 199: return "infiniband";
    default: return "ethernet";
  }
}

// An address of zeros is the placeholder of an adapter that has none (a tunnel, a dial-up link).
bool RealMac(const std::vector<std::uint8_t>& Mac) {
  return std::any_of(Mac.begin(), Mac.end(), [](std::uint8_t Byte) { return Byte != 0; });
}

// The receive speed in whole Mbit/s, as GLPI's agent sends it; left out when unknown.
void PutLinkSpeed(TJson& Object, const TGlpiNetwork& Adapter) {
  constexpr std::uint64_t BitsPerMbit = 1000000;
  if (Adapter.LinkUp && Adapter.ReceiveBps != 0)
    Object["speed"] = std::to_string((Adapter.ReceiveBps + BitsPerMbit / 2) / BitsPerMbit);
}

TJson AdapterEntry(const TGlpiNetwork& Adapter) {
  TJson Object = TJson::object();
  Object["description"] = U8(Adapter.Description);
  if (RealMac(Adapter.Mac)) Object["mac"] = MacText(Adapter.Mac);
  Object["type"] = AdapterType(Adapter.Type);
  if (Adapter.Virtual) Object["virtualdev"] = true;
  const bool Up = UsableAddress(Adapter.IpAddress);
  if (Up) {
    Object["ipaddress"] = U8(Adapter.IpAddress);
    if (IsDottedQuad(Adapter.IpMask)) {
      Object["ipmask"] = U8(Adapter.IpMask);
      Object["ipsubnet"] = Subnet(Adapter.IpAddress, Adapter.IpMask);
    }
  }
  if (SetAddress(Adapter.Gateway)) Object["ipgateway"] = U8(Adapter.Gateway);
  if (Adapter.Dhcp && SetAddress(Adapter.DhcpServer)) Object["ipdhcp"] = U8(Adapter.DhcpServer);
  Object["status"] = Adapter.LinkUp.value_or(Up) ? "up" : "down";
  PutLinkSpeed(Object, Adapter);
  return Object;
}

const char* CpuArch(std::uint16_t Machine) {
  switch (Machine) {
    case platform::ImageFileMachineAmd64: return "x86_64";
    case platform::ImageFileMachineI386: return "i386";
    case platform::ImageFileMachineArm64: return "arm64";
    case platform::ImageFileMachineArmNt: return "arm";
    default: return nullptr;
  }
}

// Nothing when the processor was not found: counts and the installation's architecture alone
// describe no processor.
TJson CpuEntry(const TGlpiInventory& Inv) {
  const TGlpiCpuDetails& Cpu = Inv.Devices.Cpu;
  TJson Object = TJson::object();
  PutText(Object, "name", Inv.CpuName);
  PutText(Object, "manufacturer", Cpu.Manufacturer);
  if (Cpu.Mhz != 0) Object["speed"] = Cpu.Mhz;
  if (Object.empty() && !Cpu.Family && !Cpu.Model && !Cpu.Stepping) return Object;
  if (Cpu.Packages != 0 && Cpu.Cores != 0) Object["core"] = Cpu.Cores / Cpu.Packages;
  if (Cpu.Packages != 0 && Cpu.Threads != 0) Object["thread"] = Cpu.Threads / Cpu.Packages;
  if (const char* Arch = CpuArch(Inv.Devices.Machine)) Object["arch"] = Arch;
  if (Cpu.Family) Object["familynumber"] = std::to_string(*Cpu.Family);
  if (Cpu.Model) Object["model"] = std::to_string(*Cpu.Model);
  if (Cpu.Stepping) Object["stepping"] = *Cpu.Stepping;
  return Object;
}

TJson Cpus(const TGlpiInventory& Inv) {
  TJson Entry = CpuEntry(Inv);
  if (Entry.empty()) return TJson::array();
  // One entry per package: a PC with two processors has two alike.
  return TJson::array_t(std::max<std::uint32_t>(Inv.Devices.Cpu.Packages, 1), Entry);
}

TJson DriveEntry(const TGlpiDrive& Drive) {
  TJson Entry = {{"letter", U8(std::u16string{Drive.Letter, u':'})},
                 {"total", Drive.TotalBytes / BytesPerMiB},
                 {"free", Drive.FreeBytes / BytesPerMiB},
                 {"systemdrive", Drive.SystemDrive}};
  if (!Drive.Serial.empty()) {
    PutText(Entry, "filesystem", Drive.FileSystem);
    PutText(Entry, "label", Drive.Label);
    Entry["serial"] = U8(Drive.Serial);
    Entry["type"] = "Local disk";
  }
  return Entry;
}

// "20240131" as "2024-01-31"; nothing when it is no date of the calendar.
std::optional<std::string> InstallDate(std::u16string_view Text) {
  if (Text.size() != 8 ||
      !std::all_of(Text.begin(), Text.end(), [](char16_t C) { return C >= u'0' && C <= u'9'; })) {
    return std::nullopt;
  }
  const auto Field = [&](std::size_t At, std::size_t Size) {
    unsigned Value = 0;
    for (std::size_t I = At; I < At + Size; ++I) Value = Value * 10 + (Text[I] - u'0');
    return Value;
  };
  const std::chrono::year_month_day Date{std::chrono::year{static_cast<int>(Field(0, 4))},
                                         std::chrono::month{Field(4, 2)},
                                         std::chrono::day{Field(6, 2)}};
  if (!Date.ok() || Field(0, 4) < 1970) return std::nullopt;
  const std::string Digits = U8(Text);
  return Digits.substr(0, 4) + "-" + Digits.substr(4, 2) + "-" + Digits.substr(6, 2);
}

TJson SoftwareEntry(const TGlpiSoftware& Software, std::uint16_t Machine) {
  TJson Entry = {{"name", U8(Software.Name)}};
  PutText(Entry, "version", Software.Version);
  PutText(Entry, "publisher", Software.Publisher);
  if (const auto Date = InstallDate(Software.InstallDate)) Entry["install_date"] = *Date;
  const bool Wide = Machine == platform::ImageFileMachineAmd64 ||
                    Machine == platform::ImageFileMachineArm64 ||
                    Machine == platform::ImageFileMachineIa64;
  Entry["arch"] = Software.WideView && Wide ? "x86_64" : "i386";
  PutText(Entry, "guid", Software.Guid);
  PutText(Entry, "uninstall_string", Software.UninstallString);
  PutText(Entry, "url_info_about", Software.UrlInfoAbout);
  PutText(Entry, "helplink", Software.HelpLink);
  PutText(Entry, "comments", Software.Comments);
  Entry["from"] = "registry";
  return Entry;
}

TJson VideoEntry(const TGlpiVideo& Video) {
  TJson Entry = {{"name", U8(Video.Name)}};
  PutText(Entry, "chipset", Video.Chipset);
  if (Video.MemoryBytes) Entry["memory"] = *Video.MemoryBytes / BytesPerMiB;
  return Entry;
}

TJson MonitorEntry(const TGlpiMonitor& Monitor) {
  TJson Entry = TJson::object();
  PutText(Entry, "manufacturer", Monitor.Manufacturer);
  PutText(Entry, "caption", Monitor.Name);
  PutText(Entry, "name", Monitor.Name);
  PutText(Entry, "serial", Monitor.Serial);
  PutText(Entry, "description", Monitor.Description);
  Entry["base64"] = Monitor.Base64;
  return Entry;
}

// GLPI names a network card from the PCI list by the IDs of the controller whose type is the
// card's description.
TJson ControllerEntry(const TGlpiController& Controller) {
  TJson Entry = {{"name", U8(Controller.Name)}, {"type", U8(Controller.Name)}};
  PutText(Entry, "vendorid", Controller.VendorId);
  PutText(Entry, "productid", Controller.ProductId);
  PutText(Entry, "pcisubsystemid", Controller.Subsystem);
  PutText(Entry, "rev", Controller.Revision);
  return Entry;
}

TJson VersionProvider(const TGlpiInventory& Inv) {
  TJson Object = {{"name", "inventario"}};
  PutText(Object, "version", Inv.ProviderVersion);
  return Object;
}

// A list that was read, as a section even when it is empty; nothing for one that was not.
template <typename TItem, typename TMake>
void PutList(TJson& Content, const char* Section, const std::optional<std::vector<TItem>>& List,
             TMake&& Make) {
  if (!List) return;
  TJson& Entries = Content[Section] = TJson::array();
  for (const TItem& Item : *List) Entries.push_back(Make(Item));
}

// The sections that list the machine's devices one by one.
void PutDevices(TJson& Content, const TGlpiInventory& Inv) {
  PutList(Content, "videos", Inv.Devices.Videos, VideoEntry);
  PutList(Content, "monitors", Inv.Devices.Monitors, MonitorEntry);
}

TJson AntivirusEntry(const TGlpiAntivirus& Product) {
  TJson Entry = {{"name", U8(Product.Name)}};
  if (Product.Enabled) Entry["enabled"] = *Product.Enabled;
  if (Product.UpToDate) Entry["uptodate"] = *Product.UpToDate;
  return Entry;
}

TJson Content(const TGlpiInventory& Inv) {
  TJson Content = TJson::object();
  Content["versionclient"] = U8(Inv.VersionClient);
  Content["versionprovider"] = VersionProvider(Inv);
  if (TJson Object = Hardware(Inv); !Object.empty()) Content["hardware"] = std::move(Object);
  if (TJson Object = Bios(Inv.Identity.Bios); !Object.empty()) Content["bios"] = std::move(Object);
  Content["operatingsystem"] = OperatingSystem(Inv);
  for (const TGlpiMemory& Module : Inv.Identity.Memories) {
    if (Module.CapacityMiB != 0) Content["memories"].push_back(Memory(Module));
  }
  if (TJson Entries = Cpus(Inv); !Entries.empty()) Content["cpus"] = std::move(Entries);
  // The fixed drives are always asked for: none found is an empty list.
  Content["drives"] = TJson::array();
  for (const TGlpiDrive& Drive : Inv.Drives) Content["drives"].push_back(DriveEntry(Drive));
  if (Inv.Devices.Networks && (!Inv.Devices.Networks->empty() || Inv.IpAddress.empty())) {
    PutList(Content, "networks", Inv.Devices.Networks, AdapterEntry);
  } else if (!Inv.IpAddress.empty()) {
    Content["networks"] = TJson::array({Network(Inv)});
  }
  for (const TGlpiController& Controller : Inv.Devices.Controllers)
    Content["controllers"].push_back(ControllerEntry(Controller));
  PutList(Content, "printers", Inv.Printers, [](const std::u16string& Printer) {
    return TJson{{"name", U8(Printer)}};
  });
  PutList(Content, "softwares", Inv.Softwares, [&](const TGlpiSoftware& Software) {
    return SoftwareEntry(Software, Inv.Devices.Machine);
  });
  PutDevices(Content, Inv);
  // Every product Security Center listed, none included; nothing when it could not be asked.
  PutList(Content, "antivirus", Inv.Antivirus, AntivirusEntry);
  return Content;
}

}  // namespace

std::string GlpiInventoryJson(const TGlpiInventory& Inventory) {
  // Every text went through the system's UTF-8 conversion, so the library has nothing to refuse;
  // should it still find an invalid byte, it substitutes rather than throws. Its errors other than
  // running out of memory therefore cannot arise, and that one is the program's own.
  try {
    TJson Document = TJson::object();
    Document["deviceid"] = DeviceId(Inventory);
    Document["action"] = "inventory";
    Document["itemtype"] = "Computer";
    // GLPI keeps, of a partial inventory, what the document does not list.
    if (!Inventory.Devices.Monitors) Document["partial"] = true;
    if (!Inventory.Tag.empty()) Document["tag"] = U8(Inventory.Tag);
    Document["content"] = Content(Inventory);
    return Document.dump(2, ' ', false, TJson::error_handler_t::replace) + "\n";
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory");
  } catch (const nlohmann::json::exception& Error) {
    // Kept for the console in the program's own error form; its text is ASCII.
    const std::string_view What = Error.what();
    throw Exception(std::u16string(What.begin(), What.end()));
  }
}

std::vector<std::string> GlpiUnreadSections(const TGlpiInventory& Inventory) {
  std::vector<std::string> Unread;
  if (!Inventory.Devices.Networks && Inventory.IpAddress.empty()) Unread.emplace_back("networks");
  if (!Inventory.Printers) Unread.emplace_back("printers");
  if (!Inventory.Softwares) Unread.emplace_back("softwares");
  if (!Inventory.Devices.Videos) Unread.emplace_back("videos");
  if (!Inventory.Devices.Monitors) Unread.emplace_back("monitors");
  return Unread;
}

std::u16string GlpiInventoryFileName(std::u16string_view ComputerName) {
  return u"relatorio_" + std::u16string(ComputerName) + u".json";
}

void SaveGlpiInventory(std::string_view Json, std::u16string_view FilePath) {
  SaveFileWhole(FilePath, {Json});
}
