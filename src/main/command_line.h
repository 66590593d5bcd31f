// The switches of a scripted run, read from the process's command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct TCommandLine {
  bool Glpi = false;                     // /glpi: also save the GLPI inventory beside the report
  std::optional<std::u16string> Folder;  // /pasta:DIR: save into DIR instead of the Desktop
  bool Help = false;                     // /? or /ajuda
  // The first argument that is no switch, or a switch given twice: the run stops at it.
  std::optional<std::u16string> Unknown;

  [[nodiscard]] bool AnySwitch() const { return Glpi || Folder.has_value(); }
};

// The arguments of a command line, split as the C runtime splits them for argv; the program
// name (argv[0]) is not among them. A line that starts with ProgramPath, unquoted, followed by a
// blank or its end, has that path as its name, blanks and all.
std::vector<std::u16string> SplitCommandLine(std::u16string_view CommandLine,
                                             std::u16string_view ProgramPath = {});

// Switches start with "/" or "-"; their names ignore letter case.
TCommandLine ParseArguments(const std::vector<std::u16string>& Arguments);

// The arguments this process was started with.
std::vector<std::u16string> CommandLineArguments();

// The usage text, one line per switch and an example; each line followed by nothing.
std::vector<std::u16string_view> UsageLines();
