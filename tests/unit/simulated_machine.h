// Each unit test starts from a fresh simulated machine and formatting settings.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/simulated/machine.h"
#include "probes/printers.h"
#include "text/format.h"
#include "text/sys_utils.h"

class SimulatedMachineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ReleasePrinter();  // before the machine it opened its printer on goes away
    platform::simulated::ResetMachine();
    FormatSettings = TFormatSettings{};
    NoteDefaultSystemCodePage();
  }
  static platform::simulated::TMachine& Machine() { return platform::simulated::Machine(); }
};

// UTF-16 text as UTF-8, so that failures print readably.
inline std::string U8(std::u16string_view Text) { return platform::simulated::ToUtf8(Text); }
