#include <algorithm>
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

}  // namespace

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
  SpeedStr = u"Ativa (1 Gbps)";
}
