#include <cstdint>

#include "main/program_flow.h"
#include "platform/platform.h"

int main() { platform::ExitProcess(static_cast<std::uint32_t>(RunInventario())); }
