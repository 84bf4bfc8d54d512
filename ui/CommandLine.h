#pragma once

#include <QStringList>

#include <optional>

class QCommandLineParser;

namespace zarnith {

// The program's command line, for --help and for the parsers: the file the window opens, and the
// commands that run without a window.
void DescribeCommandLine(QCommandLineParser& parser);

// Whether the arguments ask for one of the commands.
bool AsksForCommand(int argc, char** argv);

// Parses arguments into parser (described by DescribeCommandLine) and answers --help, --version
// and mistakes (an unknown option, --help or --version beside anything else) on the standard
// streams: the exit status then, 0 or 2. Nothing when the arguments are for a command or the
// window.
std::optional<int> AnswerArguments(QCommandLineParser& parser, const QStringList& arguments);

// Answers the commands, --help, --version and mistakes in the arguments on the standard streams,
// in English, asking nothing, from a core application of its own (no display is needed), and
// returns the exit status: 0 done, 1 refused or failed, 2 a usage error. Nothing, having done
// nothing, when the arguments are the window's: a file to open, or none.
std::optional<int> RunCommandLine(int& argc, char** argv);

} // namespace zarnith
