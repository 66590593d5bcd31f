#include <string>
#include <vector>

#include "probes/registry.h"
#include "simulated_machine.h"

namespace {

class RegistryTest : public SimulatedMachineTest {
 protected:
  platform::simulated::TRegKey& Key(std::u16string_view Path) {
    return Machine().Registry.Key(platform::HkeyLocalMachine, Path);
  }
};

std::vector<std::u16string> Names(const TStringList& List) {
  std::vector<std::u16string> Result;
  for (const std::u16string& Line : List) Result.push_back(Line);
  return Result;
}

TEST_F(RegistryTest, OpensWithTheLargestMaskTheKeyGrants) {
  struct TCase {
    std::uint32_t Granted;
    bool Opens;
    std::uint32_t Access;
  };
  const std::vector<TCase> Cases{
      {0xFFFFFFFF, true, 0x20119}, {0x20009, true, 0x20109}, {0x1, true, 0x101}, {0x8, false, 0x20119}};
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Key(u"SOFTWARE\\Limited").GrantedAccess = C.Granted;
    TRegistry Reg(RegistryReadAccess);
    Reg.SetRootKey(platform::HkeyLocalMachine);
    EXPECT_EQ(Reg.OpenKeyReadOnly(u"SOFTWARE\\Limited"), C.Opens) << C.Granted;
    EXPECT_EQ(Reg.Access(), C.Access) << C.Granted;
    EXPECT_EQ(Reg.CurrentPath(), C.Opens ? u"SOFTWARE\\Limited" : u"");
  }
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
}

TEST_F(RegistryTest, AValueThatCannotBeReadWholeIsAnErrorNotAShortText) {
  const struct {
    const char* Name;
    std::size_t Length;
    int Skip;  // queries that succeed before the failing one
    std::uint32_t Error;
  } Cases[] = {
      {"grows again before the second query", 400, 1, platform::ErrorMoreData},
      {"goes away before the second query", 400, 1, platform::ErrorFileNotFound},
      {"more data without a larger size", 10, 0, platform::ErrorMoreData},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Name);
    platform::simulated::ResetMachine();
    Key(u"K").SetString(u"Name", std::u16string(C.Length, u'v'));
    TRegistry Reg(RegistryReadAccess);
    Reg.SetRootKey(platform::HkeyLocalMachine);
    ASSERT_TRUE(Reg.OpenKeyReadOnly(u"K"));
    Machine().FailCall("RegQueryValueExW", C.Error, C.Skip, 1);
    try {
      (void)Reg.ReadString(u"Name");
      ADD_FAILURE() << "no error";
    } catch (const ERegistryException& E) {
      EXPECT_EQ(E.Message, u"Failed to get data for 'Name'");
    }
    EXPECT_EQ(Reg.ReadString(u"Name"), std::u16string(C.Length, u'v'));
  }
}

TEST_F(RegistryTest, KeyNamesSkipAnIndexThatCannotBeRead) {
  for (const char16_t* Name : {u"b", u"A", u"c"}) Key(std::u16string(u"P\\") + Name);
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"P"));
  TStringList List;
  List.Add(u"stale");
  Machine().FailCall("RegEnumKeyExW", platform::ErrorNoMoreItems, 1, 1);
  Reg.GetKeyNames(List);
  EXPECT_EQ(Names(List), (std::vector<std::u16string>{u"A", u"c"}));
  Reg.CloseKey();
  Reg.GetKeyNames(List);
  EXPECT_EQ(List.Count(), 0);
}

TEST_F(RegistryTest, RootKeyAssignmentClosesOnlyOnAChange) {
  Key(u"K");
  TRegistry Reg(RegistryReadAccess);
  Reg.SetRootKey(platform::HkeyLocalMachine);
  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"\\K"));
  EXPECT_EQ(Reg.CurrentPath(), u"K");
  Reg.SetRootKey(platform::HkeyLocalMachine);
  EXPECT_EQ(Machine().OpenHandleCount(), 1U);
  Reg.SetRootKey(platform::HkeyCurrentUser);
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
  EXPECT_EQ(Reg.CurrentPath(), u"");
}

TEST_F(RegistryTest, RegistryFilesLoadEveryValueForm) {
  const std::u16string File =
      u"\uFEFFWindows Registry Editor Version 5.00\r\n\r\n"
      u"; a comment\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Teste\\Programa \u00C1gil]\r\n"
      u"\"Nome\"=\"S\u00E3o \\\"Paulo\\\" C:\\\\x\"\r\n"
      u"@=\"default\"\r\n"
      u"\"Dword\"=dword:0000ffff\r\n"
      u"\"Binary\"=hex:01,02,\\\r\n  03\r\n"
      u"\"Qword\"=hex(b):01,00,00,00,00,00,00,00\r\n"
      u"\"Gone\"=\"x\"\r\n"
      u"\"Gone\"=-\r\n"
      u"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Teste\\Apagar\\Filho]\r\n"
      u"[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Teste\\Apagar]\r\n";
  std::string Utf16Le;
  for (const char16_t C : File) {
    Utf16Le += static_cast<char>(C & 0xFF);
    Utf16Le += static_cast<char>(C >> 8);
  }
  ASSERT_EQ(Machine().Registry.Import(Utf16Le), std::nullopt);
  auto* Program = Machine().Registry.Root(platform::HkeyLocalMachine)->Find(u"software\\teste\\PROGRAMA \u00C1GIL");
  ASSERT_NE(Program, nullptr);
  const auto Data = [&](std::u16string_view Name) { return Program->Values.at(platform::simulated::ToUpperAscii(Name)).Data; };
  EXPECT_EQ(Data(u"Nome"), std::string("S\0\xE3\0o\0 \0\"\0P\0a\0u\0l\0o\0\"\0 \0C\0:\0\\\0x\0\0\0", 34));
  EXPECT_EQ(Data(u""), std::string("d\0e\0f\0a\0u\0l\0t\0\0\0", 16));
  EXPECT_EQ(Data(u"Dword"), std::string("\xFF\xFF\0\0", 4));
  EXPECT_EQ(Data(u"Binary"), "\x01\x02\x03");
  EXPECT_EQ(Program->Values.at(u"QWORD").Type, platform::RegQword);
  EXPECT_EQ(Program->Values.count(u"GONE"), 0U);
  EXPECT_EQ(Machine().Registry.Root(platform::HkeyLocalMachine)->Find(u"SOFTWARE\\Teste\\Apagar"), nullptr);
  EXPECT_TRUE(Machine().Registry.Import("REGEDIT4\r\n").has_value());
  EXPECT_TRUE(Machine().Registry.Import("Windows Registry Editor Version 5.00\r\n\"x\"=\"y\"\r\n").has_value());
}

}  // namespace
