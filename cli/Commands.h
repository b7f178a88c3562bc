#pragma once
// The subcommands of velkar-cli. Each Add...Command registers its subcommand on `app`; when
// that subcommand is chosen its callback stores the work to run in `action`.

#include "document/SubtitleDocument.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace velkar::cli {

// The standard streams of a run. A command that only prints takes `std::ostream&` and is
// handed `out`; one that reads standard input ("-" for a file) or writes a file's bytes to
// standard output ("-o -", its messages then on `err`) takes the Streams.
struct Streams {
    std::istream& in;
    std::ostream& out;
    std::ostream& err;
    operator std::ostream&() const { return out; }
};

// The work of the chosen subcommand; it returns the exit code (0 unless the command documents
// others; failures throw).
using Action = std::function<int(const Streams& streams)>;

// The name that stands for standard input as a file to read, and for standard output as the
// file to write.
inline constexpr std::string_view kStandardStream = "-";

// A usage error found after the arguments were parsed (exit code 2).
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

void AddDetectCommand(CLI::App& app, Action& action);
void AddParseCommand(CLI::App& app, Action& action);
void AddInfoCommand(CLI::App& app, Action& action);
void AddSyncCommand(CLI::App& app, Action& action);
void AddAviInfoCommand(CLI::App& app, Action& action);
void AddAutosyncCommand(CLI::App& app, Action& action);
void AddMendCommand(CLI::App& app, Action& action);

// Writes `bytes` (a whole re-timed file) to standard output, or atomically to the file `path`.
void WriteOutput(const Streams& streams, const std::string& path, std::string_view bytes);
// Writes the file `doc`'s lines make (SubtitleFileBytes) the same way, straight from the lines.
void WriteOutput(const Streams& streams, const std::string& path, const SubtitleDocument& doc);

// A message of the program as the terminal shows it: each LF CR pair becomes one newline.
std::string ForTerminal(std::string_view message);

} // namespace velkar::cli
