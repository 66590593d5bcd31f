// The switches of a scripted run, read from the process's command line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "report/glpi_send.h"

struct TCommandLine {
  bool Glpi = false;                     // /glpi: also save the GLPI inventory beside the report
  std::optional<std::u16string> Folder;  // /pasta:DIR: save into DIR instead of the Desktop
  std::optional<TGlpiServer> Server;     // /servidor:URL: send the GLPI inventory there
  std::optional<std::u16string> Tag;     // /etiqueta:TEXTO: the GLPI inventory's tag
  bool Help = false;                     // /? or /ajuda
  // The first argument that is no switch, a switch given twice, or a server address or tag that
  // cannot be one: the run stops at it.
  std::optional<std::u16string> Unknown;

  [[nodiscard]] bool AnySwitch() const { return Glpi || Folder || Server || Tag; }
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
