#include <new>
#include <optional>

#include "probes/printers.h"
#include "probes/probes.h"

namespace {

const char16_t* const Warning = u"Aviso ao listar impressoras: ";

}  // namespace

// Every printer is listed, the default one marked. When the default cannot be determined the
// printers are still listed, unmarked, with the reason in a warning line after them: a technician
// needs the inventory even from a spooler that cannot say which printer is the default.
std::u16string GetInstalledPrinters(std::optional<std::vector<std::u16string>>* Names) {
  TStringList PrintersList;
  try {
    Printer().Refresh();
    const TStringList& Printers = Printer().Printers();
    const std::int32_t Count = Printers.Count();
    if (Names != nullptr && Printer().Enumerated()) Names->emplace();
    if (Count > 0) {
      std::int32_t Default = -1;
      std::optional<std::u16string> Problem;
      try {
        Default = Printer().PrinterIndex();
      } catch (const Exception& E) {
        Problem = E.Message;
      }
      for (std::int32_t I = 0; I < Count; ++I) {
        PrintersList.Add(u"\u2022 " + Printers.Get(I) + (I == Default ? u" (Padr\u00E3o)" : u""));
        if (Names != nullptr && *Names) (*Names)->push_back(Printers.Get(I));
      }
      if (Problem) PrintersList.Add(Warning + *Problem);
    }
  } catch (const Exception& E) {
    if (Names != nullptr) Names->reset();  // part of a list is no list
    PrintersList.Add(Warning + E.Message);
  } catch (const std::bad_alloc&) {
    if (Names != nullptr) Names->reset();
    PrintersList.Add(std::u16string(Warning) + u"Out of memory");
  }
  return PrintersList.Count() == 0 ? u"Nenhuma impressora encontrada." : PrintersList.Text();
}
