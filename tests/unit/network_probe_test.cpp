#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "main/program_flow.h"
#include "probes/probes.h"
#include "simulated_machine.h"
#include "text/exceptions.h"

namespace {

class NetworkProbeTest : public SimulatedMachineTest {};

using platform::simulated::TAdapter;

struct TDetails {
  std::u16string NetName, IPLocal, Gateway, MAC, TipoIP, SpeedStr;
  bool operator==(const TDetails&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TDetails& D) {
  return Out << U8(D.NetName) << " | " << U8(D.IPLocal) << " | " << U8(D.Gateway) << " | "
             << U8(D.MAC) << " | " << U8(D.TipoIP) << " | " << U8(D.SpeedStr);
}

TDetails Details() {
  TDetails D;
  GetNetworkDetails(D.NetName, D.IPLocal, D.Gateway, D.MAC, D.TipoIP, D.SpeedStr);
  return D;
}

// The inventory's adapters, nothing when the table could not be read, and the report's fields.
std::optional<std::vector<TAdapterDetails>> ListedAdapters(TDetails& D) {
  std::optional<std::vector<TAdapterDetails>> Adapters;
  GetNetworkDetails(D.NetName, D.IPLocal, D.Gateway, D.MAC, D.TipoIP, D.SpeedStr, &Adapters);
  return Adapters;
}

const TDetails Fallbacks{u"Desconhecida (N\u00E3o conectada)",
                         u"N\u00E3o obtido",
                         u"N\u00E3o obtido",
                         u"N\u00E3o obtido",
                         u"IP Est\u00E1tico (Fixo)",
                         u"N\u00E3o conectada"};

TAdapter Adapter(std::string Description, std::string Ip, std::string Gateway,
                 std::uint32_t Dhcp = 1) {
  TAdapter A;
  A.Description = std::move(Description);
  A.IpAddress = std::move(Ip);
  A.Gateway = std::move(Gateway);
  A.DhcpEnabled = Dhcp;
  A.Address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x70};
  return A;
}

TEST_F(NetworkProbeTest, TheFirstAdapterWithAUsableAddressIsReported) {
  const std::u16string Dhcp = u"DHCP (Autom\u00E1tico)";
  const std::u16string Static = u"IP Est\u00E1tico (Fixo)";
  const std::u16string Active = u"Ativa";  // these adapters' interfaces have no row to ask
  const std::u16string NoGateway = u"N\u00E3o encontrado";
  const std::u16string Mac6 = u"00-1A-2B-3C-4D-5E";
  struct TCase {
    const char* Name;
    std::vector<TAdapter> Adapters;
    TDetails Expected;
  };
  std::vector<TCase> Cases{
      {"no adapter", {}, Fallbacks},
      {"only unusable addresses",
       {Adapter("a", "0.0.0.0", "1.1.1.1"), Adapter("b", "", ""), Adapter("c", "127.0.0.1", ""),
        Adapter("d", "127.5.5.5", "")},
       Fallbacks},
      {"skips the adapter without a link",
       {Adapter("Wi-Fi", "0.0.0.0", ""), Adapter("Ethernet", "192.168.0.10", "192.168.0.1")},
       {u"Ethernet", u"192.168.0.10", u"192.168.0.1", Mac6, Dhcp, Active}},
      {"12.7 is not loopback",
       {Adapter("x", "12.7.0.1", "0.0.0.0", 0)},
       {u"x", u"12.7.0.1", NoGateway, Mac6, Static, Active}},
      {"empty gateway, DHCP 2",
       {Adapter("x", "10.0.0.2", "", 2)},
       {u"x", u"10.0.0.2", NoGateway, Mac6, Static, Active}},
      {"only the first usable one",
       {Adapter("one", "10.0.0.1", "10.0.0.254"), Adapter("two", "10.0.0.2", "")},
       {u"one", u"10.0.0.1", u"10.0.0.254", Mac6, Dhcp, Active}},
      {"ANSI description",
       {Adapter("Conex\xE3o de Rede", "10.0.0.1", "gw")},
       {u"Conex\u00E3o de Rede", u"10.0.0.1", u"gw", Mac6, Dhcp, Active}},
      {"a description filling its field",
       {Adapter(std::string(132, 'D'), "10.0.0.1", "gw")},
       {std::u16string(132, u'D'), u"10.0.0.1", u"gw", Mac6, Dhcp, Active}},
  };
  TAdapter NoMac = Adapter("nomac", "10.0.0.3", "gw");
  NoMac.AddressLength = 0;
  Cases.push_back(
      {"no hardware address", {NoMac}, {u"nomac", u"10.0.0.3", u"gw", u"", Dhcp, Active}});
  TAdapter Mac8 = Adapter("mac8", "10.0.0.4", "gw");
  Mac8.AddressLength = 8;
  Cases.push_back({"eight address bytes",
                   {Mac8},
                   {u"mac8", u"10.0.0.4", u"gw", u"00-1A-2B-3C-4D-5E-6F-70", Dhcp, Active}});
  for (const TCase& C : Cases) {
    Machine().Adapters = C.Adapters;
    EXPECT_EQ(Details(), C.Expected) << C.Name;
  }
}

TEST_F(NetworkProbeTest, FailingTableQueriesLeaveTheFallbacks) {
  for (int Call = 0; Call < 2; ++Call) {
    platform::simulated::ResetMachine();
    Machine().Adapters = {Adapter("x", "10.0.0.1", "gw")};
    Machine().FailCall("GetAdaptersInfo", platform::ErrorNotEnoughMemory, Call, 1);
    EXPECT_EQ(Details(), Fallbacks) << Call;
  }
  // iphlpapi.dll is bound on first use; when it cannot be loaded, the table query fails with it.
  platform::simulated::ResetMachine();
  Machine().Adapters = {Adapter("x", "10.0.0.1", "gw")};
  Machine().FailLibrary("iphlpapi.dll", platform::ErrorModNotFound);
  EXPECT_EQ(Details(), Fallbacks);
}

// The adapter the PC reaches the network through is the first usable one with a default gateway:
// host-only and VPN adapters listed before it have none.
TEST_F(NetworkProbeTest, TheFirstUsableAdapterWithAGatewayIsReported) {
  const std::u16string Dhcp = u"DHCP (Autom\u00E1tico)";
  const std::u16string Active = u"Ativa";
  const std::u16string Mac6 = u"00-1A-2B-3C-4D-5E";
  struct TCase {
    const char* Name;
    std::vector<TAdapter> Adapters;
    TDetails Expected;
  };
  const std::vector<TCase> Cases{
      {"gateway on the second only",
       {Adapter("VirtualBox Host-Only", "192.168.56.1", ""),
        Adapter("Ethernet", "10.1.2.3", "10.1.2.1")},
       {u"Ethernet", u"10.1.2.3", u"10.1.2.1", Mac6, Dhcp, Active}},
      {"gateway on none",
       {Adapter("Host-Only", "192.168.56.1", "0.0.0.0"), Adapter("VPN", "172.16.0.5", "")},
       {u"Host-Only", u"192.168.56.1", u"N\u00E3o encontrado", Mac6, Dhcp, Active}},
      {"gateway on two",
       {Adapter("Wi-Fi", "10.0.0.7", "10.0.0.1"), Adapter("Ethernet", "10.1.2.3", "10.1.2.1")},
       {u"Wi-Fi", u"10.0.0.7", u"10.0.0.1", Mac6, Dhcp, Active}},
      {"a gateway on an adapter without a usable address does not count",
       {Adapter("Down", "0.0.0.0", "10.9.9.1"), Adapter("Up", "10.1.2.3", "")},
       {u"Up", u"10.1.2.3", u"N\u00E3o encontrado", Mac6, Dhcp, Active}},
  };
  for (const TCase& C : Cases) {
    Machine().Adapters = C.Adapters;
    EXPECT_EQ(Details(), C.Expected) << C.Name;
  }
}

// A VPN adapter coming up between the size query and the fetch: the fetch is asked again with
// the size it gave, five fetches in all; a table that could not be read is no list. (A machine
// without adapters has an empty one, as the nothing-found golden shows.)
TEST_F(NetworkProbeTest, ATableThatGrowsBetweenTheCallsIsFetchedAgain) {
  for (const std::size_t Growths : {0U, 1U, 3U, 6U}) {
    platform::simulated::ResetMachine();
    Machine().Adapters = {Adapter("Ethernet", "10.1.2.3", "10.1.2.1")};
    for (std::size_t I = 0; I < Growths; ++I)
      Machine().ArrivingAdapters.push_back(Adapter("VPN", "172.16.0.5", ""));
    TDetails D;
    const auto Adapters = ListedAdapters(D);
    EXPECT_EQ(D.NetName, Growths < 6 ? u"Ethernet" : Fallbacks.NetName) << Growths;
    EXPECT_EQ(Adapters ? Adapters->size() : 0, Growths < 6 ? Growths + 1 : 0) << Growths;
    EXPECT_EQ(Adapters.has_value(), Growths < 6) << Growths;
    EXPECT_EQ(Machine().CallCount("GetAdaptersInfo"), std::min<int>(Growths, 5) + 1 + (Growths < 6))
        << Growths;
  }
}

TEST_F(NetworkProbeTest, MoreThanEightAddressBytesIsARangeError) {
  TAdapter Odd = Adapter("odd", "10.0.0.9", "");
  Odd.AddressLength = 9;
  Machine().Adapters = {Odd};
  TDetails D = Fallbacks;
  EXPECT_THROW(GetNetworkDetails(D.NetName, D.IPLocal, D.Gateway, D.MAC, D.TipoIP, D.SpeedStr),
               ERangeError);
  EXPECT_EQ(D, (TDetails{u"odd", u"10.0.0.9", u"N\u00E3o encontrado", Fallbacks.MAC,
                         u"DHCP (Autom\u00E1tico)", Fallbacks.SpeedStr}));
  Machine().StdOut.FileType = platform::FileTypeDisk;
  EXPECT_EQ(RunInventario(), 0);
  EXPECT_NE(Machine().StdOut.Written.find("\r\nERangeError: Range check error\r\n"),
            std::string::npos);
  EXPECT_TRUE(Machine().FileSystem.FileNames().empty());
}

// The report adapter's interface row, and what the line says of it. (An interface without a row
// reads "Ativa" in the table of adapters above.)
TEST_F(NetworkProbeTest, TheStatusSaysWhatTheInterfaceRowSays) {
  constexpr std::uint32_t Down = 2;
  constexpr std::uint64_t AllOnes = ~std::uint64_t{0};
  struct TCase {
    const char* Name;
    std::uint32_t MediaConnectState;
    std::uint32_t OperStatus;
    std::uint64_t Receive;
    std::uint64_t Transmit;
    char16_t Separator;
    std::u16string Expected;
  };
  const std::uint32_t Connected = platform::if_row::MediaConnectStateConnected;
  const std::uint32_t Cut = platform::if_row::MediaConnectStateDisconnected;
  const std::uint32_t Up = platform::if_row::OperStatusUp;
  const std::vector<TCase> Cases{
      {"disconnected, whatever else", Cut, Up, 1000000000, 1000000000, u',', u"N\u00E3o conectada"},
      {"connected but not operational", Connected, Down, 1000000000, 1000000000, u',', u"Inativa"},
      {"state unknown counts as connected", 0, Up, 100000000, 100000000, u',', u"Ativa (100 Mbps)"},
      {"2.5 Gbps, comma", Connected, Up, 2500000000, 2500000000, u',', u"Ativa (2,5 Gbps)"},
      {"2.5 Gbps, period", Connected, Up, 2500000000, 2500000000, u'.', u"Ativa (2.5 Gbps)"},
      {"rounds up into the next unit", Connected, Up, 999950000, 999950000, u',',
       u"Ativa (1 Gbps)"},
      {"stays below it", Connected, Up, 999940000, 999940000, u',', u"Ativa (999,9 Mbps)"},
      {"not rounded into a unit it does not reach", Connected, Up, 950000000, 950000000, u',',
       u"Ativa (950 Mbps)"},
      {"kilobits", Connected, Up, 56000, 56000, u',', u"Ativa (56 Kbps)"},
      {"Wi-Fi, receive first, larger unit", Connected, Up, 866700000, 780000000, u',',
       u"Ativa (866,7 / 780 Mbps)"},
      {"transmit the larger", Connected, Up, 100000000, 1000000000, u',', u"Ativa (0,1 / 1 Gbps)"},
      {"equal once rounded", Connected, Up, 1000000000, 1000040000, u',', u"Ativa (1 Gbps)"},
      // All ones is unknown, as 0 is (the Wine report's golden has that one).
      {"all ones is unknown", Connected, Up, AllOnes, AllOnes, u',', u"Ativa"},
      {"only one direction known", Connected, Up, AllOnes, 54000000, u',', u"Ativa (54 Mbps)"},
  };
  for (const TCase& C : Cases) {
    SetUp();
    FormatSettings.DecimalSeparator = C.Separator;
    TAdapter A = Adapter("x", "10.0.0.1", "10.0.0.254");
    A.Index = 12;
    A.MediaConnectState = C.MediaConnectState;
    A.OperStatus = C.OperStatus;
    A.ReceiveLinkSpeed = C.Receive;
    A.TransmitLinkSpeed = C.Transmit;
    Machine().Adapters = {A};
    EXPECT_EQ(U8(Details().SpeedStr), U8(C.Expected)) << C.Name;
  }
}

// The report asks for its own adapter's row only; the inventory's list asks once per adapter and
// the report takes its adapter's answer from there.
TEST_F(NetworkProbeTest, EachInterfaceRowIsAskedForOnce) {
  TAdapter Wifi = Adapter("Wi-Fi", "0.0.0.0", "");
  Wifi.Index = 3;
  Wifi.MediaConnectState = platform::if_row::MediaConnectStateDisconnected;
  TAdapter Cable = Adapter("Ethernet", "192.0.2.10", "192.0.2.1");
  Cable.Index = 9;
  Cable.ReceiveLinkSpeed = Cable.TransmitLinkSpeed = 100000000;
  Machine().Adapters = {Wifi, Cable};
  EXPECT_EQ(U8(Details().SpeedStr), "Ativa (100 Mbps)");
  EXPECT_EQ(Machine().CallCount("GetIfEntry2"), 1);
  TDetails D;
  const auto Listed = ListedAdapters(D);
  EXPECT_EQ(U8(D.SpeedStr), "Ativa (100 Mbps)");
  EXPECT_EQ(Machine().CallCount("GetIfEntry2"), 3);
  ASSERT_TRUE(Listed && Listed->size() == 2);
  EXPECT_TRUE((*Listed)[0].Link.Read);
  EXPECT_FALSE((*Listed)[0].Link.Connected);
  EXPECT_EQ((*Listed)[1].Link.ReceiveBps, 100000000U);
}

}  // namespace
