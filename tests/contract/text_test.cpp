// Converting text to and from code pages, and the order the user's locale puts lines in.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/test_support.h"

namespace {

std::string Encode(std::uint32_t CodePage, const std::u16string& Text) {
  const auto Count = static_cast<int>(Text.size());
  const int Size =
      platform::WideCharToMultiByte(CodePage, 0, Text.data(), Count, nullptr, 0, nullptr, nullptr);
  std::string Bytes(static_cast<std::size_t>(Size > 0 ? Size : 0), '\0');
  const int Written = platform::WideCharToMultiByte(CodePage, 0, Text.data(), Count, Bytes.data(),
                                                    Size, nullptr, nullptr);
  EXPECT_EQ(Written, Size) << "the size asked for first must be the size converted";
  return Bytes;
}

std::u16string Decode(std::uint32_t CodePage, const std::string& Bytes) {
  const auto Count = static_cast<int>(Bytes.size());
  const int Size = platform::MultiByteToWideChar(CodePage, 0, Bytes.data(), Count, nullptr, 0);
  std::u16string Text(static_cast<std::size_t>(Size > 0 ? Size : 0), u'\0');
  EXPECT_EQ(platform::MultiByteToWideChar(CodePage, 0, Bytes.data(), Count, Text.data(), Size),
            Size);
  return Text;
}

TEST(TextContract, ConvertsToAndFromCodePages) {
  const struct {
    const char* Name;
    std::uint32_t CodePage;
    std::u16string Text;
    std::string Bytes;
    bool RoundTrips;
  } Cases[] = {
      {"two-byte letter", platform::CpUtf8, u"\u00D3", "\xC3\x93", true},
      {"surrogate pair", platform::CpUtf8, u"\U0001F4BB", "\xF0\x9F\x92\xBB", true},
      {"variation selector", platform::CpUtf8, u"\uFE0F", "\xEF\xB8\x8F", true},
      {"unpaired high surrogate", platform::CpUtf8, std::u16string{0xD83D, u'x'}, "\xEF\xBF\xBDx",
       false},
      {"unpaired low surrogate", platform::CpUtf8, std::u16string{u'x', 0xDCBB}, "x\xEF\xBF\xBD",
       false},
      {"ANSI letter", 1252, u"\u00E3", "\xE3", true},
      {"ANSI euro sign", 1252, u"\u20AC", "\x80", true},
      // Each half of the pair is replaced, not the character as a whole.
      {"beyond the ANSI page", 1252, u"\U0001F4BB", "??", false},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    EXPECT_EQ(Encode(Case.CodePage, Case.Text), Case.Bytes);
    if (Case.RoundTrips) {
      EXPECT_EQ(Decode(Case.CodePage, Case.Bytes), Case.Text);
    }
  }
}

TEST(TextContract, ConversionIntoTooSmallABufferFails) {
  const std::u16string Text = u"\u00D3\U0001F4BB";  // six bytes in UTF-8
  char Bytes[5] = {};
  platform::testing::SetLastError(platform::ErrorSuccess);
  EXPECT_EQ(
      platform::WideCharToMultiByte(platform::CpUtf8, 0, Text.data(), static_cast<int>(Text.size()),
                                    Bytes, 5, nullptr, nullptr),
      0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);

  // Kept to characters of the BMP: Wine, unlike Windows, fills a buffer that ends between the
  // two halves of a surrogate pair with the first half and reports success.
  char16_t Wide[1] = {};
  platform::testing::SetLastError(platform::ErrorSuccess);
  EXPECT_EQ(platform::MultiByteToWideChar(platform::CpUtf8, 0, "\xC3\x93\xC3\x93", 4, Wide, 1), 0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);
}

int Compare(const std::u16string& Left, const std::u16string& Right) {
  return platform::CompareStringW(platform::LocaleUserDefault, platform::NormIgnoreCase,
                                  Left.data(), static_cast<int>(Left.size()), Right.data(),
                                  static_cast<int>(Right.size()));
}

// The user locale's case-blind sort key, asked for by size first; empty when the call fails.
std::vector<std::uint8_t> SortKey(const std::u16string& Text) {
  constexpr std::uint32_t Flags = platform::LcmapSortKey | platform::NormIgnoreCase;
  // An empty count is refused; the empty text goes as a terminated one.
  const int Count = Text.empty() ? -1 : static_cast<int>(Text.size());
  const int Size = platform::LCMapStringW(platform::LocaleUserDefault, Flags, Text.data(), Count, nullptr, 0);
  if (Size <= 0) return {};
  std::vector<std::uint8_t> Key(static_cast<std::size_t>(Size));
  EXPECT_EQ(platform::LCMapStringW(platform::LocaleUserDefault, Flags, Text.data(), Count, Key.data(), Size), Size);
  return Key;
}

int KeyOrder(const std::u16string& Left, const std::u16string& Right) {
  const std::vector<std::uint8_t> A = SortKey(Left);
  const std::vector<std::uint8_t> B = SortKey(Right);
  EXPECT_FALSE(A.empty() || B.empty()) << "no sort key";
  return A < B ? platform::CstrLessThan : A == B ? platform::CstrEqual : platform::CstrGreaterThan;
}

TEST(TextContract, OrdersBulletLinesLikeTheUserLocale) {
  const struct {
    std::u16string Left, Right;
    int Expected;
  } Cases[] = {
      {u"\u2022 7 Tools", u"\u2022 Alpha", platform::CstrLessThan},
      {u"\u2022 Alpha", u"\u2022 bravo", platform::CstrLessThan},
      {u"\u2022 bravo", u"\u2022 delta", platform::CstrLessThan},
      {u"\u2022 Foo", u"\u2022 FOO", platform::CstrEqual},
      {u"\u2022 .NET", u"\u2022 Alpha", platform::CstrLessThan},
      // Digits compare one by one, not as numbers.
      {u"\u2022 10 Tools", u"\u2022 9 Tools", platform::CstrLessThan},
      // An accent counts although case does not, but only once the letters themselves agree.
      {u"\u2022 Edito", u"\u2022 \u00C9dito", platform::CstrLessThan},
      {u"\u2022 \u00C9dito", u"\u2022 editor", platform::CstrLessThan},
      // Hyphens and apostrophes are passed over and only break a tie; a space is not.
      {u"\u2022 co-op", u"\u2022 coal", platform::CstrGreaterThan},
      {u"\u2022 coop", u"\u2022 Co-op", platform::CstrLessThan},
      {u"\u2022 O'Brien", u"\u2022 Oasis", platform::CstrGreaterThan},
      {u"\u2022 Wi-Fi", u"\u2022 Wi\u2013Fi", platform::CstrLessThan},
      {u"\u2022 Foo Bar", u"\u2022 Foobar", platform::CstrLessThan},
      {u"", u"\u2022 Alpha", platform::CstrLessThan},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(testing::PrintToString(Case.Left) + " vs " + testing::PrintToString(Case.Right));
    EXPECT_EQ(Compare(Case.Left, Case.Right), Case.Expected);
    EXPECT_EQ(Compare(Case.Right, Case.Left), 4 - Case.Expected) << "the order must be symmetric";
    EXPECT_EQ(KeyOrder(Case.Left, Case.Right), Case.Expected) << "sort keys must order as the comparison";
  }
}

TEST(TextContract, ASortKeyNeedsRoomForAllOfIt) {
  constexpr std::uint32_t Flags = platform::LcmapSortKey | platform::NormIgnoreCase;
  const std::u16string Text = u"\u2022 Planilhas Eletr\u00F4nicas";
  const std::vector<std::uint8_t> Whole = SortKey(Text);
  ASSERT_GT(Whole.size(), 1U);
  EXPECT_EQ(Whole.back(), 0) << "a key ends in a zero byte";
  std::vector<std::uint8_t> Short(Whole.size() - 1);
  platform::testing::SetLastError(platform::ErrorSuccess);
  EXPECT_EQ(platform::LCMapStringW(platform::LocaleUserDefault, Flags, Text.data(), static_cast<int>(Text.size()),
                                   Short.data(), static_cast<int>(Short.size())),
            0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);
  EXPECT_EQ(SortKey(u"\u2022 PLANILHAS ELETR\u00D4NICAS"), Whole) << "case is ignored";
}

// File names compare code unit by code unit, each upper-cased alone when case is ignored.
TEST(TextContract, OrdinalComparisonComparesCodeUnits) {
  const struct {
    std::u16string A, B;
    platform::Bool IgnoreCase;
    int Expected;
  } Cases[] = {{u"C:\\Users\\Ana", u"c:\\USERS\\ana", 1, platform::CstrEqual},
               {u"C:\\Users\\Ana", u"c:\\USERS\\ana", 0, platform::CstrLessThan},
               {u"\u00C1rea", u"\u00E1REA", 1, platform::CstrEqual},
               {u"stra\u00DFe", u"STRASSE", 1, platform::CstrGreaterThan},
               {u"\uFF21", u"a", 1, platform::CstrGreaterThan}};  // no width folding
  for (const auto& C : Cases) {
    EXPECT_EQ(platform::CompareStringOrdinal(C.A.data(), static_cast<int>(C.A.size()), C.B.data(),
                                             static_cast<int>(C.B.size()), C.IgnoreCase),
              C.Expected);
  }
}

}  // namespace
