// WinHTTP as the delivery to GLPI relies on it: the handles it opens and closes, timeouts that
// refuse what the system refuses, and a refused connection told apart from every other failure.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/platform.h"

namespace {

TEST(WinHttpContract, ARequestToAPortNothingListensOnFailsToConnect) {
  const platform::Hinternet Session = platform::WinHttpOpen(
      u"inventario-contract", platform::WinhttpAccessTypeNoProxy, nullptr, nullptr, 0);
  ASSERT_NE(Session, platform::NullHinternet);
  const platform::Hinternet Connection = platform::WinHttpConnect(Session, u"127.0.0.1", 1, 0);
  ASSERT_NE(Connection, platform::NullHinternet);
  const platform::Hinternet Request = platform::WinHttpOpenRequest(
      Connection, u"POST", u"/front/inventory.php", nullptr, nullptr, nullptr, 0);
  ASSERT_NE(Request, platform::NullHinternet);

  // Any negative limit but -1 is refused; the ones the delivery sets are taken.
  EXPECT_EQ(platform::WinHttpSetTimeouts(Request, 1000, -2, 1000, 1000), 0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInvalidParameter);
  EXPECT_NE(platform::WinHttpSetTimeouts(Request, 2000, 2000, 2000, 2000), 0);
  std::uint32_t Never = platform::WinhttpOptionRedirectPolicyNever;
  EXPECT_NE(platform::WinHttpSetOption(Request, platform::WinhttpOptionRedirectPolicy, &Never,
                                       sizeof Never),
            0);

  const char Body[] = "{}";
  EXPECT_EQ(platform::WinHttpSendRequest(Request, u"Content-Type: application/json\r\n",
                                         ~std::uint32_t{0}, Body, 2, 2, 0),
            0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorWinhttpCannotConnect);
  // Nothing came back to read a status from.
  std::uint32_t Status = 0;
  std::uint32_t Length = sizeof Status;
  EXPECT_EQ(platform::WinHttpQueryHeaders(
                Request, platform::WinhttpQueryStatusCode | platform::WinhttpQueryFlagNumber,
                nullptr, &Status, &Length, nullptr),
            0);

  EXPECT_NE(platform::WinHttpCloseHandle(Request), 0);
  EXPECT_NE(platform::WinHttpCloseHandle(Connection), 0);
  EXPECT_NE(platform::WinHttpCloseHandle(Session), 0);
  EXPECT_EQ(platform::WinHttpCloseHandle(Session), 0);
  EXPECT_EQ(platform::GetLastError(), platform::ErrorInvalidHandle);
}

}  // namespace
