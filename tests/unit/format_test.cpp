#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "simulated_machine.h"
#include "text/exceptions.h"
#include "text/format.h"
#include "text/string_routines.h"

namespace {

class FormatTest : public SimulatedMachineTest {};

TEST_F(FormatTest, TwoDecimalsRoundHalfAwayOnTheEighteenDigitForm) {
  FormatSettings.DecimalSeparator = u',';
  struct TCase {
    double Value;
    const char16_t* Text;
  };
  const std::vector<TCase> Cases{
      {0, u"0,00"},          {0.125, u"0,13"},        {0.375, u"0,38"},
      {2.625, u"2,63"},      {1023.999, u"1024,00"},  {0.004, u"0,00"},
      {1000000.5, u"1000000,50"}, {7.5, u"7,50"},     {0.005, u"0,01"},
      {-0.004, u"0,00"},     {-0.0, u"0,00"},         {-2.5, u"-2,50"},
      // Stored just below the tie, and still below it in eighteen digits: rounded down.
      {1.005, u"1,00"},      {-1.005, u"-1,00"},      {0.045, u"0,04"},
      {2.675, u"2,67"},      {0.015, u"0,01"},
      {99.995, u"100,00"},   {9.999, u"10,00"},       {1e-300, u"0,00"},
      {4.9e-324, u"0,00"},   {15.73, u"15,73"},       {237.84375, u"237,84"},
      {17179869183.999998, u"17179869184,00"},        {8.0, u"8,00"},
      {0.01, u"0,01"},       {123456789.125, u"123456789,13"}, {0.995, u"0,99"},
  };
  for (const TCase& C : Cases) {
    EXPECT_EQ(Format(u"%.2f", {C.Value}), C.Text) << C.Value;
  }
  EXPECT_EQ(Format(u"%f", {1.5}), u"1,50");
  FormatSettings.DecimalSeparator = u'\0';
  EXPECT_EQ(Format(u"%.2f", {1.5}), u"150");
}

// The exact decimal value of a double, rounded half away from zero to two places, for values
// where the digits beyond the eighteenth cannot change the outcome.
std::optional<std::u16string> ExactTwoDecimals(double Value) {
  int Exponent = 0;
  const double Mantissa = std::frexp(Value, &Exponent);  // Value = Mantissa * 2^Exponent
  const auto M = static_cast<std::uint64_t>(std::ldexp(Mantissa, 53));
  const int Shift = 53 - Exponent;  // Value = M / 2^Shift
  if (Shift < 1 || Shift > 56) return std::nullopt;
  const std::uint64_t Scaled = M * 100 >> 7;  // keeps M * 100 below 2^64
  const int S = Shift - 7;
  if (S < 1) return std::nullopt;
  const std::uint64_t Low = M * 100 & 127;
  const std::uint64_t Quotient = Scaled >> S;
  const std::uint64_t RemainderHigh = Scaled & ((std::uint64_t{1} << S) - 1);
  const std::uint64_t Half = std::uint64_t{1} << (S - 1);
  if (RemainderHigh == Half - 1 || (RemainderHigh == Half && Low != 0)) return std::nullopt;  // too close
  const std::uint64_t Rounded = Quotient + (RemainderHigh >= Half ? 1 : 0);
  std::u16string Text = IntToStr(static_cast<std::int64_t>(Rounded / 100)) + u".";
  Text += static_cast<char16_t>(u'0' + Rounded % 100 / 10);
  Text += static_cast<char16_t>(u'0' + Rounded % 10);
  return Text;
}

TEST_F(FormatTest, TwoDecimalsAgreeWithExactDecimalRounding) {
  std::mt19937_64 Random(20261209);
  std::uniform_real_distribution<double> Magnitude(-3, 7);
  int Compared = 0;
  for (int I = 0; I < 60000; ++I) {
    double Value = std::pow(10.0, Magnitude(Random));
    if (I % 3 == 0) Value = std::round(Value * 1000) / 1000;  // many values near .xx5
    const std::optional<std::u16string> Expected = ExactTwoDecimals(Value);
    if (!Expected) continue;
    ++Compared;
    ASSERT_EQ(U8(FloatToFixed(Value, 2)), U8(*Expected)) << Value;
  }
  EXPECT_GT(Compared, 45000);
}

TEST_F(FormatTest, DirectivesForTextAndIntegers) {
  EXPECT_EQ(Format(u"%s: Total: %.2f GB | Livre: %.2f GB", {u'C', 237.5, 100.0}),
            u"C: Total: 237.50 GB | Livre: 100.00 GB");
  EXPECT_EQ(Format(u"%d dias, %d horas", {std::int64_t{12}, std::int64_t{23}}), u"12 dias, 23 horas");
  EXPECT_EQ(Format(u"%d|%d|%x|%%|%S|%D", {std::int32_t{-2147483647 - 1}, std::int64_t{-15},
                                         std::int64_t{0xC06D007F}, u"s", std::int32_t{0}}),
            u"-2147483648|-15|C06D007F|%|s|0");
  EXPECT_EQ(Format(u"%1:s %0:s %2:5d|%-3d|", {u"a", u"b", std::int32_t{7}, std::int32_t{8}}),
            u"b a     7|8  |");
  EXPECT_EQ(Format(u"%.3d|%.3d|%.1d", {std::int32_t{7}, std::int32_t{-7}, std::int32_t{1234}}), u"007|-007|1234");
  EXPECT_EQ(Format(u"%.1000000d", {std::int32_t{7}}).size(), 1000000U);  // padded in one step
  EXPECT_THROW((void)Format(u"%d", {u"text"}), EConvertError);
  EXPECT_THROW((void)Format(u"%s %s", {u"one"}), EConvertError);
}

TEST_F(FormatTest, IntegerTexts) {
  EXPECT_EQ(IntToStr(0), u"0");
  EXPECT_EQ(IntToStr(-15), u"-15");
  EXPECT_EQ(IntToStr(-2147483648LL), u"-2147483648");
  EXPECT_EQ(IntToStr(INT64_MIN), u"-9223372036854775808");
  EXPECT_EQ(IntToHex(10, 2), u"0A");
  EXPECT_EQ(IntToHex(255, 2), u"FF");
  EXPECT_EQ(IntToHex(0, 2), u"00");
  EXPECT_EQ(IntToHex(4096, 2), u"1000");
  EXPECT_EQ(IntToHex(0xFFFFFFFF, 0), u"FFFFFFFF");
}

TEST_F(FormatTest, StrToIntDefAcceptsOnlyWholeIntegers) {
  struct TCase {
    std::u16string Text;
    std::int32_t Value;
  };
  const std::vector<TCase> Cases{
      {u"21999", 21999},   {u"  21999", 21999},     {u"21999 ", 7},        {u"", 7},
      {u"   ", 7},         {u"+5", 5},              {u"-0", 0},            {u"0012", 12},
      {u"$10", 16},        {u"0x1F", 31},           {u"0X1f", 31},         {u"x1F", 31},
      {u"X10", 16},        {u"-$10", -16},          {u"$FFFFFFFF", -1},    {u"$000000010", 16},
      {u"$100000000", 7},  {u"2147483647", 2147483647}, {u"2147483648", 7},
      {u"-2147483648", -2147483647 - 1},             {u"-2147483649", 7},
      {u"99999999999999999999", 7}, {u"12a", 7},    {u"1e3", 7},           {u"0x", 7},
      {u"$", 7},           {u"-", 7},               {u"+", 7},             {u"\t5", 7},
      {u"+-5", 7},         {u"- 5", 7},             {std::u16string(u"42\0junk", 7), 42},
      {u"\uFF15", 7},      {u"0x-5", 7},            {u"-0x80000000", -2147483647 - 1},
  };
  for (const TCase& C : Cases) EXPECT_EQ(StrToIntDef(C.Text, 7), C.Value) << U8(C.Text);
}

TEST_F(FormatTest, StringRoutines) {
  EXPECT_EQ(Trim(u"\tIntel(R) Core \r\n "), u"Intel(R) Core");
  EXPECT_EQ(Trim(u"a  b"), u"a  b");
  EXPECT_EQ(Trim(u"   "), u"");
  EXPECT_EQ(Trim(std::u16string(u"\0x\0", 3)), u"x");
  EXPECT_EQ(Trim(u"\u00A0x\u00A0"), u"\u00A0x\u00A0");

  EXPECT_EQ(StringReplace(u"Windows 10 Pro", u"Windows 10", u"Windows 11", rfReplaceAll), u"Windows 11 Pro");
  EXPECT_EQ(StringReplace(u"windows 10 Pro", u"Windows 10", u"Windows 11", rfReplaceAll), u"windows 10 Pro");
  EXPECT_EQ(StringReplace(u"Windows 1010", u"Windows 10", u"Windows 11", rfReplaceAll), u"Windows 1110");
  EXPECT_EQ(StringReplace(u"aaaa", u"aa", u"b", rfReplaceAll), u"bb");
  EXPECT_EQ(StringReplace(u"aaaa", u"aa", u"b", 0), u"baa");
  EXPECT_EQ(StringReplace(u"", u"a", u"b", rfReplaceAll), u"");
  EXPECT_EQ(StringReplace(u"abc", u"", u"x", rfReplaceAll), u"abc");

  EXPECT_EQ(Pos(u"Windows 10", u"Windows 10 Home"), 1U);
  EXPECT_EQ(Pos(u"10", u"Windows 10 Home"), 9U);
  EXPECT_EQ(Pos(u"", u"abc"), 0U);
  EXPECT_EQ(Pos(u"a", u""), 0U);
  EXPECT_EQ(Pos(u"abcd", u"abc"), 0U);

  EXPECT_EQ(Copy(u"192.168.0.1", 1, 3), u"192");
  EXPECT_EQ(Copy(u"1.2", 1, 3), u"1.2");
  EXPECT_EQ(Copy(u"", 1, 3), u"");
  EXPECT_EQ(Copy(u"abc", 0, 2), u"ab");
  EXPECT_EQ(Copy(u"abc", 4, 1), u"");
  EXPECT_EQ(Copy(u"abc", 2, -1), u"");
  EXPECT_EQ(Copy(u"abc", 2, INT64_MAX), u"bc");
}

TEST_F(FormatTest, DecimalSeparatorComesFromTheThreadLocaleOrIsAPeriod) {
  struct TCase {
    const char* Name;
    void (*Arrange)(platform::simulated::TMachine&);
    char16_t Separator;
  };
  const std::vector<TCase> Cases{
      {"comma locale", [](auto&) {}, u','},
      {"period locale", [](auto& M) { M.ThreadLocale = 0x0409; }, u'.'},
      {"no thread locale: US English", [](auto& M) { M.ThreadLocale = 0; }, u'.'},
      {"unreadable setting", [](auto& M) { M.FailCall("GetLocaleInfoW", 87); }, u'.'},
      {"setting too long for the buffer", [](auto& M) { M.DecimalSeparators[0x0416] = u"abc"; }, u'.'},
      {"two-character setting", [](auto& M) { M.DecimalSeparators[0x0416] = u"ab"; }, u'a'},
      {"locale not installed", [](auto& M) { M.ThreadLocale = 0x7777; }, u'.'},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    C.Arrange(Machine());
    FormatSettings.DecimalSeparator = u'?';
    GetFormatSettings();
    EXPECT_EQ(FormatSettings.DecimalSeparator, C.Separator) << C.Name;
  }
}

}  // namespace
