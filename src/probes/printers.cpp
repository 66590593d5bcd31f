#include "probes/printers.h"

#include <cstring>

#include "platform/platform.h"
#include "probes/sized_fetch.h"
#include "text/sys_utils.h"

namespace {

constexpr std::uint32_t ErrorInvalidNameCode = 123;
const char16_t* const NoDefaultPrinter = u"There is no default printer currently selected";

std::unique_ptr<TPrinter>& SharedPrinter() {
  static std::unique_ptr<TPrinter> Instance;
  return Instance;
}

// A record's name; the spooler may leave the pointer null, which reads as an empty name.
std::u16string NameOf(const char16_t* Name) { return Name != nullptr ? Name : u""; }

template <typename TRecord>
TRecord RecordAt(const std::vector<std::uint8_t>& Buffer, std::size_t Index) {
  TRecord Record{};
  std::memcpy(&Record, Buffer.data() + Index * sizeof(TRecord), sizeof Record);
  return Record;
}

}  // namespace

TPrinter& Printer() {
  auto& Instance = SharedPrinter();
  if (!Instance) Instance = std::make_unique<TPrinter>();
  return *Instance;
}

void ReleasePrinter() { SharedPrinter().reset(); }

void TPrinter::FreePrinters() {
  FPrinters.reset();
  FDevices.clear();
  FEnumerated = false;
}

void TPrinter::Refresh() { FreePrinters(); }

const TStringList& TPrinter::Printers() {
  if (FPrinters) return *FPrinters;
  try {
    FPrinters = std::make_unique<TStringList>();
    constexpr std::uint32_t Flags = platform::PrinterEnumLocal | platform::PrinterEnumConnections;
    std::uint32_t Needed = 0;
    std::uint32_t Returned = 0;
    FEnumerated = false;
    const bool Answered =
        platform::EnumPrintersW(Flags, nullptr, 4, nullptr, 0, &Needed, &Returned) != 0;
    if (Needed == 0) {
      FEnumerated = Answered;
      return *FPrinters;
    }
    std::vector<std::uint8_t> Buffer;
    const auto Fetch = [&](std::vector<std::uint8_t>& Into, std::uint32_t& Size) {
      if (platform::EnumPrintersW(Flags, nullptr, 4, Into.data(), Size, &Size, &Returned) != 0)
        return TFetch::Done;
      return platform::GetLastError() == platform::ErrorInsufficientBuffer ? TFetch::TooSmall
                                                                           : TFetch::Failed;
    };
    if (!FetchGrowing(Buffer, Needed, Fetch)) return *FPrinters;
    FEnumerated = true;
    for (std::uint32_t I = 0; I < Returned; ++I) {
      const std::u16string Name = NameOf(RecordAt<platform::TPrinterInfo4>(Buffer, I).PPrinterName);
      FDevices.push_back(std::make_unique<TPrinterDevice>(u"", Name, u""));
      FPrinters->AddObject(Name, FDevices.back().get());
    }
  } catch (...) {
    FreePrinters();
    throw;
  }
  return *FPrinters;
}

std::int32_t TPrinter::PrinterIndex() {
  if (FPrinterIndex == -1) SetToDefaultPrinter();
  return FPrinterIndex;
}

// The spooler's default printer: from the enumeration of the default, else from
// GetDefaultPrinterW, whose text may carry leading blanks and ",driver,port" after the name.
std::u16string TPrinter::DefaultPrinterName() {
  std::uint32_t Needed = 0;
  std::uint32_t Returned = 0;
  if (platform::EnumPrintersW(platform::PrinterEnumDefault, nullptr, 5, nullptr, 0, &Needed,
                              &Returned) == 0) {
    const std::uint32_t Error = platform::GetLastError();
    if (Error != platform::ErrorInsufficientBuffer) {
      if (Error == ErrorInvalidNameCode) throw EPrinter(NoDefaultPrinter);
      RaiseLastOSError(Error);
    }
  }
  // A default chosen between the two calls may need more room; a fetch that still fails leaves
  // no record, and the name comes from GetDefaultPrinterW.
  std::vector<std::uint8_t> Buffer;
  FetchGrowing(Buffer, Needed, [&](std::vector<std::uint8_t>& Into, std::uint32_t& Size) {
    if (platform::EnumPrintersW(platform::PrinterEnumDefault, nullptr, 5, Into.data(), Size, &Size,
                                &Returned) != 0)
      return TFetch::Done;
    return platform::GetLastError() == platform::ErrorInsufficientBuffer ? TFetch::TooSmall
                                                                         : TFetch::Failed;
  });
  if (Returned > 0 && Buffer.size() >= sizeof(platform::TPrinterInfo5)) {
    return NameOf(RecordAt<platform::TPrinterInfo5>(Buffer, 0).PPrinterName);
  }
  std::uint32_t Length = 0;
  platform::GetDefaultPrinterW(nullptr, &Length);
  std::u16string Text(Length, u'\0');
  if (platform::GetDefaultPrinterW(Text.data(), &Length) != 0 && Length > 0) {
    Text.resize(Length - 1);
  } else {
    Text.clear();
  }
  const std::size_t First = std::min(Text.find_first_not_of(u' '), Text.size());
  return Text.substr(First, Text.find(u',', First) - First);
}

void TPrinter::SetToDefaultPrinter() {
  const std::u16string Default = DefaultPrinterName();
  const TStringList& Names = Printers();
  for (std::int32_t I = 0; I < Names.Count(); ++I) {
    const auto* Device = static_cast<const TPrinterDevice*>(Names.GetObject(I));
    if (TStringList::CompareStrings(Device->Device, Default) == 0) {
      // Selecting a printer stops at its position: opening it or asking for its device
      // settings would load the vendor's driver into this process, and wait out the network
      // when its print server is off line, for nothing the program shows.
      FPrinterIndex = I;
      return;
    }
  }
  throw EPrinter(NoDefaultPrinter);
}
