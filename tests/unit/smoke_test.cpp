#include "simulated_machine.h"
#include "main/program_flow.h"

class SmokeTest : public SimulatedMachineTest {};

TEST_F(SmokeTest, RunWrites) {
  EXPECT_EQ(RunInventario(), 0);
  std::cout << Machine().StdOut.Written;
}
