// The device and interface calls as the probes rely on them: sizes asked for and given, the end
// of a device set, a device's driver key, an interface that is not there.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "platform/test_support.h"
#include "probes/registry.h"

namespace {

platform::TSpDevinfoData Record() {
  platform::TSpDevinfoData Data{};
  Data.CbSize = sizeof Data;
  return Data;
}

TEST(DevicesContract, AnAttachedAdapterIsListedWithItsIdAndDriverKey) {
  platform::testing::EnsureDisplayAdapter();
  const platform::ScopedDevinfo Set(platform::SetupDiGetClassDevsW(
      &platform::DisplayClass, nullptr, platform::NullHandle, platform::DigcfPresent));
  ASSERT_TRUE(Set.IsValid()) << platform::GetLastError();
  platform::TSpDevinfoData Data = Record();
  ASSERT_NE(platform::SetupDiEnumDeviceInfo(Set.Get(), 0, &Data), 0) << platform::GetLastError();

  // Too small a buffer: the size needed, NUL included, and nothing else.
  std::uint32_t Required = 0;
  std::vector<char16_t> Id(1);
  EXPECT_EQ(platform::SetupDiGetDeviceInstanceIdW(Set.Get(), &Data, Id.data(), 1, &Required), 0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInsufficientBuffer);
  ASSERT_GT(Required, 1U);
  Id.resize(Required);
  ASSERT_NE(platform::SetupDiGetDeviceInstanceIdW(Set.Get(), &Data, Id.data(), Required, nullptr),
            0);
  EXPECT_EQ(Id[Required - 1], u'\0');
  EXPECT_EQ(std::char_traits<char16_t>::length(Id.data()), Required - 1);

  TRegistry Reg(RegistryReadAccess);
  ASSERT_TRUE(Reg.AdoptKey(platform::SetupDiOpenDevRegKey(
      Set.Get(), &Data, platform::DicsFlagGlobal, 0, platform::DiregDrv, platform::KeyQueryValue)));
  EXPECT_FALSE(ReadOptionalString(Reg, u"DriverDesc").value_or(u"").empty());
}

TEST(DevicesContract, ASetEndsWithNoMoreItemsAndRefusesAnUnsizedRecord) {
  const platform::ScopedDevinfo Set(platform::SetupDiGetClassDevsW(
      &platform::DisplayClass, nullptr, platform::NullHandle, platform::DigcfPresent));
  ASSERT_TRUE(Set.IsValid());
  platform::TSpDevinfoData Data = Record();
  EXPECT_EQ(platform::SetupDiEnumDeviceInfo(Set.Get(), 100000, &Data), 0);
  EXPECT_EQ(platform::GetLastError(), static_cast<std::uint32_t>(platform::ErrorNoMoreItems));
  Data.CbSize = 0;
  EXPECT_EQ(platform::SetupDiEnumDeviceInfo(Set.Get(), 0, &Data), 0);
  EXPECT_EQ(platform::GetLastError(), 1784U);  // ERROR_INVALID_USER_BUFFER
}

TEST(DevicesContract, AnInterfaceRowNeedsAnIndexThatExists) {
  alignas(8)
      std::uint8_t Row[platform::if_row::RowSize] = {};  // NOLINT(cppcoreguidelines-avoid-c-arrays)
  EXPECT_EQ(platform::GetIfEntry2(Row), platform::ErrorInvalidParameter);  // neither LUID nor index
  const std::uint32_t Missing = 0x7FFFFFF0;
  std::memcpy(Row + platform::if_row::InterfaceIndex, &Missing, sizeof Missing);
  EXPECT_EQ(platform::GetIfEntry2(Row), platform::ErrorFileNotFound);
}

}  // namespace
