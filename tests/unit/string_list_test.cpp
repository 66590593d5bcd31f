#include <algorithm>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "simulated_machine.h"
#include "text/exceptions.h"
#include "text/string_list.h"

namespace {

class StringListTest : public SimulatedMachineTest {};

std::vector<std::u16string> Lines(const TStringList& List) {
  std::vector<std::u16string> Result;
  for (const std::u16string& Line : List) Result.push_back(Line);
  return Result;
}

TStringList ListOf(std::initializer_list<std::u16string> Items) {
  TStringList List;
  for (const std::u16string& Item : Items) List.Add(Item);
  return List;
}

template <typename TCall>
std::string ErrorOf(TCall Call) {
  try {
    Call();
  } catch (const Exception& E) {
    return U8(E.ClassName()) + ": " + U8(E.Message);
  }
  return "no error";
}

TEST_F(StringListTest, ReadsOutsideTheListNameTheIndexAndTheRange) {
  const TStringList Empty;
  const TStringList Three = ListOf({u"a", u"b", u"c"});
  EXPECT_EQ(ErrorOf([&] { (void)Empty.Get(0); }),
            "EStringListError: List index out of bounds (0).  TStringList is empty");
  EXPECT_EQ(ErrorOf([&] { (void)Three.Get(3); }),
            "EStringListError: List index out of bounds (3).  TStringList range is 0..2");
  EXPECT_EQ(ErrorOf([&] { (void)Three.GetObject(-1); }),
            "EStringListError: List index out of bounds (-1).  TStringList range is 0..2");
  EXPECT_EQ(Three.Get(2), u"c");
  EXPECT_EQ(Three.GetObject(0), nullptr);
}

TEST_F(StringListTest, CapacityGrowsByFourThenSixteenThenHalf) {
  TStringList List;
  std::vector<std::int32_t> Seen{List.Capacity()};
  for (int I = 0; I < 172; ++I) {
    EXPECT_EQ(List.Add(u"line"), I);
    if (List.Capacity() != Seen.back()) Seen.push_back(List.Capacity());
  }
  EXPECT_EQ(Seen, (std::vector<std::int32_t>{0, 4, 8, 12, 28, 44, 60, 76, 114, 171, 256}));
}

TEST_F(StringListTest, ClearReleasesStorageButNotAttachedObjects) {
  struct TTracked : TObject {
    explicit TTracked(bool& D) : Destroyed(D) {}
    ~TTracked() override { Destroyed = true; }
    bool& Destroyed;
  };
  bool Destroyed = false;
  TTracked Object(Destroyed);
  TStringList List;
  List.AddObject(u"printer", &Object);
  EXPECT_EQ(List.GetObject(0), &Object);
  List.Clear();
  EXPECT_EQ(List.Count(), 0);
  EXPECT_EQ(List.Capacity(), 0);
  EXPECT_FALSE(Destroyed);
}

TEST_F(StringListTest, IndexOfNeedsEqualLengthAndTheLocaleComparison) {
  const TStringList List = ListOf({u"\u2022 Editor", u"\u2022 FOO", u"\u2022 foo", u"a\u00ADb"});
  struct TCase {
    std::u16string Wanted;
    std::int32_t Index;
  };
  const std::vector<TCase> Cases{
      {u"\u2022 Foo", 1},   // case is ignored, and the first of two equal lines wins
      {u"\u2022 Foo ", -1},  // a trailing blank is a different line
      {u"\u2022 \u00C9ditor", -1},
      {u"\u2022 editor", 0},
      {u"ab", -1},  // the locale calls it equal to "a-soft-hyphen-b", but the lengths differ
      {u"", -1},
  };
  for (const TCase& C : Cases) EXPECT_EQ(List.IndexOf(C.Wanted), C.Index) << U8(C.Wanted);
  EXPECT_EQ(TStringList::CompareStrings(u"ab", u"a\u00ADb"), 0);
  EXPECT_EQ(TStringList().IndexOf(u"x"), -1);
}

TEST_F(StringListTest, AFailedComparisonSortsBeforeAndNeverMatches) {
  Machine().FailCall("CompareStringW", platform::ErrorInvalidParameter);
  EXPECT_EQ(TStringList::CompareStrings(u"b", u"a"), -2);
  EXPECT_EQ(ListOf({u"a"}).IndexOf(u"a"), -1);
}

TEST_F(StringListTest, SortIsTheLocaleOrderAndPlacesEqualLinesDeterministically) {
  struct TCase {
    std::vector<std::u16string> Input, Sorted;
  };
  const std::vector<TCase> Cases{
      {{u"\u2022 delta", u"\u2022 Alpha", u"\u2022 7 Tools", u"\u2022 bravo"},
       {u"\u2022 7 Tools", u"\u2022 Alpha", u"\u2022 bravo", u"\u2022 delta"}},
      // Lines equal but for case end up where this quicksort's exchanges leave them.
      {{u"b", u"B", u"a", u"A", u"b2"}, {u"A", u"a", u"b", u"B", u"b2"}},
      {{u"B", u"b", u"a"}, {u"a", u"b", u"B"}},
      {{u"c", u"C", u"b", u"B", u"a", u"A", u"c"}, {u"a", u"A", u"B", u"b", u"c", u"c", u"C"}},
      {{u"\u00E9clair", u"Eclair", u"ecl"}, {u"ecl", u"Eclair", u"\u00E9clair"}},
  };
  for (const TCase& C : Cases) {
    TStringList List;
    for (const auto& Line : C.Input) List.Add(Line);
    List.Sort();
    EXPECT_EQ(Lines(List), C.Sorted) << U8(C.Input.front());
  }
}

TEST_F(StringListTest, SortingFewerThanTwoLinesComparesNothing) {
  TStringList One = ListOf({u"only"});
  TStringList None;
  One.Sort();
  None.Sort();
  EXPECT_EQ(Machine().CallCount("CompareStringW"), 0);
  EXPECT_EQ(One.Get(0), u"only");
}

TEST_F(StringListTest, TextPutsCrLfAfterEveryLineAndKeepsEmbeddedBreaks) {
  EXPECT_EQ(TStringList().Text(), u"");
  EXPECT_EQ(ListOf({u"a", u"", u"b"}).Text(), u"a\r\n\r\nb\r\n");
  EXPECT_EQ(ListOf({u"A", u"p1\r\np2\r\n", u"B"}).Text(), u"A\r\np1\r\np2\r\n\r\nB\r\n");
}

TEST_F(StringListTest, EnumerationSeesLinesAddedDuringTheWalk) {
  EXPECT_TRUE(Lines(TStringList()).empty());
  TStringList List = ListOf({u"0", u"1", u"2"});
  std::vector<std::u16string> Visited;
  TStringsEnumerator Walk = List.GetEnumerator();
  while (Walk.MoveNext()) {
    Visited.push_back(Walk.GetCurrent());
    if (List.Count() < 4) List.Add(u"3");
  }
  EXPECT_EQ(Visited, (std::vector<std::u16string>{u"0", u"1", u"2", u"3"}));
  EXPECT_FALSE(Walk.MoveNext());
}

TEST_F(StringListTest, SaveToFileWritesThePreambleThenUtf8) {
  struct TCase {
    TStringList List;
    std::string Bytes;
  };
  std::vector<TCase> Cases;
  Cases.push_back({TStringList(), "\xEF\xBB\xBF"});
  Cases.push_back({ListOf({u"x"}), "\xEF\xBB\xBFx\r\n"});
  Cases.push_back({ListOf({u"\u00D3\U0001F4BB\uFE0F"}), "\xEF\xBB\xBF\xC3\x93\xF0\x9F\x92\xBB\xEF\xB8\x8F\r\n"});
  Cases.push_back({ListOf({std::u16string(1, u'\xD800')}), "\xEF\xBB\xBF\xEF\xBF\xBD\r\n"});
  for (const TCase& C : Cases) {
    C.List.SaveToFile(u"C:\\out.txt", &TEncoding::UTF8());
    EXPECT_EQ(Machine().FileSystem.FileData(u"C:\\out.txt"), C.Bytes);
  }
  EXPECT_EQ(Machine().OpenHandleCount(), 0U);
}

TEST_F(StringListTest, SavingOverALongerFileLeavesOnlyTheNewText) {
  Machine().FileSystem.PutFile(u"C:\\out.txt", std::string(1000, 'z'));
  ListOf({u"new"}).SaveToFile(u"C:\\out.txt", &TEncoding::UTF8());
  EXPECT_EQ(Machine().FileSystem.FileData(u"C:\\out.txt"), "\xEF\xBB\xBFnew\r\n");
}

TEST_F(StringListTest, SaveFailuresRaiseTheStreamErrorsAndReleaseEverything) {
  struct TCase {
    const char* Name;
    void (*Arrange)(platform::simulated::TMachine&);
    std::u16string Path;
    std::string Error;
    std::optional<std::string> Left;  // what stays on disk
  };
  const std::vector<TCase> Cases{
      {"missing folder", [](auto&) {}, u"C:\\Nope\\..\\Nope\\r.txt",
       "EFCreateError: Cannot create file \"C:\\Nope\\r.txt\". The system cannot find the path "
       "specified",
       std::nullopt},
      {"file held open", [](auto& M) {
         M.FileSystem.PutFile(u"C:\\r.txt", "old");
         platform::CreateFileW(u"C:\\r.txt", platform::GenericRead, 0, nullptr,
                               platform::OpenExisting, 0, platform::NullHandle);
       },
       u"C:\\r.txt",
       "EFCreateError: Cannot create file \"C:\\r.txt\". The process cannot access the file "
       "because it is being used by another process",
       "old"},
      {"disk full midway", [](auto& M) { M.FileSystem.Limit = platform::simulated::TWriteLimit{5, 112}; },
       u"C:\\r.txt", "EWriteError: Stream write error: There is not enough space on the disk",
       "\xEF\xBB\xBFli"},
      {"write that moves nothing", [](auto& M) { M.FileSystem.Limit = platform::simulated::TWriteLimit{3, 0}; },
       u"C:\\r.txt", "EWriteError: Stream write error", "\xEF\xBB\xBF"},
  };
  for (const TCase& C : Cases) {
    platform::simulated::ResetMachine();
    C.Arrange(Machine());
    const std::size_t HandlesBefore = Machine().OpenHandleCount();
    EXPECT_EQ(ErrorOf([&] { ListOf({u"line"}).SaveToFile(C.Path, &TEncoding::UTF8()); }), C.Error)
        << C.Name;
    EXPECT_EQ(Machine().FileSystem.FileData(C.Path), C.Left) << C.Name;
    EXPECT_EQ(Machine().OpenHandleCount(), HandlesBefore) << C.Name;
    EXPECT_EQ(Machine().OutstandingBlocks(), 0U) << C.Name;
  }
}

}  // namespace

namespace {

// Removing later duplicates must keep exactly the lines that adding each only when IndexOf
// misses would keep, in the same order, on any list: checked against that rule on random lists
// full of case variants, accents, ignorable characters and lines of equal length.
TEST_F(StringListTest, RemovingLaterDuplicatesMatchesIndexOfOnRandomLists) {
  const std::vector<std::u16string> Pieces{u"a", u"A", u"\u00E1", u"b", u"B", u"-", u"\u00AD", u" ", u"7", u"\u00C9", u"e"};
  std::mt19937 Random(2026);
  for (int Round = 0; Round < 300; ++Round) {
    TStringList List;
    TStringList Expected;
    const int Count = static_cast<int>(Random() % 40);
    for (int I = 0; I < Count; ++I) {
      std::u16string Line;
      for (int Length = static_cast<int>(Random() % 4); Length >= 0; --Length) Line += Pieces[Random() % Pieces.size()];
      List.Add(Line);
      if (Expected.IndexOf(Line) < 0) Expected.Add(Line);
    }
    List.RemoveLaterDuplicates();
    ASSERT_EQ(Lines(List), Lines(Expected)) << Round;
  }
}

// A comparison that fails answers "before" for that one pair, which makes the answers contradict
// each other: whichever comparison fails, the lines kept are still exactly IndexOf's, and nothing
// is read outside the list; sorting, with every comparison from one on failing, keeps its lines.
TEST_F(StringListTest, RemovingLaterDuplicatesAndSortingSurviveAComparisonFailingAnywhere) {
  std::mt19937 Random(7);
  std::vector<std::u16string> Names;
  for (int I = 0; I < 60; ++I) {
    std::u16string Name = u"Programa ";
    for (int K = 0; K < 3; ++K) Name += static_cast<char16_t>((Random() % 2 == 0 ? u'a' : u'A') + Random() % 3);
    Names.push_back(Name);
  }
  TStringList Expected;
  for (const std::u16string& Name : Names) {
    if (Expected.IndexOf(Name) < 0) Expected.Add(Name);
  }
  const auto ListOfNames = [&] {
    TStringList List;
    for (const std::u16string& Name : Names) List.Add(Name);
    return List;
  };
  const int Before = Machine().CallCount("CompareStringW");
  TStringList Clean = ListOfNames();
  Clean.RemoveLaterDuplicates();
  const int Calls = Machine().CallCount("CompareStringW") - Before;
  for (int Failing = 0; Failing < Calls; ++Failing) {
    Machine().FailCall("CompareStringW", platform::ErrorInvalidParameter, Failing, 1);
    TStringList List = ListOfNames();
    List.RemoveLaterDuplicates();
    ASSERT_EQ(Lines(List), Lines(Expected)) << "comparison " << Failing << " failing";
  }
  // Sorting by the comparison alone (no keys), every comparison from one on failing.
  const auto SortedFailingFrom = [&](int Failing) {
    platform::simulated::ResetMachine();
    Machine().FailCall("LCMapStringW", platform::ErrorInvalidParameter);
    Machine().FailCall("CompareStringW", platform::ErrorInvalidParameter, Failing);
    TStringList List = ListOfNames();
    List.Sort();
    return Lines(List);
  };
  (void)SortedFailingFrom(std::numeric_limits<int>::max());  // none fails: counts what a sort asks
  const int SortCalls = Machine().CallCount("CompareStringW");
  for (int Failing = 0; Failing < SortCalls; ++Failing) {
    const std::vector<std::u16string> Sorted = SortedFailingFrom(Failing);
    ASSERT_TRUE(std::is_permutation(Sorted.begin(), Sorted.end(), Names.begin(), Names.end())) << Failing;
  }
}

}  // namespace

namespace {

// Sorting by the locale's sort keys must leave every line exactly where sorting by the comparison
// itself does, equal lines included, and must take that faster way whenever it can: only the
// neighbours are compared after it. Checked on random lists of case variants, accents, hyphens
// and repeats, against the same lists sorted with sort keys unavailable.
TEST_F(StringListTest, SortingBySortKeysPlacesEveryLineAsTheComparisonDoes) {
  const std::vector<std::u16string> Pieces{u"a",      u"A", u"\u00E1", u"b", u"B", u"-", u"'",
                                           u"\u00AD", u" ", u"7",      u"e", u"\u00C9", u"\u2022 "};
  // First, empty lines and lines whose keys outgrow the room first offered for them.
  std::vector<std::vector<std::u16string>> Inputs{
      {u"", std::u16string(40, u'-'), u"a", u"", std::u16string(40, u'\''), u"A", std::u16string(39, u'-')}};
  std::mt19937 Random(909);
  for (int Round = 0; Round < 200; ++Round) {
    std::vector<std::u16string> Input;
    for (int I = static_cast<int>(Random() % 50); I >= 0; --I) {
      std::u16string Line;
      for (int Length = static_cast<int>(Random() % 5); Length >= 0; --Length) Line += Pieces[Random() % Pieces.size()];
      Input.push_back(Line);
    }
    Inputs.push_back(std::move(Input));
  }
  for (std::size_t Round = 0; Round < Inputs.size(); ++Round) {
    const std::vector<std::u16string>& Input = Inputs[Round];
    TStringList ByKeys;
    TStringList ByComparison;
    for (const std::u16string& Line : Input) {
      ByKeys.Add(Line);
      ByComparison.Add(Line);
    }
    const int Before = Machine().CallCount("CompareStringW");
    ByKeys.Sort();
    ASSERT_EQ(Machine().CallCount("CompareStringW") - Before, ByKeys.Count() - 1) << "round " << Round;
    Machine().FailCall("LCMapStringW", platform::ErrorInvalidParameter);
    ByComparison.Sort();
    platform::simulated::ResetMachine();
    ASSERT_EQ(Lines(ByKeys), Lines(ByComparison)) << "round " << Round;
  }
}

// Conjoining Hangul letters are where the system's comparison is known to contradict itself, which
// keys could not reproduce: a list holding any is sorted by the comparison, without asking for keys.
TEST_F(StringListTest, LinesWithConjoiningHangulAreSortedWithoutKeys) {
  // A letter from each block of conjoining jamo (the first two from a trio Windows is known to
  // order in a circle), each in a list of its own.
  for (const char16_t Jamo : {u'\u1188', u'\u11A7', u'\uA960', u'\uD7B0'}) {
    platform::simulated::ResetMachine();
    TStringList List = ListOf({u"b", std::u16string{u'a', Jamo}, u"A"});
    List.Sort();
    List.RemoveLaterDuplicates();
    EXPECT_EQ(Machine().CallCount("LCMapStringW"), 0) << static_cast<int>(Jamo);
  }
  platform::simulated::ResetMachine();
  TStringList Hangul = ListOf({u"b", u"\uD7A2", u"a"});  // a whole syllable is not jamo
  Hangul.Sort();
  EXPECT_GT(Machine().CallCount("LCMapStringW"), 0);
}

// Keys that disagree with the comparison (here they follow Swedish, where "ä" comes after "z",
// while the comparison follows Portuguese) are caught by the neighbour checks: both operations
// then give the comparison's own results.
TEST_F(StringListTest, SortKeysThatDisagreeWithTheComparisonAreNotTrusted) {
  const std::vector<std::u16string> Input{u"z", u"\u00E4", u"Z", u"\u00C4", u"a", u"z", u"b"};
  const auto ListOfInput = [&] {
    TStringList List;
    for (const std::u16string& Line : Input) List.Add(Line);
    return List;
  };
  Machine().FailCall("LCMapStringW", platform::ErrorInvalidParameter);
  TStringList ExpectedSorted = ListOfInput();
  ExpectedSorted.Sort();
  platform::simulated::ResetMachine();
  Machine().SortKeyLocale = 0x041D;
  TStringList Sorted = ListOfInput();
  Sorted.Sort();
  EXPECT_EQ(Lines(Sorted), Lines(ExpectedSorted));
  EXPECT_EQ(Lines(Sorted), (std::vector<std::u16string>{u"a", u"\u00C4", u"\u00E4", u"b", u"z", u"z", u"Z"}));
  TStringList Unique = ListOfInput();
  Unique.RemoveLaterDuplicates();
  EXPECT_EQ(Lines(Unique), (std::vector<std::u16string>{u"z", u"\u00E4", u"a", u"b"}));
}

}  // namespace
