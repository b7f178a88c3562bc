#pragma once
// Helpers shared by the core tests.

#include "document/SubtitleDocument.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace velkar::test {

// A document holding `lines`, recognised and parsed as opening a file would.
SubtitleDocument OpenLines(LineStore lines);

// A fresh folder under the system's temporary folder, removed when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::filesystem::path path(const std::string& name) const { return m_path / name; }

  private:
    std::filesystem::path m_path;
};

void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
std::string ReadBytes(const std::filesystem::path& path);

// The corpus folder, or an empty path when it is not there.
std::filesystem::path CorpusFolder();

// What one in-process run of velkar-cli gave: its exit code and everything it printed.
struct CliResult {
    int code;
    std::string out;
    std::string err;
};

// Runs velkar-cli with `args` (the arguments after the program's name), `input` as its standard
// input.
CliResult RunCli(std::vector<std::string> args, const std::string& input = {});

// The process `pid` is gone and reaped: /proc has no entry for it (a zombie would have one).
bool Gone(pid_t pid);

} // namespace velkar::test
