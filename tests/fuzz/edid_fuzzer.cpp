// ParseEdid on any bytes: it never reads past them, and what it gives holds to the block: only a
// block of 128 bytes or more with the right header and checksum is parsed, its base64 is the
// first 128 bytes' (read back here), and its texts are short and printable.
//
// Input: the EDID bytes, as the registry would hand them over.
#include <cstdint>
#include <numeric>
#include <optional>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "probes/edid.h"

namespace {

std::vector<std::uint8_t> Decoded(const std::string& Text) {
  const std::string Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::vector<std::uint8_t> Bytes;
  std::uint32_t Bits = 0;
  int Count = 0;
  for (const char C : Text) {
    if (C == '=') break;
    const std::size_t Value = Alphabet.find(C);
    fuzz::Check(Value != std::string::npos, "base64 holds only its alphabet");
    Bits = Bits << 6 | static_cast<std::uint32_t>(Value);
    Count += 6;
    if (Count >= 8) {
      Count -= 8;
      Bytes.push_back(static_cast<std::uint8_t>(Bits >> Count));
    }
  }
  return Bytes;
}

void CheckText(const std::u16string& Text, std::size_t Longest, const char* What) {
  fuzz::Check(Text.size() <= Longest, What, Text);
  for (const char16_t C : Text) fuzz::Check(C >= 0x20 && C < 0x7F, What, Text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  // A copy of exactly Size bytes, so that a read past them is one the sanitizer sees.
  const std::vector<std::uint8_t> Bytes(Data, Data + Size);
  const std::optional<TEdidMonitor> Monitor = ParseEdid(Bytes);
  bool Sound = Size >= 128 && Bytes[0] == 0 && Bytes[7] == 0 &&
               std::accumulate(Bytes.begin(), Bytes.begin() + 128, 0U) % 256 == 0;
  for (std::size_t I = 1; Sound && I < 7; ++I) Sound = Bytes[I] == 0xFF;
  fuzz::Check(Monitor.has_value() == Sound, "exactly the sound blocks are parsed");
  if (!Monitor) return 0;
  fuzz::Check(Monitor->Base64.size() == 172, "128 bytes are 172 base64 characters");
  fuzz::Check(
      Decoded(Monitor->Base64) == std::vector<std::uint8_t>(Bytes.begin(), Bytes.begin() + 128),
      "base64 of the base block");
  CheckText(Monitor->Name, 13, "name");
  CheckText(Monitor->Serial, 13, "serial");
  CheckText(Monitor->Manufacturer, 9, "manufacturer");
  CheckText(Monitor->Description, 7, "description");
  return 0;
}
