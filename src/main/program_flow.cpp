#include "main/program_flow.h"

#include <new>
#include <string>

#include "main/console.h"
#include "platform/platform.h"
#include "probes/printers.h"
#include "probes/probes.h"
#include "report/report.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace {

void RunProbes(TReportFields& F) {
  F.ComputerName = GetComputerNetName();
  F.OSName = GetOSInfo(F.OSVer, F.OSBuild);
  F.CPU = GetCPUName();
  F.RAMStr = FormatRAM(GetTotalRAM());
  F.Disks = GetDisksInfo();
  F.Uptime = GetUptime();
  F.ProductID = GetWindowsProductId();
  GetNetworkDetails(F.NetName, F.IPLocal, F.Gateway, F.MAC, F.TipoIP, F.SpeedStr);
  F.PrintersStr = GetInstalledPrinters();
  F.Programs = GetInstalledPrograms();
}

void GenerateReport(TConsoleOutput& Output) {
  Output.WriteLine(u"Coletando informacoes do sistema...");
  TReportFields Fields;
  RunProbes(Fields);
  TStringList ReportText;  // lives until the success line is out, or until an error passes
  ComposeReport(Fields, ReportText);
  const TSavedReport Saved = SaveReport(ReportText, Fields.ComputerName);
  Output.WriteLine(u"Sucesso! Relatorio salvo em: " + Saved.FilePath);
}

void ShowError(TConsoleOutput& Output, const Exception& Error) {
  Output.WriteLine(u"");
  Output.WriteLine(u"Ocorreu um erro ao gerar o relatorio:");
  Output.WriteLine(std::u16string{Error.ClassName()} + u": " + Error.Message);
}

void MainSequence(TConsoleOutput& Output) {
  try {
    GenerateReport(Output);
  } catch (const Exception& Error) {
    ShowError(Output, Error);
  } catch (const std::bad_alloc&) {
    ShowError(Output, EOutOfMemory(u"Out of memory"));
  }
  Output.WriteLine(u"");
  Output.WriteLine(u"Pressione ENTER para sair...");
  ReadLineAndDiscard();
}

// What the user sees when an error escapes everything else; the process then ends with code 1.
void LastChance(TConsoleOutput& Output, std::u16string_view ClassName,
                const std::u16string& Message) noexcept {
  try {
    Output.Close();
    // A C++ error carries no faulting address, so the address field stays zero.
    std::u16string Text = Format(u"Exception %s in module %s at %s.\r\n",
                               {ClassName, ExtractFileName(ParamStr0()), u"00000000"});
    Text += Message;
    if (!Message.empty() && Message.back() != u'.') Text += u'.';
    Text += u"\r\n\r\n";
    WriteStdErr(Text);
  } catch (...) {  // NOLINT(bugprone-empty-catch): nothing is left to tell the user with
  }
}

}  // namespace

int RunInventario() {
  // Before anything can load a DLL by name: a DLL planted beside the exe, in a Downloads folder or
  // on a pen drive, must never be the one found. Older systems without the call keep their order.
  platform::SetDefaultDllDirectories(platform::LoadLibrarySearchSystem32);
  // Before any probe: a drive slot without media (a card reader) must fail the call that touches
  // it, not stop the run with a box that waits for the user.
  platform::SetErrorMode(platform::GetErrorMode() | platform::SemFailCriticalErrors);
  GetFormatSettings();
  NoteDefaultSystemCodePage();
  TConsoleOutput Output(DefaultSystemCodePage);
  int ExitCode = 1;
  try {
    MainSequence(Output);
    Output.Close();
    ExitCode = 0;
  } catch (const Exception& Error) {
    LastChance(Output, Error.ClassName(), Error.Message);
  } catch (const std::bad_alloc&) {
    LastChance(Output, u"EOutOfMemory", u"Out of memory");
  } catch (...) {
    LastChance(Output, u"Exception", u"Unknown error");
  }
  ReleasePrinter();
  return ExitCode;
}
