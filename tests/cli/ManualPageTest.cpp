// The manual page and the bash completion of velkar-cli against the program's own --help: a
// command or an option that one of them lacks, or that the program no longer has, fails here.

#include "cli/Cli.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>

namespace velkar {
namespace {

using Names = std::set<std::string>;

const std::string kPackaging = VELKAR_PACKAGING_DIR;

std::string Help(std::vector<std::string> args) {
    args.insert(args.begin(), "velkar-cli");
    args.push_back("--help");
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    std::istringstream in;
    std::ostringstream out, err;
    EXPECT_EQ(cli::Run(static_cast<int>(argv.size()), argv.data(), in, out, err), 0);
    return out.str();
}

// The first word of each entry of a heading of CLI11's help ("Options:", "Subcommands:").
std::vector<std::string> Entries(const std::string& help, const std::string& heading) {
    std::vector<std::string> entries;
    std::istringstream lines(help);
    std::string line;
    bool inside = false;
    while (std::getline(lines, line)) {
        if (line == heading) {
            inside = true;
        } else if (inside && line.rfind("  ", 0) == 0 && line.size() > 2 && line[2] != ' ') {
            entries.push_back(line.substr(2, line.find(' ', 2) - 2));
        } else if (inside && line.empty()) {
            inside = false;
        }
    }
    return entries;
}

// The option names of a help text, each of "-o,--output" counted; --help itself left out.
Names HelpOptions(const std::string& help) {
    Names names;
    for (const std::string& entry : Entries(help, "Options:")) {
        std::istringstream parts(entry);
        std::string name;
        while (std::getline(parts, name, ','))
            if (name != "-h" && name != "--help")
                names.insert(name);
    }
    return names;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    return {std::istreambuf_iterator<char>(in), {}};
}

// The page's options: the names in the tag line after each .TP, by section (.SS command, or
// "" for the .SH OPTIONS of the whole program), the roff escapes taken out.
std::map<std::string, Names> PageOptions(const std::string& page) {
    std::map<std::string, Names> sections;
    std::istringstream lines(std::regex_replace(page, std::regex(R"(\\-)"), "-"));
    std::string line, section;
    bool tag = false, counted = false;
    const std::regex option(R"((^|[\s"])(--?[a-z][a-z-]*))");
    while (std::getline(lines, line)) {
        if (line.rfind(".SS ", 0) == 0) {
            std::string title = line.substr(4);
            title.erase(0, title.find_first_not_of('"'));
            section = title.substr(0, title.find_first_of(" \\\""));
            sections[section];
            counted = true;
        } else if (line.rfind(".SH ", 0) == 0) {
            counted = line == ".SH OPTIONS";
            section.clear();
        } else if (line == ".TP") {
            tag = true;
            continue;
        } else if (tag && counted) {
            for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m)
                sections[section].insert((*m)[2]);
        }
        tag = false;
    }
    return sections;
}

std::string Listed(const Names& names) {
    std::string text;
    for (const auto& name : names)
        text += " " + name;
    return text.empty() ? " (none)" : text;
}

// Reports each name of `want` missing from `got` and each one `got` has beyond it.
void ExpectSame(const Names& want, const Names& got, const std::string& where) {
    Names missing, extra;
    for (const auto& n : want)
        if (!got.count(n))
            missing.insert(n);
    for (const auto& n : got)
        if (!want.count(n))
            extra.insert(n);
    EXPECT_TRUE(missing.empty()) << where << " lacks" << Listed(missing);
    EXPECT_TRUE(extra.empty()) << where
                               << " names what the program does not have:" << Listed(extra);
}

Names Commands() {
    const auto entries = Entries(Help({}), "Subcommands:");
    EXPECT_FALSE(entries.empty());
    return {entries.begin(), entries.end()};
}

TEST(ManualPage, DescribesEveryCommandAndOptionOfTheProgram) {
    const auto page = PageOptions(ReadText(kPackaging + "/velkar-cli.1.in"));
    Names described;
    for (const auto& [section, options] : page)
        if (!section.empty())
            described.insert(section);
    ExpectSame(Commands(), described, "velkar-cli.1's COMMANDS (one .SS per command)");
    for (const std::string& command : Commands()) {
        if (!page.count(command))
            continue; // reported above
        ExpectSame(HelpOptions(Help({command})), page.at(command),
                   "velkar-cli.1's section on " + command);
    }
    Names global = HelpOptions(Help({}));
    global.insert({"-h", "--help"});
    ExpectSame(global, page.count("") ? page.at("") : Names{}, "velkar-cli.1's OPTIONS");
}

// The completion: its list of commands, and the long options it offers after each.
TEST(BashCompletion, OffersEveryCommandAndLongOption) {
    const std::string script = ReadText(kPackaging + "/velkar-cli.bash-completion");
    std::smatch m;
    ASSERT_TRUE(std::regex_search(script, m, std::regex(R"re(local commands="([^"]*)")re")));
    std::istringstream words(m[1].str());
    Names offered{std::istream_iterator<std::string>(words), {}};
    ExpectSame(Commands(), offered, "the completion's commands");

    for (const std::string& command : Commands()) {
        Names options;
        const std::regex line("\\n\\s*" + command + R"re(\) options\+=" ([^"]*))re");
        if (std::regex_search(script, m, line)) {
            std::istringstream names(m[1].str());
            options = {std::istream_iterator<std::string>(names), {}};
        }
        Names longOptions;
        for (const auto& name : HelpOptions(Help({command})))
            if (name.rfind("--", 0) == 0)
                longOptions.insert(name);
        ExpectSame(longOptions, options, "the completion's options of " + command);
    }
}

} // namespace
} // namespace velkar
