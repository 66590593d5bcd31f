// Reading registry keys and values as the probes do, on a scratch key below HKEY_CURRENT_USER.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/test_support.h"
#include "probes/registry.h"
#include "text/string_list.h"

namespace {

using namespace std::literals;
using platform::testing::SetUserValue;

constexpr std::u16string_view ScratchParent = u"Software\\InventarioContract";

std::string Utf16(std::u16string_view Text) {
  std::string Bytes;
  for (const char16_t C : Text) {
    Bytes += static_cast<char>(C & 0xFF);
    Bytes += static_cast<char>(C >> 8);
  }
  return Bytes;
}

std::string Narrow(std::u16string_view Text) { return {Text.begin(), Text.end()}; }

// What a read gave: "= " and the value, or the message of the error it raised.
template <typename TRead>
std::string Outcome(TRead Read) {
  try {
    return "= " + Read();
  } catch (const ERegistryException& E) {
    return Narrow(E.Message);
  }
}

class RegistryContract : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string Test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    Scratch = std::u16string{ScratchParent} + u"\\" + std::u16string(Test.begin(), Test.end());
    platform::testing::DeleteUserKeyTree(Scratch);  // left over by a run that was cut short
    ASSERT_TRUE(platform::testing::CreateUserKey(Scratch));
  }
  void TearDown() override {
    Reg.CloseKey();
    platform::testing::DeleteUserKeyTree(Scratch);
  }
  static void TearDownTestSuite() { platform::testing::DeleteUserKeyTree(ScratchParent); }

  [[nodiscard]] std::u16string Below(std::u16string_view Path) const {
    return Scratch + u"\\" + std::u16string{Path};
  }

  std::u16string Scratch;
  TRegistry Reg{RegistryReadAccess};
};

TEST_F(RegistryContract, EveryValueTypeReadAsStringAndAsInteger) {
  const struct {
    const char16_t* Name;
    std::uint32_t Type;
    std::string Data;
    TRegDataType DataType;
    const char* AsString;
    const char* AsInteger;
  } Cases[] = {
      {u"Sz", platform::RegSz, Utf16(u"inventario\0"sv), TRegDataType::rdString, "= inventario",
       "Failed to get data for 'Sz'"},
      {u"ShortSz", platform::RegSz, Utf16(u"a\0"sv), TRegDataType::rdString, "= a",
       "Invalid data type for 'ShortSz'"},
      {u"ExpandSz", platform::RegExpandSz, Utf16(u"%SystemRoot%\\x\0"sv),
       TRegDataType::rdExpandString, "= %SystemRoot%\\x", "Failed to get data for 'ExpandSz'"},
      {u"MultiSz", platform::RegMultiSz, Utf16(u"one\0two\0\0"sv), TRegDataType::rdMultiString,
       "Invalid data type for 'MultiSz'", "Failed to get data for 'MultiSz'"},
      {u"Binary", platform::RegBinary, "\x01\x02\x03\x04", TRegDataType::rdBinary,
       "Invalid data type for 'Binary'", "Invalid data type for 'Binary'"},
      {u"Dword", platform::RegDword, "\x78\x56\x34\x12", TRegDataType::rdInteger,
       "Invalid data type for 'Dword'", "= 305419896"},
      {u"DwordAllOnes", platform::RegDword, "\xFF\xFF\xFF\xFF", TRegDataType::rdInteger,
       "Invalid data type for 'DwordAllOnes'", "= -1"},
      {u"DwordOfTwoBytes", platform::RegDword, "\x34\x12", TRegDataType::rdInteger,
       "Invalid data type for 'DwordOfTwoBytes'", "= 4660"},
      // Taken as stored, not byte-swapped.
      {u"BigEndian", platform::RegDwordBigEndian, "\x12\x34\x56\x78", TRegDataType::rdIntegerBE,
       "Invalid data type for 'BigEndian'", "= 2018915346"},
      {u"Qword", platform::RegQword, "\x01\0\0\0\0\0\0\0"s, TRegDataType::rdInt64,
       "Invalid data type for 'Qword'", "Failed to get data for 'Qword'"},
      {u"QwordOfFourBytes", platform::RegQword, "\x07\0\0\0"s, TRegDataType::rdInt64,
       "Invalid data type for 'QwordOfFourBytes'", "= 7"},
      {u"LongBinary", platform::RegBinary, std::string(600, '\x01'), TRegDataType::rdBinary,
       "Invalid data type for 'LongBinary'", "Failed to get data for 'LongBinary'"},
      {u"None", platform::RegNone, "\x01\0\0\0"s, TRegDataType::rdUnknown,
       "Invalid data type for 'None'", "Invalid data type for 'None'"},
      // Without data a string is empty whatever the type, unchecked.
      {u"EmptySz", platform::RegSz, "", TRegDataType::rdString, "= ",
       "Invalid data type for 'EmptySz'"},
      {u"EmptyDword", platform::RegDword, "", TRegDataType::rdInteger, "= ", "= 0"},
      {u"EmptyBinary", platform::RegBinary, "", TRegDataType::rdBinary, "= ",
       "Invalid data type for 'EmptyBinary'"},
      {u"EmptyNone", platform::RegNone, "", TRegDataType::rdUnknown, "= ",
       "Invalid data type for 'EmptyNone'"},
  };
  for (const auto& C : Cases) {
    ASSERT_TRUE(SetUserValue(Scratch, C.Name, C.Type, C.Data)) << Narrow(C.Name);
  }
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
  for (const auto& C : Cases) {
    SCOPED_TRACE(Narrow(C.Name));
    EXPECT_TRUE(Reg.ValueExists(C.Name));
    EXPECT_EQ(Reg.GetDataType(C.Name), C.DataType);
    EXPECT_EQ(Outcome([&] { return Narrow(Reg.ReadString(C.Name)); }), C.AsString);
    EXPECT_EQ(Outcome([&] { return std::to_string(Reg.ReadInteger(C.Name)); }), C.AsInteger);
  }
}

TEST_F(RegistryContract, StringIsCutAtItsFirstNulAndKeepsWholeCharactersOnly) {
  const struct {
    const char16_t* Name;
    std::string Data;
    const char16_t* Text;
  } Cases[] = {
      {u"EmbeddedNul", Utf16(u"abc\0def\0"sv), u"abc"},
      {u"Unterminated", Utf16(u"abc"sv), u"abc"},
      {u"OddByteCount", Utf16(u"abc"sv) + "d", u"abc"},
      // Around the size a single query reads: the rest takes a second one of the reported size.
      {u"FillsOneQuery", Utf16(std::u16string(255, u'a') + u'\0'), nullptr},
      {u"OneCharacterMore", Utf16(std::u16string(256, u'b') + u'\0'), nullptr},
      {u"Long", Utf16(std::u16string(5000, u'c') + u'\0'), nullptr},
      {u"LongOddByteCount", Utf16(std::u16string(300, u'd')) + "e", nullptr},
      {u"LongWithNulPastTheFirstQuery", Utf16(std::u16string(400, u'f') + u"\0g"s), nullptr},
  };
  const auto Expected = [](const auto& C) -> std::u16string {
    if (C.Text != nullptr) return C.Text;
    std::u16string Text(C.Data.size() / 2, u' ');
    for (std::size_t I = 0; I < Text.size(); ++I) Text[I] = static_cast<unsigned char>(C.Data[2 * I]);
    return Text.substr(0, Text.find(u'\0'));
  };
  for (const auto& C : Cases) ASSERT_TRUE(SetUserValue(Scratch, C.Name, platform::RegSz, C.Data));
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
  for (const auto& C : Cases) EXPECT_EQ(Reg.ReadString(C.Name), Expected(C)) << Narrow(C.Name);
}

TEST_F(RegistryContract, AMissingValueOrNoOpenKeyReadsAsNothing) {
  ASSERT_TRUE(SetUserValue(Scratch, u"Present", platform::RegDword, "\x01\0\0\0"s));
  // The same reads before any key is open and on a key that lacks the value.
  for (const bool Open : {false, true}) {
    SCOPED_TRACE(Open ? "open key" : "no key open");
    if (Open) {
      ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
    }
    EXPECT_EQ(Reg.ValueExists(u"Present"), Open);
    EXPECT_FALSE(Reg.ValueExists(u"Missing"));
    EXPECT_EQ(Reg.GetDataType(u"Missing"), TRegDataType::rdUnknown);
    EXPECT_EQ(Reg.ReadString(u"Missing"), u"");
    EXPECT_EQ(Outcome([&] { return std::to_string(Reg.ReadInteger(u"Missing")); }),
              "Failed to get data for 'Missing'");
  }
}

TEST_F(RegistryContract, RelativePathOpensBelowTheOpenKeyAndBackslashedOneBelowTheRoot) {
  const std::u16string P = Below(u"P");
  ASSERT_TRUE(SetUserValue(P, u"Where", platform::RegSz, Utf16(u"P\0"sv)));
  ASSERT_TRUE(SetUserValue(P + u"\\C", u"Where", platform::RegSz, Utf16(u"C\0"sv)));

  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"\\" + P));
  EXPECT_EQ(Reg.CurrentPath(), P);
  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"C"));
  EXPECT_EQ(Reg.CurrentPath(), P + u"\\C");
  EXPECT_EQ(Reg.ReadString(u"Where"), u"C");

  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"\\" + P));
  ASSERT_TRUE(Reg.OpenKeyReadOnly(u"\\" + P + u"\\C"));
  EXPECT_EQ(Reg.CurrentPath(), P + u"\\C");
  EXPECT_EQ(Reg.ReadString(u"Where"), u"C");

  // A key that is not there, a root path given as relative, a path with one backslash too many.
  const platform::Hkey Opened = Reg.CurrentKey();
  for (const std::u16string& Path : {std::u16string{u"Missing"}, P, u"\\\\" + P}) {
    SCOPED_TRACE(Narrow(Path));
    EXPECT_FALSE(Reg.OpenKeyReadOnly(Path));
    EXPECT_EQ(Reg.CurrentKey(), Opened);
    EXPECT_EQ(Reg.CurrentPath(), P + u"\\C");
    EXPECT_EQ(Reg.ReadString(u"Where"), u"C");
  }
}

TEST_F(RegistryContract, TheSameRootKeepsTheOpenKeyAnotherClosesIt) {
  ASSERT_TRUE(SetUserValue(Scratch, u"Name", platform::RegSz, Utf16(u"x\0"sv)));
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
  const platform::Hkey Opened = Reg.CurrentKey();

  Reg.SetRootKey(platform::HkeyCurrentUser);
  EXPECT_EQ(Reg.CurrentKey(), Opened);
  EXPECT_EQ(Reg.CurrentPath(), Scratch);
  EXPECT_EQ(Reg.ReadString(u"Name"), u"x");

  Reg.SetRootKey(platform::HkeyLocalMachine);
  EXPECT_EQ(Reg.CurrentKey(), platform::Hkey{0});
  EXPECT_EQ(Reg.CurrentPath(), u"");
  EXPECT_FALSE(Reg.ValueExists(u"Name"));
}

TEST_F(RegistryContract, KeyNamesEmptyTheListWhenThereAreNone) {
  ASSERT_TRUE(platform::testing::CreateUserKey(Below(u"Leaf")));
  TStringList List;
  for (const bool Open : {false, true}) {
    SCOPED_TRACE(Open ? "key without subkeys" : "no key open");
    if (Open) {
      ASSERT_TRUE(Reg.OpenKeyReadOnly(Below(u"Leaf")));
    }
    List.Add(u"stale");
    Reg.GetKeyNames(List);
    EXPECT_EQ(List.Count(), 0);
  }
}

TEST_F(RegistryContract, KeyNamesComeInCaseInsensitiveOrderSpelledAsCreated) {
  // Windows folds names to upper case to order them and Wine to lower case, which puts the
  // characters between 'Z' and 'a' apart; letters and digits sort alike under both.
  for (const char16_t* Name : {u"gamma9", u"beta", u"ZETA", u"Alpha", u"7zip", u"Gamma10", u"AB"}) {
    ASSERT_TRUE(platform::testing::CreateUserKey(Below(Name)));
  }
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
  TStringList List;
  List.Add(u"stale");
  Reg.GetKeyNames(List);
  EXPECT_EQ(Narrow(List.Text()), "7zip\r\nAB\r\nAlpha\r\nbeta\r\nGamma10\r\ngamma9\r\nZETA\r\n");
}

TEST_F(RegistryContract, LongNamesSharingTheirStartAreOrderedAndFoundInAnyCase) {
  // Installers name entries alike ("Package_x64_1.2.3", "Package_x64_1.2.10"); these share 150
  // characters, more than most names have.
  std::u16string Start;
  while (Start.size() < 150) Start += u"Programa-";
  Start.resize(150);
  for (const std::u16string& Name : {Start + u"9", Start, Start + u"10"}) {
    ASSERT_TRUE(platform::testing::CreateUserKey(Below(Name)));
  }
  ASSERT_TRUE(SetUserValue(Below(Start + u"10"), u"Name", platform::RegSz, Utf16(u"x\0")));
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Scratch));
  TStringList List;
  Reg.GetKeyNames(List);
  const std::string Narrowed = Narrow(Start);
  EXPECT_EQ(Narrow(List.Text()), Narrowed + "\r\n" + Narrowed + "10\r\n" + Narrowed + "9\r\n");
  std::u16string Upper = Start + u"10";
  for (char16_t& C : Upper) {
    if (C >= u'a' && C <= u'z') C = static_cast<char16_t>(C - u'a' + u'A');
  }
  Reg.CloseKey();
  ASSERT_TRUE(Reg.OpenKeyReadOnly(Below(Upper)));
  EXPECT_EQ(Reg.ReadString(u"Name"), u"x");
}

}  // namespace
