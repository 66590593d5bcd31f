// EDID base blocks laid out as VESA EDID 1.3 and 1.4 describe them, for tests and fuzz seeds.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <string>
#include <vector>

namespace edid {

struct TBlockFields {
  std::string Pnp = "DEL";  // three letters A to Z
  std::uint16_t Product = 0xA0F4;
  std::uint32_t Serial = 0;  // the numeric serial
  std::uint8_t Week = 12;
  std::uint8_t Year = 31;     // since 1990
  std::uint8_t Revision = 4;  // EDID 1.Revision
  std::string Name;           // a monitor-name descriptor when not empty
  std::string SerialText;     // a serial-number descriptor when not empty
};

// A display descriptor: 0, 0, 0, Tag, 0, then 13 bytes of text ended by a line feed and padded
// with blanks.
inline void PutDescriptor(std::uint8_t* D, std::uint8_t Tag, const std::string& Text) {
  std::memset(D, 0, 18);
  D[3] = Tag;
  std::memset(D + 5, ' ', 13);
  const std::size_t Size = Text.size() < 13 ? Text.size() : 13;
  std::memcpy(D + 5, Text.data(), Size);
  if (Size < 13) D[5 + Size] = 0x0A;
}

// The last byte makes the block's bytes sum to 0 modulo 256.
inline void FixChecksum(std::vector<std::uint8_t>& Block) {
  Block[127] = 0;
  Block[127] =
      static_cast<std::uint8_t>(256 - std::accumulate(Block.begin(), Block.end(), 0U) % 256);
}

inline std::vector<std::uint8_t> Block(const TBlockFields& Fields) {
  std::vector<std::uint8_t> B(128, 0);
  const std::array<std::uint8_t, 8> Header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
  std::memcpy(B.data(), Header.data(), Header.size());
  const unsigned Id = static_cast<unsigned>(Fields.Pnp[0] - 'A' + 1) << 10 |
                      static_cast<unsigned>(Fields.Pnp[1] - 'A' + 1) << 5 |
                      static_cast<unsigned>(Fields.Pnp[2] - 'A' + 1);
  B[8] = static_cast<std::uint8_t>(Id >> 8);  // big-endian, unlike the rest
  B[9] = static_cast<std::uint8_t>(Id);
  B[10] = static_cast<std::uint8_t>(Fields.Product);
  B[11] = static_cast<std::uint8_t>(Fields.Product >> 8);
  for (int I = 0; I < 4; ++I) B[12 + I] = static_cast<std::uint8_t>(Fields.Serial >> (8 * I));
  B[16] = Fields.Week;
  B[17] = Fields.Year;
  B[18] = 1;
  B[19] = Fields.Revision;
  B[20] = 0xA5;  // digital input, 8 bits per colour, DisplayPort
  B[21] = 53;    // 53 cm by 30 cm
  B[22] = 30;
  B[23] = 120;  // gamma 2.2
  B[24] = 0x3A;
  // Descriptor 1: the preferred timing, 1920x1080 at 60 Hz (pixel clock 148.5 MHz).
  const std::array<std::uint8_t, 18> Timing{0x02, 0x3A, 0x80, 0x18, 0x71, 0x38, 0x2D, 0x40, 0x58,
                                            0x2C, 0x45, 0x00, 0x13, 0x2B, 0x21, 0x00, 0x00, 0x1E};
  std::memcpy(B.data() + 54, Timing.data(), Timing.size());
  // Descriptor 2: range limits (tag 0xFD), 56-76 Hz vertical, 30-83 kHz horizontal.
  const std::array<std::uint8_t, 18> Range{0x00, 0x00, 0x00, 0xFD, 0x00, 0x38, 0x4C, 0x1E, 0x53,
                                           0x11, 0x00, 0x0A, 0x20, 0x20, 0x20, 0x20, 0x20, 0x20};
  std::memcpy(B.data() + 72, Range.data(), Range.size());
  PutDescriptor(B.data() + 90, 0xFC, Fields.Name);
  if (Fields.Name.empty()) PutDescriptor(B.data() + 90, 0x10, "");  // a dummy descriptor
  PutDescriptor(B.data() + 108, 0xFF, Fields.SerialText);
  if (Fields.SerialText.empty()) PutDescriptor(B.data() + 108, 0x10, "");
  FixChecksum(B);
  return B;
}

// The office PC's monitors, as tests/fixtures/registry/office-pc-devices.reg holds them.
inline TBlockFields OfficeDell() {
  return {"DEL", 0xA0F4, 0x4C4A3135, 12, 31, 4, "DELL P2419H", "7MT0186S1HVL"};
}
inline TBlockFields OfficeSamsung() { return {"SAM", 0x0D2C, 0x5A4D3048, 0, 29, 3, "S24F350", ""}; }

}  // namespace edid
