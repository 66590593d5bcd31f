// Simulated adapter table, in the layout the real one has for this build's pointer width.
#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;

namespace {

using adapter_record::RecordSize;
constexpr std::size_t EntrySize = adapter_record::EntryMask + adapter_record::AddressTextSize + 8;
constexpr std::uint32_t ErrorNoData = 232;

void PutText(std::uint8_t* Record, std::size_t Offset, std::size_t Size, const std::string& Text) {
  std::copy_n(Text.data(), std::min(Size, Text.size()), Record + Offset);
}

void PutWord(std::uint8_t* Record, std::size_t Offset, std::uint32_t Value) {
  std::memcpy(Record + Offset, &Value, sizeof Value);
}

}  // namespace

std::uint32_t GetAdaptersInfo(std::uint8_t* AdapterInfo, std::uint32_t* SizePointer) {
  auto& M = Machine();
  if (M.Failing("GetAdaptersInfo")) return M.LastError;
  if (SizePointer == nullptr) return ErrorInvalidParameter;
  if (M.Adapters.empty()) return ErrorNoData;
  std::size_t Entries = 0;  // further address-list entries, after the records
  for (const simulated::TAdapter& A : M.Adapters) Entries += A.MoreAddresses.size();
  const auto Needed =
      static_cast<std::uint32_t>(RecordSize * M.Adapters.size() + EntrySize * Entries);
  if (AdapterInfo == nullptr || *SizePointer < Needed) {
    *SizePointer = Needed;
    if (!M.ArrivingAdapters.empty()) {
      M.Adapters.push_back(M.ArrivingAdapters.front());
      M.ArrivingAdapters.erase(M.ArrivingAdapters.begin());
    }
    return ErrorBufferOverflow;
  }
  std::memset(AdapterInfo, 0, Needed);
  std::uint8_t* Entry = AdapterInfo + RecordSize * M.Adapters.size();
  for (std::size_t I = 0; I < M.Adapters.size(); ++I) {
    const simulated::TAdapter& A = M.Adapters[I];
    std::uint8_t* Record = AdapterInfo + I * RecordSize;
    // The link is a flag here: records follow each other in the block.
    PutWord(Record, 0, I + 1 < M.Adapters.size() ? 1 : 0);
    PutText(Record, adapter_record::Description, adapter_record::DescriptionSize, A.Description);
    PutWord(Record, adapter_record::AddressLength, A.AddressLength);
    std::memcpy(Record + adapter_record::Address, A.Address.data(), A.Address.size());
    PutWord(Record, adapter_record::DhcpEnabled, A.DhcpEnabled);
    PutText(Record, adapter_record::IpAddress, adapter_record::AddressTextSize - 1, A.IpAddress);
    PutText(Record, adapter_record::GatewayAddress, adapter_record::AddressTextSize - 1, A.Gateway);
    PutWord(Record, adapter_record::Index, A.Index);
    PutWord(Record, adapter_record::Type, A.Type);
    PutText(Record, adapter_record::IpMask, adapter_record::AddressTextSize - 1, A.IpMask);
    PutText(Record, adapter_record::DhcpServer, adapter_record::AddressTextSize - 1, A.DhcpServer);
    PutText(Record, adapter_record::AdapterName, adapter_record::AdapterNameSize - 1,
            A.AdapterName);
    // Each entry's link is the distance to the next one, which follows it.
    std::uint8_t* Previous = Record + adapter_record::IpAddressList;
    for (const auto& [Address, Mask] : A.MoreAddresses) {
      PutWord(Previous, 0, static_cast<std::uint32_t>(Entry - Previous));
      PutText(Entry, adapter_record::EntryAddress, adapter_record::AddressTextSize - 1, Address);
      PutText(Entry, adapter_record::EntryMask, adapter_record::AddressTextSize - 1, Mask);
      Previous = Entry;
      Entry += EntrySize;
    }
  }
  return 0;
}

std::uint32_t GetIfEntry2(std::uint8_t* Row) {
  auto& M = Machine();
  if (M.Failing("GetIfEntry2")) return M.LastError;
  if (Row == nullptr) return ErrorInvalidParameter;
  std::uint64_t Luid = 0;
  std::uint32_t Index = 0;
  std::memcpy(&Luid, Row + if_row::InterfaceLuid, sizeof Luid);
  std::memcpy(&Index, Row + if_row::InterfaceIndex, sizeof Index);
  if (Luid != 0) return ErrorFileNotFound;  // the simulated interfaces have no LUIDs
  if (Index == 0) return ErrorInvalidParameter;
  const auto Found =
      std::find_if(M.Adapters.begin(), M.Adapters.end(),
                   [Index](const simulated::TAdapter& A) { return A.Index == Index; });
  if (Found == M.Adapters.end() || !Found->HasRow) return ErrorFileNotFound;
  std::memset(Row, 0, if_row::RowSize);
  std::memcpy(Row + if_row::InterfaceIndex, &Index, sizeof Index);
  PutWord(Row, if_row::OperStatus, Found->OperStatus);
  PutWord(Row, if_row::MediaConnectState, Found->MediaConnectState);
  std::memcpy(Row + if_row::TransmitLinkSpeed, &Found->TransmitLinkSpeed, sizeof(std::uint64_t));
  std::memcpy(Row + if_row::ReceiveLinkSpeed, &Found->ReceiveLinkSpeed, sizeof(std::uint64_t));
  return 0;
}

const std::uint8_t* NextAdapter(const std::uint8_t* Record) {
  std::uint32_t HasNext = 0;
  std::memcpy(&HasNext, Record, sizeof HasNext);
  return HasNext != 0 ? Record + RecordSize : nullptr;
}

const std::uint8_t* NextAddress(const std::uint8_t* Entry) {
  std::uint32_t Distance = 0;
  std::memcpy(&Distance, Entry, sizeof Distance);
  return Distance != 0 ? Entry + Distance : nullptr;
}

}  // namespace platform
