// The demonstration string formats: 1704 writes each byte as a decimal number, 1705 is a hex
// dump with offsets and the printable characters beside the bytes.
#pragma once

#include "hash/StringFormat.h"

namespace velkor {

constexpr std::int32_t fmtSample = 1704;
constexpr std::int32_t fmtHEXVIEW = 1705;

// "72 101 108 108 111": the bytes as decimal numbers, separated by one blank. Reading takes
// numbers of 0 to 255 separated by any run of blanks, tabs and line ends.
class TStringFormat_Sample : public TStringFormat {
public:
    Bytes TextToBytes(const char* text, int length) const override;
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "Sample see Sample"; }
    std::int32_t FormatId() const override { return fmtSample; }
    bool Accepts(const char* data, int length, bool decoding) const override;
    std::string ClassName() const override { return "TStringFormat_Sample"; }

    static const TStringFormat_Sample* Class();
};

// Sixteen bytes per line, CR LF after each:
//   "00000010  48 65 6C 6C 6F                                       |Hello|"
// an eight-digit hex offset, two blanks, sixteen three-character columns ("hh " or blanks),
// then the bytes between bars, each byte below 0x20 or above 0x7E shown as ".". Reading takes
// the hex columns back and checks every offset.
class TStringFormat_HEXVIEW : public TStringFormat {
public:
    Bytes TextToBytes(const char* text, int length) const override;
    Bytes BytesToText(const char* data, int length) const override;
    std::string DisplayName() const override { return "HEX-View, see Sample"; }
    std::int32_t FormatId() const override { return fmtHEXVIEW; }
    bool Accepts(const char* data, int length, bool decoding) const override;
    std::string ClassName() const override { return "TStringFormat_HEXVIEW"; }

    static const TStringFormat_HEXVIEW* Class();
};

} // namespace velkor
