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
  };
  const std::vector<TCase> Cases{
      {u"inventario.exe", {}},
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
  for (const TCase& C : Cases) EXPECT_EQ(SplitCommandLine(C.Line), C.Expected) << U8(C.Line);
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
