#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "main/program_flow.h"
#include "probes/device_probes.h"
#include "report/glpi_inventory.h"
#include "simulated_machine.h"
#include "smbios_tables.h"

namespace {

namespace sim = platform::simulated;

const std::string Fixtures = INVENTARIO_FIXTURES;
const std::u16string DesktopJson = u"C:\\Users\\ana\\Desktop\\relatorio_ESCRITORIO-01.json";

class GlpiInventoryTest : public SimulatedMachineTest {};

void Import(const char* File) {
  if (const auto Error = sim::Machine().Registry.ImportFile(Fixtures + "/registry/" + File))
    FAIL() << *Error;
}

void OfficePc(sim::TMachine& M) {
  Import("office-pc.reg");
  Import("office-pc-programs.reg");
  Import("office-pc-devices.reg");
  Import("office-pc-network.reg");
  // On Windows the class's own settings refuse a user.
  M.Registry
      .Key(platform::HkeyLocalMachine,
           u"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}"
           u"\\Properties")
      .GrantedAccess = 0;
  M.TotalPhys = 17008173056ULL;  // 16,220 MiB
  M.Drives[u'D'] =
      sim::TDrive{platform::DriveFixed, 1000204886016ULL, 612345678912ULL, 612345678912ULL, 0};
  M.Drives[u'E'] = sim::TDrive{2, 32ULL << 30, 1ULL << 30, 1ULL << 30, 0};  // removable: not listed
  M.Drives[u'F'] = sim::TDrive{platform::DriveFixed, 64ULL << 30, 8ULL << 30, 8ULL << 30, 0};
  M.Volumes[u'C'] = {u"Windows", u"NTFS", 0x1A2B3C4D, 0};
  M.Volumes[u'D'] = {u"Dados", u"NTFS", 0x0BADF00D, 0};
  M.Volumes[u'F'] = {u"", u"exFAT", 0, 21};  // cannot be asked: its sizes alone
  M.Processors.CoresPerPackage = 6;
  M.Ticks = ((3ULL * 24 + 5) * 60 + 17) * 60 * 1000 + 12345;
  sim::TAdapter Wifi;  // not connected: listed first, and the report passes it by
  Wifi.Description = "Intel(R) Wi-Fi 6 AX201 160MHz";
  Wifi.Type = 71;
  Wifi.Address = {0x70, 0x9C, 0xD1, 0x4E, 0x5F, 0x60, 0, 0};
  Wifi.IpAddress = "0.0.0.0";
  Wifi.IpMask = "0.0.0.0";
  Wifi.AdapterName = "{2C1D9B77-0E4F-4A3B-8C5D-6E7F8091A2B3}";
  sim::TAdapter Ethernet;
  Ethernet.Description = "Intel(R) Ethernet Connection (7) I219-LM";
  Ethernet.Address = {0x3C, 0x52, 0x82, 0x1A, 0x2B, 0x3C, 0, 0};
  Ethernet.IpAddress = "192.168.10.23";
  Ethernet.IpMask = "255.255.255.0";
  Ethernet.Gateway = "192.168.10.1";
  Ethernet.DhcpServer = "192.168.10.1";
  Ethernet.AdapterName = "{8A3E2F10-5B7C-4D21-9E6A-1F2B3C4D5E6F}";
  sim::TAdapter Vpn;  // a point-to-point link with a fixed address, of no type GLPI names
  Vpn.Description = "TAP-Windows Adapter V9";
  Vpn.Type = 23;
  Vpn.DhcpEnabled = 0;
  Vpn.Address = {0x00, 0xFF, 0x6B, 0x2A, 0x11, 0x05, 0, 0};
  Vpn.IpAddress = "10.8.0.6";
  Vpn.IpMask = "255.255.255.252";
  Vpn.DhcpServer = "10.8.0.5";  // not sent: DHCP is off
  Vpn.AdapterName = "{C0FFEE00-1234-4ABC-9DEF-00FF6B2A1105}";
  sim::TAdapter Loopback;
  Loopback.Description = "Software Loopback Interface 1";
  Loopback.Type = 24;
  Loopback.AddressLength = 0;
  Loopback.IpAddress = "127.0.0.1";
  Loopback.IpMask = "255.0.0.0";
  // Their links: the Wi-Fi radio on but not associated, the cable up at 1 Gbps, the tunnel up at
  // the speed its driver claims; the loopback interface's row is left unreadable.
  Wifi.Index = 7;
  Wifi.MediaConnectState = platform::if_row::MediaConnectStateDisconnected;
  Wifi.OperStatus = 2;
  Ethernet.Index = 11;
  Ethernet.ReceiveLinkSpeed = Ethernet.TransmitLinkSpeed = 1000000000;
  Vpn.Index = 23;
  Vpn.ReceiveLinkSpeed = Vpn.TransmitLinkSpeed = 100000000;
  Loopback.Index = 1;
  Loopback.HasRow = false;
  M.Adapters = {Wifi, Ethernet, Vpn, Loopback};
  M.Printers = {u"HP LaserJet Pro M404", u"Microsoft Print to PDF"};
  M.DefaultPrinterText = u"HP LaserJet Pro M404,winspool,Ne01:";
  M.FirmwareTable = smbios_tables::OfficeDesktop();
}

// A notebook joined to a domain, with a DNS name longer than NetBIOS keeps; the installation's
// date is unknown.
void Laptop(sim::TMachine& M) {
  Import("windows10-1909.reg");
  auto& Cv = M.Registry.Key(platform::HkeyLocalMachine,
                            u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  Cv.SetDword(u"CurrentMajorVersionNumber", 10);
  Cv.SetDword(u"CurrentMinorVersionNumber", 0);
  Cv.SetString(u"InstallDate", u"1705059000");  // of the wrong type: no date, no error
  M.Registry
      .Key(platform::HkeyLocalMachine,
           u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Authentication\\LogonUI")
      .SetString(u"LastLoggedOnSAMUser", u"ESCRITORIO\\maria.souza");
  M.ComputerName = u"NB-FINANCEIRO-M";
  M.DnsHostName = u"nb-financeiro-maria-02";
  M.JoinName = u"ESCRITORIO";
  M.JoinStatus = platform::NetSetupDomainName;
  M.TotalPhys = 33554432ULL << 10;
  M.FirmwareTable = smbios_tables::Laptop();
  // The ones that are on come first.
  M.SecurityCenter.Products = {{u"Windows Defender", platform::WscSecurityProductStateOff,
                                platform::WscSecurityProductUpToDate},
                               {u"Kaspersky Endpoint Security", platform::WscSecurityProductStateOn,
                                platform::WscSecurityProductUpToDate},
                               {u"Avast Free Antivirus", platform::WscSecurityProductStateExpired,
                                platform::WscSecurityProductOutOfDate}};
}

void NothingFound(sim::TMachine& M) {
  for (const char* Call : {"GetSystemFirmwareTable", "GetPhysicallyInstalledSystemMemory",
                           "GetComputerNameExW", "NetGetJoinInformation"}) {
    M.FailCall(Call, 5);
  }
  M.FailCall("GetComputerNameW", 5);
  M.FailCall("GlobalMemoryStatusEx", 5);
  M.FailCall("GetSystemWindowsDirectoryW", 5);
  M.Drives.clear();
  M.FailCall("GetLogicalProcessorInformation", 5);
  M.HasIsWow64Process2 = false;
  M.NativeProcessorArchitecture = platform::ProcessorArchitectureIntel;
  M.SecurityCenter.Health = platform::SFalse;  // its service is not running
}

// Names as a damaged or hostile machine hands them over: unpaired surrogates, control
// characters, quotes and backslashes, an adapter whose address is no IPv4 text.
void HostileNames(sim::TMachine& M) {
  auto& Cv = M.Registry.Key(platform::HkeyLocalMachine,
                            u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
  Cv.SetString(u"ProductName", u"Windows 10 \"Pro\"\\\xD800");
  Cv.SetString(u"CurrentBuildNumber", u"19045");
  Cv.SetString(u"ProductId", u"\u0001\u001F\u007F");
  M.Registry.Key(platform::HkeyLocalMachine, u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0")
      .SetString(u"ProcessorNameString", u"CPU\xDC00\xD83D\xDE00\xD83D");
  auto& Programs = M.Registry.Key(platform::HkeyLocalMachine,
                                  u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  auto& Lone = Programs.Create(u"lone");
  Lone.SetString(u"DisplayName", u"Programa \xDBFF fim\u0008");
  Lone.SetString(u"DisplayVersion", u"1.0\u0000oculto");
  Lone.SetDword(u"Publisher", 7);  // of the wrong type: the program stays, without a publisher
  Programs.Create(u"quotes").SetString(u"DisplayName", u"\"}]\\u0000,{");
  sim::TAdapter Odd;
  Odd.Description = "Rede\x01\tX\xE9";
  Odd.IpAddress = "10.0.0.256";
  M.Adapters = {Odd};
  M.Printers = {u"\xDFFF\xD800", u"Impressora\r\nfalsa"};
  M.DefaultPrinterText = u"Impressora\r\nfalsa";
  // Firmware that fills nothing in, on a Windows that still numbers itself as 7 does.
  M.FirmwareTable = smbios_tables::Placeholders();
  M.InstalledMemoryKiB = 8ULL << 20;
  M.JoinStatus = platform::NetSetupUnjoined;
  Cv.SetString(u"CurrentVersion", u"6.1");
  Cv.SetString(u"CSDVersion", u"Service Pack 1");
  M.DnsHostName = u"Esta\u00E7\u00E3o\xD800";
  // Windows 7: names through WMI only.
  M.SecurityCenter.ProductListRegistered = false;
  M.SecurityCenter.WmiProducts = {{u" Antiv\u00EDrus\r\nfalso\t", u"\x01"}};
}

std::string ReadText(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::stringstream Buffer;
  Buffer << In.rdbuf();
  return Buffer.str();
}

TEST_F(GlpiInventoryTest, DocumentsOfSimulatedMachinesMatchTheirGoldens) {
  struct TCase {
    const char* Golden;
    void (*Arrange)(sim::TMachine&);
    std::u16string File;
  };
  const std::vector<TCase> Cases{
      {"office-pc.json", OfficePc, DesktopJson},
      {"laptop.json", Laptop, u"C:\\Users\\ana\\Desktop\\relatorio_NB-FINANCEIRO-M.json"},
      {"nothing-found.json", NothingFound, u"C:\\Users\\ana\\Desktop\\relatorio_DESCONHECIDO.json"},
      {"hostile-names.json", HostileNames, DesktopJson},
  };
  for (const TCase& C : Cases) {
    SetUp();
    C.Arrange(Machine());
    EXPECT_EQ(RunInventario({u"/glpi"}), 0) << C.Golden << Machine().StdOut.Written;
    const std::optional<std::string> Json = Machine().FileSystem.FileData(C.File);
    ASSERT_TRUE(Json.has_value()) << C.Golden << Machine().StdOut.Written;
    const std::string GoldenPath = Fixtures + "/glpi/" + C.Golden;
    if (std::getenv("INVENTARIO_UPDATE_GOLDENS") != nullptr)
      std::ofstream(GoldenPath, std::ios::binary) << *Json;
    EXPECT_EQ(*Json, ReadText(GoldenPath)) << C.Golden;
    EXPECT_TRUE(nlohmann::json::accept(*Json)) << C.Golden;
  }
}

TEST_F(GlpiInventoryTest, BootTimeIsTheRunTimeMinusTheUptimeAcrossDaysAndYears) {
  struct TCase {
    platform::TSystemTime Now;
    std::uint64_t UptimeMs;
    const char* Expected;  // nullptr: left out
  };
  const std::vector<TCase> Cases{
      {{2026, 3, 2, 17, 14, 5, 9, 0}, 0, "2026-03-17 14:05:09"},
      {{2024, 3, 5, 1, 0, 0, 0, 500},
       1000,
       "2024-02-29 23:59:59"},  // .5 s minus 1 s: the second before
      {{2026, 1, 4, 1, 0, 0, 30, 0}, 31000, "2025-12-31 23:59:59"},
      {{2026, 13, 0, 1, 0, 0, 0, 0}, 0, nullptr},  // no such month
      {{1, 1, 0, 1, 0, 0, 0, 0}, 1000, nullptr},   // before year 1
  };
  for (const TCase& C : Cases) {
    TGlpiInventory Inv;
    Inv.DeviceName = u"PC";
    Inv.RunTime = C.Now;
    Inv.UptimeMilliseconds = C.UptimeMs;
    const nlohmann::json Doc = nlohmann::json::parse(GlpiInventoryJson(Inv));
    const nlohmann::json& Os = Doc["content"]["operatingsystem"];
    if (C.Expected == nullptr) {
      EXPECT_FALSE(Os.contains("boot_time")) << Os.dump();
    } else {
      EXPECT_EQ(Os.value("boot_time", ""), C.Expected);
    }
  }
}

TEST_F(GlpiInventoryTest, EachAdapterOfTheTableBecomesANetworkEntry) {
  const auto Adapter = [](std::uint32_t Type, std::string Ip, std::string Mask, std::string Gateway,
                          std::uint32_t Dhcp, std::string Server) {
    sim::TAdapter A;
    A.Description = "Rede";
    A.Type = Type;
    A.IpAddress = std::move(Ip);
    A.IpMask = std::move(Mask);
    A.Gateway = std::move(Gateway);
    A.DhcpEnabled = Dhcp;
    A.DhcpServer = std::move(Server);
    A.Address = {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x01, 0x02};
    return A;
  };
  struct TCase {
    sim::TAdapter Adapter;
    const char* Expected;
  };
  sim::TAdapter Eight = Adapter(6, "0.0.0.0", "", "", 1, "");
  Eight.AddressLength = 8;
  sim::TAdapter NoMac = Adapter(24, "", "", "", 1, "");
  NoMac.AddressLength = 0;
  sim::TAdapter Second = Adapter(6, "0.0.0.0", "0.0.0.0", "", 0, "");  // usable further down
  Second.MoreAddresses = {
      {"127.0.0.9", "255.0.0.0"}, {"192.0.2.9", "255.255.255.0"}, {"192.0.2.10", ""}};
  const std::vector<TCase> Cases{
      {Adapter(71, "172.16.5.130", "255.255.255.128", "172.16.5.129", 1, "172.16.5.1"),
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"wifi","ipaddress":"172.16.5.130",)"
       R"("ipmask":"255.255.255.128","ipsubnet":"172.16.5.128","ipgateway":"172.16.5.129",)"
       R"("ipdhcp":"172.16.5.1","status":"up"})"},
      // DHCP on with no server yet, and a gateway that is none.
      {Adapter(6, "169.254.7.9", "255.255.0.0", "0.0.0.0", 1, "0.0.0.0"),
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"ethernet","ipaddress":"169.254.7.9",)"
       R"("ipmask":"255.255.0.0","ipsubnet":"169.254.0.0","status":"up"})"},
      // A mask that is no address gives no subnet; DHCP off hides the server's address.
      {Adapter(243, "203.0.113.9", "255.255.255", "", 2, "203.0.113.1"),
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"dialup","ipaddress":"203.0.113.9",)"
       R"("status":"up"})"},
      // The report's unusable addresses: the adapter is listed, down, without them.
      {Adapter(6, "127.0.0.2", "255.0.0.0", "", 1, ""),
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"ethernet","status":"down"})"},
      {Adapter(6, "10.0.0.256", "255.0.0.0", "10.0.0.1", 0, ""),
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"ethernet","ipgateway":"10.0.0.1",)"
       R"("status":"down"})"},
      {Eight,
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff:01:02","type":"ethernet","status":"down"})"},
      {NoMac, R"({"description":"Rede","type":"loopback","status":"down"})"},
      {Second,
       R"({"description":"Rede","mac":"aa:bb:cc:dd:ee:ff","type":"ethernet","ipaddress":"192.0.2.9",)"
       R"("ipmask":"255.255.255.0","ipsubnet":"192.0.2.0","status":"up"})"},
  };
  for (const TCase& C : Cases) {
    SetUp();
    Machine().Adapters = {C.Adapter};
    EXPECT_EQ(RunInventario({u"/glpi"}), 0) << C.Expected;
    const std::optional<std::string> Json = Machine().FileSystem.FileData(DesktopJson);
    ASSERT_TRUE(Json.has_value()) << C.Expected;
    const nlohmann::ordered_json Doc = nlohmann::ordered_json::parse(*Json);
    EXPECT_EQ(Doc["content"]["networks"].dump(), "[" + std::string(C.Expected) + "]");
  }
}

TEST_F(GlpiInventoryTest, ProcessorDetailsGiveOneEntryPerPackage) {
  // The processor key's texts and the counts, as the processor probe gives them.
  struct TCpu {
    std::u16string Vendor;
    std::u16string Identifier;
    std::uint32_t Mhz, Packages, Cores, Threads;
  };
  struct TCase {
    TCpu Cpu;
    std::u16string Name;
    std::uint16_t Machine;
    const char* Expected;  // the cpus section; "null" when left out
  };
  const std::vector<TCase> Cases{
      {{u"AuthenticAMD", u"AMD64 Family 25 Model 80 Stepping 0", 3901, 2, 16, 32},
       u"Ryzen",
       platform::ImageFileMachineAmd64,
       R"([{"name":"Ryzen","manufacturer":"AMD","speed":3901,"core":8,"thread":16,"arch":"x86_64",)"
       R"("familynumber":"25","model":"80","stepping":0},{"name":"Ryzen","manufacturer":"AMD",)"
       R"("speed":3901,"core":8,"thread":16,"arch":"x86_64","familynumber":"25","model":"80",)"
       R"("stepping":0}])"},
      // An ARM processor's identifier has a hexadecimal model: that much is left out.
      {{u"Qualcomm Technologies Inc ", u"ARMv8 (64-bit) Family 8 Model D4B Revision   0", 0, 1, 8,
        8},
       u"",
       platform::ImageFileMachineArm64,
       R"([{"manufacturer":"Qualcomm Technologies Inc","core":8,"thread":8,"arch":"arm64",)"
       R"("familynumber":"8"}])"},
      {{u"GenuineIntel", u"x86 Family 6 Model 99999999999 Stepping 1", 0, 0, 0, 0},
       u"",
       platform::ImageFileMachineI386,
       R"([{"manufacturer":"Intel","arch":"i386","familynumber":"6","stepping":1}])"},
      // Counts and the installation's architecture alone describe no processor.
      {{u"", u"", 0, 1, 4, 8}, u"", platform::ImageFileMachineAmd64, "null"},
  };
  for (const TCase& C : Cases) {
    TGlpiInventory Inv;
    Inv.DeviceName = u"PC";
    Inv.CpuName = C.Name;
    TProcessorDetails P;
    ParseProcessorIdentity(C.Cpu.Vendor, C.Cpu.Identifier, P);
    Inv.Devices.Cpu = {P.Manufacturer, P.Family,       P.Model,     P.Stepping,
                       C.Cpu.Mhz,      C.Cpu.Packages, C.Cpu.Cores, C.Cpu.Threads};
    Inv.Devices.Machine = C.Machine;
    const auto Doc = nlohmann::ordered_json::parse(GlpiInventoryJson(Inv));
    EXPECT_EQ(Doc["content"].value("cpus", nlohmann::ordered_json()).dump(), C.Expected);
  }
}

// The goldens hold the UUID first, the serial without one and the run's time without either;
// a machine without both that says when Windows was installed is named by that, every run.
TEST_F(GlpiInventoryTest, TheDeviceIdNamesTheBoardBySerialBeforeTheInstallation) {
  TGlpiInventory Inv;
  Inv.DeviceName = u"pc-01";
  Inv.RunTime = {2026, 3, 2, 17, 14, 5, 9, 0};
  Inv.Identity.InstalledUtc = platform::TSystemTime{2024, 1, 5, 12, 11, 30, 0, 0};
  EXPECT_EQ(nlohmann::json::parse(GlpiInventoryJson(Inv))["deviceid"], "pc-01-2024-01-12-11-30-00");
  Inv.Identity.Bios.SystemSerial = u"7XK2M93";
  EXPECT_EQ(nlohmann::json::parse(GlpiInventoryJson(Inv))["deviceid"], "pc-01-7XK2M93");
}

// The office PC's golden holds the usual port types; here, addresses of zeros (an adapter that has
// none) of either length, one that only starts with zeros, and a type GLPI has no name for.
TEST_F(GlpiInventoryTest, EveryPortHasAGlpiTypeAndNoAddressOfZeros) {
  struct TCase {
    std::uint32_t Type;
    bool Virtual;
    std::vector<std::uint8_t> Mac;
    const char* Expected;
  };
  const std::vector<TCase> Cases{
      {23, true, {0, 0, 0, 0, 0, 0}, R"({"type":"dialup","virtualdev":true})"},
      {243, false, {0, 0, 0, 0, 0, 0, 0, 0}, R"({"type":"dialup"})"},
      {131, true, {}, R"({"type":"ethernet","virtualdev":true})"},
      {1, false, {0, 0, 0, 0, 0, 1}, R"({"mac":"00:00:00:00:00:01","type":"ethernet"})"},
  };
  for (const TCase& C : Cases) {
    TGlpiInventory Inv;
    Inv.DeviceName = u"PC";
    TGlpiNetwork Adapter;
    Adapter.Type = C.Type;
    Adapter.Virtual = C.Virtual;
    Adapter.Mac = C.Mac;
    Inv.Devices.Networks = {Adapter};
    auto Port = nlohmann::ordered_json::parse(GlpiInventoryJson(Inv))["content"]["networks"][0];
    Port.erase("description");
    Port.erase("status");
    EXPECT_EQ(Port.dump(), C.Expected) << C.Type;
  }
}

// A list read and found empty is an empty section, so that GLPI removes what is gone (the
// nothing-found golden has them); one that could not be read is left out, so that GLPI keeps it,
// and the console line names it: one of the Uninstall keys alone, then all three lists.
TEST_F(GlpiInventoryTest, ListsFoundEmptyAreEmptySectionsAndUnreadOnesAreLeftOut) {
  struct TCase {
    const char* Name;
    void (*Arrange)(sim::TMachine&);
    std::vector<std::string> Empty;  // sections that must be []
    std::vector<std::string> Unread;
  };
  const std::vector<TCase> Cases{
      {"an Uninstall key refuses access",
       [](sim::TMachine& M) {
         M.Registry
             .Key(platform::HkeyCurrentUser,
                  u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
             .GrantedAccess = 0;
       },
       {"networks", "printers"},
       {"softwares"}},
      {"all three",
       [](sim::TMachine& M) {
         M.FailCall("EnumPrintersW", 1722);
         M.FailCall("GetAdaptersInfo", platform::ErrorNotEnoughMemory);
         M.FailCall("RegOpenKeyExW", platform::ErrorAccessDenied);
       },
       {},
       {"networks", "printers", "softwares"}},
  };
  for (const TCase& C : Cases) {
    SetUp();
    Machine().ComputerName = u"ESCRITORIO-01";
    C.Arrange(Machine());
    EXPECT_EQ(RunInventario({u"/glpi"}), 0) << C.Name;
    const std::optional<std::string> Json = Machine().FileSystem.FileData(DesktopJson);
    ASSERT_TRUE(Json.has_value()) << C.Name << Machine().StdOut.Written;
    const nlohmann::json Content = nlohmann::json::parse(*Json)["content"];
    for (const std::string& Section : C.Empty)
      EXPECT_EQ(Content.value(Section, nlohmann::json()), nlohmann::json::array()) << C.Name;
    std::string Suffix;
    for (const std::string& Section : C.Unread) {
      EXPECT_FALSE(Content.contains(Section)) << C.Name << " " << Section;
      Suffix += (Suffix.empty() ? " (nao lidos: " : ", ") + Section;
    }
    if (!Suffix.empty()) Suffix += ")";
    EXPECT_NE(Machine().StdOut.Written.find("Inventario GLPI salvo em: " + U8(DesktopJson) +
                                            Suffix + "\r\n"),
              std::string::npos)
        << C.Name << Machine().StdOut.Written;
    EXPECT_FALSE(nlohmann::json::parse(*Json).contains("partial")) << C.Name;
  }
}

// A device list that could not be read is left out, and Security Center's answer of none is an
// empty section (the goldens hold the other two). GLPI reads a document without monitors as a PC
// without any: monitors that could not be read make the document partial instead, which keeps
// what GLPI has of every section left out.
TEST_F(GlpiInventoryTest, DeviceListsNotReadAreLeftOutAndUnreadMonitorsMakeThePartialDocument) {
  TGlpiInventory Inv;
  Inv.DeviceName = u"pc";
  Inv.Printers.emplace();
  Inv.Antivirus.emplace();
  nlohmann::json Doc = nlohmann::json::parse(GlpiInventoryJson(Inv));
  EXPECT_EQ(Doc.value("partial", false), true);
  EXPECT_FALSE(Doc["content"].contains("videos"));
  EXPECT_FALSE(Doc["content"].contains("monitors"));
  EXPECT_EQ(Doc["content"]["antivirus"], nlohmann::json::array());
  EXPECT_EQ(GlpiUnreadSections(Inv),
            (std::vector<std::string>{"networks", "softwares", "videos", "monitors"}));
  Inv.Devices.Videos.emplace();
  Inv.Devices.Monitors.emplace().push_back({u"Dell", u"P2419H", u"ABC", u"", "AAAA"});
  Doc = nlohmann::json::parse(GlpiInventoryJson(Inv));
  EXPECT_FALSE(Doc.contains("partial"));
  EXPECT_EQ(GlpiUnreadSections(Inv), (std::vector<std::string>{"networks", "softwares"}));
}

}  // namespace
