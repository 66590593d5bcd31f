// The whole program on an office PC, with each platform call made to fail in turn.
//
// A first run records every call the program makes and how often. Then, for every call and every
// occurrence of it, a run makes just that occurrence fail, once with each error code the call can
// meaningfully give; further runs fill the disk or break the console after a chosen number of
// bytes. Every run must end as the program promises:
//   - no crash, no sanitizer report, every handle closed (but one whose close was the failure)
//     and every system block freed;
//   - exit code 0, or 1 only when the console output or the final read failed, and then with the
//     last-chance EInOutError text on standard error;
//   - either the success line, naming a complete report, or the error lines, never both;
//   - a failure the program has a fallback for (a probe's call, the Desktop save, a single
//     console setup problem) still saves the report and says so; one while looking up where
//     Explorer keeps the Desktop saves it on the profile's Desktop.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "main/program_flow.h"
#include "platform/simulated/machine.h"
#include "probes/printers.h"
#include "text/format.h"
#include "text/sys_utils.h"

namespace {

namespace sim = platform::simulated;

const std::string Fixtures = INVENTARIO_FIXTURES;
const std::string StatusLine = "Coletando informacoes do sistema...\r\n";
const std::string SuccessPrefix = "Sucesso! Relatorio salvo em: ";
const std::string ErrorHeading = "\r\nOcorreu um erro ao gerar o relatorio:\r\n";
const std::string PromptEnd = "\r\n\r\nPressione ENTER para sair...\r\n";
const std::string LastChancePrefix =
    "Exception EInOutError in module inventario.exe at 00000000.\r\n";
const std::string Preamble = "\xEF\xBB\xBF";
const std::string Rule(34, '-');
const std::string Title = "*RELAT\xC3\x93RIO DE HARDWARE E REDE*\r\n";
const std::string SoftwareHeading = "*SOFTWARE E DISPOSITIVOS*\r\n";

// ---- The machine ------------------------------------------------------------------------------

struct TProfile {
  const char* Name;
  bool Redirected;               // standard output to a file instead of the console
  bool DefaultFromEnumeration;   // the spooler names the default in its enumeration
  bool SavingRefused;            // neither the Desktop nor the exe's folder may be written
  const char16_t* DesktopValue;  // Explorer's Desktop folder, unexpanded; nullptr: none recorded
  const char16_t* SavedIn;       // where the report goes when nothing fails
};

const std::u16string ProfileDesktop = u"C:\\Users\\ana\\Desktop\\";
const std::u16string UserShellFolders =
    u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// The third profile runs the error path: the calls that only an error message makes are swept
// there, each on top of the refused saves. The second one's Desktop is in OneDrive.
const std::vector<TProfile> Profiles{
    {"console, default printer from GetDefaultPrinterW", false, false, false,
     u"%USERPROFILE%\\Desktop", u"C:\\Users\\ana\\Desktop\\"},
    {"redirected output, default printer from the enumeration, Desktop in OneDrive", true, true,
     false, u"%USERPROFILE%\\OneDrive\\Desktop", u"C:\\Users\\ana\\OneDrive\\Desktop\\"},
    {"console, both saves refused", false, false, true, nullptr, nullptr},
};

void SetUpOfficePc(const TProfile& P) {
  ReleasePrinter();
  sim::ResetMachine();
  FormatSettings = TFormatSettings{};
  sim::TMachine& M = sim::Machine();
  for (const char* File : {"office-pc.reg", "installed-programs.reg", "office-pc-devices.reg"}) {
    if (const auto Error = M.Registry.ImportFile(Fixtures + "/registry/" + File)) {
      throw std::runtime_error(*Error);
    }
  }
  // A display device without a driver, named by its own record.
  sim::TRegKey& Basic = M.Registry.Key(platform::HkeyLocalMachine,
                                       u"SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_1234&DEV_1111&"
                                       u"SUBSYS_00000000&REV_02\\3&267a616a&0&10");
  Basic.SetString(u"ClassGUID", u"{4d36e968-e325-11ce-bfc1-08002be10318}");
  Basic.SetString(u"DeviceDesc", u"Microsoft Basic Display Adapter");
  sim::TAdapter WiFi;
  WiFi.Description = "Intel(R) Wi-Fi 6 AX201 160MHz";
  WiFi.IpAddress = "0.0.0.0";
  sim::TAdapter Ethernet;
  Ethernet.Description = "Intel(R) Ethernet Connection (7) I219-LM";
  Ethernet.Address = {0x3C, 0x52, 0x82, 0x1A, 0x2B, 0x3C, 0, 0};
  Ethernet.IpAddress = "192.168.10.23";
  Ethernet.Gateway = "192.168.10.1";
  Ethernet.Index = 11;
  Ethernet.ReceiveLinkSpeed = Ethernet.TransmitLinkSpeed = 1000000000;
  M.Adapters = {WiFi, Ethernet};
  M.Printers = {u"HP LaserJet Pro M404", u"Microsoft Print to PDF", u"Etiquetadora Zebra"};
  if (P.DefaultFromEnumeration) {
    M.DefaultRecords = {u"HP LaserJet Pro M404"};
  } else {
    M.DefaultPrinterText = u"HP LaserJet Pro M404,winspool,Ne01:";
  }
  M.Drives[u'D'] =
      sim::TDrive{platform::DriveFixed, 1000204886016ULL, 612345678912ULL, 612345678912ULL, 0};
  M.Drives[u'E'] = sim::TDrive{2, 32ULL << 30, 1ULL << 30, 1ULL << 30, 0};  // a pen drive
  M.Ticks = ((3ULL * 24 + 5) * 60 + 17) * 60 * 1000;
  if (P.Redirected) {
    M.StdOut.FileType = platform::FileTypeDisk;
    M.StdIn.FileType = platform::FileTypePipe;
  }
  if (P.DesktopValue != nullptr) {
    M.Registry.Key(platform::HkeyCurrentUser, UserShellFolders)
        .SetString(u"Desktop", P.DesktopValue, platform::RegExpandSz);
    M.FileSystem.MakeDirectory(u"C:\\Users\\ana\\OneDrive\\Desktop");
  }
  if (P.SavingRefused) {
    M.FileSystem.MakeReadOnly(u"C:\\Users\\ana\\Desktop");
    M.FileSystem.MakeReadOnly(u"C:\\Program Files\\Inventario");
  }
}

// ---- One run ----------------------------------------------------------------------------------

struct TRun {
  int ExitCode = -1;
  std::string StdOut;
  std::string StdErr;
  std::size_t OpenHandles = 0;
  std::size_t Blocks = 0;
  std::map<std::string, int, std::less<>> Calls;
  std::vector<std::size_t> StdOutWrites;
  std::optional<std::u16string> SavedPath;  // the file the success line names
  std::optional<std::string> Saved;         // its bytes, when it exists
};

TRun RunOn(const TProfile& P, const std::function<void(sim::TMachine&)>& Arrange) {
  SetUpOfficePc(P);
  Arrange(sim::Machine());
  TRun R;
  R.ExitCode = RunInventario();
  ReleasePrinter();
  const sim::TMachine& M = sim::Machine();
  R.StdOut = M.StdOut.Written;
  R.StdErr = M.StdErr.Written;
  R.OpenHandles = M.OpenHandleCount();
  R.Blocks = M.OutstandingBlocks();
  R.Calls = M.CallCounts();
  R.StdOutWrites = M.StdOut.Writes;
  // Only a whole success line counts: output that breaks off may cut it short.
  const std::size_t At = R.StdOut.find(SuccessPrefix);
  const std::size_t End = At == std::string::npos ? At : R.StdOut.find("\r\n", At);
  if (End != std::string::npos) {
    const std::size_t Start = At + SuccessPrefix.size();
    const std::string Path = R.StdOut.substr(Start, End - Start);
    R.SavedPath = std::u16string(Path.begin(), Path.end());  // the paths here are ASCII
    R.Saved = M.FileSystem.FileData(*R.SavedPath);
  }
  return R;
}

// ---- What a run must look like ----------------------------------------------------------------

bool ValidUtf8(std::string_view Bytes) {
  for (std::size_t I = 0; I < Bytes.size();) {
    const auto Lead = static_cast<unsigned char>(Bytes[I]);
    std::size_t Extra = 4;  // not a lead byte
    if (Lead < 0x80) {
      Extra = 0;
    } else if (Lead >= 0xC2 && Lead <= 0xDF) {
      Extra = 1;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
      Extra = 2;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
      Extra = 3;
    }
    if (Extra > 3 || Bytes.size() - I <= Extra) return false;
    for (std::size_t K = 1; K <= Extra; ++K) {
      if ((static_cast<unsigned char>(Bytes[I + K]) & 0xC0) != 0x80) return false;
    }
    I += Extra + 1;
  }
  return true;
}

std::vector<std::string> Lines(std::string_view Text) {
  std::vector<std::string> Result;
  while (!Text.empty()) {
    const std::size_t End = Text.find("\r\n");
    Result.emplace_back(Text.substr(0, End));
    if (End == std::string_view::npos) break;
    Text.remove_prefix(End + 2);
  }
  return Result;
}

// The label of a report line: the text up to the end of its "*...:*" field name, if it has one.
std::string Label(const std::string& Line) {
  const std::size_t End = Line.find(":* ");
  return End == std::string::npos ? Line : Line.substr(0, End + 3);
}

// The report a run saved, against the normal run's report: the same preamble, title, entry
// labels in the same places, both section headings, the closing rule, all of it UTF-8.
void CheckReport(const std::string& Report, const std::string& Normal,
                 std::vector<std::string>& Problems) {
  if (Report.rfind(Preamble + Title, 0) != 0)
    Problems.emplace_back("the report does not start with the preamble and title");
  if (Report.find("\r\n" + SoftwareHeading) == std::string::npos)
    Problems.emplace_back("the report has no software section");
  if (!ValidUtf8(Report)) Problems.emplace_back("the report is not valid UTF-8");
  if (Report.size() < Rule.size() + 2 ||
      Report.compare(Report.size() - Rule.size() - 2, std::string::npos, Rule + "\r\n") != 0) {
    Problems.emplace_back("the report does not end with the closing rule");
  }
  const std::vector<std::string> Got =
      Lines(std::string_view(Report).substr(std::min(Report.size(), Preamble.size())));
  const std::vector<std::string> Want = Lines(std::string_view(Normal).substr(Preamble.size()));
  constexpr std::size_t FixedLines = 19;  // title to the printers' heading
  if (Got.size() < FixedLines + 4) {
    Problems.emplace_back("the report has only " + std::to_string(Got.size()) + " lines");
    return;
  }
  for (std::size_t I = 0; I < FixedLines; ++I) {
    if (Label(Got[I]) != Label(Want[I]))
      Problems.emplace_back("report line " + std::to_string(I + 1) + " is \"" + Got[I] + "\"");
  }
  const auto ProgramsHeading =
      std::find_if(Got.begin() + FixedLines, Got.end(), [](const std::string& Line) {
        return Line.find("*Programas Instalados:*") != std::string::npos;
      });
  if (ProgramsHeading == Got.end())
    Problems.emplace_back("the report has no installed-programs heading");
}

enum class TKind {
  Probe,          // a call a probe makes: its fallback must cover a single failure
  ProbeRaises,    // a probe's call whose failure the probe reports as an error
  Saving,         // finding the Desktop and writing the report there: the exe's folder is next
  DesktopLookup,  // where Explorer keeps the Desktop: the profile's Desktop is next
  ReportText,     // converting the report to UTF-8: its failure is shown as an error
  Console,        // setting up or writing the console
  ConsoleWrite,   // a write to standard output
  FinalRead,      // the final read of standard input
  StartUp,        // the locale and code page settings read at start-up
  Closing,        // releasing a handle: a failure leaves it open
  ErrorText,      // only on the way to an error message
  Shortcut,       // a faster way to a result that has a slower one: nothing may change
};

struct TCase {
  std::string Name;
  TKind Kind = TKind::Probe;
  std::uint32_t Error = 0;
  std::function<void(sim::TMachine&)> Arrange;
  bool ExpectSaved = false;    // the success line must be there
  bool ExpectExitOne = false;  // the run must end with code 1
  bool SameReport = false;     // a saved report must be the normal run's, byte for byte
  std::optional<std::string> ExpectedError;  // the error line must start with this
  std::optional<std::u16string> SavedIn;     // the success line must name a file in this folder
  bool SameAsNormal = false;  // nothing noticeable happened: the normal run's output, code 0
};

std::vector<std::string> Check(const TCase& C, const TRun& R, const std::string& Reference,
                               const std::string& NormalOutput) {
  std::vector<std::string> Problems;
  const bool OutputBroken = C.Kind == TKind::ConsoleWrite || C.Kind == TKind::Console;
  const std::size_t HandlesLeft = C.Kind == TKind::Closing ? 1 : 0;
  if (R.OpenHandles != HandlesLeft)
    Problems.emplace_back(std::to_string(R.OpenHandles) + " handles left open");
  if (R.Blocks != 0) Problems.emplace_back(std::to_string(R.Blocks) + " system blocks not freed");

  if (R.ExitCode == 1) {
    if (!OutputBroken && C.Kind != TKind::FinalRead)
      Problems.emplace_back("exit code 1 for a failure off the console");
    if (R.StdErr.rfind(LastChancePrefix, 0) != 0 || R.StdErr.size() < 4 ||
        R.StdErr.compare(R.StdErr.size() - 4, 4, "\r\n\r\n") != 0) {
      Problems.emplace_back("exit code 1 without the EInOutError text on standard error: \"" +
                            R.StdErr + "\"");
    }
  } else if (R.ExitCode == 0) {
    if (!R.StdErr.empty())
      Problems.emplace_back("exit code 0 with text on standard error: \"" + R.StdErr + "\"");
  } else {
    Problems.emplace_back("exit code " + std::to_string(R.ExitCode));
  }
  if (C.ExpectExitOne && R.ExitCode != 1)
    Problems.emplace_back("the run should have ended with code 1");

  const bool Succeeded = R.SavedPath.has_value();
  const std::size_t HeadingAt = R.StdOut.find(ErrorHeading);
  const bool Failed = HeadingAt != std::string::npos;
  if (Succeeded && Failed) Problems.emplace_back("both the success line and the error lines");
  if (Succeeded) {
    if (!R.Saved) {
      Problems.emplace_back("the success line names a file that does not exist");
    } else {
      CheckReport(*R.Saved, Reference, Problems);
      if (C.SameReport && *R.Saved != Reference)
        Problems.emplace_back("the saved report differs from the normal run's");
    }
  }
  const std::size_t LineAt = Failed ? HeadingAt + ErrorHeading.size() : std::string::npos;
  const std::size_t LineEnd = Failed ? R.StdOut.find("\r\n", LineAt) : std::string::npos;
  if (LineEnd != std::string::npos) {  // the error line, when the console took all of it
    const std::string Line = R.StdOut.substr(LineAt, LineEnd - LineAt);
    if (Line.size() < 3 || Line[0] != 'E' || Line.find(": ") == std::string::npos) {
      Problems.emplace_back("the error line is \"" + Line + "\"");
    }
    if (C.ExpectedError && Line.rfind(*C.ExpectedError, 0) != 0) {
      Problems.emplace_back("the error line is \"" + Line + "\", not " + *C.ExpectedError);
    }
  } else if (C.ExpectedError) {
    Problems.emplace_back("no error lines; expected " + *C.ExpectedError);
  }
  if (C.SavedIn && R.SavedPath && R.SavedPath->rfind(*C.SavedIn, 0) != 0) {
    Problems.emplace_back("the report went to \"" +
                          std::string(R.SavedPath->begin(), R.SavedPath->end()) +
                          "\", not to the profile's Desktop");
  }
  if (C.SameAsNormal && (R.ExitCode != 0 || R.StdOut != NormalOutput)) {
    Problems.emplace_back("the run should have gone as the normal one; output: \"" + R.StdOut +
                          "\"");
  }
  if (C.ExpectSaved && (!Succeeded || R.ExitCode != 0)) {
    Problems.emplace_back(
        "the report should have been saved and the run ended normally; output: \"" + R.StdOut +
        "\"");
  }
  // Unless the console itself failed, the run says how it went and ends with the prompt.
  if (R.ExitCode == 0 && !OutputBroken) {
    if (!Succeeded && !Failed)
      Problems.emplace_back("neither the success line nor the error lines");
    if (R.StdOut.size() < PromptEnd.size() ||
        R.StdOut.compare(R.StdOut.size() - PromptEnd.size(), PromptEnd.size(), PromptEnd) != 0) {
      Problems.emplace_back("the output does not end with the prompt: \"" + R.StdOut + "\"");
    }
  }
  return Problems;
}

// ---- The cases --------------------------------------------------------------------------------

struct TCallFacts {
  TKind Kind;
  std::vector<std::uint32_t> Errors;
};

// Every call the simulated machine can fail, what it is for in this program, and the error codes
// it can give: one for each way the program can tell them apart (a different path, or a different
// message), not every code the system knows.
const std::map<std::string, TCallFacts, std::less<>> CallFacts{
    {"SetDefaultDllDirectories", {TKind::Shortcut, {127, 87}}},
    {"GetStdHandle", {TKind::Console, {6}}},
    {"GetFileType", {TKind::Console, {6}}},
    {"GetConsoleOutputCP", {TKind::Console, {6}}},
    {"WideCharToMultiByte", {TKind::Console, {1113, 122}}},
    {"MultiByteToWideChar", {TKind::Probe, {1113}}},
    {"GetThreadLocale", {TKind::StartUp, {87}}},
    {"IsValidLocale", {TKind::StartUp, {87}}},
    {"GetLocaleInfoW", {TKind::StartUp, {87, 122}}},
    {"CompareStringW", {TKind::Probe, {87}}},
    {"LCMapStringW", {TKind::Shortcut, {87, 122}}},
    {"CreateFileW", {TKind::Saving, {5, 32, 3, 123}}},
    {"WriteFile", {TKind::Saving, {112, 5, 109, 232}}},  // stdout or report: told apart below
    {"ReadFile", {TKind::FinalRead, {109, 5, 6, 232}}},
    {"CloseHandle", {TKind::Saving, {6, 112}}},  // a close can report a delayed write that failed
    {"FlushFileBuffers", {TKind::Saving, {112, 64}}},
    {"MoveFileExW", {TKind::Saving, {5, 32, 17}}},
    {"CompareStringOrdinal", {TKind::DesktopLookup, {87}}},
    {"GetFullPathNameW", {TKind::ErrorText, {123}}},
    {"GetEnvironmentVariableW", {TKind::Saving, {203, 8}}},
    {"ExpandEnvironmentStringsW", {TKind::DesktopLookup, {8}}},
    {"GetModuleFileNameW", {TKind::Saving, {122, 5}}},
    {"FormatMessageW", {TKind::ErrorText, {317, 8}}},
    {"GlobalMemoryStatusEx", {TKind::Probe, {87, 8}}},
    {"GetDriveTypeW", {TKind::Probe, {87}}},
    {"GetDiskFreeSpaceExW", {TKind::Probe, {21, 5}}},
    // A drive that cannot say what it maps to is kept as the disk it says it is: nothing changes.
    {"QueryDosDeviceW", {TKind::Shortcut, {2, 122, 5}}},
    {"GetTickCount64", {TKind::ProbeRaises, {127}}},
    {"GetAdaptersInfo", {TKind::Probe, {111, 232, 8, 50}}},
    {"GetIfEntry2", {TKind::Probe, {2, 87, 50}}},
    {"SetupDiGetClassDevsW", {TKind::Probe, {8, 87}}},
    {"SetupDiEnumDeviceInfo", {TKind::Probe, {259, 1784}}},
    {"SetupDiGetDeviceInstanceIdW", {TKind::Probe, {122, 13}}},
    {"SetupDiGetDeviceRegistryPropertyW", {TKind::Probe, {13, 122}}},
    {"SetupDiOpenDevRegKey", {TKind::Probe, {0xE0000204, 5}}},
    {"SetupDiDestroyDeviceInfoList", {TKind::Closing, {6}}},
    {"EnumPrintersW", {TKind::Probe, {122, 123, 5, 1722}}},
    {"GetDefaultPrinterW", {TKind::Probe, {2, 122, 1722}}},
    {"GetComputerNameW", {TKind::Probe, {111, 5}}},
    {"RegOpenKeyExW", {TKind::Probe, {2, 5}}},
    {"RegQueryValueExW", {TKind::ProbeRaises, {2, 234}}},
    {"RegQueryInfoKeyW", {TKind::Probe, {5, 6}}},
    {"RegEnumKeyExW", {TKind::Probe, {259, 234}}},
    {"RegCloseKey", {TKind::Closing, {6}}},
    // The antivirus worker and what it asks Security Center: each falls back to "not available".
    {"CreateThread", {TKind::Probe, {8}}},
    {"WaitForSingleObject", {TKind::Probe, {6}}},
    {"WscGetSecurityProviderHealth", {TKind::Probe, {5}}},
    {"CoInitializeEx", {TKind::Probe, {14}}},
    {"CoCreateInstance", {TKind::Probe, {5, 1060}}},
    {"IWSCProductListInitialize", {TKind::Probe, {5}}},
    {"IWSCProductListGetCount", {TKind::Probe, {5}}},
    {"IWSCProductListGetItem", {TKind::Probe, {5}}},
    {"IWscProductGetProductName", {TKind::Probe, {5}}},
    {"IWscProductGetProductState", {TKind::Probe, {5}}},
    {"IWscProductGetSignatureStatus", {TKind::Probe, {5}}},
};

constexpr std::uint32_t BrokenPipe = 109;

// Which WriteFile calls of the normal run go to standard output: the report is written between
// the status line and the success line, so the standard-output writes that carry nothing but the
// status line come before the report's, and all the others after.
std::vector<bool> StdOutWriteOrder(const TRun& Normal) {
  std::size_t Before = 0;
  std::size_t Bytes = 0;
  while (Before < Normal.StdOutWrites.size() &&
         Bytes + Normal.StdOutWrites[Before] <= StatusLine.size()) {
    Bytes += Normal.StdOutWrites[Before++];
  }
  const int Total = Normal.Calls.at("WriteFile");
  const std::size_t ReportWrites = static_cast<std::size_t>(Total) - Normal.StdOutWrites.size();
  std::vector<bool> ToStdOut(static_cast<std::size_t>(Total), true);
  for (std::size_t I = Before; I < Before + ReportWrites; ++I) ToStdOut[I] = false;
  return ToStdOut;
}

std::vector<TCase> FailureCases(const TRun& Normal, const TProfile& P) {
  std::vector<TCase> Cases;
  const std::vector<bool> ToStdOut = StdOutWriteOrder(Normal);
  for (const auto& [Call, Count] : Normal.Calls) {
    const auto Facts = CallFacts.find(Call);
    if (Facts == CallFacts.end()) {
      ADD_FAILURE() << Call << " is called but has no entry in the sweep's table";
      continue;
    }
    for (int Occurrence = 0; Occurrence < Count; ++Occurrence) {
      for (const std::uint32_t Error : Facts->second.Errors) {
        TCase C;
        C.Kind = Facts->second.Kind;
        std::string Where;
        if (Call == "WriteFile") {
          const bool Console = ToStdOut[static_cast<std::size_t>(Occurrence)];
          C.Kind = Console ? TKind::ConsoleWrite : TKind::Saving;
          Where = Console ? " (standard output)" : " (report file)";
        }
        // The save looks the Desktop up after the last probe has read the registry.
        if (P.DesktopValue != nullptr && Occurrence == Count - 1 &&
            (Call == "RegOpenKeyExW" || Call == "RegQueryValueExW")) {
          C.Kind = TKind::DesktopLookup;
          Where = " (Desktop lookup)";
        }
        C.Name = Call;
        C.Name +=
            " #" + std::to_string(Occurrence + 1) + Where + " fails with " + std::to_string(Error);
        C.Error = Error;
        C.Arrange = [Call = Call, Error, Occurrence](sim::TMachine& M) {
          M.FailCall(Call, Error, Occurrence, 1);
        };
        // One failure, then the calls work again: wherever the program has another way, it
        // must get there. A probe falls back; the Desktop save falls back to the exe's folder; a
        // registry read may fail whole probes, an uptime without its call raises; the report
        // text and the console report what failed.
        C.SameAsNormal = C.Kind == TKind::Shortcut;
        C.ExpectSaved =
            !P.SavingRefused &&
            (C.Kind == TKind::Probe || C.Kind == TKind::Saving || C.Kind == TKind::DesktopLookup ||
             C.Kind == TKind::Closing || C.Kind == TKind::StartUp || Call == "GetConsoleOutputCP" ||
             (C.Kind == TKind::FinalRead && Error == BrokenPipe));
        C.ExpectExitOne = C.Kind == TKind::FinalRead && Error != BrokenPipe;
        if (C.Kind == TKind::DesktopLookup) C.SavedIn = ProfileDesktop;
        C.SameReport = C.Kind == TKind::Saving || C.Kind == TKind::DesktopLookup ||
                       C.Kind == TKind::Closing || C.Kind == TKind::FinalRead ||
                       C.Kind == TKind::Console || C.Kind == TKind::ConsoleWrite ||
                       C.Kind == TKind::ErrorText || C.Kind == TKind::Shortcut;
        Cases.push_back(std::move(C));
      }
    }
  }
  return Cases;
}

// The DLLs bound on first use: one that cannot be loaded fails every call into it, a function it
// does not export fails that call every time. Whatever else goes on, the probes fall back.
std::vector<TCase> UnboundCases(const TRun& Normal, const TProfile& P) {
  std::vector<TCase> Cases;
  for (const sim::TLateBoundLibrary& Library : sim::LateBoundLibraries()) {
    TCase Whole;
    Whole.Name = std::string{Library.FileName} + " cannot be loaded (126)";
    Whole.Arrange = [FileName = Library.FileName](sim::TMachine& M) {
      M.FailLibrary(FileName, platform::ErrorModNotFound);
    };
    Whole.ExpectSaved = !P.SavingRefused;
    Cases.push_back(std::move(Whole));
    for (const std::string_view Call : Library.Calls) {
      const auto Facts = CallFacts.find(Call);
      if (!Normal.Calls.contains(Call) || Facts == CallFacts.end()) continue;
      TCase C;
      C.Name = std::string{Call} + " is not found in " + std::string{Library.FileName} + " (127)";
      C.Kind = Facts->second.Kind;
      C.Arrange = [Call](sim::TMachine& M) { M.FailCall(Call, platform::ErrorProcNotFound); };
      C.ExpectSaved = !P.SavingRefused;
      Cases.push_back(std::move(C));
    }
  }
  return Cases;
}

std::vector<TCase> ShortWriteCases(const TRun& Normal) {
  std::vector<TCase> Cases;
  const std::uint64_t Report = Normal.Saved ? Normal.Saved->size() : 0;
  for (const std::uint64_t Bytes :
       std::set<std::uint64_t>{0, 1, 2, 3, 4, 64, Report / 2, Report - 1, Report, Report + 1}) {
    for (const std::uint32_t Error : {112U, 0U}) {
      if (!Normal.Saved) break;
      TCase C;
      C.Name = "the disk takes " + std::to_string(Bytes) + " of the report's " +
               std::to_string(Report) + " bytes, then " +
               (Error != 0 ? "fails with " + std::to_string(Error) : std::string("writes short"));
      C.Kind = TKind::Saving;
      C.Arrange = [Bytes, Error](sim::TMachine& M) {
        M.FileSystem.Limit = sim::TWriteLimit{Bytes, Error};
      };
      C.SameReport = true;
      // The limit holds for both attempts: the report fits, or the second attempt's error shows.
      if (Bytes >= Report) {
        C.SameAsNormal = true;
      } else {
        C.ExpectedError = "EWriteError: Stream write error";
      }
      Cases.push_back(std::move(C));
    }
  }
  const std::uint64_t Output = Normal.StdOut.size();
  const std::uint64_t First = StatusLine.size();
  for (const std::uint64_t Bytes :
       std::set<std::uint64_t>{0, 1, First - 1, First, First + 1, Output / 2, Output - 1, Output}) {
    for (const std::uint32_t Error : {232U, BrokenPipe, 0U}) {
      TCase C;
      C.Name = "standard output takes " + std::to_string(Bytes) + " of " + std::to_string(Output) +
               " bytes, then " +
               (Error != 0 ? "fails with " + std::to_string(Error) : std::string("writes short"));
      C.Kind = TKind::ConsoleWrite;
      C.Arrange = [Bytes, Error](sim::TMachine& M) {
        M.StdOut.Limit = sim::TWriteLimit{Bytes, Error};
      };
      C.SameReport = true;
      C.SameAsNormal = Bytes >= Output;
      Cases.push_back(std::move(C));
    }
  }
  return Cases;
}

TEST(FailureSweep, EveryCallFailingInTurnEndsAsTheProgramPromises) {
  std::size_t Total = 0;
  std::size_t Passed = 0;
  std::string Reference;  // a complete report of this machine, from the first profile
  for (const TProfile& P : Profiles) {
    const TRun Normal = RunOn(P, [](sim::TMachine&) {});
    ASSERT_EQ(Normal.ExitCode, 0) << P.Name << Normal.StdOut;
    ASSERT_EQ(Normal.OpenHandles, 0U) << P.Name;
    if (P.SavingRefused) {
      ASSERT_FALSE(Normal.Saved.has_value()) << P.Name << Normal.StdOut;
      ASSERT_NE(Normal.StdOut.find(ErrorHeading + "EFCreateError: "), std::string::npos)
          << P.Name << Normal.StdOut;
    } else {
      ASSERT_TRUE(Normal.Saved.has_value()) << P.Name << Normal.StdOut;
      ASSERT_EQ(Normal.SavedPath->rfind(P.SavedIn, 0), 0U) << P.Name << Normal.StdOut;
      if (Reference.empty()) Reference = *Normal.Saved;
      std::vector<std::string> NormalProblems;
      CheckReport(*Normal.Saved, Reference, NormalProblems);
      ASSERT_EQ(NormalProblems, std::vector<std::string>{}) << P.Name;
      // The report is written in two pieces, the preamble and the text; telling the report's
      // writes from the console's relies on it.
      ASSERT_EQ(static_cast<std::size_t>(Normal.Calls.at("WriteFile")) - Normal.StdOutWrites.size(),
                2U);
    }

    if (std::getenv("INVENTARIO_SWEEP_CALLS") != nullptr) {
      for (const auto& [Call, Count] : Normal.Calls)
        std::cout << "  " << Call << " x" << Count << "\n";
    }
    std::vector<TCase> Cases = FailureCases(Normal, P);
    std::vector<TCase> Short = ShortWriteCases(Normal);
    Cases.insert(Cases.end(), Short.begin(), Short.end());
    std::vector<TCase> Unbound = UnboundCases(Normal, P);
    Cases.insert(Cases.end(), Unbound.begin(), Unbound.end());
    std::size_t ProfilePassed = 0;
    for (const TCase& C : Cases) {
      const TRun R = RunOn(P, C.Arrange);
      const std::vector<std::string> Problems =
          Check(C, R, Normal.Saved ? *Normal.Saved : Reference, Normal.StdOut);
      if (Problems.empty()) {
        ++ProfilePassed;
        continue;
      }
      std::string Text;
      for (const std::string& Problem : Problems) Text += "\n    " + Problem;
      ADD_FAILURE() << P.Name << " / " << C.Name << ":" << Text;
    }
    std::cout << "failure sweep (" << P.Name << "): " << Cases.size() << " cases over "
              << Normal.Calls.size() << " calls, " << ProfilePassed << " passed\n";
    Total += Cases.size();
    Passed += ProfilePassed;
  }
  std::cout << "failure sweep: " << Total << " cases, " << Passed << " passed\n";
  EXPECT_EQ(Passed, Total);
}

}  // namespace
