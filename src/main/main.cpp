#include <cstdint>

#include "main/command_line.h"
#include "main/program_flow.h"
#include "platform/platform.h"

int main() {
  platform::ExitProcess(static_cast<std::uint32_t>(RunInventario(CommandLineArguments())));
}
