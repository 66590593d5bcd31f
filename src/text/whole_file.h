// A file written whole or not at all: the bytes go to a new file beside it, which takes the
// file's name only once everything is on the disk.
#pragma once

#include <initializer_list>
#include <string_view>

// Writes Pieces, one after the other, as the whole contents of FilePath. An earlier file of that
// name stays untouched until the new contents are written, flushed and closed, and is then
// replaced in one step; when anything fails, the new file is removed and the folder is left as it
// was. Raises EFCreateError when the file cannot be created or put in place, EWriteError when
// its contents cannot be written; both name FilePath in full.
void SaveFileWhole(std::u16string_view FilePath, std::initializer_list<std::string_view> Pieces);
