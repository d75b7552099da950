#pragma once
// The program's arguments: `corvane [FILE.mod]`, `--help`, `--version`.
#include <QStringList>

namespace corvane {

struct CommandLine {
    bool help = false;
    bool version = false;
    QString file;   // the model to open, "" for none
};

// args[0] is the program. Only the first file counts; other options and
// further files change nothing; "--" ends the options.
CommandLine parseCommandLine(const QStringList& args);

inline constexpr char UsageLine[] = "Usage: corvane [FILE.mod] | --help | --version";

}  // namespace corvane
