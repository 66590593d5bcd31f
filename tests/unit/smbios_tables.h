// SMBIOS tables written from the DMTF's structure layouts (DSP0134), as GetSystemFirmwareTable
// hands them over: the simulated machines' firmware, the parser's cases and the fuzz seeds.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace smbios_tables {

using TBytes = std::vector<std::uint8_t>;

inline void Put(TBytes& Out, std::uint64_t Value, int Width) {
  for (int I = 0; I < Width; ++I) Out.push_back(static_cast<std::uint8_t>(Value >> (8 * I)));
}

// One structure: its type, the formatted area after the 4-byte header, and its strings.
struct TStructure {
  std::uint8_t Type;
  TBytes Fields;
  std::vector<std::string> Strings;
};

// A table holds no empty strings: a field without text refers to string 0. Each builder below
// names its strings by place; this numbers the ones that are there and drops the others.
inline std::vector<std::uint8_t> Number(std::vector<std::string>& Strings, std::size_t Count) {
  Strings.resize(Count);
  std::vector<std::uint8_t> Numbers;
  std::vector<std::string> Kept;
  for (std::string& Text : Strings) {
    Numbers.push_back(Text.empty() ? 0 : static_cast<std::uint8_t>(Kept.size() + 1));
    if (!Text.empty()) Kept.push_back(std::move(Text));
  }
  Strings = std::move(Kept);
  return Numbers;
}

// The structures as a table, ended by a type-127 structure; Cut bytes dropped from its end.
inline std::string Table(const std::vector<TStructure>& Structures, std::uint8_t Major = 3,
                         std::uint8_t Minor = 4, std::size_t Cut = 0) {
  TBytes Data;
  std::uint16_t Handle = 0;
  for (const TStructure& S : Structures) {
    Data.push_back(S.Type);
    Data.push_back(static_cast<std::uint8_t>(4 + S.Fields.size()));
    Put(Data, Handle++, 2);
    Data.insert(Data.end(), S.Fields.begin(), S.Fields.end());
    for (const std::string& Text : S.Strings) {
      Data.insert(Data.end(), Text.begin(), Text.end());
      Data.push_back(0);
    }
    if (S.Strings.empty()) Data.push_back(0);
    Data.push_back(0);
  }
  for (const std::uint8_t B : {127, 4, 0xFF, 0xFE, 0, 0}) Data.push_back(B);
  Data.resize(Data.size() - Cut);
  TBytes Raw{0, Major, Minor, 0};
  Put(Raw, Data.size(), 4);
  Raw.insert(Raw.end(), Data.begin(), Data.end());
  return {Raw.begin(), Raw.end()};
}

// Type 0, as 2.4 and later lay it out; strings 1 to 3: vendor, version, release date.
inline TStructure Bios(std::vector<std::string> Strings) {
  const auto N = Number(Strings, 3);
  TBytes F{N.at(0), N.at(1)};
  Put(F, 0xF000, 2);
  F.push_back(N.at(2));
  F.push_back(0xFF);
  Put(F, 0x0B'DF99'E880ULL, 8);  // characteristics
  for (const std::uint8_t B : {0x03, 0x0D, 1, 19, 0xFF, 0xFF}) F.push_back(B);
  return {0, F, std::move(Strings)};
}

// Type 1 with its UUID's 16 bytes as stored; strings 1 to 6: maker, product, version, serial,
// SKU, family. Length cuts the formatted area (2.0 tables end before the UUID).
inline TStructure System(std::vector<std::string> Strings, const TBytes& Uuid,
                         std::size_t Length = 0x1B) {
  const auto N = Number(Strings, 6);
  TBytes F{N.at(0), N.at(1), N.at(2), N.at(3)};
  F.insert(F.end(), Uuid.begin(), Uuid.end());
  for (const std::uint8_t B : {std::uint8_t{0x06}, N.at(4), N.at(5)}) F.push_back(B);
  F.resize(Length - 4);
  return {1, F, std::move(Strings)};
}

// Type 2; strings 1 to 5: maker, product, version, serial, asset tag.
inline TStructure Board(std::vector<std::string> Strings) {
  const auto N = Number(Strings, 5);
  TBytes F{N.at(0), N.at(1), N.at(2), N.at(3), N.at(4), 0x09, 0};
  Put(F, 3, 2);
  F.push_back(0x0A);
  F.push_back(0);
  return {2, F, std::move(Strings)};
}

// Type 3 of enclosure type Kind; strings 1 to 4: maker, version, serial, asset tag.
inline TStructure Chassis(std::uint8_t Kind, std::vector<std::string> Strings) {
  const auto N = Number(Strings, 4);
  TBytes F{N.at(0), Kind, N.at(1), N.at(2), N.at(3), 3, 3, 3, 3};
  Put(F, 0, 4);
  for (const std::uint8_t B : {0, 1, 0, 0}) F.push_back(B);
  return {3, F, std::move(Strings)};
}

struct TModule {
  std::uint16_t Size;  // MiB, or with bit 15 KiB; 0x7FFF: see ExtendedSize
  std::uint8_t Type;
  std::uint16_t Speed;
  std::uint16_t ConfiguredSpeed;
  std::uint32_t ExtendedSize = 0;
  std::uint32_t ExtendedSpeed = 0;  // with Length 0x5C
  std::size_t Length = 0x28;        // 2.8; 3.3 is 0x5C
  std::uint8_t FormFactor = 0x09;   // DIMM
};

// Type 17; strings 1 to 5: device locator, bank locator, maker, serial, part number.
inline TStructure Module(const TModule& M, std::vector<std::string> Strings) {
  const auto N = Number(Strings, 5);
  TBytes F;
  Put(F, 0x1000, 2);  // the memory array
  Put(F, 0xFFFE, 2);
  Put(F, 64, 2);
  Put(F, 64, 2);
  Put(F, M.Size, 2);
  for (const std::uint8_t B : {M.FormFactor, std::uint8_t{0}, N.at(0), N.at(1), M.Type})
    F.push_back(B);
  Put(F, 0x0080, 2);
  Put(F, M.Speed, 2);
  for (const std::uint8_t B : {N.at(2), N.at(3), std::uint8_t{0}, N.at(4), std::uint8_t{1}})
    F.push_back(B);
  Put(F, M.ExtendedSize, 4);
  Put(F, M.ConfiguredSpeed, 2);
  for (int I = 0; I < 3; ++I) Put(F, 1200, 2);
  F.resize(0x54 - 4);
  Put(F, M.ExtendedSpeed, 4);
  Put(F, M.ExtendedSpeed, 4);
  F.resize(M.Length - 4);
  return {17, F, std::move(Strings)};
}

inline TStructure EmptySlot(const std::string& Locator) {
  return Module({0, 0x02, 0, 0}, {Locator, "BANK", "", "", ""});
}

// An office desktop: a Dell board whose UUID is stored as Dell stores it, two of four slots
// filled with DDR4 running below its rated speed.
inline std::string OfficeDesktop() {
  const TBytes Uuid{0x44, 0x45, 0x4C, 0x4C, 0x58, 0x00, 0x10, 0x4B,
                    0x80, 0x32, 0xB7, 0xC0, 0x4F, 0x4D, 0x39, 0x33};
  return Table(
      {Bios({"Dell Inc.", "2.19.0", "08/14/2023"}),
       System({"Dell Inc.", "OptiPlex 7080", "Not Specified", "7XK2M93", "09D3", "OptiPlex"}, Uuid),
       Board({"Dell Inc.", "0J37VM", "A01", "/7XK2M93/CNFCW0012300AB/", ""}),
       Chassis(0x03, {"Dell Inc.", "", "7XK2M93", "PAT-00417"}),
       Module({8192, 0x1A, 2933, 2666},
              {"DIMM1", "BANK 0", "SK Hynix", "2A3B4C5D", "HMA81GU6DJR8N-XN    "}),
       EmptySlot("DIMM2"),
       Module({8192, 0x1A, 2933, 2666},
              {"DIMM3", "BANK 2", "Samsung", "H0123456", "M378A1K43EB2-CWE"}),
       EmptySlot("DIMM4")});
}

// A notebook on SMBIOS 3.3: soldered LPDDR4 whose sizes and speeds need the extended fields.
inline std::string Laptop() {
  const TBytes Uuid{0x1B, 0x8A, 0x47, 0x5E, 0x2C, 0x91, 0x11, 0xB2,
                    0xA8, 0x5C, 0xE4, 0x1F, 0xD2, 0x33, 0x07, 0x6A};
  const TModule Chip{0x7FFF, 0x1E, 0xFFFF, 0xFFFF, 16384, 4267, 0x5C, 0x0B};  // row of chips
  return Table({Bios({"LENOVO", "N32ET86W (1.62 )", "03/15/2024"}),
                System({"LENOVO", "20XW0055BR", "ThinkPad X1 Carbon Gen 9", "PF3ABCDE",
                        "LENOVO_MT_20XW_BU_Think_FM_ThinkPad X1 Carbon Gen 9", "ThinkPad"},
                       Uuid),
                Board({"LENOVO", "20XW0055BR", "SDK0J40697 WIN", "L1HF1AB0CDE", "Not Available"}),
                Chassis(0x0A, {"LENOVO", "None", "PF3ABCDE", "TI-0042"}),
                Module(Chip, {"ChannelA", "BANK 0", "Samsung", "00000000", "K4U6E3S4AA-MGCL"}),
                Module(Chip, {"ChannelB", "BANK 2", "Samsung", "00000000", "K4U6E3S4AA-MGCL"})},
               3, 3);
}

// A board as it left the factory of a maker who fills nothing in: every text a placeholder, the
// sample UUID, a memory device of unknown size; only the board has a serial. The table ends in
// the middle of a structure.
inline std::string Placeholders() {
  const TBytes Sample{0x00, 0x02, 0x00, 0x03, 0x00, 0x04, 0x00, 0x05,
                      0x00, 0x06, 0x00, 0x07, 0x00, 0x08, 0x00, 0x09};
  return Table({Bios({"American Megatrends Inc.", "P1.20", "12/31/99"}),
                System({"To Be Filled By O.E.M.", "To Be Filled By O.E.M.", "System Version",
                        "System Serial Number", "Default string", "To be filled by O.E.M."},
                       Sample),
                Board({"ASRock", "H310CM-HDV", "", "M80-B4012345678", "Default string"}),
                Chassis(0x03, {"To Be Filled By O.E.M.", "", "Chassis Serial Number", "0"}),
                Module({0xFFFF, 0x1A, 2400, 0}, {"DIMM 0", "BANK 0", "", "", ""}),
                EmptySlot("DIMM 1"), Bios({"truncated"})},
               2, 7, 12);
}

}  // namespace smbios_tables
