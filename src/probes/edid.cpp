#include "probes/edid.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

namespace {

constexpr std::size_t BlockSize = 128;
constexpr std::array<std::uint8_t, 8> Header{0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
constexpr std::size_t FirstDescriptor = 54;
constexpr std::size_t DescriptorSize = 18;
constexpr std::size_t Descriptors = 4;
constexpr std::uint8_t NameTag = 0xFC;
constexpr std::uint8_t SerialTag = 0xFF;
constexpr unsigned long FirstYear = 1990;

struct TMaker {
  std::u16string_view Id;
  std::u16string_view Name;
};

// The makers whose monitors an office is most likely to have.
constexpr std::array<TMaker, 13> Makers{{{u"DEL", u"Dell"},
                                         {u"SAM", u"Samsung"},
                                         {u"LGD", u"LG"},
                                         {u"GSM", u"LG"},
                                         {u"AOC", u"AOC"},
                                         {u"HWP", u"HP"},
                                         {u"LEN", u"Lenovo"},
                                         {u"ACR", u"Acer"},
                                         {u"PHL", u"Philips"},
                                         {u"BNQ", u"BenQ"},
                                         {u"AUS", u"ASUS"},
                                         {u"VSC", u"ViewSonic"},
                                         {u"SNY", u"Sony"}}};

// Three letters packed five bits each, 1 standing for "A"; nothing when a letter is out of range.
std::u16string PnpId(std::uint8_t High, std::uint8_t Low) {
  const unsigned Packed = static_cast<unsigned>(High) << 8 | Low;
  std::u16string Id;
  for (const unsigned Shift : {10U, 5U, 0U}) {
    const unsigned Letter = (Packed >> Shift) & 0x1F;
    if (Letter < 1 || Letter > 26) return {};
    Id += static_cast<char16_t>(u'A' + Letter - 1);
  }
  return Id;
}

std::u16string MakerName(const std::u16string& Id) {
  const auto* Found = std::find_if(Makers.begin(), Makers.end(),
                                   [&](const TMaker& Maker) { return Maker.Id == Id; });
  return Found != Makers.end() ? std::u16string{Found->Name} : Id;
}

// A descriptor's 13 bytes of text: up to a line feed, without the blanks that pad it. Bytes are
// code page 437 in principle; those outside ASCII's printable range become "?".
std::u16string DescriptorText(const std::uint8_t* Text) {
  std::u16string Result;
  for (std::size_t I = 0; I < 13 && Text[I] != 0x0A && Text[I] != 0x00; ++I) {
    const std::uint8_t C = Text[I];
    Result += C >= 0x20 && C < 0x7F ? static_cast<char16_t>(C) : u'?';
  }
  while (!Result.empty() && Result.back() == u' ') Result.pop_back();
  while (!Result.empty() && Result.front() == u' ') Result.erase(0, 1);
  return Result;
}

// The text of the first display descriptor tagged Tag, or empty.
std::u16string Descriptor(const std::uint8_t* Block, std::uint8_t Tag) {
  for (std::size_t I = 0; I < Descriptors; ++I) {
    const std::uint8_t* D = Block + FirstDescriptor + I * DescriptorSize;
    // A display descriptor, not a timing: its pixel clock and the byte after are zero.
    if (D[0] == 0 && D[1] == 0 && D[2] == 0 && D[3] == Tag) return DescriptorText(D + 5);
  }
  return {};
}

std::u16string Number(unsigned long Value) {
  const std::string Digits = std::to_string(Value);
  return {Digits.begin(), Digits.end()};
}

}  // namespace

std::string Base64(std::span<const std::uint8_t> Bytes) {
  constexpr std::string_view Alphabet =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string Text;
  Text.reserve((Bytes.size() + 2) / 3 * 4);
  for (std::size_t I = 0; I < Bytes.size(); I += 3) {
    const std::size_t Left = std::min<std::size_t>(3, Bytes.size() - I);
    std::uint32_t Group = static_cast<std::uint32_t>(Bytes[I]) << 16;
    if (Left > 1) Group |= static_cast<std::uint32_t>(Bytes[I + 1]) << 8;
    if (Left > 2) Group |= Bytes[I + 2];
    for (std::size_t J = 0; J < 4; ++J)
      Text += J <= Left ? Alphabet[(Group >> (18 - 6 * J)) & 0x3F] : '=';
  }
  return Text;
}

std::optional<TEdidMonitor> ParseEdid(std::span<const std::uint8_t> Bytes) {
  if (Bytes.size() < BlockSize) return std::nullopt;
  const std::uint8_t* Block = Bytes.data();
  if (!std::equal(Header.begin(), Header.end(), Block)) return std::nullopt;
  if (std::accumulate(Block, Block + BlockSize, 0U) % 256 != 0) return std::nullopt;
  TEdidMonitor Monitor;
  Monitor.Manufacturer = MakerName(PnpId(Block[8], Block[9]));
  Monitor.Name = Descriptor(Block, NameTag);
  Monitor.Serial = Descriptor(Block, SerialTag);
  const unsigned long Numeric =
      static_cast<unsigned long>(Block[12]) | static_cast<unsigned long>(Block[13]) << 8 |
      static_cast<unsigned long>(Block[14]) << 16 | static_cast<unsigned long>(Block[15]) << 24;
  if (Monitor.Serial.empty() && Numeric != 0) Monitor.Serial = Number(Numeric);
  // Week 0 leaves the week unsaid; 0xFF makes the year a model year (EDID 1.4): the year alone.
  const unsigned Week = Block[16];
  const std::u16string Year = Number(FirstYear + Block[17]);
  Monitor.Description = Week >= 1 && Week <= 54 ? Number(Week) + u"/" + Year : Year;
  Monitor.Base64 = Base64(Bytes.first(BlockSize));
  return Monitor;
}
