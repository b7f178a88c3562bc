#include "TestSupport.h"

#include "document/Opening.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

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

} // namespace velkar::test
