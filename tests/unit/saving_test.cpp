// Both files a run saves land whole or not at all: an earlier file of the same name survives any
// failure, and no other file is ever left behind.
#include <functional>
#include <string>
#include <vector>

#include "main/program_flow.h"
#include "simulated_machine.h"

namespace {

namespace sim = platform::simulated;

class SavingTest : public SimulatedMachineTest {};

const std::string Txt = R"(D:\Inv\relatorio_ESCRITORIO-01.txt)";
const std::string Json = R"(D:\Inv\relatorio_ESCRITORIO-01.json)";
const std::string Old = "an earlier file";

std::u16string U16(const std::string& Ascii) { return {Ascii.begin(), Ascii.end()}; }

TEST_F(SavingTest, AFailedFlushCloseOrMoveKeepsTheEarlierFileAndLeavesNoOther) {
  const auto Busy = [](const std::string& File, int Tries) {
    return [File, Tries](sim::TMachine& M) {
      M.FileSystem.Files.at(sim::TFileSystem::Key(U16(File))).BusyMoves = Tries;
    };
  };
  struct TCase {
    const char* Name;
    std::function<void(sim::TMachine&)> Arrange;
    bool ReportSaved, DocumentSaved;
    std::string Error;  // the last console line when something was not saved
    int Waits;          // how often the run waited for a busy file
  };
  const std::string Full = "\". There is not enough space on the disk";
  const std::vector<TCase> Cases{
      {"the report's flush fails", [](auto& M) { M.FailCall("FlushFileBuffers", 112, 0, 1); },
       false, false, "EWriteError: Stream write error: \"" + Txt + Full, 0},
      // A share reports a delayed write that failed only when the file is closed. The first close
      // is the antivirus worker's handle, the second the report's.
      {"the document's close fails", [](auto& M) { M.FailCall("CloseHandle", 112, 2, 1); }, true,
       false, "EWriteError: Stream write error: \"" + Json + Full, 0},
      {"the report cannot be put in place", [](auto& M) { M.FailCall("MoveFileExW", 3, 0, 1); },
       false, false,
       "EFCreateError: Cannot create file \"" + Txt +
           "\". The system cannot find the path specified",
       0},
      {"the document is refused its place", [](auto& M) { M.FailCall("MoveFileExW", 5, 1); }, true,
       false, "EFCreateError: Cannot create file \"" + Json + "\". Access is denied", 5},
      {"the report is busy for a moment", Busy(Txt, 3), true, true, "", 3},
      {"the document stays busy", Busy(Json, 6), true, false,
       "EFCreateError: Cannot create file \"" + Json +
           "\". The process cannot access the file because it is being used by another process",
       5},
  };
  for (const TCase& C : Cases) {
    sim::ResetMachine();
    Machine().FileSystem.PutFile(U16(Txt), Old);
    Machine().FileSystem.PutFile(U16(Json), Old);
    C.Arrange(Machine());
    const bool AllSaved = C.ReportSaved && C.DocumentSaved;
    EXPECT_EQ(RunInventario({u"/glpi", u"/pasta:D:\\Inv"}), AllSaved ? 0 : 1) << C.Name;
    const std::string& Output = Machine().StdOut.Written;
    EXPECT_EQ(Output.substr(Output.rfind("\r\n", Output.size() - 3) + 2),
              (AllSaved ? "Inventario GLPI salvo em: " + Json : C.Error) + "\r\n")
        << C.Name;
    const auto& Fs = Machine().FileSystem;
    EXPECT_EQ(Fs.FileData(U16(Txt)) == Old, !C.ReportSaved) << C.Name;
    EXPECT_EQ(Fs.FileData(U16(Json)) == Old, !C.DocumentSaved) << C.Name;
    for (const std::u16string& File : Fs.FileNames()) {
      EXPECT_TRUE(File == U16(Txt) || File == U16(Json)) << C.Name << ": " << U8(File) << " left";
    }
    EXPECT_EQ(Machine().CallCount("Sleep"), C.Waits) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
  }
}

}  // namespace
