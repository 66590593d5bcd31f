#include <string>
#include <vector>

#include "main/program_flow.h"
#include "probes/probes.h"
#include "simulated_machine.h"
#include "text/exceptions.h"

namespace {

class CapacityProbesTest : public SimulatedMachineTest {};

using platform::simulated::TDrive;

TEST_F(CapacityProbesTest, UptimeShowsWholeDaysAndHours) {
  struct TCase {
    std::uint64_t Ticks;
    const char16_t* Text;
  };
  const std::vector<TCase> Cases{
      {0, u"0 dias, 0 horas"},
      {86'399'999, u"0 dias, 23 horas"},
      {86'400'000, u"1 dias, 0 horas"},
      {90'061'000, u"1 dias, 1 horas"},
      {UINT64_MAX, u"213503982334 dias, 14 horas"},
  };
  for (const TCase& C : Cases) {
    Machine().Ticks = C.Ticks;
    EXPECT_EQ(GetUptime(), C.Text) << C.Ticks;
  }
}

TEST_F(CapacityProbesTest, AMissingTickCountEndsTheReportWithAnExternalException) {
  Machine().HasGetTickCount64 = false;
  try {
    (void)GetUptime();
    ADD_FAILURE() << "no error";
  } catch (const EExternalException& E) {
    EXPECT_EQ(E.Message, u"External exception C06D007F");
  }
  Machine().StdOut.FileType = platform::FileTypeDisk;
  EXPECT_EQ(RunInventario(), 0);
  EXPECT_NE(
      Machine().StdOut.Written.find("\r\nEExternalException: External exception C06D007F\r\n"),
      std::string::npos);
  EXPECT_TRUE(Machine().FileSystem.FileNames().empty());
}

TEST_F(CapacityProbesTest, MemoryInGigabytes) {
  FormatSettings.DecimalSeparator = u',';
  struct TCase {
    std::uint64_t Bytes;
    bool Fails;
    double Gigabytes;
    const char16_t* Text;
  };
  const std::vector<TCase> Cases{
      {8'589'934'592ULL, false, 8.0, u"8,00 GB"},
      {17'007'902'720ULL, false, 15.83984375, u"15,84 GB"},
      {1ULL << 63, false, 8589934592.0, u"8589934592,00 GB"},
      {UINT64_MAX, false, 17179869184.0, u"17179869184,00 GB"},
      {8'589'934'592ULL, true, 0.0, u"0,00 GB"},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    Machine().TotalPhys = C.Bytes;
    if (C.Fails) Machine().FailCall("GlobalMemoryStatusEx", platform::ErrorInvalidParameter);
    const double Gigabytes = GetTotalRAM();
    EXPECT_EQ(Gigabytes, C.Gigabytes) << C.Bytes;
    EXPECT_EQ(FormatRAM(Gigabytes), C.Text) << C.Bytes;
  }
}

TEST_F(CapacityProbesTest, DisksListFixedDrivesFromCToZ) {
  FormatSettings.DecimalSeparator = u',';
  constexpr std::uint64_t GB = 1ULL << 30;
  struct TCase {
    const char* Name;
    std::map<char16_t, TDrive> Drives;
    std::u16string Text;
  };
  const std::vector<TCase> Cases{
      {"two fixed disks",
       {{u'D', {3, 931 * GB + GB / 2, 650 * GB, 650 * GB, 0}},
        {u'C', {3, 237 * GB, 101 * GB, 1 * GB, 0}}},
       u"C: Total: 237,00 GB | Livre: 101,00 GB | D: Total: 931,50 GB | Livre: 650,00 GB"},
      {"every other kind of drive, and fixed disks at A: and B:",
       {{u'A', {3, GB, GB, GB, 0}},
        {u'B', {3, GB, GB, GB, 0}},
        {u'E', {2, GB, GB, GB, 0}},
        {u'F', {4, GB, GB, GB, 0}},
        {u'G', {5, GB, GB, GB, 0}},
        {u'H', {6, GB, GB, GB, 0}},
        {u'Z', {3, 2 * GB, 0, 0, 0}}},
       u"Z: Total: 2,00 GB | Livre: 0,00 GB"},
      {"a locked volume is left out",
       {{u'C', {3, GB, GB, GB, 21}}, {u'D', {3, 4 * GB, 3 * GB, 3 * GB, 0}}},
       u"D: Total: 4,00 GB | Livre: 3,00 GB"},
      {"a huge disk",
       {{u'C', {3, UINT64_MAX, 1ULL << 63, 0, 0}}},
       u"C: Total: 17179869184,00 GB | Livre: 8589934592,00 GB"},
      {"no fixed disk", {}, u"Nenhum disco encontrado."},
      {"no readable disk", {{u'C', {3, GB, GB, GB, 5}}}, u"Nenhum disco encontrado."},
  };
  for (const TCase& C : Cases) {
    Machine().Drives = C.Drives;
    EXPECT_EQ(GetDisksInfo(), C.Text) << C.Name;
  }
  EXPECT_EQ(Machine().CallCount("GetDriveTypeW"), 24 * static_cast<int>(Cases.size()));
}

// A drive that cannot say what it maps to stays a disk: the failure sweep fails each query.
TEST_F(CapacityProbesTest, AFolderMadeADriveIsNoDisk) {
  FormatSettings.DecimalSeparator = u',';
  constexpr std::uint64_t GB = 1ULL << 30;
  TDrive Folder{3, 237 * GB, 101 * GB, GB, 0};
  Folder.DosTarget = u"\\??\\C:\\Projetos";
  TDrive LongFolder = Folder;  // longer than the first buffer offered
  LongFolder.DosTarget = u"\\??\\C:\\" + std::u16string(3000, u'p');
  Machine().Drives = {{u'C', {3, 237 * GB, 101 * GB, GB, 0}}, {u'P', Folder}, {u'Q', LongFolder}};
  std::vector<TDiskSpace> Disks;
  EXPECT_EQ(GetDisksInfo(&Disks), u"C: Total: 237,00 GB | Livre: 101,00 GB");
  ASSERT_EQ(Disks.size(), 1U);  // what the GLPI drives are made of
  EXPECT_EQ(Disks[0].Letter, u'C');
}

}  // namespace
