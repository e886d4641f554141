// The peers' options and the texts the customer takes from its user: what is accepted, what is
// refused with which message, and the CP1250 bytes that go on the wire.
#include "TempDir.h"

#include "common/Options.h"
#include "common/OrderText.h"

#include <gtest/gtest.h>

namespace velkor::peer {
namespace {

TOptions Sample() {
    return TOptions({{"port", "PORT", "listen"},
                     {"line", "TEXT", "a line", true},
                     {"tamper", "", "a flag"},
                     {"timeout", "SECONDS", "wait"}});
}

TEST(Options, ValuesFlagsAndRepeats) {
    TOptions o = Sample();
    o.Parse(
        {"--port", "2100", "--line=A;1;2", "--line", "--B;3;4", "--tamper", "--timeout", "2.5"});
    EXPECT_EQ(o.Port("port", 2000), 2100);
    EXPECT_EQ(o.Values("line"), (std::vector<std::string>{"A;1;2", "--B;3;4"}));
    EXPECT_TRUE(o.Has("tamper"));
    EXPECT_EQ(o.Seconds("timeout", std::chrono::seconds(10)), std::chrono::milliseconds(2500));
}

TEST(Options, DefaultsWhenAbsent) {
    TOptions o = Sample();
    o.Parse(std::vector<std::string>{});
    EXPECT_EQ(o.Port("port", 2000), 2000);
    EXPECT_FALSE(o.Has("tamper"));
    EXPECT_TRUE(o.Values("line").empty());
    EXPECT_EQ(o.Seconds("timeout", std::chrono::seconds(10)), std::chrono::seconds(10));
}

struct BadArguments {
    std::vector<std::string> Args;
    std::string Message;
};

class OptionFaults : public ::testing::TestWithParam<BadArguments> {};

TEST_P(OptionFaults, NameWhatIsWrong) {
    TOptions o = Sample();
    try {
        o.Parse(GetParam().Args);
        o.Port("port", 2000);
        o.Seconds("timeout", std::chrono::seconds(10));
        FAIL() << "accepted";
    } catch (const EOptionError& e) {
        EXPECT_EQ(e.Message(), GetParam().Message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionFaults,
    ::testing::Values(
        BadArguments{{"--bogus"}, "unknown option --bogus (see --help)"},
        BadArguments{{"stray"}, "unexpected argument 'stray' (see --help)"},
        BadArguments{{"-p"}, "unexpected argument '-p' (see --help)"},
        BadArguments{{"--port"}, "--port needs a value (PORT)"},
        BadArguments{{"--tamper=yes"}, "--tamper takes no value"},
        BadArguments{{"--port", "1", "--port", "2"}, "--port may be given only once"},
        BadArguments{{"--port", "0"}, "--port: '0' is not a port number (1 to 65535)"},
        BadArguments{{"--port", "65536"}, "--port: '65536' is not a port number (1 to 65535)"},
        BadArguments{{"--port", "20x"}, "--port: '20x' is not a port number (1 to 65535)"},
        BadArguments{{"--port", "-1"}, "--port: '-1' is not a port number (1 to 65535)"},
        BadArguments{{"--port="}, "--port: '' is not a port number (1 to 65535)"},
        BadArguments{{"--timeout", "0"},
                     "--timeout: '0' is not a number of seconds (more than 0, at most 3600)"},
        BadArguments{{"--timeout", "5s"},
                     "--timeout: '5s' is not a number of seconds (more than 0, at most 3600)"},
        BadArguments{{"--timeout", "nan"},
                     "--timeout: 'nan' is not a number of seconds (more than 0, at most 3600)"}));

TEST(Options, HelpListsEveryOption) {
    std::string help = Sample().Help("velkor-x", "Does x.");
    for (const char* part : {"Usage: velkor-x [options]", "--port PORT", "--line TEXT",
                             "(may be repeated)", "--tamper", "--help", "--version"})
        EXPECT_NE(help.find(part), std::string::npos) << part;
}

// --- texts ----------------------------------------------------------------------------------

TEST(Texts, Utf8BecomesCp1250) {
    EXPECT_EQ(ToCp1250("Účet č. 5", "t"), "\xDA\xE8"
                                          "et \xE8. 5");
    EXPECT_EQ(ToCp1250("", "t"), "");
}

TEST(Texts, CharactersWithoutACp1250CodeAreRefused) {
    for (const std::string& text : {std::string("Жар"), std::string("a\xC3"),
                                    std::string("\xE8"
                                                "aj"),
                                    std::string("\xED\xA0\x80")}) {
        try {
            ToCp1250(text, "--payment");
            ADD_FAILURE() << "accepted " << text;
        } catch (const ETextError& e) {
            EXPECT_EQ(e.Message().rfind("--payment: ", 0), 0u) << e.Message();
        }
    }
}

TEST(OrderLines, JoinedWithCrLf) {
    EXPECT_EQ(OrderFromLines({"A;2;300", "B;10;50"}), "A;2;300\r\nB;10;50");
    EXPECT_EQ(OrderFromLines({"Čaj;1;99"}), "\xC8"
                                            "aj;1;99");
    EXPECT_EQ(OrderLines("A;2;300\r\n\xC8"
                         "aj;1;99"),
              (std::vector<std::string>{"A;2;300", "Čaj;1;99"}));
}

TEST(OrderLines, EmptyOrdersAndEmbeddedBreaksAreRefused) {
    EXPECT_THROW(OrderFromLines({}), ETextError);
    try {
        OrderFromLines({"A;1;1", "B;2;2\nC;3;3"});
        FAIL();
    } catch (const ETextError& e) {
        EXPECT_EQ(e.Message(), "order line 2: holds a line break");
    }
}

struct OrderFile {
    std::string Content;
    Bytes Order;
};

class OrderFiles : public ::testing::TestWithParam<OrderFile> {};

TEST_P(OrderFiles, OneOrderLinePerLine) {
    test::TempDir dir;
    EXPECT_EQ(OrderFromFile(dir.Write("order.txt", GetParam().Content)), GetParam().Order);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OrderFiles,
    ::testing::Values(OrderFile{"A;2;300\nB;10;50\n", "A;2;300\r\nB;10;50"},
                      OrderFile{"A;2;300\r\nB;10;50\r\n\r\n\n", "A;2;300\r\nB;10;50"},
                      OrderFile{"A;2;300", "A;2;300"},
                      OrderFile{"A;1;1\n\nB;2;2", "A;1;1\r\n\r\nB;2;2"}, // the merchant decides
                      OrderFile{"Čaj;1;99\n", "\xC8"
                                              "aj;1;99"}, // UTF-8 converted
                      OrderFile{"\xC8"
                                "aj;1;99\n",
                                "\xC8"
                                "aj;1;99"})); // CP1250 kept

TEST(OrderFiles, MissingEmptyAndUnconvertibleFilesAreRefused) {
    test::TempDir dir;
    struct Case {
        std::string Path;
        std::string Message;
    };
    for (const Case& c :
         {Case{dir.File("none.txt"), dir.File("none.txt") + ": cannot be read (No such file or "
                                                            "directory)"},
          Case{dir.Write("empty.txt", "\n\r\n"),
               dir.File("empty.txt") + ": the order has no lines"},
          Case{dir.Write("cyr.txt", "Жар;1;1\n"), dir.File("cyr.txt") +
                                                      ": order line 1: holds a character that "
                                                      "code page 1250 does not have"}}) {
        try {
            OrderFromFile(c.Path);
            ADD_FAILURE() << c.Path;
        } catch (const ETextError& e) {
            EXPECT_EQ(e.Message(), c.Message);
        }
    }
}

} // namespace
} // namespace velkor::peer
