// Writes fuzz inputs that FuzzedDataProvider reads back as chosen values, so that seed inputs can
// describe the machines of the test fixtures. Strings and byte runs are read from the front of an
// input and numbers from its back, last byte first; the writer keeps the two apart and joins them.
#pragma once

#include <climits>
#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>

namespace fuzz {

class TSeedWriter {
 public:
  // A value that ConsumeIntegralInRange<T>(Min, Max) gives back.
  template <typename T>
  void Integral(T Value, T Min, T Max) {
    static_assert(std::is_integral_v<T>);
    if (Value < Min || Value > Max) throw std::out_of_range("seed value outside its range");
    const std::uint64_t Range = static_cast<std::uint64_t>(Max) - static_cast<std::uint64_t>(Min);
    const std::uint64_t Offset =
        static_cast<std::uint64_t>(Value) - static_cast<std::uint64_t>(Min);
    // As many bytes as the reader takes for this range, most significant first.
    int Bytes = 0;
    for (std::size_t Shift = 0; Shift < sizeof(T) * CHAR_BIT && (Range >> Shift) > 0;
         Shift += CHAR_BIT) {
      ++Bytes;
    }
    for (int I = Bytes - 1; I >= 0; --I) {
      Back += static_cast<char>(Offset >> (8 * I) & 0xFF);
    }
  }
  template <typename T>
  void Integral(T Value) {
    Integral<T>(Value, std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
  }
  void Bool(bool Value) { Integral<std::uint8_t>(Value ? 1 : 0); }

  // A string that ConsumeRandomLengthString gives back whole: backslashes doubled, then a
  // backslash and another character to end it.
  void RandomLengthString(std::string_view Bytes) {
    for (const char C : Bytes) {
      Front += C;
      if (C == '\\') Front += '\\';
    }
    Front += "\\;";
  }
  void Text16(std::u16string_view Text) {
    std::string Bytes;
    for (const char16_t C : Text) {
      Bytes += static_cast<char>(C & 0xFF);
      Bytes += static_cast<char>(C >> 8);
    }
    RandomLengthString(Bytes);
  }
  // Bytes that ConsumeBytes or ConsumeRemainingBytes give back as they are.
  void Raw(std::string_view Bytes) { Front += Bytes; }

  [[nodiscard]] std::string Input() const {
    return Front + std::string(Back.rbegin(), Back.rend());
  }

 private:
  std::string Front;
  std::string Back;  // in the order the reader takes the bytes
};

}  // namespace fuzz
