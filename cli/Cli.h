#pragma once
// The command-line tool: `velkar-cli <command> ...`. Failures print the user-facing message on
// the error stream and give exit code 1; usage errors give 2. `--help` and `--version` answer on
// the output stream with exit code 0.

#include <iosfwd>
#include <string>

namespace velkar::cli {

// Runs the tool as `main` would, `in` standing for standard input; returns the exit code.
int Run(int argc, char** argv, std::istream& in, std::ostream& out, std::ostream& err);

// As above, with the process's standard input.
int Run(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace velkar::cli
