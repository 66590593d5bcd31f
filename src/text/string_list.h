// The ordered list of text lines that holds every collection of text in the program: the report,
// the disk lines, the printers, the installed programs.
//
// Lines compare by the user locale's case-insensitive linguistic order; the joined text puts
// CR LF after every line, the last one too; saving writes the encoding's preamble first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Anything a line can carry besides its text. The list never owns or frees these objects.
class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = default;
  TObject(TObject&&) = default;
  TObject& operator=(const TObject&) = default;
  TObject& operator=(TObject&&) = default;
  virtual ~TObject() = default;
};

// A text encoding for saving: a code page and the preamble written before the text.
class TEncoding {
 public:
  TEncoding(std::uint32_t CodePage, std::string Preamble);

  static const TEncoding& UTF8();     // shared; EF BB BF before the text
  static const TEncoding& Default();  // the system ANSI code page, no preamble

  [[nodiscard]] const std::string& GetPreamble() const { return FPreamble; }
  // Raises EEncodingError when the system cannot convert the text.
  [[nodiscard]] std::string GetBytes(std::u16string_view Text) const;

 private:
  std::uint32_t FCodePage;
  std::string FPreamble;
};

class TStringList;

class TStringsEnumerator {
 public:
  explicit TStringsEnumerator(const TStringList& AStrings) : FStrings(&AStrings) {}
  // Reads the list's count at every step, so lines added during a walk are visited too.
  bool MoveNext();
  [[nodiscard]] const std::u16string& GetCurrent() const;

 private:
  const TStringList* FStrings;
  std::int32_t FIndex = -1;
};

class TStringList {
 public:
  TStringList() = default;

  std::int32_t Add(std::u16string S);
  std::int32_t AddObject(std::u16string S, TObject* AObject);
  [[nodiscard]] std::int32_t Count() const { return static_cast<std::int32_t>(FList.size()); }
  [[nodiscard]] std::int32_t Capacity() const { return FCapacity; }
  [[nodiscard]] const std::u16string& Get(std::int32_t Index) const;
  [[nodiscard]] TObject* GetObject(std::int32_t Index) const;
  void Clear();

  // Index of the first line of the same length that the comparison calls equal; -1 for none.
  [[nodiscard]] std::int32_t IndexOf(std::u16string_view S) const;
  // Removes every line for which IndexOf would find an earlier one, keeping the order of the
  // rest: the same lines as adding each only when IndexOf misses, with O(n log n) comparisons.
  void RemoveLaterDuplicates();
  void Sort();
  // Every line followed by CR LF.
  [[nodiscard]] std::u16string Text() const;
  void SaveToFile(std::u16string_view FileName, const TEncoding* Encoding = nullptr) const;

  // -1, 0 or 1 by the user locale's case-insensitive order; -2 when the system cannot compare.
  [[nodiscard]] static int CompareStrings(std::u16string_view S1, std::u16string_view S2);

  [[nodiscard]] TStringsEnumerator GetEnumerator() const { return TStringsEnumerator(*this); }

  // Range-for over the lines, with the enumerator's rules.
  class TIterator {
   public:
    explicit TIterator(const TStringList& List) : FEnumerator(List), FValid(FEnumerator.MoveNext()) {}
    const std::u16string& operator*() const { return FEnumerator.GetCurrent(); }
    TIterator& operator++() {
      FValid = FEnumerator.MoveNext();
      return *this;
    }
    struct TEnd {};
    bool operator!=(TEnd /*unused*/) const { return FValid; }

   private:
    TStringsEnumerator FEnumerator;
    bool FValid;
  };
  [[nodiscard]] TIterator begin() const { return TIterator(*this); }  // NOLINT(readability-identifier-naming)
  [[nodiscard]] TIterator::TEnd end() const { return {}; }          // NOLINT(readability-identifier-naming)

 private:
  struct TStringItem {
    std::u16string FString;
    TObject* FObject = nullptr;
  };

  void Grow();
  [[noreturn]] void RaiseIndexError(std::int32_t Index) const;

  std::vector<TStringItem> FList;
  std::int32_t FCapacity = 0;
};
