#pragma once

#include <optional>

// The commands the program runs without a window (and without a display),
// for the administrator: given on the command line, they print what they
// find and end. Nothing when the arguments name no such command.
std::optional<int> RunCommand(int argc, char *argv[]);
