// Parsing of the peers' options. Values are kept as given (UTF-8); the typed readers check
// them when they are asked for, so a bad port names its option.
#include "common/Options.h"

#include "VelkorVersion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace velkor::peer {

TOptions::TOptions(std::vector<TOptionDef> definitions) : FDefinitions(std::move(definitions)) {
    FDefinitions.push_back({"help", "", "show this text and exit", false});
    FDefinitions.push_back({"version", "", "show the version and exit", false});
}

const TOptionDef* TOptions::Find(const std::string& name) const {
    for (const TOptionDef& option : FDefinitions)
        if (option.Name == name) return &option;
    return nullptr;
}

void TOptions::Parse(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    Parse(args);
}

void TOptions::Parse(const std::vector<std::string>& args) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 3 || arg.compare(0, 2, "--") != 0)
            throw EOptionError("unexpected argument '" + arg + "' (see --help)");
        std::string name = arg.substr(2);
        std::string value;
        bool inlineValue = false;
        if (auto eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const TOptionDef* option = Find(name);
        if (option == nullptr) throw EOptionError("unknown option --" + name + " (see --help)");
        if (option->Value.empty()) {
            if (inlineValue) throw EOptionError("--" + name + " takes no value");
        } else if (!inlineValue) {
            if (i + 1 >= args.size())
                throw EOptionError("--" + name + " needs a value (" + option->Value + ")");
            value = args[++i];
        }
        auto& values = FValues[name];
        if (!values.empty() && !option->Repeatable)
            throw EOptionError("--" + name + " may be given only once");
        values.push_back(value);
    }
}

bool TOptions::Has(const std::string& name) const {
    return FValues.count(name) != 0;
}

std::string TOptions::Value(const std::string& name, const std::string& fallback) const {
    auto it = FValues.find(name);
    return it == FValues.end() ? fallback : it->second.back();
}

const std::vector<std::string>& TOptions::Values(const std::string& name) const {
    static const std::vector<std::string> none;
    auto it = FValues.find(name);
    return it == FValues.end() ? none : it->second;
}

int TOptions::Port(const std::string& name, int fallback) const {
    if (!Has(name)) return fallback;
    std::string text = Value(name);
    char* end = nullptr;
    long port =
        text.empty() || text[0] < '0' || text[0] > '9' ? -1 : std::strtol(text.c_str(), &end, 10);
    if (port < 1 || port > 65535 || *end != '\0')
        throw EOptionError("--" + name + ": '" + text + "' is not a port number (1 to 65535)");
    return static_cast<int>(port);
}

std::chrono::milliseconds TOptions::Seconds(const std::string& name,
                                            std::chrono::milliseconds fallback) const {
    if (!Has(name)) return fallback;
    std::string text = Value(name);
    char* end = nullptr;
    double seconds =
        text.empty() || text[0] < '0' || text[0] > '9' ? -1 : std::strtod(text.c_str(), &end);
    if (!(seconds > 0 && seconds <= 3600) || *end != '\0')
        throw EOptionError("--" + name + ": '" + text +
                           "' is not a number of seconds (more than 0, at most 3600)");
    return std::chrono::milliseconds(std::llround(seconds * 1000));
}

std::string TOptions::Help(const std::string& program, const std::string& summary) const {
    std::string text = "Usage: " + program + " [options]\n" + summary + "\n\nOptions:\n";
    for (const TOptionDef& option : FDefinitions) {
        std::string left = "  --" + option.Name + (option.Value.empty() ? "" : " " + option.Value);
        if (left.size() < 26)
            left.resize(26, ' ');
        else
            left += "  ";
        text += left + option.Help + (option.Repeatable ? " (may be repeated)" : "") + "\n";
    }
    return text;
}

std::string TOptions::VersionLine(const std::string& program) {
    return program + " (Velkor) " + kVersion + "\n";
}

bool TOptions::AnswerHelpOrVersion(const std::string& program, const std::string& summary) const {
    if (!Has("help") && !Has("version")) return false;
    std::string text = Has("help") ? Help(program, summary) : VersionLine(program);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return true;
}

} // namespace velkor::peer
