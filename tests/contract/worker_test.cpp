// The worker thread the antivirus probe starts, and COM as it answers before any class is asked.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "platform/platform.h"

namespace {

std::atomic<bool> Release{false};

std::uint32_t WaitsForRelease(void* Ran) {
  static_cast<std::atomic<bool>*>(Ran)->store(true);
  // Not a platform call: the test's main thread is asking the platform meanwhile.
  while (!Release.load()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  return 0;
}

// The probe relies on both answers: a deadline that passes, then a thread that has finished.
TEST(WorkerContract, AWaitTimesOutOnARunningThreadAndEndsWhenItFinishes) {
  std::atomic<bool> Ran{false};
  const platform::Handle Thread =
      platform::CreateThread(nullptr, 0, WaitsForRelease, &Ran, 0, nullptr);
  ASSERT_NE(Thread, platform::NullHandle);
  EXPECT_EQ(platform::WaitForSingleObject(Thread, 50), platform::WaitTimeout);
  Release.store(true);
  EXPECT_EQ(platform::WaitForSingleObject(Thread, 5000), platform::WaitObject0);
  EXPECT_TRUE(Ran.load());
  EXPECT_NE(platform::CloseHandle(Thread), 0);
}

std::uint32_t AsksCom(void* Results) {
  auto* Codes = static_cast<platform::HResult*>(Results);
  platform::ComObject Object = platform::NullComObject;
  Codes[0] = platform::CoCreateInstance(platform::ClsidWscProductList, platform::NullComObject,
                                        platform::ClsctxInprocServer, platform::IidIWscProductList,
                                        &Object);
  Codes[1] = platform::CoInitializeEx(nullptr, platform::CoinitMultithreaded);
  // A class nobody registered.
  constexpr platform::TGuid Nobody{0x0BADF00D, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  Codes[2] = platform::CoCreateInstance(Nobody, platform::NullComObject,
                                        platform::ClsctxInprocServer, platform::IidIWscProductList,
                                        &Object);
  Codes[3] = Object == platform::NullComObject ? 0 : 1;
  if (Codes[1] >= 0) platform::CoUninitialize();
  return 0;
}

TEST(WorkerContract, ComRefusesBeforeItIsInitializedAndKnowsNoStrangeClass) {
  platform::HResult Codes[4] = {};
  const platform::Handle Thread = platform::CreateThread(nullptr, 0, AsksCom, Codes, 0, nullptr);
  ASSERT_NE(Thread, platform::NullHandle);
  ASSERT_EQ(platform::WaitForSingleObject(Thread, 10000), platform::WaitObject0);
  platform::CloseHandle(Thread);
  EXPECT_EQ(static_cast<std::uint32_t>(Codes[0]), 0x800401F0U);  // CO_E_NOTINITIALIZED
  EXPECT_EQ(Codes[1], platform::SOk);
  EXPECT_EQ(Codes[2], platform::RegdbEClassNotReg);
  EXPECT_EQ(Codes[3], 0);
}

}  // namespace
