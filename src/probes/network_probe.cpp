#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "probes/network_class.h"
#include "probes/probes.h"
#include "probes/sized_fetch.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/string_routines.h"
#include "text/sys_utils.h"

namespace {

namespace record = platform::adapter_record;
constexpr std::uint32_t ErrorNoData = 232;  // the system has no adapter

std::u16string TextField(const std::uint8_t* Record, std::size_t Offset, std::size_t Size) {
  return AnsiToUnicode(std::string_view(reinterpret_cast<const char*>(Record + Offset), Size));
}

std::uint32_t WordField(const std::uint8_t* Record, std::size_t Offset) {
  std::uint32_t Value = 0;
  std::memcpy(&Value, Record + Offset, sizeof Value);
  return Value;
}

bool Unusable(const std::u16string& IPStr) {
  return IPStr == u"0.0.0.0" || IPStr.empty() || Copy(IPStr, 1, 3) == u"127";
}

// The hardware address as pairs of hex digits joined by "-"; more than the record's eight
// address bytes is a range error, raised before anything past them is read.
std::u16string MacText(const std::uint8_t* Record) {
  const std::uint32_t Length = WordField(Record, record::AddressLength);
  std::u16string MacStr;
  for (std::uint32_t I = 0; I < Length; ++I) {
    if (I >= record::AddressSize) RaiseRangeError();
    if (!MacStr.empty()) MacStr += u'-';
    MacStr += IntToHex(Record[record::Address + I], 2);
  }
  return MacStr;
}

// The adapter as the GLPI inventory lists it; an address longer than the record's eight bytes
// is cut to them, since this list raises no error of its own.
TAdapterDetails AdapterDetails(const std::uint8_t* Record) {
  TAdapterDetails Details;
  Details.Description = TextField(Record, record::Description, record::DescriptionSize);
  const std::uint32_t Length = WordField(Record, record::AddressLength);
  Details.Mac.assign(Record + record::Address,
                     Record + record::Address + std::min<std::size_t>(Length, record::AddressSize));
  Details.Type = WordField(Record, record::Type);
  Details.DhcpEnabled = WordField(Record, record::DhcpEnabled);
  // The first usable address of the list, else its first entry.
  for (const std::uint8_t* Entry = Record + record::IpAddressList; Entry != nullptr;
       Entry = platform::NextAddress(Entry)) {
    std::u16string Address = TextField(Entry, record::EntryAddress, record::AddressTextSize);
    const bool First = Entry == Record + record::IpAddressList;
    if (First || !Unusable(Address)) {
      Details.IpAddress = std::move(Address);
      Details.IpMask = TextField(Entry, record::EntryMask, record::AddressTextSize);
    }
    if (!Unusable(Details.IpAddress)) break;
  }
  Details.Gateway = TextField(Record, record::GatewayAddress, record::AddressTextSize);
  Details.DhcpServer = TextField(Record, record::DhcpServer, record::AddressTextSize);
  Details.AdapterName = TextField(Record, record::AdapterName, record::AdapterNameSize);
  Details.Index = WordField(Record, record::Index);
  Details.Link = GetLinkState(Details.Index);
  return Details;
}

bool HasGateway(const std::u16string& GwStr) { return !GwStr.empty() && GwStr != u"0.0.0.0"; }

// The adapter the PC reaches the network through: of those with a usable address, the first
// with a default gateway, since a host-only or VPN adapter listed before it has none; where no
// adapter has one, the first with a usable address (an APIPA address then still tells the
// technician that DHCP failed). Null when no adapter has a usable address.
const std::uint8_t* ReportedAdapter(const std::uint8_t* Table) {
  const std::uint8_t* FirstUsable = nullptr;
  for (const std::uint8_t* Ptr = Table; Ptr != nullptr; Ptr = platform::NextAdapter(Ptr)) {
    if (Unusable(TextField(Ptr, record::IpAddress, record::AddressTextSize))) continue;
    if (HasGateway(TextField(Ptr, record::GatewayAddress, record::AddressTextSize))) return Ptr;
    if (FirstUsable == nullptr) FirstUsable = Ptr;
  }
  return FirstUsable;
}

// Tenths of Bps in Unit, rounded half up.
std::uint64_t Tenths(std::uint64_t Bps, std::uint64_t Unit) {
  const std::uint64_t Tenth = Unit / 10;
  return Bps / Tenth + (Bps % Tenth >= Tenth / 2 ? 1 : 0);
}

struct TSpeedUnit {
  std::uint64_t Bps;
  std::u16string_view Name;
};
constexpr std::array<TSpeedUnit, 3> Units{
    {{1000000000, u"Gbps"}, {1000000, u"Mbps"}, {1000, u"Kbps"}}};

// The unit the speed reads in: the largest it reaches, once rounded to one decimal in the unit
// it reaches unrounded (999.95 Mbps is 1000.0 Mbps, which is 1 Gbps).
const TSpeedUnit& UnitOf(std::uint64_t Bps) {
  std::size_t Index = Bps >= Units[0].Bps ? 0 : Bps >= Units[1].Bps ? 1 : 2;
  if (Index > 0 && Tenths(Bps, Units[Index].Bps) >= 10000) --Index;
  return Units[Index];
}

std::u16string Amount(std::uint64_t Bps, const TSpeedUnit& Unit) {
  const std::uint64_t T = Tenths(Bps, Unit.Bps);
  std::u16string Text = IntToStr(static_cast<std::int64_t>(T / 10));
  if (T % 10 != 0)
    Text += FormatSettings.DecimalSeparator + IntToStr(static_cast<std::int64_t>(T % 10));
  return Text;
}

// 0 and all ones are how the system says it does not know.
std::uint64_t KnownSpeed(std::uint64_t Bps) { return Bps == ~std::uint64_t{0} ? 0 : Bps; }

std::uint64_t Field64(const std::uint8_t* Row, std::size_t Offset) {
  std::uint64_t Value = 0;
  std::memcpy(&Value, Row + Offset, sizeof Value);
  return Value;
}

}  // namespace

std::u16string LinkSpeedText(std::uint64_t ReceiveBps, std::uint64_t TransmitBps) {
  ReceiveBps = KnownSpeed(ReceiveBps);
  TransmitBps = KnownSpeed(TransmitBps);
  if (ReceiveBps == 0 && TransmitBps == 0) return {};
  if (ReceiveBps == 0 || TransmitBps == 0) {
    const std::uint64_t Bps = std::max(ReceiveBps, TransmitBps);
    return Amount(Bps, UnitOf(Bps)) + u" " + std::u16string{UnitOf(Bps).Name};
  }
  const TSpeedUnit& Unit = UnitOf(std::max(ReceiveBps, TransmitBps));
  const std::u16string Receive = Amount(ReceiveBps, Unit);
  const std::u16string Transmit = Amount(TransmitBps, Unit);
  return (Receive == Transmit ? Receive : Receive + u" / " + Transmit) + u" " +
         std::u16string{Unit.Name};
}

std::u16string LinkText(const TLinkState& Link) {
  if (Link.Read && !Link.Connected) return u"N\u00E3o conectada";
  if (Link.Read && !Link.Up) return u"Inativa";
  const std::u16string Speed = Link.Read ? LinkSpeedText(Link.ReceiveBps, Link.TransmitBps) : u"";
  return Speed.empty() ? u"Ativa" : u"Ativa (" + Speed + u")";
}

TLinkState GetLinkState(std::uint32_t InterfaceIndex) {
  TLinkState Link;
  alignas(8) std::array<std::uint8_t, platform::if_row::RowSize> Row{};
  std::memcpy(Row.data() + platform::if_row::InterfaceIndex, &InterfaceIndex,
              sizeof InterfaceIndex);
  if (platform::GetIfEntry2(Row.data()) != 0) return Link;
  Link.Read = true;
  Link.Connected = WordField(Row.data(), platform::if_row::MediaConnectState) !=
                   platform::if_row::MediaConnectStateDisconnected;
  Link.Up = WordField(Row.data(), platform::if_row::OperStatus) == platform::if_row::OperStatusUp;
  Link.ReceiveBps = KnownSpeed(Field64(Row.data(), platform::if_row::ReceiveLinkSpeed));
  Link.TransmitBps = KnownSpeed(Field64(Row.data(), platform::if_row::TransmitLinkSpeed));
  return Link;
}

void GetNetworkDetails(std::u16string& NetName, std::u16string& IPLocal, std::u16string& Gateway,
                       std::u16string& MAC, std::u16string& TipoIP, std::u16string& SpeedStr,
                       std::optional<std::vector<TAdapterDetails>>* Adapters) {
  NetName = u"Desconhecida (N\u00E3o conectada)";
  IPLocal = AddressNotObtained;
  Gateway = AddressNotObtained;
  MAC = AddressNotObtained;
  TipoIP = u"IP Est\u00E1tico (Fixo)";
  SpeedStr = u"N\u00E3o conectada";

  std::uint32_t BufLen = 0;
  const std::uint32_t First = platform::GetAdaptersInfo(nullptr, &BufLen);
  // No adapter at all is an answer; any other failure says nothing of the adapters.
  if (First == ErrorNoData && Adapters != nullptr) Adapters->emplace();
  if (First != platform::ErrorBufferOverflow) return;
  std::vector<std::uint8_t> AdapterInfo;
  const bool Fetched =
      FetchGrowing(AdapterInfo, BufLen, [](std::vector<std::uint8_t>& Into, std::uint32_t& Size) {
        const std::uint32_t Result = platform::GetAdaptersInfo(Into.data(), &Size);
        return Result == 0                               ? TFetch::Done
               : Result == platform::ErrorBufferOverflow ? TFetch::TooSmall
                                                         : TFetch::Failed;
      });
  if (!Fetched) return;
  if (Adapters != nullptr) {
    Adapters->emplace();
    for (const std::uint8_t* Ptr = AdapterInfo.data(); Ptr != nullptr;
         Ptr = platform::NextAdapter(Ptr))
      (*Adapters)->push_back(AdapterDetails(Ptr));
    AddDriverKeyFacts(**Adapters, GetNetworkDriverKeys());
  }

  const std::uint8_t* Chosen = ReportedAdapter(AdapterInfo.data());
  if (Chosen == nullptr) return;
  const std::u16string GwStr = TextField(Chosen, record::GatewayAddress, record::AddressTextSize);
  NetName = TextField(Chosen, record::Description, record::DescriptionSize);
  IPLocal = TextField(Chosen, record::IpAddress, record::AddressTextSize);
  Gateway = HasGateway(GwStr) ? GwStr : std::u16string{GatewayNotFound};
  TipoIP = WordField(Chosen, record::DhcpEnabled) == 1 ? u"DHCP (Autom\u00E1tico)"
                                                       : u"IP Est\u00E1tico (Fixo)";
  MAC = MacText(Chosen);
  // With the inventory's list the row was asked for already: one call per adapter.
  std::size_t Position = 0;
  for (const std::uint8_t* Ptr = AdapterInfo.data(); Ptr != Chosen; Ptr = platform::NextAdapter(Ptr))
    ++Position;
  SpeedStr = LinkText(Adapters != nullptr ? (**Adapters)[Position].Link
                                          : GetLinkState(WordField(Chosen, record::Index)));
}
