#include <optional>
#include <string>
#include <vector>

#include "probes/network_class.h"
#include "simulated_machine.h"

namespace {

namespace sim = platform::simulated;

class NetworkClassTest : public SimulatedMachineTest {};

constexpr std::u16string_view ClassKey =
    u"SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e972-e325-11ce-bfc1-08002be10318}";

// The inventory's adapters; nothing when the table could not be read.
std::optional<std::vector<TAdapterDetails>> ListedAdapters() {
  std::optional<std::vector<TAdapterDetails>> Adapters;
  std::u16string Text[6];
  GetNetworkDetails(Text[0], Text[1], Text[2], Text[3], Text[4], Text[5], &Adapters);
  return Adapters;
}

std::string Described(const std::optional<TPciHardwareId>& Pci) {
  if (!Pci) return "none";
  return U8(Pci->VendorId) + "/" + U8(Pci->ProductId) + "/" + U8(Pci->Subsystem) + "/" +
         U8(Pci->Revision);
}

TEST(NetworkClass, PciHardwareIdsGiveTheirPartsInLowerCase) {
  const std::vector<std::pair<std::u16string, const char*>> Cases{
      {u"pci\\ven_8086&dev_15bc&subsys_08b91028&rev_10", "8086/15bc/1028:08b9/10"},
      {u"PCI\\VEN_10EC&DEV_8168&SUBSYS_86771043&REV_15", "10ec/8168/1043:8677/15"},
      {u"PCI\\VEN_8086&DEV_02F0&SUBSYS_00748086", "8086/02f0/8086:0074/"},
      {u"pci\\ven_14e4&dev_43a0&rev_03", "14e4/43a0//03"},
      {u"PCI\\VEN_1AF4&DEV_1000", "1af4/1000//"},
      {u"PCI\\VEN_8086&DEV_100E&REV_02&CC_0200", "8086/100e//02"},  // a compatible ID
      {u"root\\tap0901", "none"},
      {u"PCI\\CC_0200", "none"},
      {u"PCI\\VEN_808&DEV_15BC", "none"},               // three digits
      {u"PCI\\VEN_80G6&DEV_15BC", "none"},              // no hex digit
      {u"PCI\\DEV_15BC&VEN_8086", "none"},              // out of order
      {u"PCI\\VEN_8086&DEV_15BC&SUBSYS_08B9", "none"},  // a subsystem of half its digits
      {u"PCI\\VEN_8086&DEV_15BC&REV_10&SUBSYS_08B91028", "none"},
      {u"PCI\\VEN_8086&DEV_15BC&", "none"},
      {u"PCI\\VEN_8086&DEV_15BC\\3&11583659&0&FE", "none"},  // an instance path
      {u"PCI\\VEN_8086", "none"},
      {u"", "none"},
  };
  for (const auto& [Id, Expected] : Cases)
    EXPECT_EQ(Described(ParsePciHardwareId(Id)), Expected) << U8(Id);
}

// The driver key of a PCI Ethernet card, the table's adapter's.
sim::TRegKey& PutDriverKey() {
  sim::TRegKey& Key =
      sim::Machine().Registry.Key(platform::HkeyLocalMachine, ClassKey).Create(u"0001");
  Key.SetString(u"NetCfgInstanceId", u"{AAAA0000-0000-4000-8000-000000000001}");
  Key.SetString(u"MatchingDeviceId", u"pci\\ven_8086&dev_15bc&subsys_08b91028&rev_10");
  Key.SetDword(u"Characteristics", 0x84);
  return Key;
}

// The table's one adapter, of Type, with the driver key's instance ID.
void PutAdapter(std::uint32_t Type) {
  sim::TAdapter A;
  A.Type = Type;
  A.AdapterName = "{AAAA0000-0000-4000-8000-000000000001}";
  sim::Machine().Adapters = {A};
}

// Each case: the table's one adapter, of a type, and its driver key in the class: a PCI Ethernet
// card's, as Arrange changes it, or none.
TEST_F(NetworkClassTest, DriverKeysMarkVirtualAdaptersAndNamePciDevices) {
  struct TCase {
    const char* Name;
    void (*Arrange)(sim::TRegKey& Key);  // nullptr: the adapter has no driver key
    std::uint32_t Type;
    const char* Expected;  // "virtual" or "physical", then the PCI parts
  };
  const std::vector<TCase> Cases{
      {"a physical PCI card", [](sim::TRegKey&) {}, 6, "physical 8086/15bc/1028:08b9/10"},
      {"the instance ID matched in any letter case",
       [](sim::TRegKey& K) {
         K.SetString(u"NetCfgInstanceId", u"{aaaa0000-0000-4000-8000-000000000001}");
       },
       6, "physical 8086/15bc/1028:08b9/10"},
      {"a software adapter: no NCF_PHYSICAL",
       [](sim::TRegKey& K) {
         K.SetDword(u"Characteristics", 0x1);
         K.SetString(u"MatchingDeviceId", u"root\\tap0901");
       },
       23, "virtual none"},
      {"characteristics of another type say nothing",
       [](sim::TRegKey& K) { K.SetString(u"Characteristics", u"1"); }, 6,
       "physical 8086/15bc/1028:08b9/10"},
      {"an instance ID of another type matches nothing",
       [](sim::TRegKey& K) {
         K.SetDword(u"NetCfgInstanceId", 1);
         K.SetDword(u"Characteristics", 0x1);
       },
       6, "physical none"},
      {"a key that refuses a user is passed by", [](sim::TRegKey& K) { K.GrantedAccess = 0; }, 6,
       "physical none"},
      {"no driver key: a tunnel is virtual by its type", nullptr, 131, "virtual none"},
      {"no driver key, an Ethernet adapter", nullptr, 6, "physical none"},
  };
  for (const TCase& C : Cases) {
    SetUp();
    if (C.Arrange != nullptr) C.Arrange(PutDriverKey());
    PutAdapter(C.Type);
    const auto Adapters = ListedAdapters();
    ASSERT_TRUE(Adapters && Adapters->size() == 1) << C.Name;
    const TAdapterDetails& Got = Adapters->front();
    EXPECT_EQ((Got.Virtual ? "virtual " : "physical ") + Described(Got.Pci), C.Expected) << C.Name;
  }
}

// The class cannot be read at all: the adapters stay, with nothing from it, and nothing fails.
TEST_F(NetworkClassTest, AClassThatCannotBeReadLeavesTheAdaptersAsTheTableHasThem) {
  for (const char* Call :
       {"RegOpenKeyExW", "RegQueryInfoKeyW", "RegEnumKeyExW", "RegQueryValueExW"}) {
    SetUp();
    PutDriverKey();
    PutAdapter(6);
    Machine().FailCall(Call, platform::ErrorAccessDenied);
    const auto Adapters = ListedAdapters();
    ASSERT_TRUE(Adapters && Adapters->size() == 1) << Call;
    EXPECT_FALSE(Adapters->front().Pci.has_value()) << Call;
  }
}

}  // namespace
