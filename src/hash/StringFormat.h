// String formats: classes that write bytes as text and read text back as bytes, each with a
// numeric id and a display name, kept in one process-wide registry and reached by id through
// ToFormat and FromFormat. Format 16 (upper-case hex) is how every payload goes on the wire.
#pragma once

#include "base/Bytes.h"
#include "base/Exception.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velkor {

class EStringFormat : public Exception {
public:
    using Exception::Exception;
};

// A format class has no instances of its own making and no state: the registry holds one
// constant object per class, which stands for the class (its "class reference").
// Inputs come as a pointer and a length; a negative length means "up to the first NUL byte".
class TStringFormat {
public:
    virtual ~TStringFormat() = default;
    virtual Bytes TextToBytes(const char* text, int length) const;
    virtual Bytes BytesToText(const char* data, int length) const;
    virtual std::string DisplayName() const;
    virtual std::int32_t FormatId() const { return 1; }
    // decoding = true: `data` is text for TextToBytes; false: bytes for BytesToText.
    virtual bool Accepts(const char* data, int length, bool decoding) const;
    virtual std::string ClassName() const { return "TStringFormat"; }

    static const TStringFormat* Class();
};

using TStringFormatClass = const TStringFormat*;

class TStringFormat_HEX : public TStringFormat {
public:
    Bytes TextToBytes(const char* text, int length) const override;
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "Hexadecimal"; }
    std::int32_t FormatId() const override { return 16; }
    bool Accepts(const char* data, int length, bool decoding) const override;
    std::string ClassName() const override { return "TStringFormat_HEX"; }
    // The class's characters; the first 18 are the digits and the two prefix markers "X", "$".
    virtual std::string_view Alphabet() const;

    static const TStringFormat_HEX* Class();
};

class TStringFormat_HEXL : public TStringFormat_HEX {
public:
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "Hexadecimal lowercase"; }
    std::int32_t FormatId() const override { return 1016; }
    std::string ClassName() const override { return "TStringFormat_HEXL"; }
    std::string_view Alphabet() const override;

    static const TStringFormat_HEXL* Class();
};

constexpr std::int32_t DefaultFormatId = 4196;
constexpr std::int32_t fmtCopy = 1;
constexpr std::int32_t fmtHEX = 16;
constexpr std::int32_t fmtHEXL = 1016;
constexpr std::int32_t fmtMIME64 = 4196;
constexpr std::int32_t fmtUU = 21845;
constexpr std::int32_t fmtXX = 22616;
constexpr std::int32_t fmtDefault = -1;

std::string ToFormat(const void* data, int length, std::int32_t formatId);
Bytes FromFormat(const void* text, int length, std::int32_t formatId);
// The whole byte string, NULs included.
std::string ToFormat(BytesView data, std::int32_t formatId);
Bytes FromFormat(BytesView text, std::int32_t formatId);

// -1 stands for DefaultFormatId. None when nothing is registered under the id.
TStringFormatClass FindFormatClass(std::int32_t formatId);
// Null entries and classes answering id -1 are skipped; a class whose id is registered takes
// the old class's place, others are appended.
void AddFormatClasses(const std::vector<TStringFormatClass>& classes);
// Removes a class from the registry, as unloading the module that holds it does.
void RemoveFormatClass(TStringFormatClass formatClass);
// Appends (display name, class) for every registered class, in registry order; null is ignored.
void ListFormats(std::vector<std::pair<std::string, TStringFormatClass>>* list);
// The registry itself, filled with the built-in formats on first use.
const std::vector<TStringFormatClass>& FormatRegistry();

// The class name without everything up to and including its first "_" ("TStringFormat_HEX"
// gives "HEX"); a name without "_" is returned whole.
std::string TrimmedClassName(std::string_view className);

} // namespace velkor
