#include "text/string_list.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <numeric>
#include <optional>
#include <span>
#include <utility>

#include "platform/platform.h"
#include "text/exceptions.h"
#include "text/file_stream.h"
#include "text/format.h"
#include "text/sys_utils.h"

TEncoding::TEncoding(std::uint32_t CodePage, std::string Preamble)
    : FCodePage(CodePage), FPreamble(std::move(Preamble)) {}

const TEncoding& TEncoding::UTF8() {
  static const TEncoding Instance(platform::CpUtf8, "\xEF\xBB\xBF");
  return Instance;
}

const TEncoding& TEncoding::Default() {
  static const TEncoding Instance(platform::GetACP(), "");
  return Instance;
}

std::string TEncoding::GetBytes(std::u16string_view Text) const {
  if (std::optional<std::string> Bytes = WideToCodePage(FCodePage, Text)) return *std::move(Bytes);
  throw EEncodingError(SysErrorMessage(platform::GetLastError()));
}

bool TStringsEnumerator::MoveNext() {
  if (FIndex >= FStrings->Count() - 1) return false;
  ++FIndex;
  return true;
}

const std::u16string& TStringsEnumerator::GetCurrent() const { return FStrings->Get(FIndex); }

std::int32_t TStringList::Add(std::u16string S) { return AddObject(std::move(S), nullptr); }

std::int32_t TStringList::AddObject(std::u16string S, TObject* AObject) {
  const std::int32_t Index = Count();
  if (Index == FCapacity) Grow();
  FList.push_back(TStringItem{std::move(S), AObject});
  return Index;
}

void TStringList::Grow() {
  std::int64_t NewCapacity = FCapacity;
  while (NewCapacity < static_cast<std::int64_t>(Count()) + 1) {
    NewCapacity += NewCapacity > 64 ? NewCapacity / 2 : NewCapacity > 8 ? 16 : 4;
  }
  if (NewCapacity > std::numeric_limits<std::int32_t>::max()) {
    throw EListError(Format(u"List capacity out of bounds (%d)", {NewCapacity}));
  }
  FList.reserve(static_cast<std::size_t>(NewCapacity));
  FCapacity = static_cast<std::int32_t>(NewCapacity);
}

const std::u16string& TStringList::Get(std::int32_t Index) const {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  return FList[static_cast<std::size_t>(Index)].FString;
}

TObject* TStringList::GetObject(std::int32_t Index) const {
  if (Index < 0 || Index >= Count()) RaiseIndexError(Index);
  return FList[static_cast<std::size_t>(Index)].FObject;
}

void TStringList::RaiseIndexError(std::int32_t Index) const {
  std::u16string Message = Format(u"List index out of bounds (%d)", {Index});
  if (FList.empty()) {
    Message += Format(u".  %s is empty", {u"TStringList"});
  } else {
    Message += Format(u".  %s range is 0..%d", {u"TStringList", Count() - 1});
  }
  throw EStringListError(Message);
}

void TStringList::Clear() {
  if (FList.empty()) return;
  std::vector<TStringItem>().swap(FList);
  FCapacity = 0;
}

int TStringList::CompareStrings(std::u16string_view S1, std::u16string_view S2) {
  return platform::CompareStringW(platform::LocaleUserDefault, platform::NormIgnoreCase, S1.data(),
                                  static_cast<int>(S1.size()), S2.data(),
                                  static_cast<int>(S2.size())) -
         2;
}

std::int32_t TStringList::IndexOf(std::u16string_view S) const {
  for (std::size_t I = 0; I < FList.size(); ++I) {
    const std::u16string& Line = FList[I].FString;
    if (Line.size() == S.size() && CompareStrings(Line, S) == 0) return static_cast<std::int32_t>(I);
  }
  return -1;
}

namespace {

// Windows compares some sequences of conjoining Hangul letters (jamo) inconsistently: A before B
// and B before C, yet C before A. Keys, being bytes, are always consistent, so for such text they
// cannot stand in for the comparison.
bool HasConjoiningJamo(std::u16string_view Line) {
  return std::any_of(Line.begin(), Line.end(), [](char16_t C) {
    return (C >= 0x1100 && C <= 0x11FF) || (C >= 0xA960 && C <= 0xA97F) || (C >= 0xD7B0 && C <= 0xD7FF);
  });
}

// Every line's sort key from the locale, packed in one buffer. Comparing two keys byte by byte
// orders their lines as the locale's comparison does, at a fraction of its cost, so a list is
// put in order with one key per line instead of a comparison per step.
class TSortKeys {
  static constexpr std::size_t MaxLine = (std::numeric_limits<int>::max() - 64) / 4;  // its room stays an int

 public:
  // Nothing when the system cannot give a key for every line, or keys may not order as the
  // comparison does.
  template <typename TItems>
  static std::optional<TSortKeys> Of(const TItems& Items) {
    constexpr std::uint32_t Flags = platform::LcmapSortKey | platform::NormIgnoreCase;
    if (std::any_of(Items.begin(), Items.end(), [](const auto& Item) {
          return Item.FString.size() > MaxLine || HasConjoiningJamo(Item.FString);
        })) {
      return std::nullopt;
    }
    TSortKeys Keys;
    Keys.FEnds.reserve(Items.size());
    for (const auto& Item : Items) {
      const std::u16string& Line = Item.FString;
      // An empty count is refused; the empty text is passed as a terminated one instead.
      const int Count = Line.empty() ? -1 : static_cast<int>(Line.size());
      const std::size_t Start = Keys.FBytes.size();
      // The key written at Start with Room bytes for it (none: only its size); 0 on failure.
      const auto Map = [&](std::size_t Room) {
        Keys.FBytes.resize(Start + Room);
        return platform::LCMapStringW(platform::LocaleUserDefault, Flags, Line.c_str(), Count,
                                      Room == 0 ? nullptr : Keys.FBytes.data() + Start, static_cast<int>(Room));
      };
      int Size = Map(4 * Line.size() + 64);  // enough for most keys in one call
      if (Size == 0 && platform::GetLastError() == platform::ErrorInsufficientBuffer) {
        Size = Map(0);
        if (Size > 0) Size = Map(static_cast<std::size_t>(Size));
      }
      if (Size <= 0) return std::nullopt;
      Keys.FBytes.resize(Start + static_cast<std::size_t>(Size));
      Keys.FEnds.push_back(Keys.FBytes.size());
    }
    return Keys;
  }

  // -1, 0 or 1, as CompareStrings answers for the two lines.
  [[nodiscard]] int Compare(std::size_t A, std::size_t B) const {
    const std::span<const std::uint8_t> X = Key(A);
    const std::span<const std::uint8_t> Y = Key(B);
    const int Result = std::memcmp(X.data(), Y.data(), std::min(X.size(), Y.size()));
    if (Result != 0) return Result < 0 ? -1 : 1;
    return X.size() == Y.size() ? 0 : X.size() < Y.size() ? -1 : 1;
  }

 private:
  [[nodiscard]] std::span<const std::uint8_t> Key(std::size_t Index) const {
    const std::size_t Start = Index == 0 ? 0 : FEnds[Index - 1];
    return {FBytes.data() + Start, FEnds[Index] - Start};
  }

  std::vector<std::uint8_t> FBytes;
  std::vector<std::size_t> FEnds;  // where each line's key ends in FBytes
};

// A stable merge sort that stays inside its range whatever the comparison answers. The library's
// sorts assume a consistent order and may read past the range when it is not, and the locale's
// comparison is not always consistent: a failed call answers "before" both ways round.
template <typename TLess>
void MergeSort(std::vector<std::size_t>& Items, TLess Less) {
  std::vector<std::size_t> Merged(Items.size());
  for (std::size_t Width = 1; Width < Items.size(); Width *= 2) {
    const std::size_t* const From = Items.data();
    for (std::size_t Low = 0; Low < Items.size(); Low += 2 * Width) {
      const std::size_t Middle = std::min(Low + Width, Items.size());
      const std::size_t High = std::min(Low + 2 * Width, Items.size());
      std::merge(From + Low, From + Middle, From + Middle, From + High, Merged.data() + Low, Less);
    }
    Items.swap(Merged);
  }
}

// Equal lines land where this particular quicksort puts them; reports depend on that order, so the
// partitioning below is kept step for step. Compare(A, B) answers for the lines at positions A and
// B; Exchange(A, B) swaps them. The scans stop at the ends of the range: a consistent comparison
// never takes them that far, but a failed call answers "before" both ways round, and once the
// pivot has moved behind a scan nothing else would stop it.
template <typename TCompare, typename TExchange>
void QuickSort(std::int32_t L, std::int32_t R, const TCompare& Compare, const TExchange& Exchange) {
  while (L < R) {
    if (R - L == 1) {
      if (Compare(L, R) > 0) Exchange(L, R);
      return;
    }
    std::int32_t I = L;
    std::int32_t J = R;
    std::int32_t P = L + (R - L) / 2;
    do {
      while (I < R && I != P && Compare(I, P) < 0) ++I;
      while (J > L && J != P && Compare(J, P) > 0) --J;
      if (I <= J) {
        if (I != J) Exchange(I, J);
        if (P == I) {
          P = J;
        } else if (P == J) {
          P = I;
        }
        ++I;
        --J;
      }
    } while (I <= J);
    if (J - L > R - I) {
      if (I < R) QuickSort(I, R, Compare, Exchange);
      R = J;
    } else {
      if (L < J) QuickSort(L, J, Compare, Exchange);
      L = I;
    }
  }
}

}  // namespace

void TStringList::RemoveLaterDuplicates() {
  // Lines of one length that compare equal form a class (the comparison is a collation, so
  // equality is transitive); a stable order by length and comparison puts each class together,
  // first line first. The order comes from sort keys when the system gives them, else from the
  // comparison itself. Either way each neighbouring pair is then compared, which finds the
  // duplicates; when those answers contradict the order (a call failed, the comparison is not
  // consistent, or the keys disagree with it), the order cannot be trusted, so the lines are
  // checked one by one against those kept, exactly as repeated IndexOf calls would.
  std::vector<std::size_t> Order(FList.size());
  std::iota(Order.begin(), Order.end(), std::size_t{0});
  bool Failed = false;
  if (const std::optional<TSortKeys> Keys = FList.size() > 1 ? TSortKeys::Of(FList) : std::nullopt) {
    MergeSort(Order, [&](std::size_t A, std::size_t B) {
      const std::size_t X = FList[A].FString.size();
      const std::size_t Y = FList[B].FString.size();
      return X != Y ? X < Y : Keys->Compare(A, B) < 0;
    });
  } else {
    MergeSort(Order, [&](std::size_t A, std::size_t B) {
      const std::u16string& X = FList[A].FString;
      const std::u16string& Y = FList[B].FString;
      if (X.size() != Y.size()) return X.size() < Y.size();
      const int Result = CompareStrings(X, Y);
      Failed = Failed || Result == -2;
      return Result < 0;
    });
  }
  std::vector<bool> Later(FList.size(), false);
  for (std::size_t K = 1; K < Order.size() && !Failed; ++K) {
    const std::u16string& Previous = FList[Order[K - 1]].FString;
    const std::u16string& Current = FList[Order[K]].FString;
    if (Previous.size() != Current.size()) continue;
    const int Result = CompareStrings(Previous, Current);
    // Out of order, or an equal pair whose later line sorted first: the order is not consistent.
    Failed = Result == -2 || Result > 0 || (Result == 0 && Order[K] < Order[K - 1]);
    Later[Order[K]] = Result == 0;
  }
  if (Failed) {
    TStringList Unique;
    for (TStringItem& Item : FList) {
      if (Unique.IndexOf(Item.FString) < 0) Unique.AddObject(std::move(Item.FString), Item.FObject);
    }
    FList.swap(Unique.FList);
    FCapacity = Unique.FCapacity;
    return;
  }
  std::vector<TStringItem> Kept;
  for (std::size_t I = 0; I < FList.size(); ++I) {
    if (!Later[I]) Kept.push_back(std::move(FList[I]));
  }
  FList.swap(Kept);
  FCapacity = static_cast<std::int32_t>(FList.capacity());
}

void TStringList::Sort() {
  if (Count() < 2) return;
  // With sort keys the quicksort runs on positions, each step answered by the keys; the result
  // is kept only if every neighbouring pair then compares as the keys said. The comparison is a
  // collation (A before B and B before C puts A before C), so agreeing on neighbours means
  // agreeing on every pair the sort asked about, and the lines end up exactly where sorting by the
  // comparison itself puts them. Where the system's comparison is known not to hold to that, no
  // keys are taken.
  if (const std::optional<TSortKeys> Keys = TSortKeys::Of(FList)) {
    std::vector<std::size_t> Order(FList.size());
    std::iota(Order.begin(), Order.end(), std::size_t{0});
    const auto At = [&](std::int32_t Position) { return Order[static_cast<std::size_t>(Position)]; };
    QuickSort(
        0, Count() - 1, [&](std::int32_t A, std::int32_t B) { return Keys->Compare(At(A), At(B)); },
        [&](std::int32_t A, std::int32_t B) {
          std::swap(Order[static_cast<std::size_t>(A)], Order[static_cast<std::size_t>(B)]);
        });
    bool Agrees = true;
    for (std::size_t K = 1; K < Order.size() && Agrees; ++K) {
      Agrees = CompareStrings(FList[Order[K - 1]].FString, FList[Order[K]].FString) ==
               Keys->Compare(Order[K - 1], Order[K]);
    }
    if (Agrees) {
      std::vector<TStringItem> Sorted;
      Sorted.reserve(FList.capacity());
      for (const std::size_t Index : Order) Sorted.push_back(std::move(FList[Index]));
      FList.swap(Sorted);
      return;
    }
  }
  QuickSort(
      0, Count() - 1,
      [this](std::int32_t A, std::int32_t B) {
        return CompareStrings(FList[static_cast<std::size_t>(A)].FString, FList[static_cast<std::size_t>(B)].FString);
      },
      [this](std::int32_t A, std::int32_t B) {
        std::swap(FList[static_cast<std::size_t>(A)], FList[static_cast<std::size_t>(B)]);
      });
}

std::u16string TStringList::Text() const {
  std::size_t Length = 0;
  for (const TStringItem& Item : FList) Length += Item.FString.size() + 2;
  std::u16string Result;
  Result.reserve(Length);
  for (const TStringItem& Item : FList) {
    Result += Item.FString;
    Result += u"\r\n";
  }
  return Result;
}

void TStringList::SaveToFile(std::u16string_view FileName, const TEncoding* Encoding) const {
  TFileStream Stream(FileName);
  const TEncoding& Used = Encoding != nullptr ? *Encoding : TEncoding::Default();
  const std::string Bytes = Used.GetBytes(Text());
  if (!Used.GetPreamble().empty()) Stream.WriteBuffer(Used.GetPreamble());
  Stream.WriteBuffer(Bytes);
}
