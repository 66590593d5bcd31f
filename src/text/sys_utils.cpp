#include "text/sys_utils.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "platform/platform.h"
#include "platform/scoped_resource.h"
#include "text/exceptions.h"
#include "text/format.h"

std::uint32_t DefaultSystemCodePage = 0;

void NoteDefaultSystemCodePage() { DefaultSystemCodePage = platform::GetACP(); }

std::u16string AnsiToUnicode(std::string_view Bytes) {
  Bytes = Bytes.substr(0, Bytes.find('\0'));
  if (Bytes.empty()) return {};
  const auto Length = static_cast<int>(Bytes.size());
  const int Size = platform::MultiByteToWideChar(DefaultSystemCodePage, 0, Bytes.data(), Length, nullptr, 0);
  if (Size <= 0) return {};
  std::u16string Text(static_cast<std::size_t>(Size), u'\0');
  const int Written = platform::MultiByteToWideChar(DefaultSystemCodePage, 0, Bytes.data(), Length, Text.data(), Size);
  Text.resize(static_cast<std::size_t>(std::max(Written, 0)));
  return Text;
}

std::u16string SysErrorMessage(std::uint32_t ErrorCode) {
  constexpr std::uint32_t Flags =
      platform::FormatMessageAllocateBuffer | platform::FormatMessageIgnoreInserts |
      platform::FormatMessageFromSystem | platform::FormatMessageArgumentArray;
  char16_t* Buffer = nullptr;
  const std::uint32_t Length = platform::FormatMessageW(
      Flags, nullptr, ErrorCode, 0, reinterpret_cast<char16_t*>(&Buffer), 0, nullptr);
  const platform::ScopedLocalBlock Owner(Buffer);
  if (Length == 0 || Buffer == nullptr) return {};
  std::u16string Message(Buffer, Length);
  while (!Message.empty() && (Message.back() <= u' ' || Message.back() == u'.')) Message.pop_back();
  return Message;
}

void RaiseLastOSError(std::uint32_t ErrorCode) {
  if (ErrorCode == 0) throw EOSError(u"A call to an OS function failed");
  throw EOSError(Format(u"System Error.  Code: %d.\r\n%s%s",
                        {static_cast<std::int64_t>(ErrorCode), SysErrorMessage(ErrorCode), u""}));
}

std::u16string ExpandFileName(std::u16string_view FileName) {
  const std::u16string Name{FileName};
  std::vector<char16_t> Buffer(260);
  char16_t* FilePart = nullptr;
  std::uint32_t Length = platform::GetFullPathNameW(
      Name.c_str(), static_cast<std::uint32_t>(Buffer.size()), Buffer.data(), &FilePart);
  if (Length > Buffer.size()) {
    Buffer.resize(Length);
    Length = platform::GetFullPathNameW(Name.c_str(), Length, Buffer.data(), &FilePart);
  }
  if (Length == 0 || Length >= Buffer.size()) return {};
  return {Buffer.data(), Length};
}

std::optional<std::string> WideToCodePage(std::uint32_t CodePage, std::u16string_view Text) {
  if (Text.empty()) return std::string{};
  if (Text.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 4)) return std::nullopt;
  const auto Length = static_cast<int>(Text.size());
  const int Size = platform::WideCharToMultiByte(CodePage, 0, Text.data(), Length, nullptr, 0,
                                                 nullptr, nullptr);
  if (Size <= 0) return std::nullopt;
  std::string Bytes(static_cast<std::size_t>(Size), '\0');
  if (platform::WideCharToMultiByte(CodePage, 0, Text.data(), Length, Bytes.data(), Size, nullptr,
                                    nullptr) != Size) {
    return std::nullopt;
  }
  return Bytes;
}

std::u16string IncludeTrailingPathDelimiter(std::u16string_view S) {
  std::u16string Result{S};
  if (Result.empty() || Result.back() != u'\\') Result += u'\\';
  return Result;
}

std::u16string ExtractFilePath(std::u16string_view FileName) {
  const std::size_t Last = FileName.find_last_of(u"\\:");
  return Last == std::u16string_view::npos ? std::u16string{} : std::u16string{FileName.substr(0, Last + 1)};
}

std::u16string ExtractFileName(std::u16string_view FileName) {
  const std::size_t Last = FileName.find_last_of(u"\\:");
  return std::u16string{Last == std::u16string_view::npos ? FileName : FileName.substr(Last + 1)};
}

std::u16string ParamStr0() {
  // A path longer than the classic limit would come back cut short; ask again with room for it.
  std::vector<char16_t> Buffer(261);
  for (;;) {
    const auto Size = static_cast<std::uint32_t>(Buffer.size());
    const std::uint32_t Length =
        platform::GetModuleFileNameW(platform::NullHandle, Buffer.data(), Size);
    if (Length < Size) return {Buffer.data(), Length};
    if (Size >= 32768) return {Buffer.data(), Size - 1};
    Buffer.resize(Buffer.size() * 2);
  }
}

platform::TSystemTime SystemTimeOf(std::chrono::sys_seconds At) {
  using namespace std::chrono;
  const sys_days Day = floor<days>(At);
  const year_month_day Date{Day};
  const hh_mm_ss<seconds> Clock{At - Day};
  return {static_cast<std::uint16_t>(static_cast<int>(Date.year())),
          static_cast<std::uint16_t>(static_cast<unsigned>(Date.month())),
          static_cast<std::uint16_t>(weekday{Day}.c_encoding()),
          static_cast<std::uint16_t>(static_cast<unsigned>(Date.day())),
          static_cast<std::uint16_t>(Clock.hours().count()),
          static_cast<std::uint16_t>(Clock.minutes().count()),
          static_cast<std::uint16_t>(Clock.seconds().count()),
          0};
}
