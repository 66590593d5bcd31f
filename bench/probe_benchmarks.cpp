// How the probes and a whole run scale with the machine, on the simulated platform: installed
// programs per Uninstall key, printers, adapters. Run through scripts/bench.sh, which prints the
// growth from size to size.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "main/program_flow.h"
#include "platform/simulated/machine.h"
#include "probes/printers.h"
#include "probes/probes.h"
#include "text/format.h"
#include "text/string_list.h"
#include "text/sys_utils.h"

namespace {

using platform::simulated::Machine;

const char16_t* const Words[] = {u"Microsoft", u"Visual",  u"C++",     u"Redistributable", u"Adobe",
                                 u"Acrobat",   u"Reader",  u"Google",  u"Chrome",          u"Mozilla",
                                 u"Firefox",   u"Driver",  u"Gráfico", u"Atualização",     u"Office",
                                 u"Impressora", u"Scanner", u"Leitor", u"Runtime",         u"Ferramentas"};

// A name of two to five words and a version, like the ones installers write.
std::u16string ProgramName(std::mt19937& Random) {
  std::u16string Name;
  for (int Count = 2 + static_cast<int>(Random() % 4); Count > 0; --Count) {
    Name += Words[Random() % std::size(Words)];
    Name += u' ';
  }
  return Name + IntToStr(Random() % 30) + u"." + IntToStr(Random() % 100);
}

// A fresh machine whose three Uninstall keys hold PerScan entries each, one in ten repeating a
// name seen before (often in other letter case).
void MachineWithPrograms(int PerScan) {
  platform::simulated::ResetMachine();
  GetFormatSettings();
  NoteDefaultSystemCodePage();
  std::mt19937 Random(42);
  std::vector<std::u16string> Seen;
  const std::pair<platform::Hkey, const char16_t*> Scans[] = {
      {platform::HkeyLocalMachine, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
      {platform::HkeyLocalMachine, u"Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall"},
      {platform::HkeyCurrentUser, u"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall"}};
  for (const auto& [Root, Path] : Scans) {
    auto& Uninstall = Machine().Registry.Key(Root, Path);
    for (int I = 0; I < PerScan; ++I) {
      std::u16string Name = !Seen.empty() && Random() % 10 == 0 ? Seen[Random() % Seen.size()] : ProgramName(Random);
      if (Random() % 2 == 0) Name = platform::simulated::ToUpperAscii(Name);
      Seen.push_back(Name);
      auto& Entry = Uninstall.Create(u"{" + IntToStr(I) + u"-" + IntToStr(static_cast<std::int64_t>(Random())) + u"}");
      Entry.SetString(u"DisplayName", Name);
      Entry.SetString(u"Publisher", u"Fornecedor");
      if (Random() % 20 == 0) Entry.SetDword(u"SystemComponent", 1);
    }
  }
}

void InstalledPrograms(benchmark::State& State) {
  MachineWithPrograms(static_cast<int>(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(GetInstalledPrograms());
  State.SetComplexityN(State.range(0));
}
BENCHMARK(InstalledPrograms)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The two list operations the programs probe leans on, alone, on as many lines as three scans give.
TStringList ProgramLines(int PerScan) {
  platform::simulated::ResetMachine();
  std::mt19937 Random(42);
  TStringList Lines;
  for (int I = 0; I < 3 * PerScan; ++I) {
    std::u16string Name = ProgramName(Random);
    if (Random() % 2 == 0) Name = platform::simulated::ToUpperAscii(Name);
    Lines.Add(u"\u2022 " + Name);
  }
  return Lines;
}

void SortLines(benchmark::State& State) {
  const TStringList Lines = ProgramLines(static_cast<int>(State.range(0)));
  for (auto _ : State) {
    State.PauseTiming();
    TStringList Copy = Lines;
    State.ResumeTiming();
    Copy.Sort();
  }
}
BENCHMARK(SortLines)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void RemoveDuplicateLines(benchmark::State& State) {
  const TStringList Lines = ProgramLines(static_cast<int>(State.range(0)));
  for (auto _ : State) {
    State.PauseTiming();
    TStringList Copy = Lines;
    State.ResumeTiming();
    Copy.RemoveLaterDuplicates();
  }
}
BENCHMARK(RemoveDuplicateLines)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void Printers(benchmark::State& State) {
  platform::simulated::ResetMachine();
  for (std::int64_t I = 0; I < State.range(0); ++I) Machine().Printers.push_back(u"Impressora " + IntToStr(I));
  Machine().DefaultPrinterText = Machine().Printers.back() + u",winspool,Ne00:";
  for (auto _ : State) {
    benchmark::DoNotOptimize(GetInstalledPrinters());
    ReleasePrinter();
  }
}
BENCHMARK(Printers)->Arg(1)->Arg(50)->Arg(500)->Unit(benchmark::kMicrosecond);

void Adapters(benchmark::State& State) {
  platform::simulated::ResetMachine();
  NoteDefaultSystemCodePage();
  for (std::int64_t I = 0; I < State.range(0); ++I) {
    platform::simulated::TAdapter Adapter;
    Adapter.Description = "Adaptador Virtual " + std::to_string(I);
    Adapter.IpAddress = I + 1 == State.range(0) ? "192.0.2.10" : "0.0.0.0";  // the last one is used
    Machine().Adapters.push_back(Adapter);
  }
  for (auto _ : State) {
    std::u16string NetName, IPLocal, Gateway, MAC, TipoIP, SpeedStr;
    GetNetworkDetails(NetName, IPLocal, Gateway, MAC, TipoIP, SpeedStr);
    benchmark::DoNotOptimize(NetName);
  }
}
BENCHMARK(Adapters)->Arg(1)->Arg(16)->Arg(64)->Unit(benchmark::kMicrosecond);

void WholeRun(benchmark::State& State) {
  MachineWithPrograms(static_cast<int>(State.range(0)));
  for (int I = 0; I < 50; ++I) Machine().Printers.push_back(u"Impressora " + IntToStr(I));
  Machine().DefaultPrinterText = u"Impressora 7";
  for (auto _ : State) {
    State.PauseTiming();
    Machine().StdOut.Written.clear();
    Machine().StdOut.Writes.clear();
    Machine().StdIn.Input = {"\r\n"};
    State.ResumeTiming();
    benchmark::DoNotOptimize(RunInventario());
  }
}
BENCHMARK(WholeRun)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
