#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "probes/device_probes.h"
#include "probes/registry.h"
#include "probes/sized_fetch.h"
#include "text/string_routines.h"

namespace {

// The maker as people call it, from the vendor text the processor gives.
std::u16string ManufacturerOf(std::u16string_view Vendor) {
  static constexpr std::array<std::pair<std::u16string_view, std::u16string_view>, 8> Known{{
      {u"GenuineIntel", u"Intel"},
      {u"AuthenticAMD", u"AMD"},
      {u"HygonGenuine", u"Hygon"},
      {u"CentaurHauls", u"VIA"},
      {u"  Shanghai  ", u"Zhaoxin"},
      {u"CyrixInstead", u"Cyrix"},
      {u"GenuineTMx86", u"Transmeta"},
      {u"TransmetaCPU", u"Transmeta"},
  }};
  for (const auto& [Id, Name] : Known) {
    if (Vendor == Id) return std::u16string{Name};
  }
  return Trim(Vendor);
}

// The decimal number after Word in the identifier ("... Family 6 Model 165 Stepping 5"), if any.
std::optional<std::uint32_t> IdentifierNumber(std::u16string_view Identifier,
                                              std::u16string_view Word) {
  std::size_t At = 0;
  while ((At = Identifier.find(Word, At)) != std::u16string_view::npos) {
    const bool WordStart = At == 0 || Identifier[At - 1] == u' ';
    At += Word.size();
    if (!WordStart || At >= Identifier.size() || Identifier[At] != u' ') continue;
    std::uint32_t Value = 0;
    std::size_t Digits = 0;
    for (++At; At < Identifier.size() && Identifier[At] >= u'0' && Identifier[At] <= u'9'; ++At) {
      if (++Digits > 9) return std::nullopt;
      Value = Value * 10 + static_cast<std::uint32_t>(Identifier[At] - u'0');
    }
    if (Digits > 0) return Value;
  }
  return std::nullopt;
}

constexpr std::u16string_view ProcessorKey = u"HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";

void ReadProcessorKey(TProcessorDetails& Details) {
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  if (!Reg.OpenKeyReadOnly(ProcessorKey)) return;
  ParseProcessorIdentity(ReadOptionalString(Reg, u"VendorIdentifier").value_or(u""),
                         ReadOptionalString(Reg, u"Identifier").value_or(u""), Details);
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
  std::vector<std::uint8_t> Buffer;
  const bool Fetched =
      FetchGrowing(Buffer, Length, [](std::vector<std::uint8_t>& Into, std::uint32_t& Size) {
        if (platform::GetLogicalProcessorInformation(Into.data(), &Size) != 0) return TFetch::Done;
        return platform::GetLastError() == platform::ErrorInsufficientBuffer ? TFetch::TooSmall
                                                                             : TFetch::Failed;
      });
  if (!Fetched) return;
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

void ParseProcessorIdentity(std::u16string_view Vendor, std::u16string_view Identifier,
                            TProcessorDetails& Details) {
  Details.Manufacturer = ManufacturerOf(Vendor);
  Details.Family = IdentifierNumber(Identifier, u"Family");
  Details.Model = IdentifierNumber(Identifier, u"Model");
  Details.Stepping = IdentifierNumber(Identifier, u"Stepping");
}

TProcessorDetails GetProcessorDetails() {
  TProcessorDetails Details;
  ReadProcessorKey(Details);
  CountProcessors(Details);
  return Details;
}
