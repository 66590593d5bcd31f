// The process's environment, its error mode, its executable's path and the system's error texts.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/platform.h"
#include "platform/test_support.h"

namespace {

std::u16string LowerAscii(std::u16string Text) {
  for (char16_t& C : Text) {
    if (C >= u'A' && C <= u'Z') C = static_cast<char16_t>(C - u'A' + u'a');
  }
  return Text;
}

TEST(ProcessContract, EnvironmentVariableGivesLengthOrRoomNeededOrNotFound) {
  const std::u16string Value = u"C:\\Users\\ana";
  const auto Length = static_cast<std::uint32_t>(Value.size());
  platform::testing::SetEnvironmentVariable(u"INVENTARIO_CONTRACT_HOME", Value);

  std::u16string Buffer(Value.size() + 1, u'#');
  // Names are matched without regard to case.
  EXPECT_EQ(
      platform::GetEnvironmentVariableW(u"inventario_contract_home", Buffer.data(), Length + 1),
      Length);
  EXPECT_EQ(Buffer, Value + u'\0');
  EXPECT_EQ(platform::GetEnvironmentVariableW(u"INVENTARIO_CONTRACT_HOME", Buffer.data(), Length),
            Length + 1);

  platform::testing::RemoveEnvironmentVariable(u"INVENTARIO_CONTRACT_HOME");
  platform::testing::SetLastError(platform::ErrorSuccess);
  EXPECT_EQ(
      platform::GetEnvironmentVariableW(u"INVENTARIO_CONTRACT_HOME", Buffer.data(), Length + 1),
      0u);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorEnvvarNotFound);
}

TEST(ProcessContract, ExpansionReplacesKnownNamesAndGivesTheSizeWithItsNul) {
  platform::testing::SetEnvironmentVariable(u"INVENTARIO_CONTRACT_HOME", u"C:\\Users\\ana");
  platform::testing::RemoveEnvironmentVariable(u"INVENTARIO_CONTRACT_NONE");
  const std::u16string Source = u"%inventario_contract_home%\\OneDrive\\%INVENTARIO_CONTRACT_NONE%";
  const std::u16string Expanded = u"C:\\Users\\ana\\OneDrive\\%INVENTARIO_CONTRACT_NONE%";
  const auto Needed = static_cast<std::uint32_t>(Expanded.size() + 1);

  std::u16string Buffer(Needed, u'#');
  EXPECT_EQ(platform::ExpandEnvironmentStringsW(Source.c_str(), Buffer.data(), Needed), Needed);
  EXPECT_EQ(Buffer, Expanded + u'\0');
  // Short by the NUL alone, and no buffer at all: the size needed, NUL included.
  EXPECT_EQ(platform::ExpandEnvironmentStringsW(Source.c_str(), Buffer.data(), Needed - 1), Needed);
  EXPECT_EQ(platform::ExpandEnvironmentStringsW(Source.c_str(), nullptr, 0), Needed);
  platform::testing::RemoveEnvironmentVariable(u"INVENTARIO_CONTRACT_HOME");
}

TEST(ProcessContract, ErrorModeAnswersThePreviousModeAndKeepsTheNewOne) {
  const std::uint32_t Before = platform::GetErrorMode();
  EXPECT_EQ(platform::SetErrorMode(Before | platform::SemFailCriticalErrors), Before);
  EXPECT_EQ(platform::GetErrorMode(), Before | platform::SemFailCriticalErrors);
  platform::SetErrorMode(Before);
}

TEST(ProcessContract, ModuleFileNameGivesTheExecutablePathOrCutsItShort) {
  std::u16string Path(261, u'#');
  const std::uint32_t Length = platform::GetModuleFileNameW(platform::NullHandle, Path.data(), 261);
  ASSERT_GT(Length, 7u);
  ASSERT_LT(Length, 261u);
  EXPECT_EQ(Path[Length], u'\0');
  Path.resize(Length);
  EXPECT_EQ(Path.substr(1, 2), u":\\");
  EXPECT_EQ(LowerAscii(Path.substr(Length - 4)), u".exe");

  // Far too small, and short by just the NUL. The last unit is left unchecked: Windows puts the
  // NUL there, Wine the next character of the path.
  for (const std::uint32_t Size : {5u, Length}) {
    SCOPED_TRACE(Size);
    std::u16string Cut(Size, u'#');
    platform::testing::SetLastError(platform::ErrorSuccess);
    EXPECT_EQ(platform::GetModuleFileNameW(platform::NullHandle, Cut.data(), Size), Size);
    EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);
    EXPECT_EQ(Cut.substr(0, Size - 1), Path.substr(0, Size - 1));
  }
}

TEST(ProcessContract, SystemMessageIsAllocatedForTheCallerToFree) {
  constexpr std::uint32_t Flags =
      platform::FormatMessageAllocateBuffer | platform::FormatMessageIgnoreInserts |
      platform::FormatMessageFromSystem | platform::FormatMessageArgumentArray;
  char16_t* Message = nullptr;
  const std::uint32_t Length =
      platform::FormatMessageW(Flags, nullptr, platform::ErrorPathNotFound, 0,
                               reinterpret_cast<char16_t*>(&Message), 0, nullptr);
  ASSERT_NE(Message, nullptr);
  EXPECT_GT(Length, 0u);
  EXPECT_EQ(std::u16string_view{Message}.size(), Length);
  EXPECT_EQ(platform::LocalFree(Message), nullptr);
}

}  // namespace
