// The eight chaining modes against modes.vec: every record of "DES Single 8byte" and "DES
// Triple 24byte" is enciphered and deciphered, in place and from a separate source into a
// separate destination, checking the output and the final feedback (the MAC in the MAC modes);
// the two-call records check that the chain carries over from one call to the next.
#include "cipher/CipherRegistry.h"
#include "cipher/DES.h"

#include "TestVectors.h"

#include <gtest/gtest.h>

namespace velkor {
// Failure messages name the mode rather than its byte.
void PrintTo(TCipherMode mode, std::ostream* os) {
    *os << CipherModeName(mode);
}
} // namespace velkor

using namespace velkor;
using velkor::test::Hex;
using velkor::test::ReadVectors;
using velkor::test::Unhex;
using velkor::test::VecRecord;

namespace {

const char* const kClasses[] = {"DES Single 8byte", "DES Triple 24byte"};
// What a destination holds before a call; a MAC mode must leave it so.
constexpr char kMarker = '\xA5';

bool IsMacMode(TCipherMode mode) {
    return mode == TCipherMode::cmCTSMAC || mode == TCipherMode::cmCBCMAC ||
           mode == TCipherMode::cmCFBMAC;
}

// A cipher of the record's class keyed with its raw key, and its IV unless it says "none".
TCipherRef Keyed(const std::string& className, const VecRecord& r) {
    TCipherClass cls = FindCipherClass(className);
    EXPECT_NE(cls, nullptr) << className;
    if (cls == nullptr) return nullptr;
    TCipherRef c = cls->Create(nullptr);
    c->SetMode(*CipherModeFromName(r["Mode"]));
    const Bytes key = Unhex(r["Key"]);
    const Bytes iv = r["IV"] == "none" ? Bytes() : Unhex(r["IV"]);
    c->Init(key.data(), static_cast<int>(key.size()), iv.empty() ? nullptr : iv.data());
    return c;
}

// One call over `in`: in place, or from `in` into a destination that starts as markers.
// Returns what the destination holds afterwards.
Bytes Call(TCipher& c, bool encipher, const Bytes& in, bool inPlace) {
    Bytes dest = inPlace ? in : Bytes(in.size(), kMarker);
    const void* source = inPlace ? static_cast<const void*>(dest.data()) : in.data();
    if (encipher)
        c.EncipherBuffer(source, dest.data(), in.size());
    else
        c.DecipherBuffer(source, dest.data(), in.size());
    return dest;
}

std::string FeedbackHex(const TCipher& c) {
    return Hex(BytesOf(c.Feedback(), static_cast<std::size_t>(c.BlockSize())));
}

class ModeVectors : public testing::TestWithParam<TCipherMode> {};

std::string ModeParamName(const testing::TestParamInfo<TCipherMode>& info) {
    return CipherModeName(info.param);
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Modes, ModeVectors,
                         testing::Values(TCipherMode::cmCTS, TCipherMode::cmCBC, TCipherMode::cmCFB,
                                         TCipherMode::cmOFB, TCipherMode::cmECB,
                                         TCipherMode::cmCTSMAC, TCipherMode::cmCBCMAC,
                                         TCipherMode::cmCFBMAC),
                         ModeParamName);

TEST_P(ModeVectors, EveryRecordBothWaysInPlaceAndIntoASeparateBuffer) {
    const TCipherMode mode = GetParam();
    const bool mac = IsMacMode(mode);
    for (const char* className : kClasses) {
        int checked = 0;
        for (const VecRecord& r : ReadVectors("modes.vec", className)) {
            if (r["Mode"] != CipherModeName(mode)) continue;
            ++checked;
            const Bytes in = Unhex(r["In"]), out = Unhex(r["Out"]);
            for (bool inPlace : {true, false}) {
                SCOPED_TRACE(testing::Message() << className << ", modes.vec line " << r.Line
                                                << (inPlace ? ", in place" : ", separate buffers"));
                // A MAC mode writes nothing: the destination keeps what it held.
                auto expected = [&](const Bytes& written, const Bytes& source) {
                    if (!mac) return written;
                    return inPlace ? source : Bytes(source.size(), kMarker);
                };
                TCipherRef enc = Keyed(className, r);
                ASSERT_NE(enc, nullptr);
                EXPECT_EQ(Hex(Call(*enc, true, in, inPlace)), Hex(expected(out, in)));
                EXPECT_EQ(FeedbackHex(*enc), r["Feedback"]);

                TCipherRef dec = Keyed(className, r);
                EXPECT_EQ(Hex(Call(*dec, false, out, inPlace)), Hex(expected(in, out)));
                EXPECT_EQ(FeedbackHex(*dec), r["DecFeedback"]);
            }
        }
        EXPECT_GT(checked, 0) << "modes.vec has no " << CipherModeName(mode) << " record for "
                              << className;
    }
}

// Two calls without a chain reset in between equal one call over both inputs; deciphering in
// two calls gives both inputs back and leaves the same feedback as enciphering did.
TEST(ModeVectors, TwoCallsInARowCarryTheChain) {
    for (const char* className : kClasses) {
        const auto records = ReadVectors("modes.vec", std::string(className) + " two calls");
        EXPECT_FALSE(records.empty());
        for (const VecRecord& r : records) {
            const Bytes in1 = Unhex(r["In1"]), in2 = Unhex(r["In2"]);
            const Bytes out1 = Unhex(r["Out1"]), out2 = Unhex(r["Out2"]);
            for (bool inPlace : {true, false}) {
                SCOPED_TRACE(testing::Message()
                             << className << " " << r["Mode"] << ", modes.vec line " << r.Line
                             << (inPlace ? ", in place" : ", separate buffers"));
                TCipherRef enc = Keyed(className, r);
                ASSERT_NE(enc, nullptr);
                EXPECT_EQ(Hex(Call(*enc, true, in1, inPlace)), r["Out1"]);
                EXPECT_EQ(Hex(Call(*enc, true, in2, inPlace)), r["Out2"]);
                EXPECT_EQ(FeedbackHex(*enc), r["Feedback"]);

                TCipherRef dec = Keyed(className, r);
                EXPECT_EQ(Hex(Call(*dec, false, out1, inPlace)), r["In1"]);
                EXPECT_EQ(Hex(Call(*dec, false, out2, inPlace)), r["In2"]);
                EXPECT_EQ(FeedbackHex(*dec), r["Feedback"]);
            }
        }
    }
}
