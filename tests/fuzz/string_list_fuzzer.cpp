// TStringList's Sort, IndexOf and RemoveLaterDuplicates on any lines: accents, case, the hyphens
// and apostrophes a word sort sets aside, combining marks, NULs, unpaired surrogates.
//
// Properties: IndexOf answers the first line of the same length that compares equal, or -1 when
// there is none; RemoveLaterDuplicates keeps what repeated IndexOf calls would; Sort keeps every
// line with its object (a permutation) and leaves them in the comparison's order, and the
// comparison it relies on is antisymmetric; sorting by sort keys gives the same order, line for
// line, as sorting by the comparison itself.
//
// Input: lines until the input ends, each from the front, spelled either in an alphabet of the
// characters that make collation interesting or as raw UTF-16 units.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "platform/simulated/machine.h"
#include "text/string_list.h"

namespace {

// clang-format off
constexpr std::array<char16_t, 28> Alphabet{
    u'a', u'b', u'e', u's', u'A', u'B', u'E', u'S', u'1', u' ', u'.', u'-', u'\'',
    u'\u00E1', u'\u00C1', u'\u00E9', u'\u00DF', u'\u00E6', u'\u0301', u'\u2013', u'\uFF0D',
    u'\uFF07', u'\u2022', u'\0', char16_t{0xD83D}, char16_t{0xDCBB}, u'\uFFFD', u'\u00A0'};
// clang-format on

constexpr std::size_t MaxLines = 64;

class TTag : public TObject {
 public:
  explicit TTag(std::size_t AIndex) : Index(AIndex) {}
  std::size_t Index;
};

std::u16string ConsumeLine(FuzzedDataProvider& In) {
  if (In.ConsumeBool()) return fuzz::ConsumeText16(In, 48);
  std::u16string Line;
  for (const char C : In.ConsumeRandomLengthString(48)) {
    Line += Alphabet[static_cast<unsigned char>(C) % Alphabet.size()];
  }
  return Line;
}

int Sign(int Comparison) { return Comparison < 0 ? -1 : Comparison > 0 ? 1 : 0; }

void CheckAntisymmetric(const std::u16string& A, const std::u16string& B) {
  const int AB = TStringList::CompareStrings(A, B);
  const int BA = TStringList::CompareStrings(B, A);
  fuzz::Check(AB != -2 && BA != -2, "the comparison failed", A);
  fuzz::Check(Sign(AB) == -Sign(BA), "the comparison is not antisymmetric", A + u" <> " + B);
}

// The line's sort key as the list asks for it, or empty when the call fails.
std::vector<std::uint8_t> SortKey(const std::u16string& Line) {
  constexpr std::uint32_t Flags = platform::LcmapSortKey | platform::NormIgnoreCase;
  const int Count = Line.empty() ? -1 : static_cast<int>(Line.size());
  const int Size = platform::LCMapStringW(platform::LocaleUserDefault, Flags, Line.c_str(), Count, nullptr, 0);
  std::vector<std::uint8_t> Key(static_cast<std::size_t>(std::max(Size, 0)));
  if (Size <= 0 || platform::LCMapStringW(platform::LocaleUserDefault, Flags, Line.c_str(), Count, Key.data(), Size) != Size) {
    return {};
  }
  return Key;
}

// Keys must order two lines exactly as the comparison does: the list relies on it to sort fast.
void CheckKeysOrderAsTheComparison(const std::u16string& A, const std::u16string& B) {
  const std::vector<std::uint8_t> KeyA = SortKey(A);
  const std::vector<std::uint8_t> KeyB = SortKey(B);
  fuzz::Check(!KeyA.empty() && !KeyB.empty(), "no sort key", A + u" / " + B);
  const int ByKeys = KeyA < KeyB ? -1 : KeyA == KeyB ? 0 : 1;
  fuzz::Check(ByKeys == Sign(TStringList::CompareStrings(A, B)), "sort keys order two lines otherwise than the comparison",
              A + u" <> " + B);
}

std::int32_t FirstEqual(const std::vector<std::u16string>& Lines, const std::u16string& S) {
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    if (Lines[I].size() == S.size() && TStringList::CompareStrings(Lines[I], S) == 0) {
      return static_cast<std::int32_t>(I);
    }
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const fuzz::TFreshMachine Fresh;
  FuzzedDataProvider In(Data, Size);
  std::vector<std::u16string> Lines;
  while (In.remaining_bytes() > 0 && Lines.size() < MaxLines) Lines.push_back(ConsumeLine(In));

  std::vector<std::unique_ptr<TTag>> Tags;
  TStringList List;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    Tags.push_back(std::make_unique<TTag>(I));
    List.AddObject(Lines[I], Tags.back().get());
  }

  for (const std::u16string& Line : Lines) {
    for (const std::u16string& Probe :
         {Line, platform::simulated::ToUpperAscii(Line), Line + u"-"}) {
      fuzz::Check(List.IndexOf(Probe) == FirstEqual(Lines, Probe),
                  "IndexOf missed the first equal line", Probe);
    }
  }

  // Dropping later duplicates keeps exactly the lines that adding one by one, each only when
  // IndexOf misses, would keep, in their order and with their objects.
  TStringList Unique = List;
  Unique.RemoveLaterDuplicates();
  std::vector<std::u16string> Kept;
  std::vector<std::size_t> KeptIndex;
  for (std::size_t I = 0; I < Lines.size(); ++I) {
    if (FirstEqual(Kept, Lines[I]) >= 0) continue;
    Kept.push_back(Lines[I]);
    KeptIndex.push_back(I);
  }
  fuzz::Check(Unique.Count() == static_cast<std::int32_t>(Kept.size()),
              "RemoveLaterDuplicates kept another number of lines");
  for (std::int32_t I = 0; I < Unique.Count(); ++I) {
    const auto* Tag = dynamic_cast<const TTag*>(Unique.GetObject(I));
    fuzz::Check(Tag != nullptr && Tag->Index == KeptIndex[static_cast<std::size_t>(I)] &&
                    Unique.Get(I) == Kept[static_cast<std::size_t>(I)],
                "RemoveLaterDuplicates kept another line", Unique.Get(I));
  }

  // Sorting by the comparison alone (no sort keys to be had) must place every line, equal ones
  // included, exactly where the sort-key way does.
  TStringList ByComparison = List;
  List.Sort();
  platform::simulated::Machine().FailCall("LCMapStringW", 87);
  ByComparison.Sort();
  platform::simulated::Machine().FailCall("LCMapStringW", 87, 0, 0);  // keys can be had again
  for (std::int32_t I = 0; I < List.Count() && I < ByComparison.Count(); ++I) {
    fuzz::Check(List.GetObject(I) == ByComparison.GetObject(I),
                "sorting by sort keys placed a line elsewhere than the comparison", List.Get(I));
  }
  fuzz::Check(List.Count() == static_cast<std::int32_t>(Lines.size()),
              "Sort changed the number of lines");
  std::vector<bool> Seen(Lines.size(), false);
  for (std::int32_t I = 0; I < List.Count(); ++I) {
    const auto* Tag = dynamic_cast<const TTag*>(List.GetObject(I));
    fuzz::Check(Tag != nullptr && !Seen[Tag->Index], "Sort lost or doubled a line's object");
    Seen[Tag->Index] = true;
    fuzz::Check(List.Get(I) == Lines[Tag->Index], "Sort separated a line from its object",
                List.Get(I));
    if (I > 0) {
      CheckAntisymmetric(List.Get(I - 1), List.Get(I));
      CheckKeysOrderAsTheComparison(List.Get(I - 1), List.Get(I));
      CheckKeysOrderAsTheComparison(Lines[static_cast<std::size_t>(I - 1)], Lines[static_cast<std::size_t>(I)]);
      fuzz::Check(TStringList::CompareStrings(List.Get(I - 1), List.Get(I)) <= 0,
                  "Sort left lines out of order", List.Get(I - 1) + u" > " + List.Get(I));
    }
  }
  // Order holds across the whole list, not only between neighbours.
  for (std::int32_t I = 0; I + 2 < List.Count(); ++I) {
    fuzz::Check(TStringList::CompareStrings(List.Get(I), List.Get(List.Count() - 1)) <= 0,
                "the comparison is not transitive",
                List.Get(I) + u" > " + List.Get(List.Count() - 1));
  }
  return 0;
}
