#include <string>
#include <vector>

#include "main/program_flow.h"
#include "probes/probes.h"
#include "probes/registry.h"
#include "simulated_machine.h"

namespace {

class IdentityProbesTest : public SimulatedMachineTest {
 protected:
  // Loads registry contents written as a .reg file body (the header line is added here).
  static void Import(const std::string& Body) {
    const auto Error = Machine().Registry.Import("Windows Registry Editor Version 5.00\r\n\r\n" + Body);
    ASSERT_FALSE(Error.has_value()) << *Error;
  }
};

const std::string CurrentVersion = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n";

struct TOsInfo {
  std::u16string Name, Version, Build;
  bool operator==(const TOsInfo&) const = default;
};

std::ostream& operator<<(std::ostream& Out, const TOsInfo& Info) {
  return Out << U8(Info.Name) << " | " << U8(Info.Version) << " | " << U8(Info.Build);
}

TOsInfo OsInfo() {
  TOsInfo Info;
  Info.Name = GetOSInfo(Info.Version, Info.Build);
  return Info;
}

TEST_F(IdentityProbesTest, OsInfoFromTheCurrentVersionKey) {
  struct TCase {
    const char* Values;
    TOsInfo Expected;
  };
  const std::vector<TCase> Cases{
      {"\"ProductName\"=\"Windows 10 Pro\"\r\n\"CurrentBuildNumber\"=\"22000\"\r\n\"UBR\"=dword:0000116c\r\n"
       "\"DisplayVersion\"=\"21H2\"\r\n\"ReleaseId\"=\"2009\"\r\n",
       {u"Windows 11 Pro", u"21H2", u"22000.4460"}},
      {"\"ProductName\"=\"Windows 10 Pro\"\r\n\"CurrentBuildNumber\"=\"21999\"\r\n",
       {u"Windows 10 Pro", u"", u"21999"}},
      {"\"ProductName\"=\"Windows 10 Pro / Windows 10\"\r\n\"CurrentBuildNumber\"=\"22631\"\r\n",
       {u"Windows 11 Pro / Windows 11", u"", u"22631"}},
      {"\"ProductName\"=\"WINDOWS 10 Pro\"\r\n\"CurrentBuildNumber\"=\"22631\"\r\n",
       {u"WINDOWS 10 Pro", u"", u"22631"}},
      {"\"ProductName\"=\"Windows Server 2022\"\r\n\"CurrentBuildNumber\"=\"26100\"\r\n",
       {u"Windows Server 2022", u"", u"26100"}},
      {"\"CurrentBuildNumber\"=\"22631\"\r\n", {u"Windows Desconhecido", u"", u"22631"}},
      {"\"ProductName\"=\"\"\r\n", {u"", u"", u""}},
      {"\"ProductName\"=\"Windows 10 Home\"\r\n\"UBR\"=dword:00000010\r\n", {u"Windows 10 Home", u"", u".16"}},
      {"\"ProductName\"=\"Windows 10 Home\"\r\n\"UBR\"=dword:ffffffff\r\n\"CurrentBuildNumber\"=\"19045\"\r\n",
       {u"Windows 10 Home", u"", u"19045.-1"}},
      // An empty DisplayVersion still wins over ReleaseId.
      {"\"ProductName\"=\"Windows 10 Home\"\r\n\"DisplayVersion\"=\"\"\r\n\"ReleaseId\"=\"1909\"\r\n",
       {u"Windows 10 Home", u"", u""}},
      {"\"ProductName\"=\"Windows 10 Home\"\r\n\"ReleaseId\"=\"1909\"\r\n", {u"Windows 10 Home", u"1909", u""}},
      // A build number that is not a number counts as 0 but is shown as stored.
      {"\"ProductName\"=\"Windows 10 Pro\"\r\n\"CurrentBuildNumber\"=\"22000a\"\r\n",
       {u"Windows 10 Pro", u"", u"22000a"}},
      {"\"ProductName\"=\" Windows 10 Pro \"\r\n\"CurrentBuildNumber\"=\" 22000\"\r\n",
       {u" Windows 11 Pro ", u"", u" 22000"}},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Import(CurrentVersion + C.Values);
    EXPECT_EQ(OsInfo(), C.Expected) << C.Values;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U);
  }
}

TEST_F(IdentityProbesTest, OsInfoReadsTheSixtyFourBitView) {
  Import(CurrentVersion + "\"ProductName\"=\"Windows 10 Pro\"\r\n" +
         "[HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
         "\"ProductName\"=\"32-bit view\"\r\n");
  EXPECT_EQ(OsInfo().Name, u"Windows 10 Pro");
}

TEST_F(IdentityProbesTest, ValuesOfTheWrongKindEndTheReport) {
  struct TCase {
    const char* Values;
    std::string Line;
  };
  const std::vector<TCase> Cases{
      {"\"ProductName\"=dword:00000001\r\n", "ERegistryException: Invalid data type for 'ProductName'"},
      {"\"ProductName\"=\"x\"\r\n\"UBR\"=\"12345\"\r\n", "ERegistryException: Failed to get data for 'UBR'"},
      {"\"ProductName\"=\"x\"\r\n\"UBR\"=\"1\"\r\n", "ERegistryException: Invalid data type for 'UBR'"},
      {"\"ProductName\"=\"x\"\r\n\"UBR\"=hex(b):01,00,00,00,00,00,00,00\r\n",
       "ERegistryException: Failed to get data for 'UBR'"},
      {"\"ProductName\"=\"x\"\r\n\"ProductId\"=hex(7):41,00,00,00,00,00\r\n",
       "ERegistryException: Invalid data type for 'ProductId'"},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Import(CurrentVersion + C.Values);
    Machine().StdOut.FileType = platform::FileTypeDisk;
    EXPECT_EQ(RunInventario(), 0) << C.Values;
    EXPECT_EQ(Machine().StdOut.Written,
              "Coletando informacoes do sistema...\r\n\r\nOcorreu um erro ao gerar o relatorio:\r\n" + C.Line +
                  "\r\n\r\nPressione ENTER para sair...\r\n");
    EXPECT_TRUE(Machine().FileSystem.FileNames().empty()) << C.Values;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Values;
  }
}

TEST_F(IdentityProbesTest, ProductIdAndProcessor) {
  EXPECT_EQ(GetWindowsProductId(), u"N\u00E3o encontrado");
  EXPECT_EQ(GetCPUName(), u"Desconhecido");
  Import(CurrentVersion + "\"ProductId\"=\"00330-80000-00000-AA123\"\r\n" +
         "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
         "\"ProcessorNameString\"=\"\t Intel(R) Core(TM) i5  CPU  \"\r\n");
  EXPECT_EQ(GetWindowsProductId(), u"00330-80000-00000-AA123");
  EXPECT_EQ(GetCPUName(), u"Intel(R) Core(TM) i5  CPU");
  Import(CurrentVersion + "\"ProductId\"=\"\"\r\n" +
         "[HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0]\r\n"
         "\"ProcessorNameString\"=\"   \"\r\n");
  EXPECT_EQ(GetWindowsProductId(), u"");
  EXPECT_EQ(GetCPUName(), u"");
  // A key the user may not read leaves the fallbacks.
  Machine().Registry.Key(platform::HkeyLocalMachine, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion")
      .GrantedAccess = 0;
  EXPECT_EQ(GetWindowsProductId(), u"N\u00E3o encontrado");
  EXPECT_EQ(OsInfo(), (TOsInfo{u"Windows Desconhecido", u"", u""}));
}

TEST_F(IdentityProbesTest, ComputerNameUpToFifteenCharacters) {
  struct TCase {
    std::u16string Name;
    std::u16string Shown;
  };
  const std::vector<TCase> Cases{
      {u"ESCRITORIO-01", u"ESCRITORIO-01"},
      {u"ABCDEFGHIJKLMNO", u"ABCDEFGHIJKLMNO"},
      {u"ABCDEFGHIJKLMNOP", u"DESCONHECIDO"},
      {u"", u""},
  };
  for (const TCase& C : Cases) {
    Machine().ComputerName = C.Name;
    EXPECT_EQ(GetComputerNetName(), C.Shown) << U8(C.Name);
  }
  Machine().FailCall("GetComputerNameW", platform::ErrorAccessDenied);
  EXPECT_EQ(GetComputerNetName(), u"DESCONHECIDO");
}

}  // namespace

namespace {

TEST_F(IdentityProbesTest, ArchitectureIsTheInstallationsNotTheProcesss) {
  namespace sim = platform::simulated;
  struct TCase {
    const char* Name;
    bool HasIsWow64Process2;
    std::uint16_t ProcessMachine, NativeMachine, NativeArchitecture;
    const char16_t* Expected;
  };
  using platform::ImageFileMachineI386;
  using platform::ImageFileMachineUnknown;
  const std::vector<TCase> Cases{
      {"32-bit exe, 64-bit Windows 10", true, ImageFileMachineI386, platform::ImageFileMachineAmd64,
       platform::ProcessorArchitectureAmd64, u"64-bit"},
      {"64-bit exe", true, ImageFileMachineUnknown, platform::ImageFileMachineAmd64,
       platform::ProcessorArchitectureAmd64, u"64-bit"},
      // x86 emulation on ARM64: only IsWow64Process2 sees the real processor.
      {"32-bit exe on ARM64", true, ImageFileMachineI386, platform::ImageFileMachineArm64,
       platform::ProcessorArchitectureIntel, u"64-bit"},
      {"32-bit Windows 10", true, ImageFileMachineUnknown, ImageFileMachineI386,
       platform::ProcessorArchitectureIntel, u"32-bit"},
      {"64-bit Windows 7", false, 0, 0, platform::ProcessorArchitectureAmd64, u"64-bit"},
      {"32-bit Windows 7", false, 0, 0, platform::ProcessorArchitectureIntel, u"32-bit"},
  };
  for (const TCase& C : Cases) {
    sim::ResetMachine();
    Machine().HasIsWow64Process2 = C.HasIsWow64Process2;
    Machine().ProcessMachine = C.ProcessMachine;
    Machine().NativeMachine = C.NativeMachine;
    Machine().NativeProcessorArchitecture = C.NativeArchitecture;
    EXPECT_EQ(U8(GetWindowsArchitecture()), U8(C.Expected)) << C.Name;
  }
}

}  // namespace
