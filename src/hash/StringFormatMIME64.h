// MIME Base 64 (RFC 2045), string format 4196 and the default format (id -1): the text in
// which the cipher manager writes and reads every cipher text. It derives from the hex format
// and accepts, like it, any text made only of its own alphabet's characters.
#pragma once

#include "hash/StringFormat.h"

namespace velkor {

class TStringFormat_MIME64 : public TStringFormat_HEX {
public:
    // Skips every character but the 64 digits and "="; missing closing "=" are supplied.
    Bytes TextToBytes(const char* text, int length) const override;
    // Four characters for every three bytes, "=" filled, no line breaks.
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "MIME Base 64"; }
    std::int32_t FormatId() const override { return fmtMIME64; }
    std::string ClassName() const override { return "TStringFormat_MIME64"; }
    // The 64 digits (values 0-63), "=" (64), then the 20 separators that decoding skips.
    std::string_view Alphabet() const override;

    static const TStringFormat_MIME64* Class();
};

} // namespace velkor
