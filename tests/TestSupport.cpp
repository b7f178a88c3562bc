#include "TestSupport.h"

#include "cli/Cli.h"
#include "document/Opening.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>

namespace velkar::test {

SubtitleDocument OpenLines(LineStore lines) {
    SubtitleDocument doc;
    doc.Reset("test");
    doc.SubtitleLines = std::move(lines);
    NoProgress progress;
    Recognise(doc, progress);
    if (HasTimingTable(doc.SubtitleFormat))
        FinishOpen(doc, progress);
    return doc;
}

TempFolder::TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velkar-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a temporary folder");
    m_path = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(m_path, ec);
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::filesystem::path CorpusFolder() {
    std::filesystem::path folder(VELKAR_CORPUS_DIR);
    return std::filesystem::is_directory(folder) ? folder : std::filesystem::path();
}

CliResult RunCli(std::vector<std::string> args, const std::string& input) {
    args.insert(args.begin(), "velkar-cli");
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    std::istringstream in(input);
    std::ostringstream out, err;
    const int code = cli::Run(static_cast<int>(argv.size()), argv.data(), in, out, err);
    return {code, out.str(), err.str()};
}

bool Gone(pid_t pid) {
    return !std::filesystem::exists("/proc/" + std::to_string(pid));
}

} // namespace velkar::test
