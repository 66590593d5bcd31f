#include <optional>
#include <string>
#include <vector>

#include "../fuzz/edid_blocks.h"
#include "probes/device_probes.h"
#include "simulated_machine.h"

namespace {

class DisplayProbesTest : public SimulatedMachineTest {};

const std::u16string DisplayClassText = u"{4d36e968-e325-11ce-bfc1-08002be10318}";
const std::u16string MonitorClassText = u"{4d36e96e-e325-11ce-bfc1-08002be10318}";
const std::u16string Enum = u"SYSTEM\\CurrentControlSet\\Enum\\";
const std::u16string Class = u"SYSTEM\\CurrentControlSet\\Control\\Class\\";

struct TDevice {
  std::u16string Id;
  std::u16string DriverDesc;  // empty: the device has no driver key
  std::u16string DeviceDesc;  // empty: it has no description of its own
};

// Attached display devices in the registry as Windows keeps them, each with a driver key of its
// own. Detached devices are left out by the enumeration the monitors share.
void PutDisplays(const std::vector<TDevice>& Devices) {
  auto& M = platform::simulated::Machine();
  int Number = 0;
  for (const TDevice& D : Devices) {
    platform::simulated::TRegKey& Key = M.Registry.Key(platform::HkeyLocalMachine, Enum + D.Id);
    Key.SetString(u"ClassGUID", DisplayClassText);
    if (!D.DeviceDesc.empty()) Key.SetString(u"DeviceDesc", D.DeviceDesc);
    if (!D.DriverDesc.empty()) {
      const std::u16string Driver = DisplayClassText + u"\\000" + char16_t(u'0' + Number++);
      Key.SetString(u"Driver", Driver);
      M.Registry.Key(platform::HkeyLocalMachine, Class + Driver)
          .SetString(u"DriverDesc", D.DriverDesc);
    }
  }
}

TEST_F(DisplayProbesTest, TheGraphicsLineNamesTheAdaptersAttachedNow) {
  const std::u16string LongId = u"PCI\\VEN_1002&DEV_73BF\\" + std::u16string(240, u'7');
  struct TCase {
    const char* Name;
    std::vector<TDevice> Devices;
    std::u16string Expected;
  };
  const std::vector<TCase> Cases{
      {"none", {}, u"N\u00E3o identificada"},
      {"software devices left out, the basic adapter kept",
       {{u"SWD\\REMOTEDISPLAYENUM\\RDPIDD", u"", u"Microsoft Remote Display Adapter"},
        {u"swd\\IDD\\1", u"Virtual Display", u""},
        {u"PCI\\VEN_1234&DEV_1111\\3&3", u"", u"Microsoft Basic Display Adapter"}},
       u"Microsoft Basic Display Adapter"},
      // Two adapters, in the system's order, named by the texts they have.
      {"indirect names, control characters",
       {{u"PCI\\VEN_8086&DEV_3E92\\3&2", u"", u"@oem23.inf,%iCFL;x%;Intel(R) UHD\r\nGraphics\t630"},
        {u"PCI\\VEN_10DE&DEV_1D01\\4&1", u"@oem41.inf,%nv%;  NVIDIA GT 1030 ", u""}},
       u"NVIDIA GT 1030 | Intel(R) UHD  Graphics 630"},
      {"no name at all", {{u"PCI\\VEN_1234&DEV_2222\\3&4", u"", u""}}, u"N\u00E3o identificada"},
      {"an instance ID past the usual buffer",
       {{LongId, u"AMD Radeon RX 6800", u""}},
       u"AMD Radeon RX 6800"},
  };
  for (const TCase& C : Cases) {
    SetUp();
    PutDisplays(C.Devices);
    const std::optional<std::vector<TVideoController>> Adapters = GetDisplayAdapters();
    ASSERT_TRUE(Adapters.has_value()) << C.Name;
    EXPECT_EQ(U8(GraphicsText(Adapters)), U8(C.Expected)) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
  }
}

// A setupapi.dll that cannot be loaded fails the first call, as the first case does.
TEST_F(DisplayProbesTest, AListThatCannotBeReadIsNotAnEmptyOne) {
  const std::vector<TDevice> Two{
      {u"PCI\\VEN_10DE&DEV_1D01\\4&1", u"NVIDIA GeForce GT 1030", u""},
      {u"PCI\\VEN_8086&DEV_3E92\\3&2", u"", u"Intel(R) UHD Graphics 630"}};
  struct TCase {
    const char* Call;
    std::uint32_t Error;
    int Skip;
    bool Read;
  };
  const std::vector<TCase> Cases{
      {"SetupDiGetClassDevsW", platform::ErrorNotEnoughMemory, 0, false},
      {"SetupDiEnumDeviceInfo", platform::ErrorInvalidParameter, 1, false},
      {"SetupDiGetDeviceInstanceIdW", platform::ErrorInvalidParameter, 0, false},
      {"SetupDiGetDeviceRegistryPropertyW", platform::ErrorNotEnoughMemory, 0, false},
      {"SetupDiOpenDevRegKey", platform::ErrorAccessDenied, 0, true},  // named by its record
  };
  for (const TCase& C : Cases) {
    SetUp();
    PutDisplays(Two);
    Machine().FailCall(C.Call, C.Error, C.Skip);
    const std::optional<std::vector<TVideoController>> Adapters = GetDisplayAdapters();
    EXPECT_EQ(Adapters.has_value(), C.Read) << C.Call;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Call;
  }
  EXPECT_EQ(U8(GraphicsText(std::nullopt)), "N\u00E3o identificada");
}

// A monitor of the monitor class with its EDID in its hardware key.
void PutMonitor(const std::u16string& Id, const std::string& Edid, bool Attached) {
  auto& M = platform::simulated::Machine();
  M.Registry.Key(platform::HkeyLocalMachine, Enum + Id).SetString(u"ClassGUID", MonitorClassText);
  M.Registry.Key(platform::HkeyLocalMachine, Enum + Id + u"\\Device Parameters")
      .SetValue(u"EDID", platform::RegBinary, Edid);
  if (!Attached) M.DetachedDevices.insert(platform::simulated::ToUpperAscii(Id));
}

std::string Bytes(const std::vector<std::uint8_t>& Block) { return {Block.begin(), Block.end()}; }

TEST_F(DisplayProbesTest, MonitorsAreTheOnesAttachedNow) {
  const std::string Dell = Bytes(edid::Block(edid::OfficeDell()));
  const std::string Samsung = Bytes(edid::Block(edid::OfficeSamsung()));
  struct TCase {
    const char* Name;
    bool DellFirstPort, DellSecondPort, SamsungPort;
    std::vector<std::string> Expected;
  };
  const std::vector<TCase> Cases{
      {"all attached, the Dell on two ports once", true, true, true, {"DELL P2419H", "S24F350"}},
      {"the Samsung taken away", true, true, false, {"DELL P2419H"}},
      {"the Dell on its second port only", false, true, true, {"DELL P2419H", "S24F350"}},
      {"a laptop off its dock", false, false, false, {}},
  };
  for (const TCase& C : Cases) {
    SetUp();
    PutMonitor(u"DISPLAY\\DELA0F4\\5&2b3c&0&UID4352", Dell, C.DellFirstPort);
    PutMonitor(u"DISPLAY\\DELA0F4\\5&2b3c&0&UID4353", Dell, C.DellSecondPort);
    PutMonitor(u"DISPLAY\\SAM0D2C\\5&2b3c&0&UID4354", Samsung, C.SamsungPort);
    const std::optional<std::vector<TEdidMonitor>> Monitors = GetMonitors();
    ASSERT_TRUE(Monitors.has_value()) << C.Name;
    std::vector<std::string> Names;
    for (const TEdidMonitor& M : *Monitors) Names.push_back(U8(M.Name));
    EXPECT_EQ(Names, C.Expected) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), 0U) << C.Name;
  }
}

}  // namespace
