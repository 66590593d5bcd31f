#include "probes/smbios.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

constexpr std::size_t HeaderSize = 8;  // RawSMBIOSData up to its table
constexpr std::uint8_t BiosInformation = 0;
constexpr std::uint8_t SystemInformation = 1;
constexpr std::uint8_t BaseboardInformation = 2;
constexpr std::uint8_t SystemEnclosure = 3;
constexpr std::uint8_t ProcessorInformation = 4;
constexpr std::uint8_t MemoryDevice = 17;
constexpr std::uint8_t EndOfTable = 127;

// Enclosure types by their number, from 0x03 on (0x01 "Other" and 0x02 "Unknown" say nothing).
constexpr std::array<std::u16string_view, 34> ChassisTypes{u"Desktop",
                                                           u"Low Profile Desktop",
                                                           u"Pizza Box",
                                                           u"Mini Tower",
                                                           u"Tower",
                                                           u"Portable",
                                                           u"Laptop",
                                                           u"Notebook",
                                                           u"Hand Held",
                                                           u"Docking Station",
                                                           u"All in One",
                                                           u"Sub Notebook",
                                                           u"Space-saving",
                                                           u"Lunch Box",
                                                           u"Main Server Chassis",
                                                           u"Expansion Chassis",
                                                           u"SubChassis",
                                                           u"Bus Expansion Chassis",
                                                           u"Peripheral Chassis",
                                                           u"RAID Chassis",
                                                           u"Rack Mount Chassis",
                                                           u"Sealed-case PC",
                                                           u"Multi-system chassis",
                                                           u"Compact PCI",
                                                           u"Advanced TCA",
                                                           u"Blade",
                                                           u"Blade Enclosure",
                                                           u"Tablet",
                                                           u"Convertible",
                                                           u"Detachable",
                                                           u"IoT Gateway",
                                                           u"Embedded PC",
                                                           u"Mini PC",
                                                           u"Stick PC"};

// Memory types by their number, from 0x03 on; empty where the number is reserved.
constexpr std::array<std::u16string_view, 34> MemoryTypes{u"DRAM",
                                                          u"EDRAM",
                                                          u"VRAM",
                                                          u"SRAM",
                                                          u"RAM",
                                                          u"ROM",
                                                          u"Flash",
                                                          u"EEPROM",
                                                          u"FEPROM",
                                                          u"EPROM",
                                                          u"CDRAM",
                                                          u"3DRAM",
                                                          u"SDRAM",
                                                          u"SGRAM",
                                                          u"RDRAM",
                                                          u"DDR",
                                                          u"DDR2",
                                                          u"DDR2 FB-DIMM",
                                                          u"",
                                                          u"",
                                                          u"",
                                                          u"DDR3",
                                                          u"FBD2",
                                                          u"DDR4",
                                                          u"LPDDR",
                                                          u"LPDDR2",
                                                          u"LPDDR3",
                                                          u"LPDDR4",
                                                          u"Logical non-volatile device",
                                                          u"HBM",
                                                          u"HBM2",
                                                          u"DDR5",
                                                          u"LPDDR5",
                                                          u"HBM3"};

// A memory device's form factor from 3 on; 1 and 2 are "Other" and "Unknown", which say nothing.
constexpr std::array<std::u16string_view, 14> MemoryFormFactors{
    u"SIMM", u"SIP",          u"Chip", u"DIP",    u"ZIP",   u"Proprietary Card", u"DIMM",
    u"TSOP", u"Row of chips", u"RIMM", u"SODIMM", u"SRIMM", u"FB-DIMM",          u"Die"};

constexpr std::array<std::string_view, 10> Placeholders{"To Be Filled By O.E.M.",
                                                        "Default string",
                                                        "System Serial Number",
                                                        "System Product Name",
                                                        "Not Specified",
                                                        "Not Applicable",
                                                        "None",
                                                        "0",
                                                        "Chassis Serial Number",
                                                        "Base Board Serial Number"};

bool SameAsciiText(std::u16string_view Text, std::string_view Ascii) {
  if (Text.size() != Ascii.size()) return false;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    const auto Lower = [](char16_t C) {
      return C >= u'A' && C <= u'Z' ? static_cast<char16_t>(C + (u'a' - u'A')) : C;
    };
    if (Lower(Text[I]) != Lower(static_cast<char16_t>(static_cast<unsigned char>(Ascii[I]))))
      return false;
  }
  return true;
}

// Strings are meant to be ASCII; newer firmware may write UTF-8, older firmware its own 8-bit
// code page, which is read as Latin-1 rather than lost.
std::u16string Decode(std::string_view Bytes) {
  std::u16string Text;
  std::size_t I = 0;
  while (I < Bytes.size()) {
    const auto Lead = static_cast<unsigned char>(Bytes[I]);
    const std::size_t Extra = Lead < 0x80                    ? 0
                              : Lead >= 0xC2 && Lead <= 0xDF ? 1
                              : Lead >= 0xE0 && Lead <= 0xEF ? 2
                              : Lead >= 0xF0 && Lead <= 0xF4 ? 3
                                                             : 4;
    char32_t Code = Extra == 0 ? Lead : Lead & (0x3F >> Extra);
    bool Valid = Extra < 4 && Bytes.size() - I > Extra;
    for (std::size_t K = 1; Valid && K <= Extra; ++K) {
      const auto Next = static_cast<unsigned char>(Bytes[I + K]);
      Valid = (Next & 0xC0) == 0x80;
      Code = (Code << 6) | (Next & 0x3F);
    }
    constexpr std::array<char32_t, 4> Least{0, 0x80, 0x800, 0x10000};
    if (Valid && Extra > 0 &&
        (Code < Least[Extra] || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))) {
      Valid = false;
    }
    if (!Valid) {
      std::u16string Latin;
      for (const char C : Bytes) Latin += static_cast<char16_t>(static_cast<unsigned char>(C));
      return Latin;
    }
    if (Code >= 0x10000) {
      Text += static_cast<char16_t>(0xD800 + ((Code - 0x10000) >> 10));
      Text += static_cast<char16_t>(0xDC00 + ((Code - 0x10000) & 0x3FF));
    } else {
      Text += static_cast<char16_t>(Code);
    }
    I += Extra + 1;
  }
  return Text;
}

// One structure: its formatted area (Length bytes, header included) and its strings.
class TStructure {
 public:
  TStructure(const std::uint8_t* Bytes, std::size_t Length, std::vector<std::string_view> Strings)
      : FBytes(Bytes), FLength(Length), FStrings(std::move(Strings)) {}

  [[nodiscard]] std::uint8_t Type() const { return FBytes[0]; }
  [[nodiscard]] bool Has(std::size_t Offset, std::size_t Width) const {
    return Offset + Width <= FLength;
  }
  // Little-endian field of Width bytes at Offset; callers check Has first.
  [[nodiscard]] std::uint32_t Number(std::size_t Offset, std::size_t Width) const {
    std::uint32_t Value = 0;
    for (std::size_t I = Width; I-- > 0;) Value = (Value << 8) | FBytes[Offset + I];
    return Value;
  }
  [[nodiscard]] const std::uint8_t* At(std::size_t Offset) const { return FBytes + Offset; }
  // The string a byte field at Offset refers to, as shown; empty for none or a placeholder.
  [[nodiscard]] std::u16string Text(std::size_t Offset) const {
    if (!Has(Offset, 1)) return {};
    const std::uint8_t Index = FBytes[Offset];
    if (Index == 0 || Index > FStrings.size()) return {};
    return SmbiosValue(Decode(FStrings[Index - 1]));
  }

 private:
  const std::uint8_t* FBytes;
  std::size_t FLength;
  std::vector<std::string_view> FStrings;
};

// "MM/DD/YYYY", or "MM/DD/YY" of the 1900s, as "YYYY-MM-DD"; empty for anything else.
std::u16string IsoDate(std::u16string_view Date) {
  const bool LongYear = Date.size() == 10;
  if (Date.size() != 8 && !LongYear) return {};
  for (std::size_t I = 0; I < Date.size(); ++I) {
    const bool Slash = I == 2 || I == 5;
    if (Slash ? Date[I] != u'/' : Date[I] < u'0' || Date[I] > u'9') return {};
  }
  const int Month = (Date[0] - u'0') * 10 + (Date[1] - u'0');
  const int Day = (Date[3] - u'0') * 10 + (Date[4] - u'0');
  if (Month < 1 || Month > 12 || Day < 1 || Day > 31) return {};
  const std::u16string Year =
      LongYear ? std::u16string(Date.substr(6)) : u"19" + std::u16string(Date.substr(6));
  return Year + u"-" + std::u16string(Date.substr(0, 2)) + u"-" + std::u16string(Date.substr(3, 2));
}

std::u16string Uuid(const std::uint8_t* Bytes) {
  // Neither set (all FF) nor filled in (all 00), or the one sample value firmware kits ship with.
  constexpr std::array<std::uint8_t, 16> Sample{0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05,
                                                0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x09};
  if (std::all_of(Bytes, Bytes + 16, [](std::uint8_t B) { return B == 0x00; }) ||
      std::all_of(Bytes, Bytes + 16, [](std::uint8_t B) { return B == 0xFF; }) ||
      std::equal(Sample.begin(), Sample.end(), Bytes)) {
    return {};
  }
  // The first three fields are little-endian numbers; the last eight bytes are in order.
  constexpr std::array<int, 16> Order{3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};
  std::u16string Text;
  for (std::size_t I = 0; I < Order.size(); ++I) {
    if (I == 4 || I == 6 || I == 8 || I == 10) Text += u'-';
    const std::uint8_t B = Bytes[Order[I]];
    Text += u"0123456789ABCDEF"[B >> 4];
    Text += u"0123456789ABCDEF"[B & 0x0F];
  }
  return Text;
}

template <std::size_t N>
std::u16string Named(const std::array<std::u16string_view, N>& Names, std::uint32_t Number) {
  return Number >= 3 && Number - 3 < N ? std::u16string(Names[Number - 3]) : std::u16string{};
}

// A speed field in MT/s, with its 32-bit extension where the 16-bit field says 0xFFFF.
std::optional<std::uint32_t> Speed(const TStructure& S, std::size_t Offset, std::size_t Extended) {
  if (!S.Has(Offset, 2)) return std::nullopt;
  std::uint32_t Value = S.Number(Offset, 2);
  if (Value == 0xFFFF) Value = S.Has(Extended, 4) ? S.Number(Extended, 4) & 0x7FFFFFFF : 0;
  return Value != 0 ? std::optional<std::uint32_t>(Value) : std::nullopt;
}

std::uint64_t CapacityMiB(const TStructure& S) {
  if (!S.Has(0x0C, 2)) return 0;
  const std::uint32_t Size = S.Number(0x0C, 2);
  if (Size == 0xFFFF) return 0;  // unknown: GLPI would drop an entry without a capacity anyway
  if (Size == 0x7FFF) return S.Has(0x1C, 4) ? S.Number(0x1C, 4) & 0x7FFFFFFF : 0;
  if ((Size & 0x8000) != 0) return (Size & 0x7FFF) / 1024;  // KiB: less than 32 MiB
  return Size;
}

void ReadMemory(const TStructure& S, TSmbiosFacts& F) {
  ++F.MemorySlots;
  const std::uint64_t Capacity = CapacityMiB(S);
  if (Capacity == 0) return;
  TSmbiosMemory M;
  M.Slot = F.MemorySlots;
  M.CapacityMiB = Capacity;
  M.SpeedMTs = Speed(S, 0x20, 0x58);
  if (!M.SpeedMTs) M.SpeedMTs = Speed(S, 0x15, 0x54);
  if (S.Has(0x12, 1)) M.Type = Named(MemoryTypes, S.Number(0x12, 1));
  if (S.Has(0x0E, 1)) M.FormFactor = Named(MemoryFormFactors, S.Number(0x0E, 1));
  M.Manufacturer = S.Text(0x17);
  M.SerialNumber = S.Text(0x18);
  M.PartNumber = S.Text(0x1A);
  M.Locator = S.Text(0x10);
  F.Memories.push_back(std::move(M));
}

// A count byte, or where it says 0xFF its 16-bit form of SMBIOS 3.0 (when the structure holds
// it); 0 when unknown.
std::uint32_t ProcessorCount(const TStructure& S, std::size_t Short, std::size_t Wide) {
  if (!S.Has(Short, 1)) return 0;
  const std::uint32_t Count = S.Number(Short, 1);
  if (Count != 0xFF || !S.Has(Wide, 2)) return Count;
  const std::uint32_t WideCount = S.Number(Wide, 2);
  return WideCount == 0xFFFF ? 0 : WideCount;  // 0xFFFF is reserved
}

// Every socket counts, not just the first; one whose count is unknown makes the sum unknown.
void ReadProcessor(const TStructure& S, TSmbiosFacts& F, bool& CoresKnown, bool& ThreadsKnown) {
  constexpr std::uint32_t Populated = 0x40;
  if (!S.Has(0x18, 1) || (S.Number(0x18, 1) & Populated) == 0) return;
  ++F.ProcessorSockets;
  const std::uint32_t Cores = ProcessorCount(S, 0x23, 0x2A);
  const std::uint32_t Threads = ProcessorCount(S, 0x25, 0x2E);
  CoresKnown = CoresKnown && Cores != 0;
  ThreadsKnown = ThreadsKnown && Threads != 0;
  F.ProcessorCores = CoresKnown ? F.ProcessorCores + Cores : 0;
  F.ProcessorThreads = ThreadsKnown ? F.ProcessorThreads + Threads : 0;
}

void Read(const TStructure& S, TSmbiosFacts& F, std::array<bool, 4>& Seen) {
  const std::uint8_t Type = S.Type();
  if (Type == MemoryDevice) return ReadMemory(S, F);
  if (Type > SystemEnclosure || Seen[Type]) return;
  Seen[Type] = true;
  switch (Type) {
    case BiosInformation:
      F.BiosVendor = S.Text(0x04);
      F.BiosVersion = S.Text(0x05);
      F.BiosDate = IsoDate(S.Text(0x08));
      break;
    case SystemInformation:
      F.SystemManufacturer = S.Text(0x04);
      F.SystemProduct = S.Text(0x05);
      F.SystemSerial = S.Text(0x07);
      if (S.Has(0x08, 16)) F.SystemUuid = Uuid(S.At(0x08));
      F.SystemSku = S.Text(0x19);
      break;
    case BaseboardInformation:
      F.BoardManufacturer = S.Text(0x04);
      F.BoardProduct = S.Text(0x05);
      F.BoardSerial = S.Text(0x07);
      break;
    default:
      if (S.Has(0x05, 1)) F.ChassisType = Named(ChassisTypes, S.Number(0x05, 1) & 0x7F);
      F.ChassisSerial = S.Text(0x07);
      F.ChassisAssetTag = S.Text(0x08);
      break;
  }
}

}  // namespace

std::u16string SmbiosValue(std::u16string Text) {
  while (!Text.empty() && Text.back() <= u' ') Text.pop_back();
  if (Text.empty()) return Text;
  // One character over and over: "0000000", "FFFFFFFF", "XXXXXXXX". A single one may be a real
  // version or slot name ("1", "A"); the single "0" is in the list.
  if (Text.size() > 1 &&
      std::all_of(Text.begin(), Text.end(), [&](char16_t C) { return C == Text[0]; }))
    return {};
  for (const std::string_view Placeholder : Placeholders) {
    if (SameAsciiText(Text, Placeholder)) return {};
  }
  return Text;
}

TSmbiosFacts ParseSmbios(const std::uint8_t* Data, std::size_t Size) {
  TSmbiosFacts F;
  if (Data == nullptr || Size < HeaderSize) return F;
  const std::uint32_t Length =
      Data[4] | (Data[5] << 8) | (Data[6] << 16) | (static_cast<std::uint32_t>(Data[7]) << 24);
  const std::size_t End = HeaderSize + std::min<std::size_t>(Length, Size - HeaderSize);
  std::array<bool, 4> Seen{};
  bool CoresKnown = true;
  bool ThreadsKnown = true;
  std::size_t At = HeaderSize;
  while (End - At >= 4) {
    const std::size_t Formatted = Data[At + 1];
    if (Formatted < 4 || Formatted > End - At) break;
    // The string set: NUL-terminated strings, the last one followed by a second NUL; a set
    // without strings is two NULs.
    std::vector<std::string_view> Strings;
    std::size_t P = At + Formatted;
    bool Whole = false;
    if (End - P >= 2 && Data[P] == 0 && Data[P + 1] == 0) {
      P += 2;
      Whole = true;
    }
    while (!Whole && P < End) {
      const auto* Nul = std::find(Data + P, Data + End, std::uint8_t{0});
      if (Nul == Data + End) break;
      const auto Stop = static_cast<std::size_t>(Nul - Data);
      Strings.emplace_back(reinterpret_cast<const char*>(Data + P), Stop - P);
      P = Stop + 1;
      if (P < End && Data[P] == 0) {
        ++P;
        Whole = true;
      }
    }
    if (!Whole) break;
    const TStructure Structure(Data + At, Formatted, std::move(Strings));
    if (Structure.Type() == EndOfTable) break;
    if (Structure.Type() == ProcessorInformation) {
      ReadProcessor(Structure, F, CoresKnown, ThreadsKnown);
    } else {
      Read(Structure, F, Seen);
    }
    At = P;
  }
  return F;
}
