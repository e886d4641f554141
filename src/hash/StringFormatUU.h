// UU coding (string format 21845) and XX coding (22616): bytes in lines of up to 45, each
// line a length character and groups of four 6-bit characters, with no line breaks between
// lines. XX coding is UU coding over another alphabet and inherits all of its coders.
#pragma once

#include "hash/StringFormat.h"

namespace velkor {

class TStringFormat_UU : public TStringFormat {
public:
    // EStringFormat "Input is not an valid %s Format." at a line start that is not a value
    // from 0 to 45.
    Bytes TextToBytes(const char* text, int length) const override;
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "UU Coding"; }
    std::int32_t FormatId() const override { return fmtUU; }
    // For decoding: only alphabet characters, and lines that end exactly where the text ends.
    bool Accepts(const char* data, int length, bool decoding) const override;
    std::string ClassName() const override { return "TStringFormat_UU"; }
    // 64 digits (values 0-63), then the blanks that may stand inside a line.
    virtual std::string_view Alphabet() const;

    static const TStringFormat_UU* Class();
};

class TStringFormat_XX : public TStringFormat_UU {
public:
    std::string DisplayName() const override { return "XX Coding"; }
    std::int32_t FormatId() const override { return fmtXX; }
    std::string ClassName() const override { return "TStringFormat_XX"; }
    std::string_view Alphabet() const override;

    static const TStringFormat_XX* Class();
};

} // namespace velkor
