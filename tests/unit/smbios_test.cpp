#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "probes/smbios.h"
#include "simulated_machine.h"
#include "smbios_tables.h"

namespace {

namespace t = smbios_tables;

// Every field found, in a fixed order, so that a case states all that a table gives.
std::string Described(const TSmbiosFacts& F) {
  std::string Text;
  const auto Add = [&](const char* Name, const std::u16string& Value) {
    if (!Value.empty()) Text += std::string(Name) + "=" + U8(Value) + " ";
  };
  Add("vendor", F.BiosVendor);
  Add("bversion", F.BiosVersion);
  Add("bdate", F.BiosDate);
  Add("maker", F.SystemManufacturer);
  Add("product", F.SystemProduct);
  Add("serial", F.SystemSerial);
  Add("sku", F.SystemSku);
  Add("uuid", F.SystemUuid);
  Add("board", F.BoardProduct);
  Add("msn", F.BoardSerial);
  Add("chassis", F.ChassisType);
  Add("csn", F.ChassisSerial);
  for (const TSmbiosMemory& M : F.Memories) {
    Text += "mem" + std::to_string(M.Slot) + "=" + std::to_string(M.CapacityMiB) + "MiB/" +
            (M.SpeedMTs ? std::to_string(*M.SpeedMTs) : "?") + "/" + U8(M.Type) + "/" +
            U8(M.Locator) + " ";
  }
  return Text + "slots=" + std::to_string(F.MemorySlots);
}

const t::TBytes Zeros(16, 0x00);
const t::TBytes Ones(16, 0xFF);
const t::TBytes Dell{0x44, 0x45, 0x4C, 0x4C, 0x58, 0x00, 0x10, 0x4B,
                     0x80, 0x32, 0xB7, 0xC0, 0x4F, 0x4D, 0x39, 0x33};

std::string Patched(std::string Table, std::size_t Offset, std::uint8_t Byte) {
  Table.at(Offset) = static_cast<char>(Byte);
  return Table;
}

std::string WithLength(std::string Table, std::uint32_t Length) {
  for (int I = 0; I < 4; ++I) Table[4 + I] = static_cast<char>(Length >> (8 * I));
  return Table;
}

TEST(SmbiosTest, TablesGiveTheirFieldsAndNothingPastTheirBytes) {
  const std::string System = t::Table({t::System({"Acme", "PC-1", "", "SN1", "SKU1", ""}, Dell)});
  const std::string Board = t::Table({t::Board({"Acme", "B1", "", "BSN1", ""})});
  struct TCase {
    const char* Name;
    std::string Table;
    const char* Expected;
  };
  const std::vector<TCase> Cases{
      {"the first three UUID fields are little-endian", System,
       "maker=Acme product=PC-1 serial=SN1 sku=SKU1 uuid=4C4C4544-0058-4B10-8032-B7C04F4D3933 "
       "slots=0"},
      {"a UUID of all zeros or all FF is not set",
       t::Table({t::System({"A"}, Zeros), t::Board({"B", "M"}), t::System({"C"}, Ones)}),
       "maker=A board=M slots=0"},
      {"a version 2.0 system structure ends before its UUID and SKU",
       t::Table({t::System({"Acme", "PC", "", "SN"}, Dell, 0x08)}, 2, 0),
       "maker=Acme product=PC serial=SN slots=0"},
      {"placeholders in any case, one character repeated, blanks trimmed",
       t::Table({t::System({"To be filled by o.e.m.", "XXXXXXXX", "", "  ", "  SKU 7  "}, Ones),
                 t::Board({"NONE", "0", "", "Base Board Serial Number"}),
                 t::Chassis(0x80 | 0x09, {"", "", "ffffffff", "Default string"})}),
       "sku=  SKU 7 chassis=Laptop slots=0"},
      {"a date of MM/DD/YY is of the 1900s", t::Table({t::Bios({"V", "1", "02/29/96"})}),
       "vendor=V bversion=1 bdate=1996-02-29 slots=0"},
      {"a date of another form is left out", t::Table({t::Bios({"V", "1", "2023-08-14"})}),
       "vendor=V bversion=1 slots=0"},
      {"a date of no month is left out", t::Table({t::Bios({"V", "1", "13/01/2020"})}),
       "vendor=V bversion=1 slots=0"},
      {"sizes: KiB granularity, the extended size, unknown and empty devices; configured speed "
       "first, then the speed, then the 32-bit extensions",
       t::Table({t::Module({0x8000 | 0x2000, 0x12, 400, 0}, {"K"}),
                 t::Module({0x7FFF, 0x22, 4800, 4400, 65536}, {"E"}),
                 t::Module({0xFFFF, 0x1A, 3200, 3200}, {"U"}), t::EmptySlot("Z"),
                 t::Module({0x7FFF, 0x23, 0xFFFF, 0xFFFF, 0x80008000, 8533, 0x5C}, {"X"}),
                 t::Module({4096, 0x02, 0, 0}, {"O"})}),
       "mem1=8MiB/400/DDR/K mem2=65536MiB/4400/DDR5/E mem5=32768MiB/8533/LPDDR5/X "
       "mem6=4096MiB/?//O slots=6"},
      {"a device too short for its extended size or speed leaves them out",
       t::Table({t::Module({0x7FFF, 0x1A, 2400, 2133, 16384, 0, 0x1C}, {"S"}),
                 t::Module({2048, 0x1A, 0xFFFF, 0, 0, 0, 0x28}, {"T"})}),
       "mem2=2048MiB/?/DDR4/T slots=2"},
      {"the header's length beyond the data: the data's end is the table's",
       WithLength(Board, 0xFFFFFF00), "board=B1 msn=BSN1 slots=0"},
      {"a structure cut in its strings ends the table before it",
       t::Table({t::Board({"Acme", "B1", "", "BSN1"}), t::Bios({"Cut off"})}, 3, 4, 8),
       "board=B1 msn=BSN1 slots=0"},
      {"a header shorter than 8 bytes", Board.substr(0, 7), "slots=0"},
      {"a structure claiming under 4 bytes", Patched(Board, 9, 3), "slots=0"},
      {"a string number beyond the structure's strings",
       Patched(t::Table({t::Board({"Acme", "B1", "", "BSN1"})}), 8 + 5, 9), "msn=BSN1 slots=0"},
      {"a structure whose formatted area runs past the table", WithLength(Board, 10), "slots=0"},
  };
  for (const TCase& C : Cases) {
    const auto* Bytes = reinterpret_cast<const std::uint8_t*>(C.Table.data());
    EXPECT_EQ(Described(ParseSmbios(Bytes, C.Table.size())), C.Expected) << C.Name;
    // Every shorter piece of the table parses too, within its own bytes (ASan watches).
    for (std::size_t Size = 0; Size < C.Table.size(); ++Size) {
      const std::vector<std::uint8_t> Piece(C.Table.begin(),
                                            C.Table.begin() + static_cast<std::ptrdiff_t>(Size));
      static_cast<void>(ParseSmbios(Piece.data(), Piece.size()));
    }
  }
}

}  // namespace

namespace {

// A processor structure of Length bytes: status, the short counts and, where it is long enough,
// the 16-bit ones.
t::TStructure Processor(bool Populated, std::uint8_t Cores, std::uint8_t Threads,
                        std::uint16_t WideCores = 0, std::uint16_t WideThreads = 0,
                        std::size_t Length = 0x32) {
  t::TBytes Fields(Length - 4, 0);
  const auto Set = [&](std::size_t Offset, std::uint32_t Value, int Width) {
    for (int I = 0; I < Width && Offset - 4 + I < Fields.size(); ++I)
      Fields[Offset - 4 + I] = static_cast<std::uint8_t>(Value >> (8 * I));
  };
  Set(0x18, Populated ? 0x41 : 0x00, 1);
  Set(0x23, Cores, 1);
  Set(0x25, Threads, 1);
  Set(0x2A, WideCores, 2);
  Set(0x2E, WideThreads, 2);
  return {4, Fields, {}};
}

TEST(SmbiosTest, ProcessorCountsAreSummedOverPopulatedSockets) {
  struct TCase {
    const char* Name;
    std::vector<t::TStructure> Structures;
    std::uint32_t Sockets, Cores, Threads;
  };
  const std::vector<TCase> Cases{
      {"one socket, short counts", {Processor(true, 8, 16)}, 1, 8, 16},
      {"0xFF: the wide counts hold them", {Processor(true, 0xFF, 0xFF, 96, 192)}, 1, 96, 192},
      {"0xFF in a structure too short for the wide counts",
       {Processor(true, 0xFF, 0xFF, 96, 192, 0x28)},
       1,
       255,
       255},
      {"two sockets",
       {Processor(true, 0xFF, 0xFF, 64, 128), Processor(true, 0xFF, 0xFF, 64, 128)},
       2,
       128,
       256},
      {"an empty socket does not count", {Processor(true, 4, 8), Processor(false, 4, 8)}, 1, 4, 8},
      {"an unknown count makes the sum unknown",
       {Processor(true, 4, 8), Processor(true, 0, 8)},
       2,
       0,
       16},
      {"a structure ending before its counts", {Processor(true, 4, 8, 0, 0, 0x1A)}, 1, 0, 0},
  };
  for (const TCase& C : Cases) {
    const std::string Table = t::Table(C.Structures);
    const TSmbiosFacts F =
        ParseSmbios(reinterpret_cast<const std::uint8_t*>(Table.data()), Table.size());
    EXPECT_EQ(F.ProcessorSockets, C.Sockets) << C.Name;
    EXPECT_EQ(F.ProcessorCores, C.Cores) << C.Name;
    EXPECT_EQ(F.ProcessorThreads, C.Threads) << C.Name;
  }
}

}  // namespace
