#include "main/program_flow.h"

#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "main/command_line.h"
#include "main/console.h"
#include "platform/platform.h"
#include "probes/device_probes.h"
#include "probes/antivirus.h"
#include "probes/glpi_facts.h"
#include "probes/printers.h"
#include "probes/probes.h"
#include "report/glpi_inventory.h"
#include "report/glpi_inventory_of.h"
#include "report/glpi_send.h"
#include "report/report.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace {

void RunProbes(TReportFields& F, TProbeExtras* X) {
  F.ComputerName = GetComputerNetName();
  F.OSName = GetOSInfo(F.OSVer, F.OSBuild);
  F.CPU = GetCPUName();
  F.RAMStr = FormatRAM(GetTotalRAM(X != nullptr ? &X->MemoryBytes : nullptr));
  {
    std::optional<std::vector<TVideoController>> Adapters = GetDisplayAdapters(X != nullptr);
    F.GraphicsStr = GraphicsText(Adapters);
    if (X != nullptr) X->Devices.Videos = std::move(Adapters);
  }
  F.Disks = GetDisksInfo(X != nullptr ? &X->Disks : nullptr);
  F.Uptime = GetUptime(X != nullptr ? &X->UptimeMilliseconds : nullptr);
  if (X != nullptr)
    X->RunTime = GetLocalDateTime();  // right after the uptime: the boot time is their difference
  {
    TAntivirusList Antivirus = GetAntivirusProducts();
    F.AntivirusStr = FormatAntivirus(Antivirus);
    if (X != nullptr) X->Antivirus = std::move(Antivirus);
  }
  F.ProductID = GetWindowsProductId();
  GetNetworkDetails(F.NetName, F.IPLocal, F.Gateway, F.MAC, F.TipoIP, F.SpeedStr,
                    X != nullptr ? &X->Devices.Adapters : nullptr);
  F.PrintersStr = GetInstalledPrinters(X != nullptr ? &X->Printers : nullptr);
  F.Programs = GetInstalledPrograms(X != nullptr ? &X->Programs : nullptr);
  if (X != nullptr) {
    X->SystemDrive = GetSystemDriveLetter();
    X->Devices.Machine = GetWindowsMachine();
    X->Arch = WindowsArchitectureOf(X->Devices.Machine);
    ProbeDevices(X->Devices);
    X->Identity = GetMachineIdentity();
  }
}

// The GLPI inventory as JSON, made once so that what is saved and what is sent are the same bytes;
// or the error line that stopped it, as the error display writes it.
struct TGlpiDocument {
  std::string Json;
  std::u16string Failure;
  std::vector<std::string> Unread;  // the sections that could not be read, left out
};

TGlpiDocument MakeGlpiDocument(const TReportFields& Fields, TProbeExtras& Extras,
                               const TCommandLine& Options) {
  TGlpiDocument Document;
  try {
    TGlpiInventory Inventory = GlpiInventoryOf(Fields, Extras);
    if (Options.Tag) Inventory.Tag = *Options.Tag;
    Document.Json = GlpiInventoryJson(Inventory);
    Document.Unread = GlpiUnreadSections(Inventory);
  } catch (const Exception& Error) {
    Document.Failure = std::u16string{Error.ClassName()} + u": " + Error.Message;
  } catch (const std::bad_alloc&) {
    Document.Failure = u"EOutOfMemory: Out of memory";
  }
  return Document;
}

void ShowFailure(TConsoleOutput& Output, std::u16string_view Heading,
                 const std::u16string& Reason) {
  Output.WriteLine(u"");
  Output.WriteLine(Heading);
  Output.WriteLine(Reason);
}

// The inventory file beside the report; false, with the reason on the console, when it is not
// saved.
bool SaveGlpi(TConsoleOutput& Output, const TReportFields& Fields, const TGlpiDocument& Document,
              const std::u16string& ReportPath) {
  const std::u16string Path =
      ExtractFilePath(ReportPath) + GlpiInventoryFileName(Fields.ComputerName);
  std::u16string Failure = Document.Failure;
  const std::vector<std::string>& Unread = Document.Unread;
  try {
    if (Failure.empty()) SaveGlpiInventory(Document.Json, Path);
  } catch (const Exception& Error) {
    Failure = std::u16string{Error.ClassName()} + u": " + Error.Message;
  } catch (const std::bad_alloc&) {
    Failure = u"EOutOfMemory: Out of memory";
  }
  if (Failure.empty()) {
    // GLPI keeps what it had for these: whoever imports the file should know they are stale.
    std::u16string Line = u"Inventario GLPI salvo em: " + Path;
    for (std::size_t I = 0; I < Unread.size(); ++I) {
      Line += I == 0 ? u" (nao lidos: " : u", ";
      Line += std::u16string(Unread[I].begin(), Unread[I].end());  // ASCII names
    }
    if (!Unread.empty()) Line += u')';
    Output.WriteLine(Line);
    return true;
  }
  ShowFailure(Output, u"Nao foi possivel salvar o inventario GLPI:", Failure);
  return false;
}

// The inventory posted to GLPI; false, with the reason on the console, when GLPI did not take it.
// Whatever happens, the files saved before stay.
bool SendGlpi(TConsoleOutput& Output, const TGlpiDocument& Document, const TGlpiServer& Server) {
  TGlpiDelivery Delivery;
  if (Document.Failure.empty()) {
    try {
      Delivery = SendGlpiInventory(Document.Json, Server);
    } catch (const Exception& Error) {
      Delivery.Reason = std::u16string{Error.ClassName()} + u": " + Error.Message;
    } catch (const std::bad_alloc&) {
      Delivery.Reason = u"EOutOfMemory: Out of memory";
    }
  } else {
    Delivery.Reason = Document.Failure;
  }
  if (Delivery.Sent) {
    Output.WriteLine(u"Inventario enviado ao GLPI: " + Server.Shown);
    return true;
  }
  ShowFailure(Output, u"Nao foi possivel enviar o inventario ao GLPI:",
              Server.Shown + u": " + Delivery.Reason);
  return false;
}

// True when everything asked for was saved and sent.
bool GenerateReport(TConsoleOutput& Output, const TCommandLine& Options) {
  Output.WriteLine(u"Coletando informacoes do sistema...");
  TReportFields Fields;
  std::optional<TProbeExtras> Extras;
  if (Options.Glpi || Options.Server) Extras.emplace();
  RunProbes(Fields, Extras ? &*Extras : nullptr);
  std::u16string ReportPath;
  {
    TStringList ReportText;  // lives until the success line is out, or until an error passes
    ComposeReport(Fields, ReportText);
    ReportPath = SaveReport(ReportText, Fields.ComputerName, Options.Folder).FilePath;
    Output.WriteLine(u"Sucesso! Relatorio salvo em: " + ReportPath);
  }
  if (!Extras) return true;
  const TGlpiDocument Document = MakeGlpiDocument(Fields, *Extras, Options);
  const bool Saved = !Options.Glpi || SaveGlpi(Output, Fields, Document, ReportPath);
  const bool Sent = !Options.Server || SendGlpi(Output, Document, *Options.Server);
  return Saved && Sent;
}

void ShowError(TConsoleOutput& Output, const Exception& Error) {
  Output.WriteLine(u"");
  Output.WriteLine(u"Ocorreu um erro ao gerar o relatorio:");
  Output.WriteLine(std::u16string{Error.ClassName()} + u": " + Error.Message);
}

// True when everything asked for was saved.
bool MainSequence(TConsoleOutput& Output, const TCommandLine& Options) {
  bool AllSaved = false;
  try {
    AllSaved = GenerateReport(Output, Options);
  } catch (const Exception& Error) {
    ShowError(Output, Error);
  } catch (const std::bad_alloc&) {
    ShowError(Output, EOutOfMemory(u"Out of memory"));
  }
  // A scripted run may have no one to press ENTER and no input to read (a scheduled task, a
  // logon script, a service): it ends as soon as it is done.
  if (Options.AnySwitch()) return AllSaved;
  Output.WriteLine(u"");
  Output.WriteLine(u"Pressione ENTER para sair...");
  ReadLineAndDiscard();
  return AllSaved;
}

// Lines on standard error, whatever becomes of them: the exit code tells the script in any case.
void TellStdErr(const std::vector<std::u16string>& Lines) {
  try {
    TConsoleOutput Errors(DefaultSystemCodePage, platform::StdErrorHandle);
    for (const std::u16string& Line : Lines) Errors.WriteLine(Line);
    Errors.Close();
  } catch (const Exception&) {  // NOLINT(bugprone-empty-catch): nowhere else to say it
  }
}

// An argument the program does not know: said on standard error with the usage, so that a
// script's log shows it; the exit code tells the script even when that stream cannot be written.
void RejectArgument(const std::u16string& Argument) {
  std::vector<std::u16string> Lines{u"Opcao desconhecida: " + Argument};
  for (const std::u16string_view Line : UsageLines()) Lines.emplace_back(Line);
  TellStdErr(Lines);
}

// A folder that holds a quotation mark: no Windows folder can, so it came from a quoted folder
// that ends in a backslash, "C:\A B\", whose \" the C runtime reads as a quote inside the name.
void RejectQuotedFolder(const std::u16string& Folder) {
  TellStdErr({u"Pasta invalida: " + Folder,
              u"A barra invertida antes das aspas de fechamento (\\\") faz as aspas entrarem no "
              u"nome da pasta.",
              u"Escreva a pasta sem a barra final: /pasta:\"C:\\Meus Relatorios\""});
}

int Dispatch(TConsoleOutput& Output, const TCommandLine& Options) {
  if (Options.Unknown) {
    RejectArgument(*Options.Unknown);
    return 2;
  }
  if (Options.Folder && Options.Folder->find(u'"') != std::u16string::npos) {
    RejectQuotedFolder(*Options.Folder);
    return 2;
  }
  if (Options.Help) {
    for (const std::u16string_view Line : UsageLines()) Output.WriteLine(Line);
    return 0;
  }
  const bool AllSaved = MainSequence(Output, Options);
  // Without switches the run keeps its old promise: it ends with 0 whatever it printed.
  return Options.AnySwitch() && !AllSaved ? 1 : 0;
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

int RunInventario() { return RunInventario({}); }

int RunInventario(const std::vector<std::u16string>& Arguments) {
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
    const TCommandLine Options = ParseArguments(Arguments);
    if (Options.AnySwitch()) Output.KeepBestEffort();
    const int Code = Dispatch(Output, Options);
    Output.Close();
    ExitCode = Code;
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
