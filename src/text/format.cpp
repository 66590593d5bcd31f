#include "text/format.h"

#include <array>
#include <cmath>
#include <limits>
#include <string>

#include "platform/platform.h"
#include "text/exceptions.h"

TFormatSettings FormatSettings;

namespace {

// The fixed-point conversion keeps eighteen significant digits, which needs the 64-bit
// significand of the x87 extended format; every compiler that builds this program provides it.
static_assert(std::numeric_limits<long double>::digits == 64, "long double must be x87 extended");

constexpr int SignificantDigits = 18;
constexpr std::uint32_t LocaleSDecimal = 0x0E;
constexpr std::uint32_t LcidInstalled = 1;

long double PowerOfTen(int Exponent) {
  long double Result = 1;
  for (int I = 0; I < Exponent; ++I) Result *= 10;
  return Result;
}

// The decimal exponent E of A > 0, with 10^(E-1) <= A < 10^E.
int DecimalExponent(long double A) {
  int E = static_cast<int>(std::floor(std::log10(A))) + 1;
  while (E > -4900 && A < (E - 1 >= 0 ? PowerOfTen(E - 1) : 1 / PowerOfTen(1 - E))) --E;
  while (A >= (E >= 0 ? PowerOfTen(E) : 1 / PowerOfTen(-E))) ++E;
  return E;
}

[[noreturn]] void RaiseFormatError(std::u16string_view Fmt) {
  throw EConvertError(u"Format '" + std::u16string{Fmt} + u"' invalid or incompatible with argument");
}

std::u16string Digits(std::uint64_t Value) {
  std::u16string Text;
  do {
    Text.insert(Text.begin(), static_cast<char16_t>(u'0' + Value % 10));
    Value /= 10;
  } while (Value != 0);
  return Text;
}

struct TDirective {
  bool LeftAlign = false;
  int Width = -1;
  int Precision = -1;
  char16_t Letter = 0;
};

}  // namespace

void GetFormatSettings() {
  platform::Lcid Locale = 0x0409;
  if (const platform::Lcid Thread = platform::GetThreadLocale(); Thread != 0) Locale = Thread;
  if (platform::IsValidLocale(Locale, LcidInstalled) == 0) Locale = platform::GetThreadLocale();
  std::array<char16_t, 3> Buffer{};
  const int Written = platform::GetLocaleInfoW(Locale, LocaleSDecimal, Buffer.data(), 3);
  FormatSettings.DecimalSeparator = Written > 0 ? Buffer[0] : u'.';
}

std::u16string IntToStr(std::int64_t Value) {
  const std::uint64_t Magnitude =
      Value < 0 ? ~static_cast<std::uint64_t>(Value) + 1 : static_cast<std::uint64_t>(Value);
  std::u16string Text = Digits(Magnitude);
  if (Value < 0) Text.insert(Text.begin(), u'-');
  return Text;
}

std::u16string FloatToFixed(long double Value, int FractionDigits) {
  if (std::isnan(Value)) return u"NAN";
  if (std::isinf(Value)) return Value < 0 ? u"-INF" : u"INF";
  const bool Negative = std::signbit(Value);
  const long double A = std::fabs(Value);

  std::u16string D;  // the kept significant digits d1 d2 ...
  int E = 0;
  if (A >= std::numeric_limits<long double>::min()) {
    E = DecimalExponent(A);
    const int Shift = SignificantDigits - E;
    long double N = Shift >= 0 ? A * PowerOfTen(Shift) : A / PowerOfTen(-Shift);
    N = std::nearbyint(N);
    if (N >= PowerOfTen(SignificantDigits)) {
      N = PowerOfTen(SignificantDigits - 1);
      ++E;
    }
    D = Digits(static_cast<std::uint64_t>(N));
    const int R = E + FractionDigits;
    if (R < 0) {
      D.clear();
    } else if (R < SignificantDigits) {
      const bool RoundUp = D[static_cast<std::size_t>(R)] >= u'5';
      D.resize(static_cast<std::size_t>(R));
      if (RoundUp) {
        std::size_t I = D.size();
        while (I > 0 && D[I - 1] == u'9') D[--I] = u'0';
        if (I == 0) {
          D = u"1";
          ++E;
        } else {
          ++D[I - 1];
        }
      } else if (D.find_first_not_of(u'0') == std::u16string::npos) {
        D.clear();
      }
    }
  }
  if (D.empty()) E = 0;

  const auto Digit = [&](int Index) {  // 1-based; beyond the kept digits a "0"
    return Index >= 1 && Index <= static_cast<int>(D.size()) ? D[static_cast<std::size_t>(Index - 1)]
                                                              : u'0';
  };
  std::u16string Text = Negative && !D.empty() ? u"-" : u"";
  if (E <= 0) {
    Text += u'0';
  } else {
    for (int I = 1; I <= E; ++I) Text += Digit(I);
  }
  if (FormatSettings.DecimalSeparator != u'\0') Text += FormatSettings.DecimalSeparator;
  const int LeadingZeros = E < 0 ? std::min(-E, FractionDigits) : 0;
  for (int I = 0; I < FractionDigits; ++I) {
    Text += I < LeadingZeros ? u'0' : Digit(E < 0 ? I - LeadingZeros + 1 : E + I + 1);
  }
  return Text;
}

std::u16string Format(std::u16string_view Fmt, std::initializer_list<TVarRec> Args) {
  std::u16string Result;
  const TVarRec* Next = Args.begin();
  std::size_t I = 0;
  const auto Number = [&]() {
    int Value = -1;
    while (I < Fmt.size() && Fmt[I] >= u'0' && Fmt[I] <= u'9') {
      Value = (Value < 0 ? 0 : Value) * 10 + (Fmt[I++] - u'0');
      if (Value > 1'000'000) RaiseFormatError(Fmt);
    }
    return Value;
  };
  while (I < Fmt.size()) {
    if (Fmt[I] != u'%') {
      Result += Fmt[I++];
      continue;
    }
    ++I;
    if (I < Fmt.size() && Fmt[I] == u'%') {
      Result += Fmt[I++];
      continue;
    }
    TDirective Dir;
    int First = Number();
    if (I < Fmt.size() && Fmt[I] == u':') {  // an argument index
      if (First < 0 || static_cast<std::size_t>(First) >= Args.size()) RaiseFormatError(Fmt);
      Next = Args.begin() + First;
      ++I;
      First = -1;
    }
    if (First < 0 && I < Fmt.size() && Fmt[I] == u'-') {
      Dir.LeftAlign = true;
      ++I;
    }
    Dir.Width = First >= 0 ? First : Number();
    if (I < Fmt.size() && Fmt[I] == u'.') {
      ++I;
      Dir.Precision = std::max(Number(), 0);
    }
    if (I >= Fmt.size() || Next == Args.end()) RaiseFormatError(Fmt);
    Dir.Letter = Fmt[I] >= u'A' && Fmt[I] <= u'Z' ? static_cast<char16_t>(Fmt[I] + 32) : Fmt[I];
    ++I;
    const TVarRec& Arg = *Next++;
    std::u16string Piece;
    using TKind = TVarRec::TKind;
    if (Dir.Letter == u's' && Arg.Kind == TKind::Char) {
      Piece = Arg.CharValue;
    } else if (Dir.Letter == u's' && Arg.Kind == TKind::String) {
      Piece = Arg.StringValue;
      if (Dir.Precision >= 0 && Piece.size() > static_cast<std::size_t>(Dir.Precision)) {
        Piece.resize(static_cast<std::size_t>(Dir.Precision));
      }
    } else if (Dir.Letter == u'd' && (Arg.Kind == TKind::Int32 || Arg.Kind == TKind::Int64)) {
      Piece = IntToStr(Arg.IntValue);
      const std::size_t Sign = Arg.IntValue < 0 ? 1 : 0;
      const auto MinimumDigits = static_cast<std::size_t>(std::max(Dir.Precision, 0));
      if (Piece.size() - Sign < MinimumDigits) Piece.insert(Sign, MinimumDigits - (Piece.size() - Sign), u'0');
    } else if (Dir.Letter == u'x' && (Arg.Kind == TKind::Int32 || Arg.Kind == TKind::Int64)) {
      auto Value = static_cast<std::uint64_t>(Arg.IntValue);
      if (Arg.Kind == TKind::Int32) Value &= 0xFFFFFFFFU;
      do {
        Piece.insert(Piece.begin(), u"0123456789ABCDEF"[Value % 16]);
        Value /= 16;
      } while (Value != 0);
      if (Dir.Precision > 0 && Piece.size() < static_cast<std::size_t>(Dir.Precision)) {
        Piece.insert(0, static_cast<std::size_t>(Dir.Precision) - Piece.size(), u'0');
      }
    } else if (Dir.Letter == u'f' && Arg.Kind == TKind::Extended) {
      Piece = FloatToFixed(Arg.FloatValue, Dir.Precision >= 0 ? std::min(Dir.Precision, 18) : 2);
    } else {
      RaiseFormatError(Fmt);
    }
    if (Dir.Width > 0 && Piece.size() < static_cast<std::size_t>(Dir.Width)) {
      const std::size_t Fill = static_cast<std::size_t>(Dir.Width) - Piece.size();
      if (Dir.LeftAlign) {
        Piece.append(Fill, u' ');
      } else {
        Piece.insert(0, Fill, u' ');
      }
    }
    Result += Piece;
  }
  return Result;
}
