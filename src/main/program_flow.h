// The whole run: gather, compose, save, tell the user, wait for ENTER. Returns the exit code.
#pragma once

#include <string>
#include <vector>

// The run without arguments.
int RunInventario();

// The run as the command line's arguments (without the program name) ask for it: 0 when
// everything asked for was saved, 1 when something was not, 2 for an argument it does not know.
int RunInventario(const std::vector<std::u16string>& Arguments);
