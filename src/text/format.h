// Text formatting with the locale's decimal separator, read once at start-up.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

struct TFormatSettings {
  char16_t DecimalSeparator = u'.';
};

// Process-wide; written by GetFormatSettings before anything is formatted, read-only afterwards.
extern TFormatSettings FormatSettings;

// Reads the decimal separator of the starting thread's locale; "." when it cannot be read.
void GetFormatSettings();

// One argument of Format, tagged with its kind.
class TVarRec {
 public:
  enum class TKind { Char, Int32, Int64, Extended, String };

  TVarRec(char16_t Value) : Kind(TKind::Char), CharValue(Value) {}                 // NOLINT
  TVarRec(std::int32_t Value) : Kind(TKind::Int32), IntValue(Value) {}             // NOLINT
  TVarRec(std::int64_t Value) : Kind(TKind::Int64), IntValue(Value) {}             // NOLINT
  TVarRec(double Value) : Kind(TKind::Extended), FloatValue(Value) {}              // NOLINT
  TVarRec(long double Value) : Kind(TKind::Extended), FloatValue(Value) {}         // NOLINT
  TVarRec(std::u16string_view Value) : Kind(TKind::String), StringValue(Value) {}  // NOLINT
  TVarRec(const char16_t* Value) : TVarRec(std::u16string_view{Value}) {}          // NOLINT
  TVarRec(const std::u16string& Value) : TVarRec(std::u16string_view{Value}) {}    // NOLINT

  TKind Kind;
  char16_t CharValue = 0;
  std::int64_t IntValue = 0;
  long double FloatValue = 0;
  std::u16string_view StringValue;
};

// Replaces each directive of Fmt ("%s", "%d", "%.2f", "%%", with optional index, "-", width and
// precision) by the next argument. A directive that does not fit its argument raises EConvertError.
std::u16string Format(std::u16string_view Fmt, std::initializer_list<TVarRec> Args);

// The fixed-point text of Value with Digits fraction digits and the locale's decimal separator.
std::u16string FloatToFixed(long double Value, int Digits);

std::u16string IntToStr(std::int64_t Value);
