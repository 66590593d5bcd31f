#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "../fuzz/edid_blocks.h"
#include "probes/edid.h"
#include "simulated_machine.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Fixed(Bytes B) {
  edid::FixChecksum(B);
  return B;
}

TEST(EdidTest, BaseBlocksGiveTheMonitorOrNothing) {
  const Bytes Dell = edid::Block(edid::OfficeDell());
  Bytes WithExtension = Dell;
  WithExtension[126] = 1;
  WithExtension = Fixed(WithExtension);
  WithExtension.resize(256, 0x5A);
  Bytes BadHeader = Dell;
  BadHeader[7] = 0xFF;
  Bytes BadSum = Dell;
  BadSum[127] ^= 1;
  Bytes ClockedName = Dell;  // a timing whose fourth byte happens to be 0xFC is no name
  ClockedName[90] = 0x01;
  ClockedName = Fixed(ClockedName);
  Bytes NoMaker = Dell;  // a letter of 0 is none of A to Z
  NoMaker[8] = 0;
  NoMaker = Fixed(NoMaker);
  Bytes OddName = edid::Block({"ZZZ", 1, 0, 0xFF, 35, 4, "ABCDEFGHIJKLM", ""});
  OddName[96] = 0x07;
  OddName[97] = 0xE9;
  OddName = Fixed(OddName);
  struct TCase {
    const char* What;
    Bytes Input;
    std::optional<TEdidMonitor> Expected;  // Base64 left empty: not compared
  };
  const std::vector<TCase> Cases{
      {"descriptors", Dell, TEdidMonitor{u"Dell", u"DELL P2419H", u"7MT0186S1HVL", u"12/2021", {}}},
      {"numeric serial, week 0", edid::Block(edid::OfficeSamsung()),
       TEdidMonitor{u"Samsung", u"S24F350", u"1515008072", u"2019", {}}},
      {"no serial at all, model year", edid::Block({"LEN", 2, 0, 0xFF, 30, 4, "", ""}),
       TEdidMonitor{u"Lenovo", u"", u"", u"2020", {}}},
      {"unknown maker, full and odd text", OddName,
       TEdidMonitor{u"ZZZ", u"A??DEFGHIJKLM", u"", u"2025", {}}},
      {"extension block follows", WithExtension,
       TEdidMonitor{u"Dell", u"DELL P2419H", u"7MT0186S1HVL", u"12/2021", {}}},
      {"timing, not a name", ClockedName,
       TEdidMonitor{u"Dell", u"", u"7MT0186S1HVL", u"12/2021", {}}},
      {"no maker", NoMaker, TEdidMonitor{u"", u"DELL P2419H", u"7MT0186S1HVL", u"12/2021", {}}},
      {"header", BadHeader, std::nullopt},
      {"checksum", BadSum, std::nullopt},
      {"short", Bytes(Dell.begin(), Dell.end() - 1), std::nullopt},
      {"empty", Bytes{}, std::nullopt},
  };
  for (const TCase& C : Cases) {
    const std::optional<TEdidMonitor> Got = ParseEdid(C.Input);
    ASSERT_EQ(Got.has_value(), C.Expected.has_value()) << C.What;
    if (!Got) continue;
    EXPECT_EQ(U8(Got->Manufacturer), U8(C.Expected->Manufacturer)) << C.What;
    EXPECT_EQ(U8(Got->Name), U8(C.Expected->Name)) << C.What;
    EXPECT_EQ(U8(Got->Serial), U8(C.Expected->Serial)) << C.What;
    EXPECT_EQ(U8(Got->Description), U8(C.Expected->Description)) << C.What;
    // Always the base block alone, whatever follows it.
    EXPECT_EQ(Got->Base64, Base64(std::span(C.Input).first(128))) << C.What;
  }
}

TEST(EdidTest, Base64PadsTheLastGroup) {
  const std::vector<std::pair<std::string, std::string>> Cases{
      {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"\xFB\xFF", "+/8="}};
  for (const auto& [Plain, Encoded] : Cases) {
    const Bytes Input(Plain.begin(), Plain.end());
    EXPECT_EQ(Base64(Input), Encoded) << Plain;
  }
}

}  // namespace
