#pragma once
// The command-line tool: `velkar-cli <command> ...`. Failures print the user-facing message on
// the error stream and give exit code 1; usage errors give 2.

#include <iosfwd>
#include <string>

namespace velkar::cli {

// Runs the tool as `main` would; returns the exit code.
int Run(int argc, char** argv, std::ostream& out, std::ostream& err);

} // namespace velkar::cli
