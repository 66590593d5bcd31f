#include "text/string_routines.h"

#include <algorithm>
#include <limits>

namespace {

int HexValue(char16_t C) {
  if (C >= u'0' && C <= u'9') return C - u'0';
  if (C >= u'a' && C <= u'f') return C - u'a' + 10;
  if (C >= u'A' && C <= u'F') return C - u'A' + 10;
  return -1;
}

}  // namespace

std::u16string IntToHex(std::uint32_t Value, int Digits) {
  std::u16string Text;
  do {
    Text.insert(Text.begin(), u"0123456789ABCDEF"[Value % 16]);
    Value /= 16;
  } while (Value != 0);
  if (static_cast<int>(Text.size()) < Digits) {
    Text.insert(0, static_cast<std::size_t>(Digits) - Text.size(), u'0');
  }
  return Text;
}

std::int32_t StrToIntDef(std::u16string_view S, std::int32_t Default) {
  if (const std::size_t Nul = S.find(u'\0'); Nul != std::u16string_view::npos) S = S.substr(0, Nul);
  std::size_t I = 0;
  while (I < S.size() && S[I] == u' ') ++I;
  bool Negative = false;
  if (I < S.size() && (S[I] == u'+' || S[I] == u'-')) Negative = S[I++] == u'-';

  std::size_t Prefix = 0;
  if (I < S.size() && (S[I] == u'$' || S[I] == u'x' || S[I] == u'X')) {
    Prefix = 1;
  } else if (I + 1 < S.size() && S[I] == u'0' && (S[I + 1] == u'x' || S[I + 1] == u'X')) {
    Prefix = 2;
  }
  const std::u16string_view Digits = S.substr(I + Prefix);
  if (Digits.empty()) return Default;

  if (Prefix != 0) {
    std::uint32_t Value = 0;
    int Significant = 0;
    for (const char16_t C : Digits) {
      const int Digit = HexValue(C);
      if (Digit < 0) return Default;
      if (Value != 0 || Digit != 0) ++Significant;
      if (Significant > 8) return Default;
      Value = Value * 16 + static_cast<std::uint32_t>(Digit);
    }
    if (Negative) Value = 0U - Value;
    return static_cast<std::int32_t>(Value);
  }

  std::int64_t Value = 0;
  for (const char16_t C : Digits) {
    if (C < u'0' || C > u'9') return Default;
    Value = Value * 10 + (C - u'0');
    if (Value > std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1) return Default;
  }
  if (Negative) Value = -Value;
  if (Value > std::numeric_limits<std::int32_t>::max()) return Default;
  return static_cast<std::int32_t>(Value);
}

std::u16string Trim(std::u16string_view S) {
  std::size_t First = 0;
  std::size_t Last = S.size();
  while (First < Last && S[First] <= u' ') ++First;
  while (Last > First && S[Last - 1] <= u' ') --Last;
  return std::u16string{S.substr(First, Last - First)};
}

std::u16string CleanName(std::u16string_view S) {
  std::u16string Result = Trim(S);
  for (char16_t& C : Result) {
    if (C < u' ' || C == u'\x7F') C = u' ';
  }
  return Result;
}

std::u16string StringReplace(std::u16string_view S, std::u16string_view OldPattern,
                             std::u16string_view NewPattern, unsigned Flags) {
  if (S.empty() || OldPattern.empty()) return std::u16string{S};
  std::u16string Result;
  std::size_t From = 0;
  for (std::size_t At = S.find(OldPattern); At != std::u16string_view::npos;
       At = S.find(OldPattern, From)) {
    Result.append(S.substr(From, At - From)).append(NewPattern);
    From = At + OldPattern.size();
    if ((Flags & rfReplaceAll) == 0) break;
  }
  Result.append(S.substr(From));
  return Result;
}

std::size_t Pos(std::u16string_view SubStr, std::u16string_view S) {
  if (SubStr.empty() || S.empty()) return 0;
  const std::size_t At = S.find(SubStr);
  return At == std::u16string_view::npos ? 0 : At + 1;
}

std::u16string Copy(std::u16string_view S, std::int64_t Index, std::int64_t Count) {
  const auto Length = static_cast<std::int64_t>(S.size());
  const std::int64_t Start = std::max<std::int64_t>(Index, 1);
  if (Start > Length || Count <= 0) return {};
  const std::int64_t Taken = std::min(Count, Length - Start + 1);
  return std::u16string{S.substr(static_cast<std::size_t>(Start - 1), static_cast<std::size_t>(Taken))};
}
