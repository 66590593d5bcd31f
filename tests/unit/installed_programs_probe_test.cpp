#include <string>
#include <vector>

#include "probes/probes.h"
#include "text/format.h"
#include "simulated_machine.h"

namespace {

class InstalledProgramsProbeTest : public SimulatedMachineTest {
 protected:
  static void ImportFixture(const std::string& Name) {
    const auto Error = Machine().Registry.ImportFile(std::string(INVENTARIO_FIXTURES) + "/registry/" + Name);
    ASSERT_FALSE(Error.has_value()) << *Error;
  }
};

std::u16string Lines(const std::vector<std::u16string>& Names) {
  std::u16string Text;
  for (const std::u16string& Name : Names) Text += u"\u2022 " + Name + u"\r\n";
  return Text;
}

TEST_F(InstalledProgramsProbeTest, AnOfficePcWithBrokenAndHiddenEntries) {
  ImportFixture("installed-programs.reg");
  std::u16string LongName = u"Su\u00EDte de Ferramentas";
  for (int I = 1; I <= 40; ++I) LongName += (I < 10 ? u" M\u00F3dulo0" : u" M\u00F3dulo") + IntToStr(I);
  EXPECT_EQ(U8(GetInstalledPrograms()), U8(Lines({
                                            u"7-Zip 23.01",
                                            u"\u00C1baco Calculadora",
                                            u"Atualizador",
                                            u"Binario Um",
                                            u"\u00C9clair Notes",
                                            u"Editor de Planilhas 5",
                                            u"Expand Um",
                                            u"Leitor de PDF 2.1",
                                            u"navegador web",
                                            u"Nome Num\u00E9rico Vizinho",
                                            u"Pai Vazio",
                                            u"Qword Um",
                                            LongName,
                                            u"Texto Vazio",
                                            u"Texto x",
                                            u"Texto Zero",
                                            u"zeta Tools",
                                        })));
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
}

TEST_F(InstalledProgramsProbeTest, NothingToListGivesTheSentence) {
  EXPECT_EQ(GetInstalledPrograms(), u"Nenhum programa encontrado.");
  auto& Entry = Machine().Registry.Key(platform::HkeyCurrentUser,
                                       u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{X}");
  Entry.SetString(u"DisplayName", u"Oculto");
  Entry.SetDword(u"SystemComponent", 1);
  EXPECT_EQ(GetInstalledPrograms(), u"Nenhum programa encontrado.");
}

TEST_F(InstalledProgramsProbeTest, EntriesThatCannotBeOpenedOrReadAreSkipped) {
  ImportFixture("installed-programs.reg");
  auto& Uninstall = Machine().Registry.Key(platform::HkeyLocalMachine,
                                           u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
  Uninstall.Find(u"{A19}")->GrantedAccess = 0;
  Machine().Registry.Key(platform::HkeyCurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
      .GrantedAccess = 0;
  const std::u16string Text = GetInstalledPrograms();
  EXPECT_NE(Text.find(u"Leitor de PDF 2.1"), std::u16string::npos);  // still listed from the 32-bit key
  EXPECT_EQ(Text.find(u"zeta Tools"), std::u16string::npos);
  EXPECT_EQ(Text.find(u"\u00C9clair"), std::u16string::npos);
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
}

TEST_F(InstalledProgramsProbeTest, FirstOfCaseVariantsWinsWhicheverScanItCameFrom) {
  const auto Add = [](platform::Hkey Root, std::u16string_view Path, std::u16string_view Name) {
    Machine().Registry.Key(Root, std::u16string(Path) + u"\\" + std::u16string(Name)).SetString(u"DisplayName", Name);
  };
  Add(platform::HkeyCurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", u"BETA");
  Add(platform::HkeyLocalMachine, u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall", u"Beta");
  Add(platform::HkeyLocalMachine, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", u"alpha");
  Add(platform::HkeyCurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", u"ALPHA");
  EXPECT_EQ(GetInstalledPrograms(), Lines({u"alpha", u"Beta"}));
}

}  // namespace
