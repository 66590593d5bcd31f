// Simulated code pages, conversions and the user locale's comparison.
//
// The single-byte code pages are the ones a Portuguese or English Windows uses for its ANSI and
// OEM text; a character a code page lacks becomes "?". The comparison is ICU's collation for the
// user locale, at secondary strength when case is ignored: linguistic, accent-aware, case-blind,
// with the hyphens and apostrophes that a word sort sets aside taken out first.
#include <unicode/uchar.h>
#include <unicode/ucol.h>

#include <algorithm>
#include <array>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "platform/simulated/machine.h"

namespace platform {

using simulated::Machine;

namespace {

using THighHalf = std::array<char16_t, 128>;

constexpr THighHalf Cp1252{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x00D0, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x00DD, 0x00DE, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x00F0, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x00FD, 0x00FE, 0x00FF};

constexpr THighHalf Cp850{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00F8, 0x00A3, 0x00D8, 0x00D7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x00AE, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x00C1, 0x00C2, 0x00C0, 0x00A9, 0x2563, 0x2551, 0x2557,
    0x255D, 0x00A2, 0x00A5, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x00E3, 0x00C3,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x00A4, 0x00F0, 0x00D0, 0x00CA, 0x00CB,
    0x00C8, 0x0131, 0x00CD, 0x00CE, 0x00CF, 0x2518, 0x250C, 0x2588, 0x2584, 0x00A6, 0x00CC, 0x2580,
    0x00D3, 0x00DF, 0x00D4, 0x00D2, 0x00F5, 0x00D5, 0x00B5, 0x00FE, 0x00DE, 0x00DA, 0x00DB, 0x00D9,
    0x00FD, 0x00DD, 0x00AF, 0x00B4, 0x00AD, 0x00B1, 0x2017, 0x00BE, 0x00B6, 0x00A7, 0x00F7, 0x00B8,
    0x00B0, 0x00A8, 0x00B7, 0x00B9, 0x00B3, 0x00B2, 0x25A0, 0x00A0};

constexpr THighHalf Cp437{
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

const THighHalf* SingleByteTable(std::uint32_t CodePage) {
  if (CodePage == 0) CodePage = Machine().AnsiCodePage;  // CP_ACP
  if (CodePage == 1) CodePage = Machine().OemCodePage;   // CP_OEMCP
  switch (CodePage) {
    case 1252: return &Cp1252;
    case 850: return &Cp850;
    case 437: return &Cp437;
    default: return nullptr;
  }
}

bool IsHighSurrogate(char32_t C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLowSurrogate(char32_t C) { return C >= 0xDC00 && C <= 0xDFFF; }

// Walks UTF-16 text as code points; an unpaired surrogate comes out as U+FFFD.
template <typename TVisit>
void ForEachCodePoint(std::u16string_view Text, TVisit Visit) {
  for (std::size_t I = 0; I < Text.size(); ++I) {
    char32_t C = Text[I];
    if (IsHighSurrogate(C) && I + 1 < Text.size() && IsLowSurrogate(Text[I + 1])) {
      C = 0x10000 + ((C - 0xD800) << 10) + (Text[I + 1] - 0xDC00);
      ++I;
    } else if (IsHighSurrogate(C) || IsLowSurrogate(C)) {
      C = 0xFFFD;
    }
    Visit(C);
  }
}

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

void AppendUtf16(std::u16string& Out, char32_t C) {
  if (C < 0x10000) {
    Out += static_cast<char16_t>(C);
  } else {
    Out += static_cast<char16_t>(0xD800 + ((C - 0x10000) >> 10));
    Out += static_cast<char16_t>(0xDC00 + ((C - 0x10000) & 0x3FF));
  }
}

std::u16string DecodeUtf8(std::string_view Bytes) {
  std::u16string Out;
  std::size_t I = 0;
  while (I < Bytes.size()) {
    const auto Lead = static_cast<unsigned char>(Bytes[I]);
    const int Extra = Lead < 0x80 ? 0 : Lead >= 0xF0 && Lead <= 0xF4 ? 3 : Lead >= 0xE0 ? 2 : Lead >= 0xC2 ? 1 : -1;
    char32_t C = Extra == 0 ? Lead : Extra == 1 ? Lead & 0x1F : Extra == 2 ? Lead & 0x0F : Lead & 0x07;
    bool Valid = Extra >= 0 && I + static_cast<std::size_t>(Extra) < Bytes.size();
    for (int K = 1; Valid && K <= Extra; ++K) {
      const auto Next = static_cast<unsigned char>(Bytes[I + static_cast<std::size_t>(K)]);
      Valid = (Next & 0xC0) == 0x80;
      C = (C << 6) | (Next & 0x3F);
    }
    const char32_t Minimum = Extra == 1 ? 0x80 : Extra == 2 ? 0x800 : Extra == 3 ? 0x10000 : 0;
    if (Valid && (C < Minimum || C > 0x10FFFF || (C >= 0xD800 && C <= 0xDFFF))) Valid = false;
    if (Valid) {
      AppendUtf16(Out, C);
      I += static_cast<std::size_t>(Extra) + 1;
    } else {
      Out += u'\xFFFD';
      ++I;
    }
  }
  return Out;
}

std::string EncodeSingleByte(const THighHalf& Table, std::u16string_view Text, char Substitute,
                             bool& UsedDefault) {
  // Unit by unit, not by code point: Windows substitutes each half of a surrogate pair, so a
  // character beyond the BMP comes out as two substitutes.
  std::string Out;
  for (const char16_t C : Text) {
    if (C < 0x80) {
      Out += static_cast<char>(C);
      continue;
    }
    const auto* Found = std::find(Table.begin(), Table.end(), C);
    if (Found != Table.end()) {
      Out += static_cast<char>(0x80 + (Found - Table.begin()));
    } else {
      Out += Substitute;
      UsedDefault = true;
    }
  }
  return Out;
}

// Copies a converted text out by the Win32 rules: size query when the output is empty-sized.
template <typename TChar, typename TString>
int Deliver(const TString& Converted, TChar* Out, int OutCount) {
  const auto Size = static_cast<int>(Converted.size());
  if (OutCount == 0) return Size;
  if (Size > OutCount) {
    Machine().LastError = ErrorInsufficientBuffer;
    return 0;
  }
  std::copy(Converted.begin(), Converted.end(), Out);
  return Size;
}

const char* IcuLocale(Lcid Locale) {
  switch (Locale) {
    case 0x0416: return "pt_BR";
    case 0x0816: return "pt_PT";
    case 0x0409: return "en_US";
    case 0x0809: return "en_GB";
    case 0x0407: return "de_DE";
    case 0x040C: return "fr_FR";
    case 0x0C0A: return "es_ES";
    case 0x041D: return "sv_SE";
    default: return "root";
  }
}

struct TCollatorClose {
  void operator()(UCollator* C) const { ucol_close(C); }
};

UCollator* Collator(Lcid Locale, bool IgnoreCase) {
  static std::map<std::pair<Lcid, bool>, std::unique_ptr<UCollator, TCollatorClose>> Cache;
  auto& Slot = Cache[{Locale, IgnoreCase}];
  if (!Slot) {
    UErrorCode Status = U_ZERO_ERROR;
    Slot.reset(ucol_open(IcuLocale(Locale), &Status));
    if (U_FAILURE(Status)) return nullptr;
    ucol_setStrength(Slot.get(), IgnoreCase ? UCOL_SECONDARY : UCOL_TERTIARY);
  }
  return Slot.get();
}

std::u16string_view Counted(const char16_t* Text, int Count) {
  if (Text == nullptr) return {};
  return Count < 0 ? std::u16string_view{Text} : std::u16string_view{Text, static_cast<std::size_t>(Count)};
}

// A word sort keeps "co-op" next to "coop": hyphens and apostrophes do not take part in the
// comparison, they only break a tie. Their rank among themselves, lowest first.
int WordSortMarkRank(char16_t C) {
  switch (C) {
    case u'\'': return 1;
    case u'\xFF07': return 2;  // fullwidth apostrophe
    case u'-':
    case u'\xFE63': return 3;  // small hyphen-minus
    case u'\xFF0D': return 4;  // fullwidth hyphen-minus
    case u'\x2212': return 5;  // minus sign
    case u'\x2010': return 6;  // hyphen, then non-breaking hyphen and the dashes
    case u'\x2011': return 7;
    case u'\x2012': return 8;
    case u'\x2013': return 9;
    case u'\x2014': return 10;
    default: return 0;
  }
}

struct TWordSortText {
  std::u16string Rest;                             // the text without its marks
  std::vector<std::pair<std::size_t, int>> Marks;  // position in the text, rank
};

TWordSortText SetMarksAside(std::u16string_view Text) {
  TWordSortText Result;
  for (std::size_t I = 0; I < Text.size(); ++I) {
    if (const int Rank = WordSortMarkRank(Text[I])) {
      Result.Marks.emplace_back(I, Rank);
    } else {
      Result.Rest += Text[I];
    }
  }
  return Result;
}

// The tie-break: a mark earlier in the text weighs more, then the higher rank, then more marks.
int CompareMarks(const TWordSortText& A, const TWordSortText& B) {
  for (std::size_t I = 0; I < A.Marks.size() && I < B.Marks.size(); ++I) {
    const auto [PositionA, RankA] = A.Marks[I];
    const auto [PositionB, RankB] = B.Marks[I];
    if (PositionA != PositionB) return PositionA < PositionB ? CstrGreaterThan : CstrLessThan;
    if (RankA != RankB) return RankA < RankB ? CstrLessThan : CstrGreaterThan;
  }
  if (A.Marks.size() == B.Marks.size()) return CstrEqual;
  return A.Marks.size() < B.Marks.size() ? CstrLessThan : CstrGreaterThan;
}

}  // namespace

std::uint32_t GetACP() { return Machine().AnsiCodePage; }

std::uint32_t GetOEMCP() { return Machine().OemCodePage; }

int WideCharToMultiByte(std::uint32_t CodePage, std::uint32_t Flags, const char16_t* WideCharStr,
                        int WideCharCount, char* MultiByteStr, int MultiByteCount,
                        const char* DefaultChar, Bool* UsedDefaultChar) {
  auto& M = Machine();
  if (M.Failing("WideCharToMultiByte")) return 0;
  if (Flags != 0) return M.LastError = ErrorInvalidFlags, 0;
  if (WideCharStr == nullptr || MultiByteCount < 0) return M.LastError = ErrorInvalidParameter, 0;
  std::u16string Text{Counted(WideCharStr, WideCharCount)};
  if (WideCharCount < 0) Text += u'\0';
  bool UsedDefault = false;
  std::string Converted;
  if (CodePage == CpUtf8) {
    if (DefaultChar != nullptr || UsedDefaultChar != nullptr) {
      return M.LastError = ErrorInvalidParameter, 0;
    }
    ForEachCodePoint(Text, [&](char32_t C) { AppendUtf8(Converted, C); });
  } else if (const THighHalf* Table = SingleByteTable(CodePage)) {
    Converted = EncodeSingleByte(*Table, Text, DefaultChar != nullptr ? *DefaultChar : '?', UsedDefault);
  } else {
    return M.LastError = ErrorInvalidParameter, 0;
  }
  if (UsedDefaultChar != nullptr) *UsedDefaultChar = UsedDefault ? 1 : 0;
  return Deliver(Converted, MultiByteStr, MultiByteCount);
}

int MultiByteToWideChar(std::uint32_t CodePage, std::uint32_t Flags, const char* MultiByteStr,
                        int MultiByteCount, char16_t* WideCharStr, int WideCharCount) {
  auto& M = Machine();
  if (M.Failing("MultiByteToWideChar")) return 0;
  if (Flags != 0) return M.LastError = ErrorInvalidFlags, 0;
  if (MultiByteStr == nullptr || WideCharCount < 0) return M.LastError = ErrorInvalidParameter, 0;
  std::string Bytes = MultiByteCount < 0 ? std::string{MultiByteStr} + '\0'
                                         : std::string{MultiByteStr, static_cast<std::size_t>(MultiByteCount)};
  std::u16string Converted;
  if (CodePage == CpUtf8) {
    Converted = DecodeUtf8(Bytes);
  } else if (const THighHalf* Table = SingleByteTable(CodePage)) {
    for (const char B : Bytes) {
      const auto U = static_cast<unsigned char>(B);
      Converted += U < 0x80 ? static_cast<char16_t>(U) : (*Table)[U - 0x80];
    }
  } else {
    return M.LastError = ErrorInvalidParameter, 0;
  }
  return Deliver(Converted, WideCharStr, WideCharCount);
}

Lcid GetThreadLocale() {
  auto& M = Machine();
  return M.Failing("GetThreadLocale") ? 0 : M.ThreadLocale;
}

Bool IsValidLocale(Lcid Locale, std::uint32_t /*Flags*/) {
  auto& M = Machine();
  if (M.Failing("IsValidLocale")) return 0;
  return M.DecimalSeparators.contains(Locale) ? 1 : 0;
}

int GetLocaleInfoW(Lcid Locale, std::uint32_t LCType, char16_t* Data, int DataCount) {
  constexpr std::uint32_t LocaleSDecimal = 0x0E;
  auto& M = Machine();
  if (M.Failing("GetLocaleInfoW")) return 0;
  if (LCType != LocaleSDecimal) return M.LastError = ErrorInvalidFlags, 0;
  const auto Found = M.DecimalSeparators.find(Locale == LocaleUserDefault ? M.UserLocale : Locale);
  if (Found == M.DecimalSeparators.end()) return M.LastError = ErrorInvalidParameter, 0;
  const std::u16string& Setting = Found->second;
  const auto Needed = static_cast<int>(Setting.size()) + 1;
  if (DataCount == 0) return Needed;
  if (Needed > DataCount) return M.LastError = ErrorInsufficientBuffer, 0;
  std::copy(Setting.begin(), Setting.end(), Data);
  Data[Needed - 1] = u'\0';
  return Needed;
}

int CompareStringW(Lcid Locale, std::uint32_t CmpFlags, const char16_t* String1, int Count1,
                   const char16_t* String2, int Count2) {
  auto& M = Machine();
  if (M.Failing("CompareStringW")) return 0;
  if ((CmpFlags & ~NormIgnoreCase) != 0) return M.LastError = ErrorInvalidFlags, 0;
  if (String1 == nullptr || String2 == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  const Lcid Effective = Locale == LocaleUserDefault ? M.UserLocale : Locale;
  UCollator* C = Collator(Effective, (CmpFlags & NormIgnoreCase) != 0);
  if (C == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  const std::u16string_view First = Counted(String1, Count1);
  const std::u16string_view Second = Counted(String2, Count2);
  const auto HasMark = [](std::u16string_view Text) {
    return std::any_of(Text.begin(), Text.end(), [](char16_t C) { return WordSortMarkRank(C) != 0; });
  };
  if (!HasMark(First) && !HasMark(Second)) {  // most texts: nothing to set aside or copy
    const UCollationResult R = ucol_strcoll(C, First.data(), static_cast<int32_t>(First.size()),
                                            Second.data(), static_cast<int32_t>(Second.size()));
    return R == UCOL_LESS ? CstrLessThan : R == UCOL_EQUAL ? CstrEqual : CstrGreaterThan;
  }
  const TWordSortText A = SetMarksAside(First);
  const TWordSortText B = SetMarksAside(Second);
  const UCollationResult R = ucol_strcoll(C, A.Rest.data(), static_cast<int32_t>(A.Rest.size()),
                                          B.Rest.data(), static_cast<int32_t>(B.Rest.size()));
  if (R == UCOL_EQUAL) return CompareMarks(A, B);
  return R == UCOL_LESS ? CstrLessThan : CstrGreaterThan;
}

int CompareStringOrdinal(const char16_t* String1, int Count1, const char16_t* String2, int Count2,
                         Bool IgnoreCase) {
  auto& M = Machine();
  if (M.Failing("CompareStringOrdinal")) return 0;
  if (String1 == nullptr || String2 == nullptr || Count1 < -1 || Count2 < -1) {
    return M.LastError = ErrorInvalidParameter, 0;
  }
  const std::u16string_view First = Counted(String1, Count1);
  const std::u16string_view Second = Counted(String2, Count2);
  // Unit by unit, each upper-cased on its own (no unit turns into two), as the file system does.
  const auto Unit = [IgnoreCase](char16_t C) {
    return IgnoreCase != 0 ? static_cast<char16_t>(u_toupper(C)) : C;
  };
  for (std::size_t I = 0; I < std::min(First.size(), Second.size()); ++I) {
    const char16_t A = Unit(First[I]);
    const char16_t B = Unit(Second[I]);
    if (A != B) return A < B ? CstrLessThan : CstrGreaterThan;
  }
  if (First.size() == Second.size()) return CstrEqual;
  return First.size() < Second.size() ? CstrLessThan : CstrGreaterThan;
}

int LCMapStringW(Lcid Locale, std::uint32_t MapFlags, const char16_t* Source, int SourceCount,
                 std::uint8_t* Key, int KeySize) {
  auto& M = Machine();
  if (M.Failing("LCMapStringW")) return 0;
  if ((MapFlags & ~NormIgnoreCase) != LcmapSortKey) return M.LastError = ErrorInvalidFlags, 0;
  if (Source == nullptr || SourceCount == 0 || KeySize < 0 || (KeySize > 0 && Key == nullptr)) {
    return M.LastError = ErrorInvalidParameter, 0;
  }
  const Lcid Effective = Locale == LocaleUserDefault ? M.SortKeyLocale.value_or(M.UserLocale) : Locale;
  UCollator* C = Collator(Effective, (MapFlags & NormIgnoreCase) != 0);
  if (C == nullptr) return M.LastError = ErrorInvalidParameter, 0;
  // The collation key of the text without its marks (it ends in a zero byte, so no key is a
  // prefix of another), then each mark as 1, its position inverted (an earlier mark weighs
  // more) and its rank, then 0 (fewer marks come first): byte order is CompareStringW's order.
  const TWordSortText Text = SetMarksAside(Counted(Source, SourceCount));
  const auto RestSize = static_cast<int32_t>(Text.Rest.size());
  std::vector<std::uint8_t> Bytes(64);
  int32_t Size = 0;
  while ((Size = ucol_getSortKey(C, Text.Rest.data(), RestSize, Bytes.data(), static_cast<int32_t>(Bytes.size()))) >
         static_cast<int32_t>(Bytes.size())) {
    Bytes.resize(static_cast<std::size_t>(Size));
  }
  Bytes.resize(static_cast<std::size_t>(Size));
  for (const auto& [Position, Rank] : Text.Marks) {
    const auto Inverted = ~static_cast<std::uint32_t>(Position);
    Bytes.insert(Bytes.end(), {1, static_cast<std::uint8_t>(Inverted >> 24), static_cast<std::uint8_t>(Inverted >> 16),
                               static_cast<std::uint8_t>(Inverted >> 8), static_cast<std::uint8_t>(Inverted),
                               static_cast<std::uint8_t>(Rank)});
  }
  Bytes.push_back(0);
  const auto Needed = static_cast<int>(Bytes.size());
  if (KeySize == 0) return Needed;
  if (Needed > KeySize) return M.LastError = ErrorInsufficientBuffer, 0;
  std::copy(Bytes.begin(), Bytes.end(), Key);
  return Needed;
}

}  // namespace platform

namespace platform::simulated {

std::string ToUtf8(std::u16string_view Text) {
  std::string Out;
  ForEachCodePoint(Text, [&](char32_t C) { AppendUtf8(Out, C); });
  return Out;
}

}  // namespace platform::simulated
