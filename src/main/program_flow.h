// The whole run: gather, compose, save, tell the user, wait for ENTER. Returns the exit code.
#pragma once

int RunInventario();
