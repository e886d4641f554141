// Command-line options of the peer programs: "--name value", "--name=value" and flags, each
// declared once with its help text. Anything else is refused with a message naming it.
#pragma once

#include "base/Exception.h"

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace velkor::peer {

class EOptionError : public Exception {
public:
    using Exception::Exception;
};

struct TOptionDef {
    std::string Name;  // without the leading "--"
    std::string Value; // the value's placeholder in the help ("PORT"); empty for a flag
    std::string Help;  // one line
    bool Repeatable = false;
};

class TOptions {
public:
    explicit TOptions(std::vector<TOptionDef> definitions);

    // Raises EOptionError for an unknown option, a missing value, a flag given a value, an
    // option given twice that may be given once, and any argument that is not an option.
    void Parse(const std::vector<std::string>& args);
    void Parse(int argc, char** argv);

    bool Has(const std::string& name) const;
    std::string Value(const std::string& name, const std::string& fallback = "") const;
    const std::vector<std::string>& Values(const std::string& name) const;
    // A UDP port, 1 to 65535.
    int Port(const std::string& name, int fallback) const;
    // A positive number of seconds (fractions allowed), at most an hour.
    std::chrono::milliseconds Seconds(const std::string& name,
                                      std::chrono::milliseconds fallback) const;

    // "Usage: <program> [options]" and one line per option.
    std::string Help(const std::string& program, const std::string& summary) const;
    // "<program> (Velkor) <version>".
    static std::string VersionLine(const std::string& program);
    // After Parse: prints the help or the version line on standard output when asked for
    // (--help wins) and says so, so that the program ends with status 0.
    bool AnswerHelpOrVersion(const std::string& program, const std::string& summary) const;

private:
    const TOptionDef* Find(const std::string& name) const;

    std::vector<TOptionDef> FDefinitions;
    std::map<std::string, std::vector<std::string>> FValues;
};

} // namespace velkor::peer
