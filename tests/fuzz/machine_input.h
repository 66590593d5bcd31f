// Adapter tables and printer lists from fuzz bytes, and the writers that turn the test cases'
// machines into seed inputs.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "probes/sized_fetch.h"
#include "seed_writer.h"

namespace fuzz {

// Moves the last few items of a list, up to two more than the fetch tries, to those that arrive
// one after each call that answers with a size. True when the list then grows as often as it is
// fetched, so that it cannot be read. An input that ends before has none arriving.
template <typename T>
bool ConsumeArrivals(FuzzedDataProvider& In, std::vector<T>& Present, std::vector<T>& Arriving) {
  const std::size_t Count =
      std::min<std::size_t>(In.ConsumeIntegralInRange<int>(0, FetchAttempts + 2), Present.size());
  Arriving.assign(Present.end() - static_cast<std::ptrdiff_t>(Count), Present.end());
  Present.resize(Present.size() - Count);
  return !Present.empty() && Count >= FetchAttempts;
}

// ---- Network adapters ------------------------------------------------------------------------

namespace adapter_input {

constexpr std::uint8_t MaxAdapters = 8;
// Code pages the adapter texts may be in: the ANSI ones a Windows in the field uses, and UTF-8.
constexpr std::array<std::uint32_t, 4> CodePages{1252, 850, 437, 65001};
constexpr std::array<const char*, 2> FaultCalls{"GetAdaptersInfo", "MultiByteToWideChar"};
constexpr std::array<std::uint32_t, 5> FaultErrors{0, 8, 87, 111, 232};

}  // namespace adapter_input

struct TAdapterInput {
  std::uint32_t CodePage = 1252;
  bool Faulted = false;
  bool Unreadable = false;  // adapters keep coming up while the table is fetched
};

// The machine's adapters: description bytes of any length (the table keeps 132 of them, without
// a NUL when they fill it), any address length, DHCP flag and address texts. The last few may
// come up only while the table is fetched, one after each call that answers with a size.
inline TAdapterInput DecodeAdapters(FuzzedDataProvider& In) {
  using namespace adapter_input;
  auto& M = platform::simulated::Machine();
  TAdapterInput Result;
  Result.CodePage = CodePages[In.ConsumeIntegralInRange<std::size_t>(0, CodePages.size() - 1)];
  const auto Count = In.ConsumeIntegralInRange<std::uint8_t>(0, MaxAdapters);
  for (std::uint8_t I = 0; I < Count; ++I) {
    platform::simulated::TAdapter A;
    A.Description = In.ConsumeRandomLengthString(300);
    A.AddressLength = In.ConsumeBool() ? In.ConsumeIntegral<std::uint32_t>()
                                       : In.ConsumeIntegralInRange<std::uint32_t>(0, 255);
    const auto Address = In.ConsumeIntegral<std::uint64_t>();
    for (std::size_t K = 0; K < A.Address.size(); ++K)
      A.Address[K] = static_cast<std::uint8_t>(Address >> (8 * K));
    A.DhcpEnabled = In.ConsumeIntegral<std::uint32_t>();
    A.IpAddress = In.ConsumeRandomLengthString(40);
    A.Gateway = In.ConsumeRandomLengthString(40);
    M.Adapters.push_back(std::move(A));
  }
  if (In.ConsumeBool()) {
    M.FailCall(FaultCalls[In.ConsumeIntegralInRange<std::size_t>(0, FaultCalls.size() - 1)],
               FaultErrors[In.ConsumeIntegralInRange<std::size_t>(0, FaultErrors.size() - 1)],
               In.ConsumeIntegralInRange<int>(0, 40), In.ConsumeIntegralInRange<int>(-1, 3));
    Result.Faulted = true;
  }
  Result.Unreadable = ConsumeArrivals(In, M.Adapters, M.ArrivingAdapters);
  M.AnsiCodePage = Result.CodePage;
  return Result;
}

inline void EncodeAdapters(TSeedWriter& Out,
                           const std::vector<platform::simulated::TAdapter>& Adapters,
                           std::uint32_t CodePage = 1252) {
  using namespace adapter_input;
  std::size_t Page = 0;
  while (CodePages[Page] != CodePage) ++Page;
  Out.Integral<std::size_t>(Page, 0, CodePages.size() - 1);
  Out.Integral<std::uint8_t>(static_cast<std::uint8_t>(Adapters.size()), 0, MaxAdapters);
  for (const platform::simulated::TAdapter& A : Adapters) {
    Out.RandomLengthString(A.Description);
    Out.Bool(A.AddressLength > 255);
    if (A.AddressLength > 255) {
      Out.Integral<std::uint32_t>(A.AddressLength);
    } else {
      Out.Integral<std::uint32_t>(A.AddressLength, 0, 255);
    }
    std::uint64_t Address = 0;
    for (std::size_t K = 0; K < A.Address.size(); ++K)
      Address |= std::uint64_t{A.Address[K]} << (8 * K);
    Out.Integral<std::uint64_t>(Address);
    Out.Integral<std::uint32_t>(A.DhcpEnabled);
    Out.RandomLengthString(A.IpAddress);
    Out.RandomLengthString(A.Gateway);
  }
  Out.Bool(false);  // no failing call; and as the input ends here, no adapter arrives later
}

// ---- Printers --------------------------------------------------------------------------------

namespace printer_input {

constexpr std::uint8_t MaxPrinters = 40;
constexpr std::uint8_t MaxDefaultRecords = 3;
constexpr std::uint16_t MaxRepeat = 2000;  // a name repeated to thousands of characters
constexpr std::size_t MaxNameUnits = 1 << 16;
constexpr std::array<const char*, 3> FaultCalls{"EnumPrintersW", "GetDefaultPrinterW",
                                                "CompareStringW"};
constexpr std::array<std::uint32_t, 7> FaultErrors{0, 2, 5, 8, 122, 123, 1722};

enum TNameKind : std::uint8_t { Given, Listed, Decorated, Repeated, LastKind = Repeated };

}  // namespace printer_input

struct TPrinterInput {
  bool Faulted = false;
  bool Unreadable = false;  // connections keep being mapped while the list is fetched
};

// A printer name: any text, one of those listed before (in another case, to match a default
// spelled differently), or one with the blanks and ",driver,port" that a default text carries.
inline std::u16string ConsumePrinterName(FuzzedDataProvider& In,
                                         const std::vector<std::u16string>& Earlier) {
  using namespace printer_input;
  const auto Kind = In.ConsumeIntegralInRange<std::uint8_t>(0, LastKind);
  std::u16string Name;
  if ((Kind == Listed || Kind == Decorated) && !Earlier.empty()) {
    Name = Earlier[In.ConsumeIntegralInRange<std::size_t>(0, Earlier.size() - 1)];
    if (In.ConsumeBool()) {
      for (char16_t& C : Name) {
        if (C >= u'a' && C <= u'z') C = static_cast<char16_t>(C - 32);
      }
    }
    if (Kind == Decorated) {
      Name = std::u16string(In.ConsumeIntegralInRange<std::size_t>(0, 3), u' ') + Name +
             ConsumeText16(In, 64);
    }
    return Name;
  }
  Name = ConsumeText16(In, 256);
  if (Kind == Repeated && !Name.empty()) {
    const std::u16string Unit = Name;
    const std::size_t Times = std::min<std::size_t>(
        In.ConsumeIntegralInRange<std::uint16_t>(1, MaxRepeat), MaxNameUnits / Unit.size());
    for (std::size_t I = 1; I < Times; ++I) Name += Unit;
  }
  return Name;
}

inline TPrinterInput DecodePrinters(FuzzedDataProvider& In) {
  using namespace printer_input;
  auto& M = platform::simulated::Machine();
  TPrinterInput Result;
  const auto Count = In.ConsumeIntegralInRange<std::uint8_t>(0, MaxPrinters);
  for (std::uint8_t I = 0; I < Count; ++I) M.Printers.push_back(ConsumePrinterName(In, M.Printers));
  const auto Records = In.ConsumeIntegralInRange<std::uint8_t>(0, MaxDefaultRecords);
  for (std::uint8_t I = 0; I < Records; ++I)
    M.DefaultRecords.push_back(ConsumePrinterName(In, M.Printers));
  if (In.ConsumeBool()) {
    M.DefaultPrinterText = ConsumePrinterName(In, M.Printers);
  } else {
    M.DefaultPrinterText.reset();
  }
  if (In.ConsumeBool()) {
    M.FailCall(FaultCalls[In.ConsumeIntegralInRange<std::size_t>(0, FaultCalls.size() - 1)],
               FaultErrors[In.ConsumeIntegralInRange<std::size_t>(0, FaultErrors.size() - 1)],
               In.ConsumeIntegralInRange<int>(0, 8), In.ConsumeIntegralInRange<int>(-1, 3));
    Result.Faulted = true;
  }
  Result.Unreadable = ConsumeArrivals(In, M.Printers, M.ArrivingPrinters);
  return Result;
}

inline void EncodePrinters(TSeedWriter& Out, const std::vector<std::u16string>& Printers,
                           const std::vector<std::u16string>& DefaultRecords,
                           const std::optional<std::u16string>& DefaultText) {
  using namespace printer_input;
  const auto Name = [&](const std::u16string& Text) {
    Out.Integral<std::uint8_t>(Given, 0, LastKind);
    Out.Text16(Text);
  };
  Out.Integral<std::uint8_t>(static_cast<std::uint8_t>(Printers.size()), 0, MaxPrinters);
  for (const std::u16string& P : Printers) Name(P);
  Out.Integral<std::uint8_t>(static_cast<std::uint8_t>(DefaultRecords.size()), 0,
                             MaxDefaultRecords);
  for (const std::u16string& R : DefaultRecords) Name(R);
  Out.Bool(DefaultText.has_value());
  if (DefaultText) Name(*DefaultText);
  Out.Bool(false);  // no failing call; and as the input ends here, no printer arrives later
}

}  // namespace fuzz
