#pragma once

#include <optional>

class QCommandLineParser;

namespace zarnith {

// The program's command line, for --help and for the parsers: the file the window opens, and the
// commands that run without a window.
void DescribeCommandLine(QCommandLineParser& parser);

// Whether the arguments ask for one of the commands.
bool AsksForCommand(int argc, char** argv);

// Answers the commands, --help, --version and mistakes in the arguments on the standard streams,
// in English, asking nothing, from a core application of its own (no display is needed), and
// returns the exit status: 0 done, 1 refused or failed, 2 a usage error. Nothing, having done
// nothing, when the arguments are the window's: a file to open, or none.
std::optional<int> RunCommandLine(int& argc, char** argv);

} // namespace zarnith
