#include "authoring/Descriptor.h"

#include "app/IniFile.h"
#include "document/Errors.h"

#include <chrono>
#include <filesystem>

namespace velkar {

std::string GenerateID(std::mt19937& random) {
    std::string id;
    std::uniform_int_distribution<int> coin(0, 1), letter(0, 25), digit(0, 9);
    for (int i = 0; i < 8; ++i)
        id.push_back(coin(random) == 1 ? static_cast<char>('A' + letter(random))
                                       : static_cast<char>('0' + digit(random)));
    return id;
}

std::string GenerateID() {
    std::mt19937 random(static_cast<std::mt19937::result_type>(
        std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return GenerateID(random);
}

std::string MovieTitle(std::string_view fileName) {
    return fileName.size() > 4 ? std::string(fileName.substr(0, fileName.size() - 4))
                               : std::string();
}

namespace {

// The folder of `path` with its trailing separator, and its file name.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
    if (path.empty())
        return {};
    std::filesystem::path p(path);
    std::string folder = p.parent_path().string();
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return {folder, p.filename().string()};
}

IniFile DescriptorIni(const DescriptorFields& f) {
    IniFile ini;
    ini.AddSection("Micro DVD Ini File"); // written first, and left without keys
    ini.WriteString("MAIN", "Title", f.Title);
    ini.WriteString("MAIN", "ID", f.ID);
    ini.WriteString("MAIN", "CDNumber", "");
    ini.WriteString("MAIN", "Delay", "");
    ini.WriteString("MOVIE", "Directory", f.MovieDir);
    ini.WriteString("MOVIE", "AviName", f.AviName);
    for (const char* key : {"Avi2Name", "Avi3Name", "CD1Frames", "CD2Frames", "CD3Frames"})
        ini.WriteString("MOVIE", key, "");
    ini.WriteString("SUBTITLES", "Directory", f.SubDir);
    for (const char* key : {"DialogString", "EstimateDisplayDuration", "MaxDisplayDuration"})
        ini.WriteString("SUBTITLES", key, "");
    ini.WriteString("SUBTITLES", "1", f.Short1 + " " + f.Long1);
    ini.WriteString("SUBTITLES", "File", f.SubFileName);
    // "LineSeperator" is the key the player reads, spelled so.
    for (const char* key : {"Offset", "Multiplier", "Openbracket", "Closebracket", "LineSeperator"})
        ini.WriteString("SUBTITLES", key, "");
    return ini;
}

} // namespace

DescriptorFields DescriptorFor(const std::string& moviePath, const std::string& subtitlePath) {
    DescriptorFields fields;
    auto [movieDir, aviName] = SplitPath(moviePath);
    fields.Title = MovieTitle(aviName);
    fields.ID = GenerateID();
    fields.MovieDir = movieDir;
    fields.AviName = aviName;
    auto [subDir, subName] = SplitPath(subtitlePath);
    fields.SubDir = subDir;
    fields.SubFileName = subName;
    return fields;
}

std::string DescriptorText(const DescriptorFields& fields) {
    return DescriptorIni(fields).Text();
}

void WriteDescriptor(const std::string& path, const DescriptorFields& fields) {
    try {
        DescriptorIni(fields).Save(path);
    } catch (const FileCreateError& e) {
        throw VelkarError("Unable to write to " + path +
                          (e.reason().empty() ? std::string() : ": " + e.reason()));
    }
}

} // namespace velkar
