#include "main/command_line.h"

#include "platform/platform.h"
#include "text/sys_utils.h"

namespace {

bool IsBlank(char16_t C) { return C == u' ' || C == u'\t'; }

char16_t LowerAscii(char16_t C) {
  return C >= u'A' && C <= u'Z' ? static_cast<char16_t>(C + (u'a' - u'A')) : C;
}

bool SameName(std::u16string_view Given, std::u16string_view Name) {
  if (Given.size() != Name.size()) return false;
  for (std::size_t I = 0; I < Given.size(); ++I) {
    if (LowerAscii(Given[I]) != Name[I]) return false;
  }
  return true;
}

bool SameText(std::u16string_view Given, std::u16string_view Text) {
  if (Given.size() != Text.size()) return false;
  for (std::size_t I = 0; I < Given.size(); ++I) {
    if (LowerAscii(Given[I]) != LowerAscii(Text[I])) return false;
  }
  return true;
}

// Skips the program name: quotes group, nothing escapes, the first blank outside quotes ends it.
// A program started by its path alone (CreateProcess without a command line, as launchers and
// remote tools do) is handed that path as it is, unquoted even with blanks in it: when the line
// starts with ProgramPath followed by a blank or its end, that whole path is the name.
std::size_t AfterProgramName(std::u16string_view Line, std::u16string_view ProgramPath) {
  const std::size_t PathSize = ProgramPath.size();
  if (PathSize > 0 && Line.size() >= PathSize && SameText(Line.substr(0, PathSize), ProgramPath) &&
      (Line.size() == PathSize || IsBlank(Line[PathSize]))) {
    return PathSize;
  }
  bool Quoted = false;
  std::size_t I = 0;
  for (; I < Line.size() && (Quoted || !IsBlank(Line[I])); ++I) {
    if (Line[I] == u'"') Quoted = !Quoted;
  }
  return I;
}

}  // namespace

// The C runtime's rules: blanks separate arguments outside quotes; 2n backslashes before a quote
// give n backslashes and the quote opens or closes a quoted part; 2n+1 give n and a literal quote;
// inside quotes "" is a literal quote that also ends the quoted part; other backslashes are plain.
std::vector<std::u16string> SplitCommandLine(std::u16string_view Line,
                                             std::u16string_view ProgramPath) {
  std::vector<std::u16string> Arguments;
  std::size_t I = AfterProgramName(Line, ProgramPath);
  while (true) {
    while (I < Line.size() && IsBlank(Line[I])) ++I;
    if (I >= Line.size()) return Arguments;
    std::u16string Argument;
    bool Quoted = false;
    for (; I < Line.size() && (Quoted || !IsBlank(Line[I])); ++I) {
      std::size_t Backslashes = 0;
      while (I < Line.size() && Line[I] == u'\\') ++Backslashes, ++I;
      if (I < Line.size() && Line[I] == u'"') {
        Argument.append(Backslashes / 2, u'\\');
        if (Backslashes % 2 == 1) {
          Argument += u'"';
        } else if (Quoted && I + 1 < Line.size() && Line[I + 1] == u'"') {
          Argument += u'"';  // and the quoted part ends
          Quoted = false;
          ++I;
        } else {
          Quoted = !Quoted;
        }
      } else {
        Argument.append(Backslashes, u'\\');
        if (I >= Line.size()) break;
        if (!Quoted && IsBlank(Line[I])) break;
        Argument += Line[I];
      }
    }
    Arguments.push_back(std::move(Argument));
  }
}

TCommandLine ParseArguments(const std::vector<std::u16string>& Arguments) {
  constexpr std::u16string_view FolderSwitch = u"pasta:";
  constexpr std::u16string_view ServerSwitch = u"servidor:";
  constexpr std::u16string_view TagSwitch = u"etiqueta:";
  TCommandLine Result;
  bool HelpGiven = false;
  for (const std::u16string& Argument : Arguments) {
    const bool IsSwitch = !Argument.empty() && (Argument[0] == u'/' || Argument[0] == u'-');
    const std::u16string_view Name = IsSwitch ? std::u16string_view(Argument).substr(1) : u"";
    bool Known = false;
    if (SameName(Name, u"glpi")) {
      Known = !Result.Glpi;
      Result.Glpi = true;
    } else if (SameName(Name, u"?") || SameName(Name, u"ajuda")) {
      Known = !HelpGiven;
      HelpGiven = true;
    } else if (Name.size() > FolderSwitch.size() &&
               SameName(Name.substr(0, FolderSwitch.size()), FolderSwitch)) {
      Known = !Result.Folder.has_value();
      Result.Folder = std::u16string(Name.substr(FolderSwitch.size()));
    } else if (Name.size() > ServerSwitch.size() &&
               SameName(Name.substr(0, ServerSwitch.size()), ServerSwitch)) {
      Known = !Result.Server.has_value();
      Result.Server = ParseGlpiServer(Name.substr(ServerSwitch.size()));
      Known = Known && Result.Server.has_value();
    } else if (Name.size() > TagSwitch.size() &&
               SameName(Name.substr(0, TagSwitch.size()), TagSwitch)) {
      Known = !Result.Tag.has_value() && IsGlpiTag(Name.substr(TagSwitch.size()));
      Result.Tag = std::u16string(Name.substr(TagSwitch.size()));
    }
    if (!Known) {
      Result.Unknown = Argument;
      return Result;
    }
  }
  Result.Help = HelpGiven;
  return Result;
}

std::vector<std::u16string> CommandLineArguments() {
  const char16_t* Given = platform::GetCommandLineW();
  const std::u16string_view Line = Given != nullptr ? Given : u"";
  // Only a line that starts unquoted and seems to go on after the name can be a bare path with
  // blanks; the exe's path is asked for then alone, so an ordinary start makes no further call.
  const bool MayBeBarePath =
      !Line.empty() && Line[0] != u'"' && AfterProgramName(Line, {}) < Line.size();
  const std::u16string ProgramPath = MayBeBarePath ? ParamStr0() : std::u16string{};
  return SplitCommandLine(Line, ProgramPath);
}

std::vector<std::u16string_view> UsageLines() {
  return {
      u"Uso: inventario.exe [/glpi] [/pasta:PASTA] [/servidor:URL] [/etiqueta:TEXTO] [/?]",
      u"  /glpi         salva tambem o inventario GLPI (relatorio_<NOME>.json) junto ao relatorio",
      u"  /pasta:PASTA  salva na PASTA em vez da Area de Trabalho (sem outra pasta se falhar)",
      u"  /servidor:URL envia o inventario GLPI ao servidor (https://glpi.exemplo.local/)",
      u"  /etiqueta:TEXTO  etiqueta (tag) do inventario GLPI, para as regras de entidade",
      u"  /?, /ajuda    mostra esta ajuda",
      u"Exemplo: inventario.exe /glpi /pasta:\\\\servidor\\inventarios",
  };
}
