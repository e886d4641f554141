// The book as text: ISO 8601 times with the local offset, and the CSV export's header, empty
// fields and RFC 4180 quoting.
#include "orders/BookText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <sstream>

namespace velkor::test {
namespace {

class LocalZone {
public:
    explicit LocalZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) FOld = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~LocalZone() {
        if (FOld.empty())
            ::unsetenv("TZ");
        else
            ::setenv("TZ", FOld.c_str(), 1);
        ::tzset();
    }

private:
    std::string FOld;
};

TEST(BookText, TimesCarryTheLocalOffsetOfTheirDate) {
    LocalZone prague("CET-1CEST,M3.5.0,M10.5.0/3");
    // 2026-12-10 15:36:20.789 UTC, and a summer moment.
    EXPECT_EQ(IsoTime(1796916980789), "2026-12-10T16:36:20+01:00");
    EXPECT_EQ(IsoTime(1783000000000), "2026-07-02T15:46:40+02:00");
    LocalZone west("XST8");
    EXPECT_EQ(IsoTime(0), "1969-12-31T16:00:00-08:00");
    EXPECT_EQ(IsoTime(-1), "1969-12-31T15:59:59-08:00");
}

TEST(BookText, CsvFieldsAreQuotedOnlyWhenTheyMustBe) {
    const std::pair<std::string, std::string> cases[] = {
        {"127.0.0.1", "127.0.0.1"},           {"", ""},
        {"Čaj, zelený", "\"Čaj, zelený\""},   {"a \"b\"", "\"a \"\"b\"\"\""},
        {"two\r\nlines", "\"two\r\nlines\""}, {"Žluťoučký kůň", "Žluťoučký kůň"},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(CsvField(in), out) << in;
}

TEST(BookText, CsvHasTheFixedHeaderAndEmptyFieldsWhileOpen) {
    LocalZone utc("UTC0");
    TExchange open;
    open.Id = 2;
    open.Started = 1796916980000;
    open.Customer = "127.0.0.2";
    open.LineCount = 2;
    open.Goods = 350;
    open.Postage = 123;
    open.Packing = 85;
    open.Total = 558;
    open.Gateway = "Brána \"Česká\", a.s.";
    TExchange digest;
    digest.Id = 1;
    digest.Started = 1796916970000;
    digest.Customer = "127.0.0.3";
    digest.Status = TExchangeStatus::DigestError;
    digest.Finished = 1796916970000;
    TExchange credited = open;
    credited.Id = 3;
    credited.Gateway = "127.0.0.1";
    credited.Status = TExchangeStatus::Credited;
    credited.Credited = 558;
    credited.Finished = 1796916985000;
    std::ostringstream out;
    WriteCsv(out, {digest, open, credited});
    EXPECT_EQ(out.str(),
              "id,started,customer,lines,goods,postage,packing,total,gateway,status,credited,"
              "finished\r\n"
              "1,2026-12-10T15:36:10+00:00,127.0.0.3,0,,,,,,digest-error,,"
              "2026-12-10T15:36:10+00:00\r\n"
              "2,2026-12-10T15:36:20+00:00,127.0.0.2,2,350,123,85,558,\"Brána \"\"Česká\"\", "
              "a.s.\",open,,\r\n"
              "3,2026-12-10T15:36:20+00:00,127.0.0.2,2,350,123,85,558,127.0.0.1,credited,558,"
              "2026-12-10T15:36:25+00:00\r\n");
}

} // namespace
} // namespace velkor::test
