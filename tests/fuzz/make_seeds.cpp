// Writes the fuzz targets' seed inputs from the test fixtures: the registry profiles, the adapter
// and printer cases of the probe tests, the numbers and names the report shows, and EDID blocks.
// Each machine seed is read back through the target's own decoder and compared with the machine
// it describes, so a seed cannot silently describe something else.
//
//   make_seeds FIXTURES_DIR CORPUS_DIR
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "../unit/smbios_tables.h"
#include "edid_blocks.h"
#include "fuzz_support.h"
#include "machine_input.h"
#include "registry_input.h"
#include "seed_writer.h"

namespace {

namespace fs = std::filesystem;
namespace sim = platform::simulated;

fs::path CorpusDir;
int Written = 0;

void Save(const std::string& Target, const std::string& Name, const std::string& Bytes) {
  const fs::path Dir = CorpusDir / Target;
  fs::create_directories(Dir);
  std::ofstream(Dir / Name, std::ios::binary) << Bytes;
  ++Written;
}

[[noreturn]] void Fail(const std::string& What) {
  std::cerr << "make_seeds: " << What << "\n";
  std::exit(1);
}

std::string ReadFile(const fs::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  if (!File) Fail("cannot read " + Path.string());
  return {std::istreambuf_iterator<char>(File), std::istreambuf_iterator<char>()};
}

bool SameKey(const sim::TRegKey& A, const sim::TRegKey& B) {
  if (A.GrantedAccess != B.GrantedAccess || A.Values.size() != B.Values.size() ||
      A.SubKeys.size() != B.SubKeys.size()) {
    return false;
  }
  for (const auto& [Upper, Value] : A.Values) {
    const auto Other = B.Values.find(Upper);
    if (Other == B.Values.end() || Other->second.Name != Value.Name ||
        Other->second.Type != Value.Type || Other->second.Data != Value.Data) {
      return false;
    }
  }
  for (const auto& [Upper, Sub] : A.SubKeys) {
    const auto Other = B.SubKeys.find(Upper);
    if (Other == B.SubKeys.end() || Other->second->Name != Sub->Name ||
        !SameKey(*Sub, *Other->second))
      return false;
  }
  return true;
}

// Decodes Input on a fresh machine with Decode and hands the machine to Compare.
template <typename TDecode>
sim::TMachine& Decoded(const std::string& Input, TDecode Decode) {
  fuzz::FreshMachine();
  FuzzedDataProvider In(reinterpret_cast<const std::uint8_t*>(Input.data()), Input.size());
  Decode(In);
  if (In.remaining_bytes() != 0) Fail("a seed has bytes its decoder leaves unread");
  return sim::Machine();
}

// ---- registry_probes, registry_import --------------------------------------------------------

// The largest seed sets how long libFuzzer lets its inputs grow from the first run on, and an
// input costs registry_probes time for every command it holds: a profile whose seed would be
// longer than this is given as several seeds of some of its keys each, which together rebuild it.
// The fixtures' longest entry takes some 780 bytes.
constexpr std::size_t MaxRegistrySeedBytes = 800;

// The seeds that rebuild the registry the machine holds now: its keys in order, as few to a seed
// as keep each seed within MaxRegistrySeedBytes (a key longer than that alone takes a seed).
std::vector<std::string> RegistrySeedInputs() {
  std::vector<fuzz::TSeedWriter> Seeds(1);
  std::size_t Bytes = 0;
  for (const platform::Hkey Root : {platform::HkeyLocalMachine, platform::HkeyCurrentUser}) {
    const auto Add = [&](const std::u16string& Path, const sim::TRegKey& Key) {
      fuzz::TSeedWriter One;
      fuzz::EncodeKeyValues(One, Root, Path, Key);
      const std::size_t Size = One.Input().size();
      if (Bytes > 0 && Bytes + Size > MaxRegistrySeedBytes) {
        Seeds.emplace_back();
        Bytes = 0;
      }
      fuzz::EncodeKeyValues(Seeds.back(), Root, Path, Key);
      Bytes += Size;
    };
    fuzz::ForEachKeyToEncode(u"", *sim::Machine().Registry.Root(Root), Add);
  }
  std::vector<std::string> Inputs;
  for (const fuzz::TSeedWriter& Seed : Seeds) Inputs.push_back(Seed.Input());
  return Inputs;
}

void RegistrySeeds(const fs::path& Fixtures) {
  for (const char* Name :
       {"office-pc", "windows7", "windows10-1909", "productname-dword", "installed-programs"}) {
    const std::string File = ReadFile(Fixtures / "registry" / (std::string(Name) + ".reg"));
    fuzz::FreshMachine();
    if (const auto Error = sim::Machine().Registry.Import(File))
      Fail(std::string(Name) + ": " + *Error);
    const std::vector<std::string> Inputs = RegistrySeedInputs();

    // The imported tree again, to compare with what the seeds build one after another.
    sim::TRegistryTree Expected;
    Expected.Import(File);
    fuzz::FreshMachine();
    for (const std::string& Input : Inputs) {
      FuzzedDataProvider In(reinterpret_cast<const std::uint8_t*>(Input.data()), Input.size());
      fuzz::DecodeRegistry(In);
      if (In.remaining_bytes() != 0) Fail(std::string(Name) + ": a seed leaves bytes unread");
    }
    sim::TMachine& M = sim::Machine();
    if (!SameKey(*M.Registry.Root(platform::HkeyLocalMachine),
                 *Expected.Root(platform::HkeyLocalMachine)) ||
        !SameKey(*M.Registry.Root(platform::HkeyCurrentUser),
                 *Expected.Root(platform::HkeyCurrentUser))) {
      Fail(std::string(Name) + ": the seeds do not rebuild the fixture's registry");
    }
    for (std::size_t I = 0; I < Inputs.size(); ++I) {
      Save("registry_probes",
           Inputs.size() == 1 ? std::string(Name) : Name + ("-" + std::to_string(I + 1)),
           Inputs[I]);
    }
    if (File.size() <= 1400) Save("registry_import", std::string(Name) + ".reg", File);
  }

  // Thousands of entries asked for below the Uninstall key, of which the decoder makes as many as
  // its budget allows, some hidden, names repeating; and the CurrentVersion key refusing the read
  // rights the probes ask for.
  using namespace fuzz::registry_input;
  fuzz::TSeedWriter Out;
  Out.Integral<std::uint8_t>(SelectKey, 0, LastOp);
  Out.Bool(false);
  Out.Integral<std::uint8_t>(2, 0, PathGiven);
  Out.Text16(u"");
  Out.Integral<std::uint8_t>(ManyEntries, 0, LastOp);
  Out.Text16(u"{E");
  Out.Text16(u"Programa");
  Out.Integral<std::uint16_t>(1500, 0, MaxEntries);
  Out.Integral<std::uint16_t>(5, 1, MaxEntries);
  Out.Integral<std::uint16_t>(7, 0, MaxEntries);
  Out.Integral<std::uint8_t>(SelectKey, 0, LastOp);
  Out.Bool(false);
  Out.Integral<std::uint8_t>(0, 0, PathGiven);
  Out.Text16(u"");
  Out.Integral<std::uint8_t>(SetValue, 0, LastOp);
  Out.Integral<std::uint8_t>(0, 0, NameGiven);
  Out.Integral<std::uint32_t>(platform::RegSz, 0, TypeGiven);
  Out.RandomLengthString(std::string("W\0i\0n\0d\0o\0w\0s\0 \0001\0000\0\0\0", 22));
  Out.Bool(false);
  Out.Integral<std::uint8_t>(SetAccess, 0, LastOp);
  Out.Integral<std::uint8_t>(3, 0, AccessGiven);
  const std::string Input = Out.Input();
  sim::TMachine& M = Decoded(Input, [](FuzzedDataProvider& In) { fuzz::DecodeRegistry(In); });
  const sim::TRegKey* Uninstall = M.Registry.Root(platform::HkeyLocalMachine)->Find(KnownPaths[2]);
  if (Uninstall == nullptr || Uninstall->SubKeys.size() != std::min<std::size_t>(1500, EntryBudget))
    Fail("the many-entries seed");
  Save("registry_probes", "many-entries-restricted", Input);
}

// ---- network ----------------------------------------------------------------------------------

sim::TAdapter Adapter(std::string Description, std::string Ip, std::string Gateway,
                      std::uint32_t Dhcp = 1, std::uint32_t Length = 6) {
  sim::TAdapter A;
  A.Description = std::move(Description);
  A.IpAddress = std::move(Ip);
  A.Gateway = std::move(Gateway);
  A.DhcpEnabled = Dhcp;
  A.AddressLength = Length;
  A.Address = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E, 0x6F, 0x70};
  return A;
}

bool SameAdapters(const std::vector<sim::TAdapter>& A, const std::vector<sim::TAdapter>& B) {
  if (A.size() != B.size()) return false;
  for (std::size_t I = 0; I < A.size(); ++I) {
    if (A[I].Description != B[I].Description || A[I].AddressLength != B[I].AddressLength ||
        A[I].Address != B[I].Address || A[I].DhcpEnabled != B[I].DhcpEnabled ||
        A[I].IpAddress != B[I].IpAddress || A[I].Gateway != B[I].Gateway) {
      return false;
    }
  }
  return true;
}

void NetworkSeeds() {
  struct TCase {
    const char* Name;
    std::vector<sim::TAdapter> Adapters;
    std::uint32_t CodePage;
  };
  const std::vector<TCase> Cases{
      {"wifi-down-ethernet-up",
       {Adapter("Wi-Fi", "0.0.0.0", ""), Adapter("Ethernet", "192.168.0.10", "192.168.0.1")},
       1252},
      {"loopback-and-empty",
       {Adapter("a", "127.0.0.1", ""), Adapter("b", "", ""),
        Adapter("x", "12.7.0.1", "0.0.0.0", 0)},
       850},
      {"full-description-eight-bytes",
       {Adapter(std::string(132, 'D'), "10.0.0.4", "gw", 2, 8)},
       1252},
      {"nine-address-bytes", {Adapter("Conex\xE3o de Rede", "10.0.0.9", "", 1, 9)}, 1252},
      {"utf8-description", {Adapter("Conex\xC3\xA3o", "10.0.0.1", "10.0.0.254", 1, 0)}, 65001},
  };
  for (const TCase& C : Cases) {
    fuzz::TSeedWriter Out;
    fuzz::EncodeAdapters(Out, C.Adapters, C.CodePage);
    const std::string Input = Out.Input();
    if (!SameAdapters(
            Decoded(Input, [](FuzzedDataProvider& In) { fuzz::DecodeAdapters(In); }).Adapters,
            C.Adapters)) {
      Fail(std::string("network seed ") + C.Name);
    }
    Save("network", C.Name, Input);
  }
}

// ---- printers ---------------------------------------------------------------------------------

void PrinterSeeds() {
  struct TCase {
    const char* Name;
    std::vector<std::u16string> Printers;
    std::vector<std::u16string> DefaultRecords;
    std::optional<std::u16string> DefaultText;
  };
  const std::vector<TCase> Cases{
      {"second-is-default", {u"A", u"B", u"C"}, {}, u"B"},
      {"blanks-driver-port",
       {u"Etiquetadora", u"Recep\u00E7\u00E3o"},
       {},
       u"   Recep\u00E7\u00E3o,winspool,Ne01:"},
      {"record-with-comma", {u"A,B", u"A"}, {u"A,B"}, u"A"},
      {"duplicates-other-case", {u"HP LaserJet", u"Dup", u"Dup", u"PDF"}, {}, u"hp laserjet"},
      {"no-default", {u"A", u"Microsoft Print to PDF"}, {}, std::nullopt},
  };
  for (const TCase& C : Cases) {
    fuzz::TSeedWriter Out;
    fuzz::EncodePrinters(Out, C.Printers, C.DefaultRecords, C.DefaultText);
    const std::string Input = Out.Input();
    const sim::TMachine& M =
        Decoded(Input, [](FuzzedDataProvider& In) { fuzz::DecodePrinters(In); });
    if (M.Printers != C.Printers || M.DefaultRecords != C.DefaultRecords ||
        M.DefaultPrinterText != C.DefaultText) {
      Fail(std::string("printer seed ") + C.Name);
    }
    Save("printers", C.Name, Input);
  }
}

// ---- text routines ----------------------------------------------------------------------------

void TextSeeds(const fs::path& Fixtures) {
  // Build numbers and update numbers as the registry profiles hold them, and the edges.
  const std::vector<std::pair<const char*, std::string>> Numbers{
      {"build", "22631"},     {"build-padded", " 22000"}, {"build-suffix", "22000a"},
      {"hex-ubr", "$116c"},   {"max", "0x7FFFFFFF"},      {"min", "-2147483648"},
      {"over", "2147483648"},
  };
  for (const auto& [Name, Text] : Numbers) {
    fuzz::TSeedWriter Out;
    Out.Integral<std::int32_t>(4460);
    Out.Integral<std::int32_t>(0);
    Out.Bool(false);
    Out.Raw(Text);
    Save("str_to_int", Name, Out.Input());
  }

  // Memory and disk sizes in gigabytes, and values close to the ties of the rounding.
  struct TValue {
    const char* Name;
    double Value;
    const char16_t* Fmt;
  };
  const std::vector<TValue> Values{
      {"ram-8gb", 8.0, u"%.2f GB"},
      {"disk", 237.84375, u"%s: Total: %.2f GB | Livre: %.2f GB"},
      {"tie-below", 2.675, u"%d dias, %d horas"},
      {"tie-carry", 99.995, u"External exception %x"},
      {"sixteen-gb-minus", 17179869183.999998, u"%-10.3f|%5s|%.1d"},
  };
  for (const TValue& V : Values) {
    fuzz::TSeedWriter Out;
    Out.Integral<std::uint8_t>(0, 0, 2);
    std::uint64_t Bits = 0;
    std::memcpy(&Bits, &V.Value, sizeof Bits);
    Out.Integral<std::uint64_t>(Bits);
    Out.Bool(true);
    Out.Integral<int>(2, 1, 18);
    Out.Text16(V.Fmt);
    Save("float_format", V.Name, Out.Input());
  }

  // The program names of the installed-programs profile, and printer names, as lines to sort.
  fuzz::FreshMachine();
  if (sim::Machine().Registry.ImportFile(
          (Fixtures / "registry" / "installed-programs.reg").string())) {
    Fail("installed-programs.reg");
  }
  std::vector<std::u16string> Names;
  const auto Collect = [&](platform::Hkey Root, std::u16string_view Path) {
    if (const sim::TRegKey* Key = sim::Machine().Registry.Root(Root)->Find(Path)) {
      for (const auto& [Upper, Entry] : Key->SubKeys) {
        const auto Found = Entry->Values.find(u"DISPLAYNAME");
        if (Found == Entry->Values.end() || Found->second.Type != platform::RegSz) continue;
        std::u16string Name;
        const std::string& Bytes = Found->second.Data;
        for (std::size_t I = 0; I + 1 < Bytes.size(); I += 2) {
          Name += static_cast<char16_t>(static_cast<unsigned char>(Bytes[I]) |
                                        static_cast<unsigned char>(Bytes[I + 1]) << 8);
        }
        Names.push_back(Name.substr(0, Name.find(u'\0')));
      }
    }
  };
  Collect(platform::HkeyLocalMachine, fuzz::registry_input::KnownPaths[2]);
  Collect(platform::HkeyLocalMachine, fuzz::registry_input::KnownPaths[3]);
  Collect(platform::HkeyCurrentUser, fuzz::registry_input::KnownPaths[2]);
  const std::vector<std::vector<std::u16string>> Lists{
      Names,
      {u"HP LaserJet", u"hp laserjet", u"Microsoft Print to PDF", u"co-op", u"coop", u"Co-Op",
       u"\u00C9clair", u"eclair", u"O'Brien", u"OBrien"},
  };
  const char* ListNames[] = {"installed-programs", "printers-and-marks"};
  for (std::size_t L = 0; L < Lists.size(); ++L) {
    fuzz::TSeedWriter Out;
    for (const std::u16string& Line : Lists[L]) {
      Out.Bool(true);
      Out.Text16(Line);
    }
    Save("string_list", ListNames[L], Out.Input());
  }
}

// ---- EDID ---------------------------------------------------------------------------------------

// Blocks of both layouts: EDID 1.4 with descriptors and an extension block after it, EDID 1.3
// with a numeric serial only, a model year, and a block one byte short.
void EdidSeeds() {
  const auto Text = [](const std::vector<std::uint8_t>& Bytes) {
    return std::string(Bytes.begin(), Bytes.end());
  };
  std::vector<std::uint8_t> Extended = edid::Block(edid::OfficeDell());
  Extended[126] = 1;
  edid::FixChecksum(Extended);
  Extended.resize(256, 0);
  Extended[128] = 0x02;  // a CTA-861 extension's tag
  Extended[129] = 0x03;
  Save("edid", "dell-1.4-extension", Text(Extended));
  Save("edid", "samsung-1.3-numeric-serial", Text(edid::Block(edid::OfficeSamsung())));
  Save("edid", "model-year-no-descriptors", Text(edid::Block({"LEN", 2, 0, 0xFF, 30, 4, "", ""})));
  std::vector<std::uint8_t> Short = edid::Block(edid::OfficeDell());
  Short.pop_back();
  Save("edid", "one-byte-short", Text(Short));
}

}  // namespace

// ---- smbios ----------------------------------------------------------------------------------

// The simulated machines' tables: a desktop, a notebook and a board of placeholders cut short.
void SmbiosSeeds() {
  Save("smbios", "office-desktop", smbios_tables::OfficeDesktop());
  Save("smbios", "laptop", smbios_tables::Laptop());
  Save("smbios", "placeholders", smbios_tables::Placeholders());
}

// ---- GLPI's answers ------------------------------------------------------------------------------

void GlpiAnswerSeeds() {
  const std::vector<std::tuple<const char*, std::uint16_t, std::string>> Answers{
      {"glpi10-accepted", 200, R"({"RESPONSE":"SEND"})"},
      {"status-ok", 200, R"({"status":"ok","expiration":24})"},
      {"refused", 400, R"({"status":"error","message":"JSON does not validate.\n Violations: x"})"},
      {"escapes", 400, R"({"status":"error","message":"Importa\u00e7\u00e3o \ud83d\ude00"})"},
      {"disabled", 200, "Inventory is disabled"},
      {"login-page", 200, "<!DOCTYPE html>\r\n<html><title>GLPI</title></html>"},
      {"nested", 200, R"({"a":[1,-2.5e3,true,null,{"b":"}"}],"status":"ok"})"},
  };
  for (const auto& [Name, Status, Body] : Answers) {
    fuzz::TSeedWriter Out;
    Out.Integral<std::uint16_t>(Status);
    Out.Raw(Body);
    Save("glpi_answer", Name, Out.Input());
  }
}

int main(int Argc, char** Argv) {
  if (Argc != 3) {
    std::cerr << "usage: make_seeds FIXTURES_DIR CORPUS_DIR\n";
    return 2;
  }
  try {
    const fs::path Fixtures = Argv[1];
    CorpusDir = Argv[2];
    RegistrySeeds(Fixtures);
    NetworkSeeds();
    PrinterSeeds();
    TextSeeds(Fixtures);
    SmbiosSeeds();
    EdidSeeds();
    GlpiAnswerSeeds();
    ReleasePrinter();
  } catch (const std::exception& E) {
    Fail(E.what());
  }
  std::cout << "make_seeds: " << Written << " seed inputs in " << CorpusDir.string() << "\n";
  return 0;
}
