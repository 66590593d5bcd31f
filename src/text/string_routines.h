// The string and number routines the report's wording depends on. Positions are 1-based and
// lengths count UTF-16 code units.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Hexadecimal digits (upper case) of Value, left-padded with "0" to at least Digits.
std::u16string IntToHex(std::uint32_t Value, int Digits);

// The signed 32-bit value of S, or Default unless the whole text is one: leading spaces, an
// optional sign, then decimal digits or "$", "x" or "0x" and hexadecimal digits.
std::int32_t StrToIntDef(std::u16string_view S, std::int32_t Default);

// S without the characters up to U+0020 at either end.
std::u16string Trim(std::u16string_view S);

// A name another program gave the system, fit for one line of the report: trimmed as Trim does,
// each control character inside it (a line break, a tab) a space.
std::u16string CleanName(std::u16string_view S);

constexpr unsigned rfReplaceAll = 1;  // NOLINT(readability-identifier-naming)

// S with OldPattern replaced by NewPattern: every occurrence with rfReplaceAll, else the first.
// Matching is exact and case-sensitive; occurrences never overlap.
std::u16string StringReplace(std::u16string_view S, std::u16string_view OldPattern,
                             std::u16string_view NewPattern, unsigned Flags);

// Position of the first SubStr in S, or 0.
std::size_t Pos(std::u16string_view SubStr, std::u16string_view S);

// Count characters of S from Index, clamped to the text.
std::u16string Copy(std::u16string_view S, std::int64_t Index, std::int64_t Count);
