#include "report/glpi_inventory.h"

#include <chrono>
#include <new>
#include <optional>

#include <nlohmann/json.hpp>

#include "text/exceptions.h"
#include "text/whole_file.h"
#include "text/string_list.h"

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

// GLPI keeps one agent record per deviceid: the installation's date keeps it the same run after
// run; a PC that does not say when Windows was installed gets a new one per run.
std::string DeviceId(const TGlpiInventory& Inv) {
  const platform::TSystemTime& T = Inv.Identity.InstalledUtc.value_or(Inv.RunTime);
  return U8(Inv.DeviceName) + "-" + Padded(T.Year, 4) + "-" + Padded(T.Month, 2) + "-" +
         Padded(T.Day, 2) + "-" + Padded(T.Hour, 2) + "-" + Padded(T.Minute, 2) + "-" +
         Padded(T.Second, 2);
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
  const sys_days BootDay = floor<days>(Boot);
  const year_month_day Date{BootDay};
  const int Year = static_cast<int>(Date.year());
  if (Year < 1 || Year > 9999) return std::nullopt;
  const hh_mm_ss<seconds> Clock{Boot - BootDay};
  return Padded(Year, 4) + "-" + Padded(static_cast<unsigned>(Date.month()), 2) + "-" +
         Padded(static_cast<unsigned>(Date.day()), 2) + " " + Padded(Clock.hours().count(), 2) +
         ":" + Padded(Clock.minutes().count(), 2) + ":" + Padded(Clock.seconds().count(), 2);
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
  PutText(Object, "mac", GlpiMac(Inv.Mac));
  Object["status"] = "up";
  return Object;
}

TJson Content(const TGlpiInventory& Inv) {
  TJson Content = TJson::object();
  Content["versionclient"] = U8(Inv.VersionClient);
  if (TJson Object = Hardware(Inv); !Object.empty()) Content["hardware"] = std::move(Object);
  if (TJson Object = Bios(Inv.Identity.Bios); !Object.empty()) Content["bios"] = std::move(Object);
  Content["operatingsystem"] = OperatingSystem(Inv);
  for (const TGlpiMemory& Module : Inv.Identity.Memories) {
    if (Module.CapacityMiB != 0) Content["memories"].push_back(Memory(Module));
  }
  if (!Inv.CpuName.empty()) Content["cpus"] = TJson::array({TJson{{"name", U8(Inv.CpuName)}}});
  for (const TGlpiDrive& Drive : Inv.Drives) {
    Content["drives"].push_back({{"letter", U8(std::u16string{Drive.Letter, u':'})},
                                 {"total", Drive.TotalBytes / BytesPerMiB},
                                 {"free", Drive.FreeBytes / BytesPerMiB},
                                 {"systemdrive", Drive.SystemDrive}});
  }
  if (!Inv.IpAddress.empty()) Content["networks"] = TJson::array({Network(Inv)});
  for (const std::u16string& Printer : Inv.Printers)
    Content["printers"].push_back({{"name", U8(Printer)}});
  for (const TGlpiSoftware& Software : Inv.Softwares) {
    TJson Entry = {{"name", U8(Software.Name)}};
    PutText(Entry, "version", Software.Version);
    PutText(Entry, "publisher", Software.Publisher);
    Content["softwares"].push_back(std::move(Entry));
  }
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

std::u16string GlpiInventoryFileName(std::u16string_view ComputerName) {
  return u"relatorio_" + std::u16string(ComputerName) + u".json";
}

void SaveGlpiInventory(std::string_view Json, std::u16string_view FilePath) {
  SaveFileWhole(FilePath, {Json});
}
