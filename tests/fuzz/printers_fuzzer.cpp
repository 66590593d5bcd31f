// The printer probe on any spooler: names with commas, blanks, NULs, duplicates, thousands of
// characters or none; a default from the enumeration, from GetDefaultPrinterW, or none.
//
// Properties: every printer is listed once, in spooler order, connections mapped while the list
// was fetched included; a list that kept growing lists none; either exactly one line is marked
// as the default (the first of equal names) or a warning line follows the list, never both; the
// probe raises nothing; asking twice gives the same text; releasing the printer object leaves no
// handle and no block behind.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "machine_input.h"
#include "probes/printers.h"
#include "probes/probes.h"

namespace {

const std::u16string Bullet = u"\u2022 ";
const std::u16string Mark = u" (Padr\u00E3o)";
const std::u16string Warning = u"Aviso ao listar impressoras: ";
const std::u16string NoPrinters = u"Nenhuma impressora encontrada.";

// The list for the names as the spooler hands them over (each up to its first NUL), with the
// line at Default marked.
std::u16string Listing(const std::vector<std::u16string>& Names, std::ptrdiff_t Default) {
  std::u16string Text;
  for (std::size_t I = 0; I < Names.size(); ++I) {
    Text += Bullet + Names[I] + (static_cast<std::ptrdiff_t>(I) == Default ? Mark : u"") + u"\r\n";
  }
  return Text;
}

bool EndsWithLine(std::u16string_view Text) {
  return Text.size() >= 2 && Text.substr(Text.size() - 2) == u"\r\n";
}

// Names: the spooler's list as last fetched.
void CheckShape(const std::u16string& Result, bool Faulted, bool Unreadable) {
  std::vector<std::u16string> Names;
  for (const std::u16string& P : platform::simulated::Machine().Printers)
    Names.push_back(P.substr(0, P.find(u'\0')));
  if (Names.empty() || Unreadable || (Faulted && Result == NoPrinters)) {
    fuzz::Check(Result == NoPrinters, "printers listed where the spooler has none", Result);
    return;
  }
  for (std::ptrdiff_t Default = -1; Default < static_cast<std::ptrdiff_t>(Names.size());
       ++Default) {
    const std::u16string Expected = Listing(Names, Default);
    if (Result.compare(0, Expected.size(), Expected) != 0) continue;
    const std::u16string_view Rest = std::u16string_view(Result).substr(Expected.size());
    const bool Warned = Rest.substr(0, Warning.size()) == Warning && EndsWithLine(Rest);
    if (Default >= 0 && Rest.empty()) {
      // A comparison that fails tells no two names equal, so the first may be passed over.
      for (std::ptrdiff_t I = 0; I < Default && !Faulted; ++I) {
        fuzz::Check(Names[static_cast<std::size_t>(I)] != Names[static_cast<std::size_t>(Default)],
                    "a later one of equal names marked as the default", Result);
      }
      return;
    }
    if (Default == -1 && Warned) return;
  }
  fuzz::Finding("printer list is neither marked nor warned", Result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const fuzz::TPrinterInput Input = fuzz::DecodePrinters(In);

  const std::u16string First = GetInstalledPrinters();
  CheckShape(First, Input.Faulted, Input.Unreadable);
  if (!Input.Faulted && !Input.Unreadable) {  // an unreadable list may be read when asked again
    fuzz::Check(GetInstalledPrinters() == First, "a second listing differs from the first", First);
  }

  ReleasePrinter();
  const auto& M = platform::simulated::Machine();
  fuzz::Check(M.OpenHandleCount() == 0, "a printer handle left open");
  fuzz::Check(M.OutstandingBlocks() == 0, "a device-settings block left allocated");
  return 0;
}
