#pragma once
// The subcommands of velkar-cli. Each Add...Command registers its subcommand on `app`; when
// that subcommand is chosen its callback stores the work to run in `action`.

#include <CLI/CLI.hpp>

#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>

namespace velkar::cli {

using Action = std::function<void(std::ostream& out)>;

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

// A message of the program as the terminal shows it: each LF CR pair becomes one newline.
std::string ForTerminal(std::string_view message);

} // namespace velkar::cli
