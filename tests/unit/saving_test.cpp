// Both files a run saves land whole or not at all: an earlier file of the same name survives any
// failure, and no temporary file is ever left behind.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "main/program_flow.h"
#include "simulated_machine.h"

namespace {

namespace sim = platform::simulated;

class SavingTest : public SimulatedMachineTest {};

const std::string Status = "Coletando informacoes do sistema...";
const std::u16string Folder = u"D:\\Inv\\";
const std::string Txt = R"(D:\Inv\relatorio_ESCRITORIO-01.txt)";
const std::string Json = R"(D:\Inv\relatorio_ESCRITORIO-01.json)";
const std::string Desktop = R"(C:\Users\ana\Desktop\relatorio_ESCRITORIO-01.txt)";
const std::string BesideExe = R"(C:\Program Files\Inventario\relatorio_ESCRITORIO-01.txt)";
const std::string OldReport = "an earlier report";
const std::string OldJson = R"({"an earlier": "document"})";
const std::string Killed = "left by a killed run";
const std::string Full = "There is not enough space on the disk";
const std::string Busy =
    "The process cannot access the file because it is being used by another process";

std::u16string U16(const std::string& Ascii) { return {Ascii.begin(), Ascii.end()}; }

std::string CrLf(const std::vector<std::string>& Lines) {
  std::string Text;
  for (const std::string& Line : Lines) Text += Line + "\r\n";
  return Text;
}

// What a file holds after the run: the earlier contents, a new file of its kind, or nothing.
enum class TLeft { Nothing, Old, New };

TLeft LeftIn(const std::string& Path, const std::string& Old) {
  const std::optional<std::string> Data = sim::Machine().FileSystem.FileData(U16(Path));
  if (!Data) return TLeft::Nothing;
  if (*Data == Old) return TLeft::Old;
  const bool Report = Data->rfind("\xEF\xBB\xBF*RELAT", 0) == 0;
  const bool Document = Data->rfind("{", 0) == 0 && Data->find("\"deviceid\"") != std::string::npos;
  return Report || Document ? TLeft::New : TLeft::Nothing;
}

TEST_F(SavingTest, AFailedFlushCloseOrMoveKeepsTheEarlierFileAndLeavesNoTemporaryOne) {
  struct TCase {
    const char* Name;
    std::function<void(sim::TMachine&)> Arrange;
    int ExitCode;
    std::vector<std::string> Lines;  // after the status line
    TLeft Report;                    // in D:\Inv
    TLeft Document;
    int Waits;  // how often the run waited for a busy file
  };
  const std::string Saved = "Sucesso! Relatorio salvo em: " + Txt;
  const std::string JsonSaved = "Inventario GLPI salvo em: " + Json;
  const std::vector<std::string> ReportFailed{"", "Ocorreu um erro ao gerar o relatorio:"};
  const auto JsonFailed = [&](const std::string& Error) {
    return std::vector<std::string>{Saved, "", "Nao foi possivel salvar o inventario GLPI:", Error};
  };
  const auto Plus = [](std::vector<std::string> Lines, const std::string& Line) {
    Lines.push_back(Line);
    return Lines;
  };
  const std::vector<TCase> Cases{
      {"nothing fails", [](auto&) {}, 0, {Saved, JsonSaved}, TLeft::New, TLeft::New, 0},
      {"the report's flush fails", [](auto& M) { M.FailCall("FlushFileBuffers", 112, 0, 1); }, 1,
       Plus(ReportFailed, "EWriteError: Stream write error: \"" + Txt + "\". " + Full), TLeft::Old,
       TLeft::Old, 0},
      {"the document's flush fails", [](auto& M) { M.FailCall("FlushFileBuffers", 112, 1, 1); }, 1,
       JsonFailed("EWriteError: Stream write error: \"" + Json + "\". " + Full), TLeft::New,
       TLeft::Old, 0},
      // A share reports a delayed write that failed only when the file is closed.
      {"the report's close fails", [](auto& M) { M.FailCall("CloseHandle", 64, 0, 1); }, 1,
       Plus(ReportFailed, "EWriteError: Stream write error: \"" + Txt +
                              "\". The specified network name is no longer available"),
       TLeft::Old, TLeft::Old, 0},
      {"the document's close fails", [](auto& M) { M.FailCall("CloseHandle", 112, 1, 1); }, 1,
       JsonFailed("EWriteError: Stream write error: \"" + Json + "\". " + Full), TLeft::New,
       TLeft::Old, 0},
      {"the report cannot be put in place", [](auto& M) { M.FailCall("MoveFileExW", 3, 0, 1); }, 1,
       Plus(ReportFailed, "EFCreateError: Cannot create file \"" + Txt +
                              "\". The system cannot find the path specified"),
       TLeft::Old, TLeft::Old, 0},
      {"the document is refused its place for good",
       [](auto& M) { M.FailCall("MoveFileExW", 5, 1); }, 1,
       JsonFailed("EFCreateError: Cannot create file \"" + Json + "\". Access is denied"),
       TLeft::New, TLeft::Old, 5},
      {"the report is busy for a moment",
       [](auto& M) { M.FileSystem.Files.at(sim::TFileSystem::Key(U16(Txt))).BusyMoves = 3; },
       0,
       {Saved, JsonSaved},
       TLeft::New,
       TLeft::New,
       3},
      {"the document stays busy",
       [](auto& M) { M.FileSystem.Files.at(sim::TFileSystem::Key(U16(Json))).BusyMoves = 6; }, 1,
       JsonFailed("EFCreateError: Cannot create file \"" + Json + "\". " + Busy), TLeft::New,
       TLeft::Old, 5},
      {"the document is held open elsewhere",
       [](auto&) {
         platform::CreateFileW(U16(Json).c_str(), platform::GenericRead, 0, nullptr,
                               platform::OpenExisting, 0, platform::NullHandle);
       },
       1, JsonFailed("EFCreateError: Cannot create file \"" + Json + "\". Access is denied"),
       TLeft::New, TLeft::Old, 5},
      // A name a killed run left behind is passed over.
      {"a temporary name is taken",
       [](auto& M) { M.FileSystem.PutFile(U16(Txt) + u".1234-0.tmp", Killed); },
       0,
       {Saved, JsonSaved},
       TLeft::New,
       TLeft::New,
       0},
  };
  for (const TCase& C : Cases) {
    sim::ResetMachine();
    Machine().FileSystem.PutFile(U16(Txt), OldReport);
    Machine().FileSystem.PutFile(U16(Json), OldJson);
    C.Arrange(Machine());
    const std::size_t HeldOpen = Machine().OpenHandleCount();
    EXPECT_EQ(RunInventario({u"/glpi", u"/pasta:" + Folder}), C.ExitCode) << C.Name;
    std::vector<std::string> Lines{Status};
    Lines.insert(Lines.end(), C.Lines.begin(), C.Lines.end());
    EXPECT_EQ(Machine().StdOut.Written, CrLf(Lines)) << C.Name;
    EXPECT_EQ(LeftIn(Txt, OldReport), C.Report) << C.Name;
    EXPECT_EQ(LeftIn(Json, OldJson), C.Document) << C.Name;
    std::vector<std::string> Files;
    for (const std::u16string& File : Machine().FileSystem.FileNames()) {
      if (File != U16(Txt) && File != U16(Json) && Machine().FileSystem.FileData(File) != Killed)
        Files.push_back(U8(File));
    }
    EXPECT_EQ(Files, std::vector<std::string>{}) << C.Name;
    EXPECT_EQ(Machine().CallCount("Sleep"), C.Waits) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), HeldOpen) << C.Name;
  }
}

// Without switches a Desktop report that cannot be replaced is left as it was, and the new one
// goes next to the executable, as when the Desktop cannot be written at all.
TEST_F(SavingTest, ADesktopReportThatStaysBusySendsTheNewOneBesideTheExe) {
  Machine().FileSystem.PutFile(U16(Desktop), OldReport);
  Machine().FileSystem.Files.at(sim::TFileSystem::Key(U16(Desktop))).BusyMoves = 100;
  EXPECT_EQ(RunInventario(), 0);
  EXPECT_EQ(Machine().StdOut.Written, CrLf({Status, "Sucesso! Relatorio salvo em: " + BesideExe, "",
                                            "Pressione ENTER para sair..."}));
  EXPECT_EQ(LeftIn(Desktop, OldReport), TLeft::Old);
  EXPECT_EQ(LeftIn(BesideExe, OldReport), TLeft::New);
  EXPECT_EQ(Machine().FileSystem.FileNames().size(), 2U);
}

}  // namespace
