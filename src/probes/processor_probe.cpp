#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

#include "platform/platform.h"
#include "probes/device_probes.h"
#include "probes/registry.h"

namespace {

constexpr std::u16string_view ProcessorKey = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

void ReadProcessorKey(TProcessorDetails& Details) {
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  if (!Reg.OpenKeyReadOnly(ProcessorKey)) return;
  Details.Vendor = ReadOptionalString(Reg, u"VendorIdentifier").value_or(u"");
  Details.Identifier = ReadOptionalString(Reg, u"Identifier").value_or(u"");
  const std::optional<std::uint32_t> Mhz = ReadOptionalInteger(Reg, u"~MHz");
  if (Mhz && static_cast<std::int32_t>(*Mhz) > 0) Details.Mhz = *Mhz;
  Reg.CloseKey();
}

// Counts cores, packages and the logical processors of the cores.
void CountProcessors(TProcessorDetails& Details) {
  namespace record = platform::processor_record;
  std::uint32_t Length = 0;
  if (platform::GetLogicalProcessorInformation(nullptr, &Length) != 0 ||
      platform::GetLastError() != platform::ErrorInsufficientBuffer || Length == 0) {
    return;
  }
  std::vector<std::uint8_t> Buffer(Length);
  if (platform::GetLogicalProcessorInformation(Buffer.data(), &Length) == 0) return;
  for (std::size_t At = 0; At + record::RecordSize <= std::min<std::size_t>(Length, Buffer.size());
       At += record::RecordSize) {
    const std::uint8_t* Record = Buffer.data() + At;
    std::uint32_t Relationship = 0;
    std::memcpy(&Relationship, Record + record::Relationship, sizeof Relationship);
    if (Relationship == record::RelationProcessorPackage) {
      ++Details.Packages;
    } else if (Relationship == record::RelationProcessorCore) {
      std::uintptr_t Mask = 0;
      std::memcpy(&Mask, Record + record::ProcessorMask, record::ProcessorMaskSize);
      ++Details.Cores;
      Details.Threads += static_cast<std::uint32_t>(std::popcount(Mask));
    }
  }
}

}  // namespace

TProcessorDetails GetProcessorDetails() {
  TProcessorDetails Details;
  ReadProcessorKey(Details);
  CountProcessors(Details);
  return Details;
}
