// FloatToFixed and Format("%.2f") on any value, and Format on any format text.
//
// Properties of the two-decimal text of a finite value: an optional "-" (never on a zero),
// decimal digits without leading zeros, the separator, exactly two digits; read back it is within
// half a cent of the value (plus one unit of the eighteenth significant digit, which the
// conversion rounds to first), and it never decreases as the value grows. Format("%.2f") gives
// the same text, padded to a width when one is asked for. Any format text either formats or
// raises EConvertError.
//
// Input (all from the end): a mode, the value's bits, the separator, a digit count, then a format
// text from the front.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "text/exceptions.h"
#include "text/format.h"

namespace {

enum TMode : std::uint8_t { RawDouble, Thousandths, Scaled, LastMode = Scaled };

struct TParsed {
  bool Negative = false;
  std::u16string Whole;     // digits before the separator
  std::u16string Fraction;  // digits after it
};

bool IsDigit(char16_t C) { return C >= u'0' && C <= u'9'; }

// The parts of a fixed-point text; nothing when it is not one.
std::optional<TParsed> Parse(std::u16string_view Text, char16_t Separator) {
  TParsed P;
  if (!Text.empty() && Text[0] == u'-') {
    P.Negative = true;
    Text.remove_prefix(1);
  }
  const std::size_t Sep = Text.find(Separator);
  if (Sep == std::u16string_view::npos) return std::nullopt;
  P.Whole = Text.substr(0, Sep);
  P.Fraction = Text.substr(Sep + 1);
  if (P.Whole.empty()) return std::nullopt;
  for (const char16_t C : P.Whole + P.Fraction) {
    if (!IsDigit(C)) return std::nullopt;
  }
  if (P.Whole.size() > 1 && P.Whole[0] == u'0') return std::nullopt;
  return P;
}

// The text's value in hundredths, exactly (the texts checked stay below 10^17 hundredths).
long double Cents(const TParsed& P) {
  std::int64_t Value = 0;
  for (const char16_t C : P.Whole + P.Fraction) Value = Value * 10 + (C - u'0');
  return static_cast<long double>(P.Negative ? -Value : Value);
}

void CheckTwoDecimals(long double Value, char16_t Separator) {
  const std::u16string Text = FloatToFixed(Value, 2);
  fuzz::Check(Format(u"%.2f", {Value}) == Text, "Format(\"%.2f\") differs from FloatToFixed", Text);
  fuzz::Check(Format(u"%12.2f", {Value}) ==
                  (Text.size() < 12 ? std::u16string(12 - Text.size(), u' ') : u"") + Text,
              "a width does not pad on the left", Text);
  fuzz::Check(Format(u"%-12.2f", {Value}) ==
                  Text + (Text.size() < 12 ? std::u16string(12 - Text.size(), u' ') : u""),
              "a left-aligned width does not pad on the right", Text);
  if (std::isnan(Value)) {
    fuzz::Check(Text == u"NAN", "NaN text", Text);
    return;
  }
  if (std::isinf(Value)) {
    fuzz::Check(Text == (Value < 0 ? u"-INF" : u"INF"), "infinity text", Text);
    return;
  }
  const std::optional<TParsed> P = Parse(Text, Separator);
  fuzz::Check(P.has_value(), "not a fixed-point text", Text);
  fuzz::Check(P->Fraction.size() == 2, "not two digits after the separator", Text);
  fuzz::Check(!P->Negative || Value < 0, "a minus sign on a value that is not negative", Text);
  const bool Zero = P->Whole == u"0" && P->Fraction == u"00";
  fuzz::Check(!(P->Negative && Zero), "a negative zero", Text);
  if (std::fabs(Value) >= 1e15L) return;

  // Value * 100 is exact for the values made below (at most 56 significant bits).
  const long double Error = std::fabs(Cents(*P) - Value * 100);
  const long double Magnitude = std::fabs(Value);
  const long double EighteenthDigit =
      Magnitude > 0 ? std::pow(10.0L, std::floor(std::log10(Magnitude)) - 17) : 0;
  fuzz::Check(Error <= 0.5L + 100 * EighteenthDigit + 1e-9L, "more than half a cent off", Text);

  // Rounding never turns a larger value into a smaller text.
  const double Next = std::nextafter(static_cast<double>(Value), INFINITY);
  if (static_cast<long double>(Next) > Value && std::fabs(Next) < 1e15) {
    const std::optional<TParsed> Q = Parse(FloatToFixed(Next, 2), Separator);
    fuzz::Check(Q.has_value() && Cents(*Q) >= Cents(*P), "the text decreases as the value grows",
                Text);
  }
}

void CheckDigits(long double Value, int Digits, char16_t Separator) {
  const std::u16string Text = FloatToFixed(Value, Digits);
  if (!std::isfinite(Value)) return;
  const std::optional<TParsed> P = Parse(Text, Separator);
  fuzz::Check(P.has_value(), "not a fixed-point text", Text);
  fuzz::Check(P->Fraction.size() == static_cast<std::size_t>(Digits),
              "wrong number of fraction digits", Text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  const auto Mode = In.ConsumeIntegralInRange<std::uint8_t>(0, LastMode);
  const auto Bits = In.ConsumeIntegral<std::uint64_t>();
  long double Value = 0;
  switch (Mode) {
    case RawDouble: {  // any double: NaNs, infinities, subnormals, negative zero
      double D = 0;
      std::memcpy(&D, &Bits, sizeof D);
      Value = D;
      break;
    }
    case Thousandths:  // close to the ties of the two-decimal rounding
      Value = static_cast<long double>(static_cast<std::int64_t>(Bits) >> 8) / 1000;
      Value = static_cast<double>(Value);
      break;
    case Scaled: {  // 56 significant bits, anywhere from tiny to huge
      const auto Exponent = In.ConsumeIntegralInRange<int>(-120, 40);
      Value = std::ldexp(static_cast<long double>(static_cast<std::int64_t>(Bits) >> 8), Exponent);
      break;
    }
  }
  const char16_t Separator = In.ConsumeBool() ? u',' : u'.';
  FormatSettings.DecimalSeparator = Separator;
  const int Digits = In.ConsumeIntegralInRange<int>(1, 18);

  CheckTwoDecimals(Value, Separator);
  CheckDigits(Value, Digits, Separator);

  // Any format text with any arguments: a text, or the format error.
  const std::u16string Fmt = fuzz::ConsumeText16(In, 64);
  try {
    (void)Format(Fmt, {Value, static_cast<std::int32_t>(Bits), static_cast<std::int64_t>(Bits),
                       u"texto", u'c'});
  } catch (const EConvertError&) {
  }
  return 0;
}
