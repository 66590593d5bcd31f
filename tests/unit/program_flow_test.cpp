#include <string>
#include <vector>

#include "main/program_flow.h"
#include "simulated_machine.h"

namespace {

class ProgramFlowTest : public SimulatedMachineTest {};

std::string CrLf(const std::vector<std::string>& Lines) {
  std::string Text;
  for (const std::string& Line : Lines) Text += Line + "\r\n";
  return Text;
}

const std::string Status = "Coletando informacoes do sistema...";
const std::string Prompt = "Pressione ENTER para sair...";
const std::string Heading = "Ocorreu um erro ao gerar o relatorio:";
const std::u16string DesktopReport = u"C:\\Users\\ana\\Desktop\\relatorio_ESCRITORIO-01.txt";
const std::u16string ExeReport = u"C:\\Program Files\\Inventario\\relatorio_ESCRITORIO-01.txt";

TEST_F(ProgramFlowTest, SuccessOnAConsoleFlushesEveryLine) {
  EXPECT_EQ(RunInventario(), 0);
  const std::string Success = "Sucesso! Relatorio salvo em: " + U8(DesktopReport);
  EXPECT_EQ(Machine().StdOut.Written, CrLf({Status, Success, "", Prompt}));
  EXPECT_EQ(Machine().StdOut.Writes,
            (std::vector<std::size_t>{Status.size() + 2, Success.size() + 2, 2, Prompt.size() + 2}));
  EXPECT_TRUE(Machine().FileSystem.FileExists(DesktopReport));
  EXPECT_EQ(Machine().StdIn.ReadCalls, 1U);
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
}

TEST_F(ProgramFlowTest, TheDllSearchKeepsToTheSystemFolderBeforeAnyOtherCall) {
  EXPECT_EQ(RunInventario(), 0);
  EXPECT_EQ(Machine().DefaultDllDirectories, platform::LoadLibrarySearchSystem32);
  EXPECT_EQ(Machine().CallsBeforeDllDirectories, 0U);
}

TEST_F(ProgramFlowTest, ConsoleTextUsesTheConsoleCodePageAndFilesTheAnsiOne) {
  Machine().SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\jo\u00E3o");
  Machine().FileSystem.MakeDirectory(u"C:\\Users\\jo\u00E3o\\Desktop");
  struct TCase {
    std::uint32_t FileType;
    std::string Name;  // "ão" in the code page that applies
  };
  for (const TCase& C : std::vector<TCase>{{platform::FileTypeChar, "jo\xC6o"},
                                           {platform::FileTypeDisk, "jo\xE3o"},
                                           {platform::FileTypePipe, "jo\xE3o"}}) {
    Machine().StdOut = {};
    Machine().StdOut.FileType = C.FileType;
    Machine().StdIn.Input = {"\n"};
    EXPECT_EQ(RunInventario(), 0);
    EXPECT_NE(Machine().StdOut.Written.find("C:\\Users\\" + C.Name + "\\Desktop\\relatorio_"),
              std::string::npos)
        << Machine().StdOut.Written;
  }
  // The file on disk keeps the real name whatever the console could show.
  EXPECT_TRUE(Machine().FileSystem.FileExists(u"C:\\Users\\jo\u00E3o\\Desktop\\relatorio_ESCRITORIO-01.txt"));
}

TEST_F(ProgramFlowTest, AShortWriteCountIsAnErrorForAFileButNotForAConsole) {
  // The first 128 bytes hold "ã": two bytes, one character.
  const std::u16string Profile = u"C:\\Users\\jo\u00E3o" + std::u16string(80, u'u');
  const std::string Success =
      "Sucesso! Relatorio salvo em: " + U8(Profile) + "\\Desktop\\relatorio_ESCRITORIO-01.txt";
  struct TCase {
    const char* Name;
    std::uint32_t FileType;
    std::string Output;
  };
  // Windows 7's console under code page 65001 counts characters, not bytes.
  const std::vector<TCase> Cases{
      {"console", platform::FileTypeChar, CrLf({Status, Success, "", Prompt})},
      {"file", platform::FileTypeDisk,
       (CrLf({Status}) + Success).substr(0, 128) +
           CrLf({"", Heading, "EInOutError: Disk full", "", Prompt})}};
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Machine().SetEnvironmentVariable(u"USERPROFILE", Profile);
    Machine().FileSystem.MakeDirectory(Profile + u"\\Desktop");
    Machine().ConsoleOutputCodePage = platform::CpUtf8;
    Machine().AnsiCodePage = platform::CpUtf8;
    NoteDefaultSystemCodePage();
    Machine().StdOut.FileType = C.FileType;
    Machine().StdOut.CountsCharacters = true;
    EXPECT_EQ(RunInventario(), 0) << C.Name;
    EXPECT_EQ(Machine().StdOut.Written, C.Output) << C.Name;
  }
}

// A card reader's empty slot answers the disk probe with an error, never with a box to click.
TEST_F(ProgramFlowTest, ADriveWithoutMediaFailsQuietlyAndTheInheritedErrorModeStays) {
  constexpr std::uint32_t NoFaultBox = 0x2;
  Machine().ErrorMode = NoFaultBox;
  platform::simulated::TDrive Reader;
  Reader.NoMedia = true;
  Machine().Drives[u'E'] = Reader;
  EXPECT_EQ(RunInventario(), 0);
  EXPECT_EQ(Machine().CriticalErrorBoxes, 0);
  EXPECT_EQ(Machine().ErrorMode, NoFaultBox | platform::SemFailCriticalErrors);
  const std::string Report = Machine().FileSystem.FileData(DesktopReport).value_or("");
  EXPECT_NE(Report.find(" *Discos:* C: Total: 256,00 GB | Livre: 100,00 GB\r\n"), std::string::npos)
      << Report;
}

TEST_F(ProgramFlowTest, RedirectedOutputIsHandedOverInFullBuffersAndAtTheEnd) {
  Machine().StdOut.FileType = platform::FileTypeDisk;
  Machine().SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\" + std::u16string(80, u'u'));
  Machine().FileSystem.MakeDirectory(u"C:\\Users\\" + std::u16string(80, u'u') + u"\\Desktop");
  EXPECT_EQ(RunInventario(), 0);
  const std::size_t Total = Machine().StdOut.Written.size();
  ASSERT_GT(Total, 128U);
  EXPECT_EQ(Machine().StdOut.Writes, (std::vector<std::size_t>{128, Total - 128}));
}

TEST_F(ProgramFlowTest, ErrorsArePrintedAndTheRunStillEndsNormally) {
  struct TCase {
    const char* Name;
    void (*Arrange)(platform::simulated::TMachine&);
    std::string ErrorLine;
    std::optional<std::string> DesktopLeft;
    std::optional<std::string> ExeLeft;
  };
  const std::vector<TCase> Cases{
      {"both saves fail",
       [](auto& M) {
         M.SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\bia");
         M.FileSystem.MakeReadOnly(u"C:\\Program Files\\Inventario");
       },
       "EFCreateError: Cannot create file \"C:\\Program Files\\Inventario\\relatorio_ESCRITORIO-01.txt\". "
       "Access is denied",
       std::nullopt, std::nullopt},
      // Both attempts fail on a full disk; neither leaves a partial file behind.
      {"disk full while writing", [](auto& M) { M.FileSystem.Limit = platform::simulated::TWriteLimit{11, 112}; },
       "EWriteError: Stream write error: \"C:\\Program Files\\Inventario\\relatorio_ESCRITORIO-01.txt\". "
       "There is not enough space on the disk",
       std::nullopt, std::nullopt},
      {"message with a line break",
       [](auto& M) {
         M.SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\bia");
         M.ExePath = u"C:\\a\r\nb\\inventario.exe";
       },
       "EFCreateError: Cannot create file \"C:\\a\r\nb\\relatorio_ESCRITORIO-01.txt\". The filename, "
       "directory name, or volume label syntax is incorrect",
       std::nullopt, std::nullopt},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    C.Arrange(Machine());
    EXPECT_EQ(RunInventario(), 0) << C.Name;
    EXPECT_EQ(Machine().StdOut.Written, CrLf({Status, "", Heading, C.ErrorLine, "", Prompt})) << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileData(DesktopReport), C.DesktopLeft) << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileData(ExeReport), C.ExeLeft) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
    EXPECT_EQ(Machine().OutstandingBlocks(), 0U) << C.Name;
  }
}

TEST_F(ProgramFlowTest, TheFinalReadStopsAtTheFirstLineOrTheEndOfInput) {
  struct TCase {
    const char* Name;
    std::vector<std::string> Input;
    std::uint32_t EndError;
    std::size_t Reads;
  };
  const std::vector<TCase> Cases{
      {"input at its end", {}, 0, 1},
      {"broken pipe", {}, platform::ErrorBrokenPipe, 1},
      {"several lines in one read", {"first\r\nsecond\r\n"}, 0, 1},
      {"a line over several reads", {"ab", "c\r", "\n", "rest"}, 0, 3},
      {"a carriage return alone does not end the line", {"a\r", "b\n"}, 0, 2},
      {"Ctrl+Z ends the input", {"ab\x1A", "more\n"}, 0, 1},
      {"a long line", {std::string(300, 'x') + "\n"}, 0, 3},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Machine().StdIn.Input = C.Input;
    Machine().StdIn.EndError = C.EndError;
    EXPECT_EQ(RunInventario(), 0) << C.Name;
    EXPECT_EQ(Machine().StdIn.ReadCalls, C.Reads) << C.Name;
  }
}

TEST_F(ProgramFlowTest, ErrorsThatEscapeTheHandlerEndWithCodeOneAndAStandardErrorText) {
  struct TCase {
    const char* Name;
    void (*Arrange)(platform::simulated::TMachine&);
    std::string StdErr;
    bool ReportSaved;
  };
  const std::vector<TCase> Cases{
      {"input that fails", [](auto& M) { M.StdIn.Input = {}; M.StdIn.EndError = 5; },
       "Exception EInOutError in module inventario.exe at 00000000.\r\nFile access denied.\r\n\r\n", true},
      {"output that cannot be set up", [](auto& M) { M.StdOut.FileType = platform::FileTypeUnknown; },
       "Exception EInOutError in module inventario.exe at 00000000.\r\nI/O error 105.\r\n\r\n", false},
      {"output that stops after the first line",
       [](auto& M) { M.StdOut.Limit = platform::simulated::TWriteLimit{37, 232}; },
       "Exception EInOutError in module inventario.exe at 00000000.\r\nI/O error 232.\r\n\r\n", true},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    C.Arrange(Machine());
    EXPECT_EQ(RunInventario(), 1) << C.Name;
    EXPECT_EQ(Machine().StdErr.Written, C.StdErr) << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileExists(DesktopReport), C.ReportSaved) << C.Name;
  }
}

TEST_F(ProgramFlowTest, LastChanceTextUsesTheOemCodePage) {
  Machine().ExePath = u"C:\\Ferramentas\\invent\u00E1rio.exe";
  Machine().FileSystem.MakeDirectory(u"C:\\Ferramentas");
  Machine().StdIn.Input = {};
  Machine().StdIn.EndError = 5;
  EXPECT_EQ(RunInventario(), 1);
  EXPECT_EQ(Machine().StdErr.Written,
            "Exception EInOutError in module invent\xA0rio.exe at 00000000.\r\nFile access denied.\r\n\r\n");
}

}  // namespace
