#include <string>
#include <vector>

#include "main/program_flow.h"
#include "report/report.h"
#include "simulated_machine.h"
#include "text/exceptions.h"
#include "text/sys_utils.h"

namespace {

class ReportTest : public SimulatedMachineTest {};

// The fields as every probe leaves them when the machine gives it nothing.
TReportFields FallbackFields() {
  TReportFields F;
  F.ComputerName = u"DESCONHECIDO";
  F.OSName = u"Windows Desconhecido";
  F.CPU = u"Desconhecido";
  F.RAMStr = u"0,00 GB";
  F.GraphicsStr = u"N\u00E3o identificada";
  F.Disks = u"Nenhum disco encontrado.";
  F.Uptime = u"0 dias, 0 horas";
  F.ProductID = u"N\u00E3o encontrado";
  F.NetName = u"Desconhecida (N\u00E3o conectada)";
  F.IPLocal = u"N\u00E3o obtido";
  F.Gateway = u"N\u00E3o obtido";
  F.MAC = u"N\u00E3o obtido";
  F.TipoIP = u"IP Est\u00E1tico (Fixo)";
  F.SpeedStr = u"N\u00E3o conectada";
  F.AntivirusStr = u"N\u00E3o dispon\u00EDvel";
  F.PrintersStr = u"Nenhuma impressora encontrada.";
  F.Programs = u"Nenhum programa encontrado.";
  return F;
}

// Text as the bytes of code page 1252, for texts within Latin-1.
std::string Latin1(std::u16string_view Text) {
  std::string Bytes;
  for (const char16_t C : Text) Bytes += static_cast<char>(C);
  return Bytes;
}

std::string CrLfLines(const std::vector<std::string>& Lines) {
  std::string Text = "\xEF\xBB\xBF";
  for (const std::string& Line : Lines) Text += Line + "\r\n";
  return Text;
}

std::string SavedBytes(const TReportFields& Fields) {
  TStringList ReportText;
  ComposeReport(Fields, ReportText);
  EXPECT_EQ(ReportText.Count(), 24);
  const TSavedReport Saved = SaveReport(ReportText, Fields.ComputerName);
  return platform::simulated::Machine().FileSystem.FileData(Saved.FilePath).value_or("(no file)");
}

TEST_F(ReportTest, FallbackReportIsByteExact) {
  const std::string Bytes = SavedBytes(FallbackFields());
  EXPECT_EQ(Bytes, CrLfLines({
                       "*RELATÓRIO DE HARDWARE E REDE*",
                       "----------------------------------",
                       "💻 *Dispositivo:* DESCONHECIDO",
                       "🪟 *Sistema:* Windows Desconhecido (Versão:  | Build:)",
                       "⚙️ *Processador:* Desconhecido",
                       "🧠 *RAM:* 0,00 GB",
                       "🎮 *Placa Gráfica:* Não identificada",
                       "💾 *Discos:* Nenhum disco encontrado.",
                       "⏳ *Tempo ligado:* 0 dias, 0 horas",
                       "🛡️ *Antivírus:* Não disponível",
                       "🔑 *ID do Windows:* Não encontrado",
                       "🛜 *Rede:* Desconhecida (Não conectada) (Não conectada)",
                       "🌐 *Modo IP:* IP Estático (Fixo)",
                       "📍 *IP Local / Gateway:* Não obtido / Não obtido",
                       "📌 *MAC:* Não obtido",
                       "",
                       "*SOFTWARE E DISPOSITIVOS*",
                       "----------------------------------",
                       "🖨️ *Impressoras Instaladas:*",
                       "Nenhuma impressora encontrada.",
                       "",
                       "📦 *Programas Instalados:*",
                       "Nenhum programa encontrado.",
                       "----------------------------------",
                   }));
  EXPECT_EQ(Bytes.substr(0, 6), "\xEF\xBB\xBF*RE");
  EXPECT_EQ(Bytes.substr(Bytes.size() - 3), "-\r\n");
  EXPECT_TRUE(Machine().FileSystem.FileExists(u"C:\\Users\\ana\\Desktop\\relatorio_DESCONHECIDO.txt"));
}

TEST_F(ReportTest, ListsSpreadOverLinesWithOneEmptyLineAfterEachBlock) {
  TReportFields F = FallbackFields();
  F.ComputerName = u"ESCRITORIO-01";
  F.OSName = u"Windows 11 Pro";
  F.OSVer = u"23H2";
  F.OSBuild = u"22000.2861";
  F.NetName = u"Controlador Ethernet Gigabit";
  F.SpeedStr = u"Ativa (1 Gbps)";
  F.PrintersStr = u"\u2022 Impressora Recep\u00E7\u00E3o (Padr\u00E3o)\r\n\u2022 Etiquetadora\r\n";
  F.Programs = u"\u2022 Editor de Planilhas 5\r\n";
  const std::string Bytes = SavedBytes(F);
  EXPECT_NE(Bytes.find("🪟 *Sistema:* Windows 11 Pro (Versão: 23H2 | Build:22000.2861)\r\n"),
            std::string::npos);
  EXPECT_NE(Bytes.find("🛜 *Rede:* Controlador Ethernet Gigabit (Ativa (1 Gbps))\r\n"),
            std::string::npos);
  const std::string Tail =
      "🖨️ *Impressoras Instaladas:*\r\n"
      "• Impressora Recepção (Padrão)\r\n"
      "• Etiquetadora\r\n"
      "\r\n"
      "\r\n"
      "📦 *Programas Instalados:*\r\n"
      "• Editor de Planilhas 5\r\n"
      "\r\n"
      "----------------------------------\r\n";
  ASSERT_GE(Bytes.size(), Tail.size());
  EXPECT_EQ(Bytes.substr(Bytes.size() - Tail.size()), Tail);
}

TEST_F(ReportTest, DesktopPathFollowsTheProfileWhateverItsLength) {
  struct TCase {
    std::optional<std::u16string> Profile;
    std::u16string Desktop;
  };
  const std::u16string Long259 = u"C:\\" + std::u16string(256, u'p');
  const std::u16string Long260 = Long259 + u"q";
  const std::u16string Long700 = u"C:\\" + std::u16string(697, u'p');
  const std::vector<TCase> Cases{
      {u"C:\\Users\\ana", u"C:\\Users\\ana\\Desktop"},
      {u"C:\\Users\\ana\\", u"C:\\Users\\ana\\Desktop"},
      {std::nullopt, u"C:\\"},
      {u"", u"C:\\"},
      {Long259, Long259 + u"\\Desktop"},
      {Long260, Long260 + u"\\Desktop"},
      {Long700, Long700 + u"\\Desktop"},
  };
  for (const TCase& C : Cases) {
    if (C.Profile) {
      Machine().SetEnvironmentVariable(u"USERPROFILE", *C.Profile);
    } else {
      Machine().RemoveEnvironmentVariable(u"USERPROFILE");
    }
    EXPECT_EQ(GetDesktopPath(), C.Desktop) << C.Profile.value_or(u"(missing)").size();
  }
}

TEST_F(ReportTest, PathRoutines) {
  const std::vector<std::pair<std::u16string, std::u16string>> Trailing{
      {u"C:\\Users\\user", u"C:\\Users\\user\\"}, {u"C:\\", u"C:\\"}, {u"C:", u"C:\\"},
      {u"", u"\\"}, {u"C:/x/", u"C:/x/\\"}};
  for (const auto& [In, Out] : Trailing) EXPECT_EQ(IncludeTrailingPathDelimiter(In), Out) << U8(In);
  const std::vector<std::pair<std::u16string, std::u16string>> Folder{
      {u"C:\\Tools\\report.exe", u"C:\\Tools\\"}, {u"C:report.exe", u"C:"}, {u"report.exe", u""}};
  for (const auto& [In, Out] : Folder) EXPECT_EQ(ExtractFilePath(In), Out) << U8(In);
}

TEST_F(ReportTest, FallsBackNextToTheExecutableWhenTheDesktopFails) {
  const std::u16string Desktop = u"C:\\Users\\ana\\Desktop\\relatorio_PC.txt";
  const std::u16string BesideExe = u"C:\\Program Files\\Inventario\\relatorio_PC.txt";
  struct TCase {
    const char* Name;
    void (*Arrange)(platform::simulated::TMachine&);
    std::optional<std::string> DesktopLeft;
  };
  const std::vector<TCase> Cases{
      {"no Desktop folder", [](auto& M) { M.SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\bia"); },
       std::nullopt},
      {"report held open elsewhere", [](auto& M) {
         M.FileSystem.PutFile(u"C:\\Users\\ana\\Desktop\\relatorio_PC.txt", "open");
         platform::CreateFileW(u"C:\\Users\\ana\\Desktop\\relatorio_PC.txt", platform::GenericRead,
                               0, nullptr, platform::OpenExisting, 0, platform::NullHandle);
       },
       "open"},
      {"write fails after the byte-order mark", [](auto& M) { M.FailCall("WriteFile", 112, 1, 1); },
       std::nullopt},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    C.Arrange(Machine());
    TStringList ReportText;
    ReportText.Add(u"x");
    const TSavedReport Saved = SaveReport(ReportText, u"PC");
    EXPECT_EQ(Saved.FilePath, BesideExe) << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileData(BesideExe), "\xEF\xBB\xBFx\r\n") << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileData(Desktop), C.DesktopLeft) << C.Name;
  }
}

TEST_F(ReportTest, BothLocationsFailingRaisesTheSecondError) {
  Machine().SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\bia");
  Machine().FileSystem.MakeReadOnly(u"C:\\Program Files\\Inventario");
  TStringList ReportText;
  ReportText.Add(u"x");
  try {
    (void)SaveReport(ReportText, u"PC");
    ADD_FAILURE() << "no error";
  } catch (const EFCreateError& E) {
    EXPECT_EQ(E.Message, u"Cannot create file \"C:\\Program Files\\Inventario\\relatorio_PC.txt\". "
                         u"Access is denied");
  }
  EXPECT_TRUE(Machine().FileSystem.FileNames().empty());
}

TEST_F(ReportTest, EmptyProfileSavesAtTheRootOfC) {
  Machine().SetEnvironmentVariable(u"USERPROFILE", u"");
  TStringList ReportText;
  EXPECT_EQ(SaveReport(ReportText, u"PC").FilePath, u"C:\\relatorio_PC.txt");
  EXPECT_EQ(Machine().FileSystem.FileData(u"C:\\relatorio_PC.txt"), "\xEF\xBB\xBF");
}

// The Explorer value names where the user sees the Desktop; only a usable, different folder
// changes where the report goes, and the console names the file actually written.
TEST_F(ReportTest, TheDesktopTheUserSeesComesFromTheShellFolderValue) {
  const std::u16string Key =
      u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
  const std::u16string Profile = u"C:\\Users\\ana\\Desktop";
  const std::u16string OneDrive = u"C:\\Users\\ana\\OneDrive\\\u00C1rea de Trabalho";
  const std::u16string BesideExe = u"C:\\Program Files\\Inventario";
  const std::u16string Long = u"D:\\" + std::u16string(300, u'p');
  struct TCase {
    const char* Name;
    std::uint32_t Type;  // RegNone: no value at all
    std::u16string Value;
    std::u16string SavedIn;
    void (*Arrange)(platform::simulated::TMachine&) = nullptr;
  };
  const std::vector<TCase> Cases{
      {"absent", platform::RegNone, u"", Profile},
      {"default", platform::RegExpandSz, u"%USERPROFILE%\\Desktop", Profile},
      {"OneDrive", platform::RegExpandSz, u"%userprofile%\\OneDrive\\\u00C1rea de Trabalho",
       OneDrive},
      {"OneDrive folder missing", platform::RegExpandSz, u"%USERPROFILE%\\OneDrive\\Desktop",
       BesideExe},
      {"absolute, plain string", platform::RegSz, u"D:\\Pastas\\ana\\Desktop\\",
       u"D:\\Pastas\\ana\\Desktop"},
      {"root of a drive", platform::RegSz, u"D:\\", u"D:"},
      {"longer than a path", platform::RegSz, Long, Long},
      {"UNC, server missing", platform::RegExpandSz, u"\\\\servidor\\perfis\\ana\\Desktop",
       BesideExe},
      {"unknown variable", platform::RegExpandSz, u"C:\\Users\\%NAO_EXISTE%\\Desktop", Profile},
      {"relative", platform::RegExpandSz, u"OneDrive\\Desktop", Profile},
      {"same folder, trailing backslash", platform::RegExpandSz, u"%USERPROFILE%\\Desktop\\",
       Profile},
      {"same folder, other case", platform::RegSz, u"C:\\USERS\\ANA\\DESKTOP", Profile},
      // Windows' own value under a profile path that ends in a backslash expands to a doubled one.
      {"default, profile ending in a backslash", platform::RegExpandSz, u"%USERPROFILE%\\Desktop",
       Profile, [](auto& M) { M.SetEnvironmentVariable(u"USERPROFILE", u"C:\\Users\\ana\\"); }},
      {"comparison fails", platform::RegSz, u"D:\\Pastas\\ana\\Desktop", Profile,
       [](auto& M) { M.FailCall("CompareStringOrdinal", platform::ErrorInvalidParameter); }},
      {"empty", platform::RegExpandSz, u"", Profile},
      {"wrong type", platform::RegMultiSz, u"D:\\Pastas\\ana\\Desktop", Profile},
      {"value unreadable", platform::RegSz, u"D:\\Pastas\\ana\\Desktop", Profile,
       [](auto& M) { M.FailCall("RegQueryValueExW", platform::ErrorAccessDenied); }},
      {"key unreadable", platform::RegSz, u"D:\\Pastas\\ana\\Desktop", Profile,
       [](auto& M) { M.FailCall("RegOpenKeyExW", platform::ErrorAccessDenied); }},
      {"expansion fails", platform::RegExpandSz, u"D:\\Pastas\\ana\\Desktop", Profile,
       [](auto& M) { M.FailCall("ExpandEnvironmentStringsW", platform::ErrorNotEnoughMemory); }},
      {"no profile", platform::RegExpandSz, u"%USERPROFILE%\\Desktop", u"C:",
       [](auto& M) { M.RemoveEnvironmentVariable(u"USERPROFILE"); }},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    auto& M = Machine();
    for (const std::u16string& Folder : {OneDrive, std::u16string(u"D:\\Pastas\\ana\\Desktop"),
                                         Long, std::u16string(u"C:\\Users\\%NAO_EXISTE%\\Desktop"),
                                         std::u16string(u"C:\\OneDrive\\Desktop")}) {
      M.FileSystem.MakeDirectory(Folder);
    }
    if (C.Type == platform::RegMultiSz) {
      M.Registry.Key(platform::HkeyCurrentUser, Key).SetString(u"Desktop", C.Value + u'\0', C.Type);
    } else if (C.Type != platform::RegNone) {
      M.Registry.Key(platform::HkeyCurrentUser, Key).SetString(u"Desktop", C.Value, C.Type);
    }
    if (C.Arrange != nullptr) C.Arrange(M);
    M.StdOut.FileType = platform::FileTypeDisk;  // the system ANSI code page, 1252
    EXPECT_EQ(RunInventario(), 0) << C.Name;
    const std::u16string File = C.SavedIn + u"\\relatorio_ESCRITORIO-01.txt";
    EXPECT_EQ(M.StdOut.Written,
              "Coletando informacoes do sistema...\r\nSucesso! Relatorio salvo em: " +
                  Latin1(File) + "\r\n\r\nPressione ENTER para sair...\r\n")
        << C.Name;
    EXPECT_EQ(M.FileSystem.FileNames(), std::vector<std::u16string>{File}) << C.Name;
  }
}

}  // namespace
