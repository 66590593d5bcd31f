#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "main/command_line.h"
#include "simulated_machine.h"

namespace {

using TArgs = std::vector<std::u16string>;

TEST(CommandLineTest, SplitsAsTheCRuntimeDoes) {
  struct TCase {
    std::u16string Line;
    TArgs Expected;
    std::u16string Program{};  // the exe's own path, when the case gives one
  };
  const std::u16string Exe = u"C:\\Program Files\\inv.exe";
  const std::vector<TCase> Cases{
      {u"inventario.exe", {}},
      // Started by its bare path: the blank inside the path ends nothing.
      {u"C:\\Program Files\\inv.exe", {}, Exe},
      {u"c:\\program files\\INV.EXE /glpi", {u"/glpi"}, Exe},
      {u"C:\\Program Files\\inv.exe2 /glpi", {u"Files\\inv.exe2", u"/glpi"}, Exe},
      {u"C:\\Program Files\\inv.exe", {u"Files\\inv.exe"}},
      {u"\"C:\\Program Files\\inv.exe\"  /glpi\t-PASTA:x ", {u"/glpi", u"-PASTA:x"}},
      {u"C:\\a\"b c\"\\inv.exe /glpi", {u"/glpi"}},  // the program name: quotes group, no escapes
      {u"x /pasta:\"C:\\Meus Documentos\\Sa\u00EDda\"",
       {u"/pasta:C:\\Meus Documentos\\Sa\u00EDda"}},
      {u"x \"a b c\" d e", {u"a b c", u"d", u"e"}},
      {u"x \"ab\\\"c\" \"\\\\\" d", {u"ab\"c", u"\\", u"d"}},
      {u"x a\\\\\\b d\"e f\"g h", {u"a\\\\\\b", u"de fg", u"h"}},
      {u"x a\\\\\\\"b c d", {u"a\\\"b", u"c", u"d"}},
      {u"x a\\\\\\\\\"b c\" d e", {u"a\\\\b c", u"d", u"e"}},
      {u"x a\"b\"\" c d", {u"ab\"", u"c", u"d"}},
      {u"x \"\" /glpi", {u"", u"/glpi"}},
      {u"x /pasta:\\\\servidor\\inventarios\\", {u"/pasta:\\\\servidor\\inventarios\\"}},
      {u"x \"unterminated arg", {u"unterminated arg"}},
      {u"", {}},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(SplitCommandLine(C.Line, C.Program), C.Expected) << U8(C.Line);
  }
}

// The process's own line: the exe's path is asked for only when the line could be that path given
// bare, blanks and all, and then the whole path is the program's name.
TEST(CommandLineTest, ABarePathWithBlanksIsTheProgramName) {
  struct TCase {
    std::u16string Line;  // after the exe's path, which the machine has with a blank in it
    bool Quoted;
    TArgs Expected;
    int PathLookups;
  };
  const std::vector<TCase> Cases{
      {u"", true, {}, 0},
      {u" /glpi", true, {u"/glpi"}, 0},
      {u"", false, {}, 1},
      {u" -pasta:x /glpi", false, {u"-pasta:x", u"/glpi"}, 1},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    auto& M = platform::simulated::Machine();
    M.CommandLine = (C.Quoted ? u"\"" + M.ExePath + u"\"" : M.ExePath) + C.Line;
    EXPECT_EQ(CommandLineArguments(), C.Expected) << U8(M.CommandLine);
    EXPECT_EQ(M.CallCount("GetModuleFileNameW"), C.PathLookups) << U8(M.CommandLine);
  }
}

TEST(CommandLineTest, ParsesEverySwitchInEveryForm) {
  struct TCase {
    TArgs Args;
    bool Glpi;
    std::optional<std::u16string> Folder;
    bool Help;
    std::optional<std::u16string> Unknown;
  };
  const std::vector<TCase> Cases{
      {{}, false, std::nullopt, false, std::nullopt},
      {{u"/glpi"}, true, std::nullopt, false, std::nullopt},
      {{u"-GLPI"}, true, std::nullopt, false, std::nullopt},
      {{u"/GlPi", u"/pasta:D:\\Inv"}, true, u"D:\\Inv", false, std::nullopt},
      {{u"-PASTA:rel\\Pasta"}, false, u"rel\\Pasta", false, std::nullopt},
      {{u"/Pasta:\\\\srv\\share\\"}, false, u"\\\\srv\\share\\", false, std::nullopt},
      {{u"/?"}, false, std::nullopt, true, std::nullopt},
      {{u"-?"}, false, std::nullopt, true, std::nullopt},
      {{u"/AJUDA", u"/glpi"}, true, std::nullopt, true, std::nullopt},
      {{u"/glpi", u"/glpi"}, true, std::nullopt, false, u"/glpi"},
      {{u"/pasta:a", u"-pasta:b"}, false, u"a", false, u"-pasta:b"},
      {{u"/?", u"/ajuda"}, false, std::nullopt, false, u"/ajuda"},
      {{u"/pasta:"}, false, std::nullopt, false, u"/pasta:"},
      {{u"/pasta"}, false, std::nullopt, false, u"/pasta"},
      {{u"/pasta", u"C:\\x"}, false, std::nullopt, false, u"/pasta"},
      {{u"glpi"}, false, std::nullopt, false, u"glpi"},
      {{u"/glpi:1"}, false, std::nullopt, false, u"/glpi:1"},
      {{u"/"}, false, std::nullopt, false, u"/"},
      {{u""}, false, std::nullopt, false, u""},
      {{u"/help", u"/?"}, false, std::nullopt, false, u"/help"},  // the first offender is named
  };
  for (const TCase& C : Cases) {
    const TCommandLine Got = ParseArguments(C.Args);
    const std::string Name = C.Args.empty() ? "(none)" : U8(C.Args[0]);
    EXPECT_EQ(Got.Unknown, C.Unknown) << Name;
    if (C.Unknown) continue;  // the rest is not acted upon
    EXPECT_EQ(Got.Glpi, C.Glpi) << Name;
    EXPECT_EQ(Got.Folder, C.Folder) << Name;
    EXPECT_EQ(Got.Help, C.Help) << Name;
  }
}

}  // namespace
