// The report as the user gets it: its twenty-four entries, and the file they are saved to.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "report/report_fields.h"
#include "text/string_list.h"

// Appends the report's entries to the empty ReportText, one entry per line-list item.
void ComposeReport(const TReportFields& Fields, TStringList& ReportText);

// The Desktop folder under the user's profile; "C:\" when the profile is not set.
std::u16string GetDesktopPath();

// The Desktop the user sees when Explorer keeps it elsewhere than ProfileDesktop (OneDrive's
// folder backup, folder redirection): the user's Desktop shell folder with its environment
// references expanded, as a full path without trailing backslash (a drive root keeps its own).
// Nothing when that value is missing, empty, not a string, unreadable, not an absolute path
// ("X:\..." or "\\server\..."), still holds a %NAME%, or names the folder ProfileDesktop names
// (as full paths, case and trailing backslashes aside).
std::optional<std::u16string> GetRedirectedDesktop(std::u16string_view ProfileDesktop);

struct TSavedReport {
  std::u16string DesktopPath;
  std::u16string FilePath;  // the file actually written
};

// Saves ReportText as UTF-8 to the Desktop the user sees (the redirected one, else the one under
// the profile), or next to the executable when that fails for any reason. Raises the error of the
// second attempt when both fail. Each attempt writes the file whole or not at all: an earlier
// report of the same name stays as it was unless the new one is complete.
//
// Given a Folder, saves there and only there (relative to the current folder when not absolute):
// whoever named it looks for the report in it, so its error is raised rather than the report put
// elsewhere. FilePath is then the file's full path.
TSavedReport SaveReport(const TStringList& ReportText, const std::u16string& ComputerName,
                        const std::optional<std::u16string>& Folder = std::nullopt);
