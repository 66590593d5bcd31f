#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "report/report.h"
#include "text/sys_utils.h"
#include "text/whole_file.h"

namespace {

std::u16string ReportFileName(const std::u16string& ComputerName) {
  return u"relatorio_" + ComputerName + u".txt";
}

// USERPROFILE, read whole however long it is; empty when missing or empty.
std::u16string UserProfile() {
  std::vector<char16_t> Buffer(261);
  std::uint32_t Size = 260;
  // A variable that grows between the two calls is asked for again; each round fits a larger one.
  for (int Attempt = 0; Attempt < 4; ++Attempt) {
    const std::uint32_t Length = platform::GetEnvironmentVariableW(u"USERPROFILE", Buffer.data(), Size);
    if (Length == 0) return {};
    if (Length < Size) return {Buffer.data(), Length};
    Buffer.resize(Length + 1);
    Size = Length + 1;
  }
  return {};
}

// The report as UTF-8 with its byte-order mark, in place of any earlier report of that name only
// once it is whole.
void WriteReport(const TStringList& ReportText, const std::u16string& FilePath) {
  const TEncoding& Utf8 = TEncoding::UTF8();
  const std::string Text = Utf8.GetBytes(ReportText.Text());
  SaveFileWhole(FilePath, {Utf8.GetPreamble(), Text});
}

}  // namespace

std::u16string GetDesktopPath() {
  const std::u16string Profile = UserProfile();
  if (Profile.empty()) return u"C:\\";
  return IncludeTrailingPathDelimiter(Profile) + u"Desktop";
}

TSavedReport SaveReport(const TStringList& ReportText, const std::u16string& ComputerName,
                        const std::optional<std::u16string>& Folder) {
  TSavedReport Saved;
  if (Folder) {
    const std::u16string Path =
        IncludeTrailingPathDelimiter(*Folder) + ReportFileName(ComputerName);
    const std::u16string Full = ExpandFileName(Path);
    Saved.FilePath = Full.empty() ? Path : Full;
    WriteReport(ReportText, Saved.FilePath);
    return Saved;
  }
  Saved.DesktopPath = GetDesktopPath();
  if (std::optional<std::u16string> Redirected = GetRedirectedDesktop(Saved.DesktopPath)) {
    Saved.DesktopPath = std::move(*Redirected);
  }
  Saved.FilePath = IncludeTrailingPathDelimiter(Saved.DesktopPath) + ReportFileName(ComputerName);
  try {
    WriteReport(ReportText, Saved.FilePath);
    return Saved;
  } catch (...) {  // NOLINT(bugprone-empty-catch): any failure here means "try next to the exe"
  }
  Saved.FilePath = ExtractFilePath(ParamStr0()) + ReportFileName(ComputerName);
  WriteReport(ReportText, Saved.FilePath);
  return Saved;
}
