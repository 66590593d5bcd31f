#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "main/program_flow.h"
#include "probes/antivirus.h"
#include "simulated_machine.h"

namespace {

namespace sim = platform::simulated;
using platform::WscSecurityProductOutOfDate;
using platform::WscSecurityProductUpToDate;

class AntivirusProbeTest : public SimulatedMachineTest {};

TEST_F(AntivirusProbeTest, TheLineSaysWhatSecurityCenterAnswered) {
  struct TCase {
    const char* Name;
    std::function<void(sim::TMachine&)> Arrange;
    const char16_t* Line;
  };
  const std::vector<TCase> Cases{
      {"products on first, each state and signature status",
       [](sim::TMachine& M) {
         M.SecurityCenter.Products = {
             {u"Avast", platform::WscSecurityProductStateSnoozed, WscSecurityProductOutOfDate},
             {u"Windows Defender", platform::WscSecurityProductStateOff,
              WscSecurityProductUpToDate},
             {u"Kaspersky", platform::WscSecurityProductStateOn, WscSecurityProductUpToDate},
             {u"Norton", platform::WscSecurityProductStateExpired, WscSecurityProductOutOfDate},
             {u"ESET", platform::WscSecurityProductStateOn, WscSecurityProductOutOfDate}};
       },
       u"Kaspersky (ativo, atualizado) | ESET (ativo, desatualizado) | Avast (pausado, "
       u"desatualizado) | Windows Defender (desativado, atualizado) | Norton (expirado, "
       u"desatualizado)"},
      {"a state outside the documented ones, a line break, a nameless product",
       [](sim::TMachine& M) {
         M.SecurityCenter.Products = {{u"Produto\r\nX ", 7, WscSecurityProductUpToDate},
                                      {u" \t", 0, 1}};
       },
       u"Produto  X (atualizado)"},
      {"a product whose state cannot be read",
       [](sim::TMachine& M) { M.FailCall("IWscProductGetProductState", 5); },
       u"Windows Defender (atualizado)"},
      {"an empty list", [](sim::TMachine& M) { M.SecurityCenter.Products.clear(); },
       u"Nenhum registrado"},
      // As where wscapi.dll cannot be loaded, or COM or the worker thread fails: the same
      // fallback, which the failure sweep runs for each of them.
      {"the service is not running",
       [](sim::TMachine& M) { M.SecurityCenter.Health = platform::SFalse; },
       u"N\u00E3o dispon\u00EDvel"},
      {"Windows 7: the names through WMI",
       [](sim::TMachine& M) {
         M.SecurityCenter.ProductListRegistered = false;
         M.SecurityCenter.WmiProducts = {{u"Microsoft Security Essentials", u"ESET"}};
       },
       u"Microsoft Security Essentials | ESET"},
      {"Windows 7 with none",
       [](sim::TMachine& M) {
         M.SecurityCenter.ProductListRegistered = false;
         M.SecurityCenter.WmiProducts.emplace();
       },
       u"Nenhum registrado"},
      {"Windows 7 without the namespace",
       [](sim::TMachine& M) { M.SecurityCenter.ProductListRegistered = false; },
       u"N\u00E3o dispon\u00EDvel"},
  };
  for (const TCase& C : Cases) {
    sim::ResetMachine();
    C.Arrange(Machine());
    EXPECT_EQ(U8(FormatAntivirus(GetAntivirusProducts())), U8(C.Line)) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
    EXPECT_EQ(Machine().OutstandingBlocks(), 0U) << C.Name;
    EXPECT_EQ(Machine().ComInitializations, 0) << C.Name;
  }
}

// The worker is left blocked for good: the run goes on after the deadline and saves its report.
TEST_F(AntivirusProbeTest, ASecurityCenterThatNeverAnswersCostsTheRunTheDeadline) {
  Machine().SecurityCenter.NeverAnswers = "IWSCProductListGetCount";
  const auto Start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunInventario(), 0);
  const auto Waited = std::chrono::steady_clock::now() - Start;
  const std::string Report =
      Machine()
          .FileSystem.FileData(u"C:\\Users\\ana\\Desktop\\relatorio_ESCRITORIO-01.txt")
          .value_or("");
  EXPECT_NE(Report.find("*Antiv\u00EDrus:* N\u00E3o dispon\u00EDvel (sem resposta)\r\n"),
            std::string::npos)
      << Report;
  EXPECT_GE(Waited, std::chrono::milliseconds(AntivirusDeadline));
  EXPECT_LT(Waited, std::chrono::milliseconds(AntivirusDeadline + 1500));
}

}  // namespace
