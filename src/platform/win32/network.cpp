// The adapter table: forwarding to iphlpapi, bound on first use from the system folder; the
// program reads its records at fixed offsets.
#include "platform/win32/windows_api.h"

#include <cstddef>
// The interface rows are declared only with the socket address types in view.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>

#include "platform/win32/system_library.h"

namespace platform {

namespace record = adapter_record;

static_assert(sizeof(IP_ADAPTER_INFO) == record::RecordSize);
static_assert(offsetof(IP_ADAPTER_INFO, Description) == record::Description);
static_assert(sizeof(IP_ADAPTER_INFO{}.Description) == record::DescriptionSize);
static_assert(offsetof(IP_ADAPTER_INFO, AddressLength) == record::AddressLength);
static_assert(offsetof(IP_ADAPTER_INFO, Address) == record::Address);
static_assert(sizeof(IP_ADAPTER_INFO{}.Address) == record::AddressSize);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpEnabled) == record::DhcpEnabled);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) + offsetof(IP_ADDR_STRING, IpAddress) ==
              record::IpAddress);
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) + offsetof(IP_ADDR_STRING, IpAddress) ==
              record::GatewayAddress);
static_assert(offsetof(IP_ADAPTER_INFO, Index) == record::Index);
static_assert(offsetof(IP_ADAPTER_INFO, Type) == record::Type);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) + offsetof(IP_ADDR_STRING, IpMask) ==
              record::IpMask);
static_assert(offsetof(IP_ADAPTER_INFO, DhcpServer) + offsetof(IP_ADDR_STRING, IpAddress) ==
              record::DhcpServer);
static_assert(offsetof(IP_ADAPTER_INFO, IpAddressList) == record::IpAddressList);
static_assert(offsetof(IP_ADDR_STRING, IpAddress) == record::EntryAddress);
static_assert(offsetof(IP_ADDR_STRING, IpMask) == record::EntryMask);
static_assert(MIB_IF_TYPE_ETHERNET == record::TypeEthernet);
static_assert(MIB_IF_TYPE_LOOPBACK == record::TypeLoopback);
static_assert(IF_TYPE_IEEE80211 == record::TypeWireless);

std::uint32_t GetAdaptersInfo(std::uint8_t* AdapterInfo, std::uint32_t* SizePointer) {
  static const win32::TSystemFunction<decltype(::GetAdaptersInfo)> Bound(L"iphlpapi.dll",
                                                                         "GetAdaptersInfo");
  // The call's own way of failing: its result is the error code.
  if (Bound.Get() == nullptr) return Bound.Error();
  ULONG Size = *SizePointer;
  const DWORD Result = Bound.Get()(reinterpret_cast<PIP_ADAPTER_INFO>(AdapterInfo), &Size);
  *SizePointer = Size;
  return Result;
}

static_assert(sizeof(MIB_IF_ROW2) == if_row::RowSize);
static_assert(offsetof(MIB_IF_ROW2, InterfaceLuid) == if_row::InterfaceLuid);
static_assert(offsetof(MIB_IF_ROW2, InterfaceIndex) == if_row::InterfaceIndex);
static_assert(offsetof(MIB_IF_ROW2, OperStatus) == if_row::OperStatus);
static_assert(offsetof(MIB_IF_ROW2, MediaConnectState) == if_row::MediaConnectState);
static_assert(offsetof(MIB_IF_ROW2, TransmitLinkSpeed) == if_row::TransmitLinkSpeed);
static_assert(offsetof(MIB_IF_ROW2, ReceiveLinkSpeed) == if_row::ReceiveLinkSpeed);
static_assert(IfOperStatusUp == if_row::OperStatusUp);
static_assert(MediaConnectStateConnected == if_row::MediaConnectStateConnected);
static_assert(MediaConnectStateDisconnected == if_row::MediaConnectStateDisconnected);

std::uint32_t GetIfEntry2(std::uint8_t* Row) {
  // Bound by name when first asked for, so the exe still starts where iphlpapi lacks it.
  static const win32::TSystemFunction<decltype(::GetIfEntry2)> Bound(L"iphlpapi.dll",
                                                                     "GetIfEntry2");
  if (Bound.Get() == nullptr) return Bound.Error();
  return Bound.Get()(reinterpret_cast<PMIB_IF_ROW2>(Row));
}

const std::uint8_t* NextAdapter(const std::uint8_t* Record) {
  return reinterpret_cast<const std::uint8_t*>(reinterpret_cast<const IP_ADAPTER_INFO*>(Record)->Next);
}

const std::uint8_t* NextAddress(const std::uint8_t* Entry) {
  return reinterpret_cast<const std::uint8_t*>(
      reinterpret_cast<const IP_ADDR_STRING*>(Entry)->Next);
}

}  // namespace platform
