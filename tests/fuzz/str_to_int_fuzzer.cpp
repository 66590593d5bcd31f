// StrToIntDef on any text, against a parse written another way: decimal texts through
// std::from_chars, hexadecimal ones ("$", "x", "0x") digit by digit, and IntToStr / IntToHex texts
// of any value read back.
//
// Input: a 32-bit value and a default (from the end), whether the text is UTF-16 units or
// Latin-1 bytes, then the text (the rest of the input).
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text/format.h"
#include "text/string_routines.h"

namespace {

bool IsHexDigit(char C) {
  return (C >= '0' && C <= '9') || (C >= 'a' && C <= 'f') || (C >= 'A' && C <= 'F');
}

// The value of an integer text: blanks, a sign, then decimal digits, or "$", "x" or "0x" (either
// case) and at most eight significant hex digits, which give the bits of the value. The text is
// read up to its first NUL, as the system hands strings over.
std::optional<std::int32_t> Reference(std::u16string_view Text) {
  Text = Text.substr(0, Text.find(u'\0'));
  std::string Narrow;
  for (const char16_t C : Text) {
    if (C > 0x7F) return std::nullopt;  // no non-ASCII character belongs in a number
    Narrow += static_cast<char>(C);
  }
  std::string_view S = Narrow;
  S.remove_prefix(std::min(S.find_first_not_of(' '), S.size()));
  bool Negative = false;
  if (!S.empty() && (S[0] == '-' || S[0] == '+')) {
    Negative = S[0] == '-';
    S.remove_prefix(1);
  }
  std::size_t Prefix = 0;
  if (!S.empty() && (S[0] == '$' || S[0] == 'x' || S[0] == 'X')) {
    Prefix = 1;
  } else if (S.size() >= 2 && S[0] == '0' && (S[1] == 'x' || S[1] == 'X')) {
    Prefix = 2;
  }
  const std::string_view Digits = S.substr(Prefix);
  if (Digits.empty()) return std::nullopt;
  if (Prefix != 0) {
    for (const char C : Digits) {
      if (!IsHexDigit(C)) return std::nullopt;
    }
    const std::string_view Significant =
        Digits.substr(std::min(Digits.find_first_not_of('0'), Digits.size()));
    if (Significant.size() > 8) return std::nullopt;
    std::uint32_t Bits = 0;
    if (!Significant.empty())
      std::from_chars(Significant.data(), Significant.data() + Significant.size(), Bits, 16);
    return static_cast<std::int32_t>(Negative ? 0U - Bits : Bits);
  }
  for (const char C : Digits) {
    if (C < '0' || C > '9') return std::nullopt;
  }
  std::int64_t Value = 0;
  const std::string_view Trimmed =
      Digits.substr(std::min(Digits.find_first_not_of('0'), Digits.size() - 1));
  if (Trimmed.size() > 11) return std::nullopt;
  std::from_chars(Trimmed.data(), Trimmed.data() + Trimmed.size(), Value);
  if (Negative) Value = -Value;
  if (Value < std::numeric_limits<std::int32_t>::min() ||
      Value > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(Value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const auto Value = In.ConsumeIntegral<std::int32_t>();
  const auto Default = In.ConsumeIntegral<std::int32_t>();
  const bool Wide = In.ConsumeBool();
  std::u16string Text;
  if (Wide) {
    Text = fuzz::ConsumeText16(In);
  } else {
    for (const std::uint8_t B : In.ConsumeRemainingBytes<std::uint8_t>())
      Text += static_cast<char16_t>(B);
  }

  const std::optional<std::int32_t> Expected = Reference(Text);
  const std::int32_t Got = StrToIntDef(Text, Default);
  if (Expected) {
    fuzz::Check(Got == *Expected, "a number read wrongly", Text);
  } else {
    fuzz::Check(Got == Default, "a text that is no number read as one", Text);
  }
  // Whatever the default, a number reads the same, and a non-number gives the default.
  const std::int32_t Other = Default ^ 1;
  fuzz::Check(StrToIntDef(Text, Other) == (Expected ? Got : Other),
              "the result depends on the default", Text);

  // The program's own number texts read back as the value.
  fuzz::Check(StrToIntDef(IntToStr(Value), Default) == Value, "IntToStr text does not read back");
  fuzz::Check(StrToIntDef(u"  " + IntToStr(Value), Default) == Value,
              "blanks before a number not skipped");
  fuzz::Check(StrToIntDef(u"$" + IntToHex(static_cast<std::uint32_t>(Value), 8), Default) == Value,
              "IntToHex text does not read back");
  fuzz::Check(StrToIntDef(u"0x" + IntToHex(static_cast<std::uint32_t>(Value), 0), Default) == Value,
              "short hex text does not read back");
  return 0;
}
