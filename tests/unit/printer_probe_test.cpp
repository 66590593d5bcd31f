#include <functional>
#include <string>
#include <vector>

#include "probes/printers.h"
#include "probes/probes.h"
#include "simulated_machine.h"

namespace {

class PrinterProbeTest : public SimulatedMachineTest {};

const std::u16string Bullet = u"\u2022 ";
const std::u16string Mark = u" (Padr\u00E3o)";
const std::u16string Warning = u"Aviso ao listar impressoras: ";
const std::u16string NoDefault = u"There is no default printer currently selected";

TEST_F(PrinterProbeTest, ListsEveryPrinterAndMarksTheDefault) {
  struct TCase {
    const char* Name;
    std::vector<std::u16string> Printers;
    std::vector<std::u16string> DefaultRecords;
    std::optional<std::u16string> DefaultText;
    std::u16string Expected;
  };
  const std::vector<TCase> Cases{
      {"no printers", {}, {}, u"A", u"Nenhuma impressora encontrada."},
      {"the second one is the default",
       {u"A", u"B", u"C"},
       {},
       u"B",
       Bullet + u"A\r\n" + Bullet + u"B" + Mark + u"\r\n" + Bullet + u"C\r\n"},
      {"default differing in case",
       {u"HP LaserJet", u"PDF"},
       {},
       u"hp laserjet",
       Bullet + u"HP LaserJet" + Mark + u"\r\n" + Bullet + u"PDF\r\n"},
      {"default text with blanks, driver and port",
       {u"Etiquetadora", u"Recep\u00E7\u00E3o"},
       {},
       u"   Recep\u00E7\u00E3o,winspool,Ne01:",
       Bullet + u"Etiquetadora\r\n" + Bullet + u"Recep\u00E7\u00E3o" + Mark + u"\r\n"},
      {"the default record is compared whole",
       {u"A,B", u"A"},
       {u"A,B"},
       u"A",
       Bullet + u"A,B" + Mark + u"\r\n" + Bullet + u"A\r\n"},
      {"only the first of two equal names is marked",
       {u"Dup", u"Dup"},
       {},
       u"Dup",
       Bullet + u"Dup" + Mark + u"\r\n" + Bullet + u"Dup\r\n"},
      // When the default cannot be found the printers are still listed, unmarked.
      {"default not in the list",
       {u"A", u"B"},
       {},
       u"Z",
       Bullet + u"A\r\n" + Bullet + u"B\r\n" + Warning + NoDefault + u"\r\n"},
      {"no default at all",
       {u"A"},
       {},
       std::nullopt,
       Bullet + u"A\r\n" + Warning + NoDefault + u"\r\n"},
  };
  for (const TCase& C : Cases) {
    ReleasePrinter();
    platform::simulated::ResetMachine();
    Machine().Printers = C.Printers;
    Machine().DefaultRecords = C.DefaultRecords;
    Machine().DefaultPrinterText = C.DefaultText;
    EXPECT_EQ(GetInstalledPrinters(), C.Expected) << C.Name;
    ReleasePrinter();
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
    EXPECT_EQ(Machine().OutstandingBlocks(), 0U) << C.Name;
  }
}

TEST_F(PrinterProbeTest, SpoolerFailuresBecomeAWarningOrAnEmptyList) {
  struct TCase {
    const char* Name;
    const char* Call;
    std::uint32_t Error;
    int Skip;
    std::u16string Expected;
  };
  const std::u16string Listed = Bullet + u"A\r\n" + Bullet + u"B\r\n";
  const std::vector<TCase> Cases{
      {"list size query fails", "EnumPrintersW", 5, 0, u"Nenhuma impressora encontrada."},
      {"list fetch fails", "EnumPrintersW", 5, 1, u"Nenhuma impressora encontrada."},
      {"default query: invalid name", "EnumPrintersW", 123, 2,
       Listed + Warning + NoDefault + u"\r\n"},
      {"default query: access denied", "EnumPrintersW", 5, 2,
       Listed + Warning + u"System Error.  Code: 5.\r\nAccess is denied\r\n"},
      {"default query: no reason", "EnumPrintersW", 0, 2,
       Listed + Warning + u"A call to an OS function failed\r\n"},
  };
  for (const TCase& C : Cases) {
    ReleasePrinter();
    platform::simulated::ResetMachine();
    Machine().Printers = {u"A", u"B"};
    Machine().DefaultPrinterText = u"B";
    Machine().FailCall(C.Call, C.Error, C.Skip, 1);
    EXPECT_EQ(GetInstalledPrinters(), C.Expected) << C.Name;
    ReleasePrinter();
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
    EXPECT_EQ(Machine().OutstandingBlocks(), 0U) << C.Name;
  }
}

// The spooler's DLL is bound on first use: a DLL that cannot be loaded, or a function it lacks,
// fails every call to it, and the probe falls back as for any failure of those calls.
TEST_F(PrinterProbeTest, ASpoolerThatCannotBeBoundFailsLikeItsCalls) {
  struct TCase {
    const char* Name;
    std::function<void(platform::simulated::TMachine&)> Arrange;
    std::u16string Expected;
  };
  const std::vector<TCase> Cases{
      {"winspool.drv cannot be loaded",
       [](auto& M) { M.FailLibrary("winspool.drv", platform::ErrorModNotFound); },
       u"Nenhuma impressora encontrada."},
      {"no GetDefaultPrinterW",
       [](auto& M) { M.FailCall("GetDefaultPrinterW", platform::ErrorProcNotFound); },
       Bullet + u"A\r\n" + Bullet + u"B\r\n" + Warning + NoDefault + u"\r\n"},
  };
  for (const TCase& C : Cases) {
    ReleasePrinter();
    platform::simulated::ResetMachine();
    Machine().Printers = {u"A", u"B"};
    Machine().DefaultPrinterText = u"B";
    C.Arrange(Machine());
    EXPECT_EQ(GetInstalledPrinters(), C.Expected) << C.Name;
    ReleasePrinter();
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
  }
}

TEST_F(PrinterProbeTest, ARecordWithoutANameReadsAsAnEmptyName) {
  Machine().Printers = {u"A", u"ignored", u"B"};
  Machine().UnnamedPrinters = {1};
  Machine().DefaultPrinterText = u"B";
  EXPECT_EQ(GetInstalledPrinters(),
            Bullet + u"A\r\n" + Bullet + u"\r\n" + Bullet + u"B" + Mark + u"\r\n");

  ReleasePrinter();
  Machine().UnnamedPrinters.clear();
  Machine().DefaultRecords = {u"A"};
  Machine().UnnamedDefault = true;
  EXPECT_EQ(GetInstalledPrinters(), Bullet + u"A\r\n" + Bullet + u"ignored\r\n" + Bullet +
                                        u"B\r\n" + Warning + NoDefault + u"\r\n");
}

// A connection mapped between the size query and the fetch: the fetch is asked again with the
// size it gave, five fetches in all, before the list counts as unreadable.
TEST_F(PrinterProbeTest, AListThatGrowsBetweenTheCallsIsFetchedAgain) {
  const std::vector<std::u16string> Arriving{u"B", u"C", u"D", u"E", u"F", u"G"};
  for (const std::size_t Growths : {1U, 3U, 6U}) {
    ReleasePrinter();
    platform::simulated::ResetMachine();
    Machine().Printers = {u"A"};
    Machine().ArrivingPrinters.assign(Arriving.begin(),
                                      Arriving.begin() + static_cast<std::ptrdiff_t>(Growths));
    Machine().DefaultPrinterText = u"A";
    std::optional<std::vector<std::u16string>> Names;
    const std::u16string Text = GetInstalledPrinters(&Names);
    if (Growths < 6) {
      std::u16string Expected = Bullet;
      Expected.append(u"A").append(Mark) += u"\r\n";
      for (std::size_t I = 0; I < Growths; ++I)
        Expected.append(Bullet).append(Arriving[I]) += u"\r\n";
      EXPECT_EQ(Text, Expected) << Growths;
      ASSERT_TRUE(Names.has_value()) << Growths;
      EXPECT_EQ(Names->size(), Growths + 1);
    } else {
      EXPECT_EQ(Text, u"Nenhuma impressora encontrada.");
      EXPECT_FALSE(Names.has_value()) << "a list that could not be fetched is no list";
    }
    EXPECT_EQ(Machine().CallCount("EnumPrintersW"), Growths < 6 ? static_cast<int>(Growths) + 4 : 6)
        << Growths;
  }
}

TEST_F(PrinterProbeTest, TheDefaultIsSelectedOncePerInstance) {
  Machine().Printers = {u"A", u"B"};
  Machine().DefaultPrinterText = u"B";
  EXPECT_EQ(Printer().PrinterIndex(), 1);
  Machine().DefaultPrinterText = u"A";
  Printer().Refresh();
  EXPECT_EQ(Printer().PrinterIndex(), 1);
  const auto* Device = static_cast<const TPrinterDevice*>(Printer().Printers().GetObject(0));
  EXPECT_EQ(Device->Device, u"A");
  EXPECT_EQ(Device->Driver, u"");
  ReleasePrinter();
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
  EXPECT_EQ(Machine().OutstandingBlocks(), 0U);
}

}  // namespace
