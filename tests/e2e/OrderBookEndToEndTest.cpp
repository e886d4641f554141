// The order book with the real programs: the merchant recording whole exchanges and their
// failures while velkor-orders reads, a merchant killed with SIGKILL after an order and
// started again, books the merchant must leave alone while it serves the exchange as before,
// and velkor-orders run as people run it.
#include "BookCheck.h"
#include "ChildProcess.h"
#include "TempDir.h"

#include "common/KeyFile.h"
#include "rsa/KeyGen.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <iostream>
#include <memory>
#include <regex>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor::test {
namespace {

using namespace std::chrono_literals;

const char* const kMerchantBin = VELKOR_MERCHANT_BIN;
const char* const kCustomerBin = VELKOR_CUSTOMER_BIN;
const char* const kGatewayBin = VELKOR_GATEWAY_BIN;
const char* const kOrdersBin = VELKOR_ORDERS_BIN;

const std::string kHeader =
    "id,started,customer,lines,goods,postage,packing,total,gateway,status,credited,finished";
const std::string kIso = R"(\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d[+-]\d\d:\d\d)";
const std::string kCredit = "   Na účet obchodníka byla připsána částka 558 Kč";

struct ToolRun {
    int Status = -1;
    std::vector<std::string> Out;
    std::string Err;
};

class BookEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        std::string taken = FixedPortsTaken();
        if (!taken.empty()) GTEST_FAIL() << taken;
        book = dir.File("velkor/orders.sqlite");
    }

    void TearDown() override {
        if (HasFailure() || std::getenv("VELKOR_E2E_SHOW"))
            for (const auto& p : FProcesses) std::cout << p->Transcript();
        FProcesses.clear();
        // A folder a test made read-only still goes with the test.
        std::filesystem::permissions(dir.File("velkor"), std::filesystem::perms::owner_all,
                                     ignored);
    }

    ChildProcess& Start(const std::string& name, std::vector<std::string> argv) {
        FProcesses.push_back(std::make_unique<ChildProcess>(
            name, std::move(argv),
            std::vector<std::string>{"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}));
        return *FProcesses.back();
    }

    // The merchant with its book at `path`, run by `prefix` (a program that starts it).
    ChildProcess& StartMerchant(const std::string& path, std::vector<std::string> prefix = {}) {
        prefix.insert(prefix.end(), {"/usr/bin/env", "VELKOR_ORDERS_DB=" + path, kMerchantBin});
        ChildProcess& merchant = Start("merchant", prefix);
        EXPECT_TRUE(merchant.WaitForLine(
            [](const std::string& l) { return l.rfind("   Hotovo , doba generování: ", 0) == 0; },
            15s))
            << "the merchant wrote no start-up banner";
        return merchant;
    }

    ChildProcess& StartGateway(std::vector<std::string> options = {"--once"}) {
        std::vector<std::string> argv = {kGatewayBin, "--write-public", dir.File("gateway.pub")};
        argv.insert(argv.end(), options.begin(), options.end());
        ChildProcess& gateway = Start("gateway", argv);
        EXPECT_TRUE(gateway.WaitForLine(
            [](const std::string& l) {
                return l.find("gateway listening on UDP port 2003") != std::string::npos;
            },
            15s));
        return gateway;
    }

    ChildProcess& StartCustomer(std::vector<std::string> options = {}) {
        std::vector<std::string> argv = {kCustomerBin, "--gateway-key", dir.File("gateway.pub"),
                                         "--timeout", "6"};
        argv.insert(argv.end(), options.begin(), options.end());
        return Start("customer", argv);
    }

    ToolRun Orders(std::vector<std::string> args) {
        args.insert(args.begin(), kOrdersBin);
        ChildProcess tool("velkor-orders", args);
        ToolRun run;
        run.Status = tool.WaitExit(10s).value_or(-1);
        run.Out = tool.Lines();
        run.Err = tool.ErrorOutput();
        return run;
    }

    TempDir dir;
    std::string book;
    std::error_code ignored;

private:
    std::vector<std::unique_ptr<ChildProcess>> FProcesses;
};

bool Has(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST_F(BookEndToEnd, WholeExchangeIsRecordedCreditedAndExported) {
    ChildProcess& gateway = StartGateway();
    ChildProcess& merchant = StartMerchant(book);
    ASSERT_FALSE(HasFailure());
    ChildProcess& customer =
        StartCustomer({"--line", "Čaj, \"zelený\";2;300", "--line", "B;10;50"});
    ASSERT_TRUE(merchant.WaitForLine(kCredit, 25s));
    EXPECT_EQ(gateway.WaitExit(5s), 0);
    EXPECT_EQ(customer.WaitExit(15s), 0);
    auto credited = WaitForBook(
        book,
        [](const auto& list) {
            return list.size() == 1 && list[0].Status == TExchangeStatus::Credited;
        },
        5s);
    ASSERT_EQ(credited.size(), 1u);
    EXPECT_EQ(ModeOf(book), 0600u);
    EXPECT_EQ(ModeOf(dir.File("velkor")), 0700u);
    // The book adds no line to the log.
    for (const std::string& line : merchant.Lines()) EXPECT_EQ(line.find("***"), std::string::npos);

    // Read while the merchant still runs.
    ToolRun csv = Orders({"--db", book, "export", "--csv"});
    EXPECT_EQ(csv.Status, 0) << csv.Err;
    ASSERT_EQ(csv.Out.size(), 2u);
    EXPECT_EQ(csv.Out[0], kHeader + "\r");
    EXPECT_TRUE(std::regex_match(csv.Out[1], std::regex("1," + kIso +
                                                        ",127\\.0\\.0\\.1,2,350,123,85,"
                                                        "558,127\\.0\\.0\\.1,credited,558," +
                                                        kIso + "\r")))
        << csv.Out[1];

    ToolRun show = Orders({"--db", book, "show", "1"});
    EXPECT_EQ(show.Status, 0) << show.Err;
    EXPECT_TRUE(Has(show.Out, "  Čaj, \"zelený\"" + std::string(17, ' ') + "    2        300 Kč"));
    EXPECT_TRUE(Has(show.Out, "  status     credited"));
    std::string steps;
    for (const std::string& line : show.Out)
        if (std::smatch m; std::regex_match(line, m, std::regex("  " + kIso + "  (\\S+).*")))
            steps += m[1].str() + " ";
    EXPECT_EQ(steps, "order gateway-key symmetric-key-sent payment-sent total-sent credited ");

    ToolRun list = Orders({"list"});
    EXPECT_EQ(list.Status, 1) << "no book in the default place of this test";
    list = Orders({"--db", book, "list"});
    ASSERT_EQ(list.Out.size(), 2u);
    EXPECT_NE(list.Out[1].find("credited"), std::string::npos) << list.Out[1];
    EXPECT_EQ(merchant.Terminate(), 0);
    EXPECT_EQ(IntegrityCheck(book), "ok");
}

TEST_F(BookEndToEnd, DigestErrorAndRefusalAreRecordedWithTheirEnds) {
    ChildProcess& gateway = StartGateway({"--tax-id", "111111111"});
    ChildProcess& merchant = StartMerchant(book);
    ASSERT_FALSE(HasFailure());
    ChildProcess& tampering = StartCustomer({"--tamper"});
    auto end = merchant.WaitForLine("--- KONEC SPOJENÍ ---", 15s);
    ASSERT_TRUE(end);
    EXPECT_EQ(tampering.WaitExit(15s), 1);
    ChildProcess& refused = StartCustomer();
    ASSERT_TRUE(merchant.WaitForLine("--- KONEC SPOJENÍ ---", 25s, *end + 1));
    EXPECT_EQ(refused.WaitExit(15s), 1);
    gateway.Terminate();

    auto list = WaitForBook(
        book,
        [](const auto& l) { return l.size() == 2 && l[0].Status == TExchangeStatus::Refused; }, 5s);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[1].Status, TExchangeStatus::DigestError);
    EXPECT_EQ(list[1].LineCount, 0);
    EXPECT_FALSE(list[1].Total);

    ToolRun csv = Orders({"--db", book, "export", "--csv"});
    ASSERT_EQ(csv.Out.size(), 3u);
    EXPECT_TRUE(std::regex_match(
        csv.Out[1],
        std::regex("1," + kIso + ",127\\.0\\.0\\.1,0,,,,,,digest-error,," + kIso + "\r")))
        << csv.Out[1];
    EXPECT_TRUE(std::regex_match(csv.Out[2], std::regex("2," + kIso +
                                                        ",127\\.0\\.0\\.1,2,350,123,85,"
                                                        "558,127\\.0\\.0\\.1,refused,," +
                                                        kIso + "\r")))
        << csv.Out[2];
    // The gateway's own text is the refusal's step, as the log shows it.
    ToolRun show = Orders({"--db", book, "show", "2"});
    bool refusal = false;
    for (const std::string& line : show.Out)
        refusal =
            refusal || std::regex_match(line, std::regex("  " + kIso + "  refused  \\*\\*\\*.*"));
    EXPECT_TRUE(refusal) << show.Out.size();
    EXPECT_EQ(merchant.Terminate(), 0);
}

TEST_F(BookEndToEnd, KillNineAfterTheOrderLeavesItOpenAndTheNextStartInterruptsIt) {
    // No gateway: the order is accepted and its exchange waits for the gateway's key.
    peer::WritePublicKeyFile(dir.File("gateway.pub"), MakeKeyPair(TKeyBits::kb0512).PublicKey);
    ChildProcess& merchant = StartMerchant(book);
    ASSERT_FALSE(HasFailure());
    ChildProcess& customer = StartCustomer();
    ASSERT_TRUE(merchant.WaitForLine("   Cena celkem  :       558 Kč", 15s));
    auto open = WaitForBook(
        book, [](const auto& l) { return l.size() == 1; }, 5s);
    ASSERT_EQ(open.size(), 1u);
    ASSERT_EQ(::kill(merchant.Pid(), SIGKILL), 0);
    EXPECT_EQ(merchant.WaitExit(5s), 128 + SIGKILL);
    customer.Terminate();

    ToolRun csv = Orders({"--db", book, "export", "--csv"});
    ASSERT_EQ(csv.Out.size(), 2u) << csv.Err;
    EXPECT_TRUE(std::regex_match(csv.Out[1], std::regex("1," + kIso +
                                                        ",127\\.0\\.0\\.1,2,350,123,85,"
                                                        "558,127\\.0\\.0\\.1,open,,\r")))
        << csv.Out[1];

    ChildProcess& again = StartMerchant(book);
    ASSERT_FALSE(HasFailure());
    csv = Orders({"--db", book, "export", "--csv"});
    ASSERT_EQ(csv.Out.size(), 2u);
    EXPECT_TRUE(std::regex_match(csv.Out[1], std::regex("1," + kIso +
                                                        ",127\\.0\\.0\\.1,2,350,123,85,"
                                                        "558,127\\.0\\.0\\.1,interrupted,," +
                                                        kIso + "\r")))
        << csv.Out[1];
    ToolRun show = Orders({"--db", book, "show", "1"});
    ASSERT_FALSE(show.Out.empty());
    EXPECT_NE(show.Out.back().find("  interrupted"), std::string::npos) << show.Out.back();
    EXPECT_EQ(again.Terminate(), 0);
    EXPECT_EQ(IntegrityCheck(book), "ok");
}

// --- books the merchant must leave alone -------------------------------------------------------

struct BadBook {
    const char* Name;
    std::function<void(const std::string& path)> Make;
    const char* Reason;
    bool ReadOnlyFolder;
};

class BadBooks : public BookEndToEnd, public ::testing::WithParamInterface<BadBook> {};

TEST_P(BadBooks, GiveOneClearLineAndTheExchangeIsServedAsBefore) {
    std::filesystem::create_directories(dir.File("velkor"));
    GetParam().Make(book);
    std::vector<std::string> prefix;
    if (GetParam().ReadOnlyFolder) {
        // A folder's write bit stops everyone but root: as root, the merchant runs as nobody.
        if (::geteuid() == 0) {
            ASSERT_EQ(::chown(dir.File("velkor").c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chown(book.c_str(), 65534, 65534), 0);
            ASSERT_EQ(::chmod(dir.File("").c_str(), 0755), 0);
            prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
        }
        ASSERT_EQ(::chmod(dir.File("velkor").c_str(), 0500), 0);
    }
    const std::string before = TempDir::Read(book);
    ChildProcess& gateway = StartGateway();
    ChildProcess& merchant = StartMerchant(book, prefix);
    ASSERT_FALSE(HasFailure());
    const std::string fault = "*** Chyba: knihu objednávek " + book +
                              " nelze otevřít: " + GetParam().Reason +
                              "; objednávky se nezaznamenávají";
    auto line = merchant.WaitForLine(fault, 5s);
    ASSERT_TRUE(line);
    EXPECT_EQ(merchant.Lines()[*line - 1].rfind("   Hotovo , doba generování: ", 0), 0u)
        << "the line follows the start-up banner";
    ChildProcess& customer = StartCustomer();
    ASSERT_TRUE(merchant.WaitForLine(kCredit, 25s));
    EXPECT_EQ(gateway.WaitExit(5s), 0);
    EXPECT_EQ(customer.WaitExit(15s), 0);
    int faults = 0;
    for (const std::string& l : merchant.Lines()) faults += l.rfind("***", 0) == 0;
    EXPECT_EQ(faults, 1);
    EXPECT_EQ(merchant.Terminate(), 0);
    EXPECT_EQ(TempDir::Read(book), before);
    EXPECT_FALSE(std::filesystem::exists(book + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(book + "-shm"));
}

void MakeSqlite(const std::string& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

INSTANTIATE_TEST_SUITE_P(
    Merchant, BadBooks,
    ::testing::Values(BadBook{"JunkFile",
                              [](const std::string& p) {
                                  std::ofstream(p, std::ios::binary) << "Objednávky 2026\n"
                                                                     << std::string(3000, '#');
                              },
                              "soubor není databáze SQLite", false},
                      BadBook{"NewerSchema",
                              [](const std::string& p) {
                                  MakeSqlite(
                                      p,
                                      "PRAGMA application_id = " +
                                          std::to_string(TSqliteOrderBook::kApplicationId) +
                                          "; PRAGMA user_version = 2; CREATE TABLE exchanges (x)");
                              },
                              "schéma verze 2 je novější než verze 1, kterou program zná", false},
                      BadBook{"ReadOnlyFolder",
                              [](const std::string& p) {
                                  TSqliteOrderBook made(p, TBookAccess::Write);
                                  TNewExchange e;
                                  e.At = 1;
                                  e.Customer = "10.0.0.1";
                                  made.Begin(e);
                              },
                              "do složky nelze zapisovat", true}),
    [](const auto& p) { return std::string(p.param.Name); });

// --- velkor-orders as people run it ------------------------------------------------------------

TEST_F(BookEndToEnd, OrdersToolAnswersBadUsageAndBadBooksWithTheirStatus) {
    {
        TSqliteOrderBook made(book, TBookAccess::Write);
        TNewExchange e;
        e.At = 1796916980000;
        e.Customer = "127.0.0.1";
        made.Begin(e);
    }
    const std::string junk = dir.Write("junk.sqlite", "no database");
    struct Case {
        std::vector<std::string> Args;
        int Status;
        const char* Err;
    };
    const Case cases[] = {
        {{"--help"}, 0, ""},
        {{"--version"}, 0, ""},
        {{"--db", book, "list"}, 0, ""},
        {{}, 2, "velkor-orders: no command given\nTry 'velkor-orders --help'.\n"},
        {{"--db", book, "frobnicate"}, 2, "unknown command 'frobnicate'"},
        {{"--db", book, "show"}, 2, "show needs an exchange number"},
        {{"--db", book, "show", "x1"}, 2, "'x1' is not an exchange number"},
        {{"--db", book, "export"}, 2, "export needs --csv"},
        {{"--db", book, "list", "--csv"}, 2, "--csv belongs to export"},
        {{"--db"}, 2, "--db needs a value"},
        {{"--db", book, "--bogus", "list"}, 2, "unknown option --bogus"},
        {{"--db", book, "show", "99"}, 1, ": no exchange 99"},
        {{"--db", junk, "list"}, 1, junk.c_str()},
        {{"--db", dir.File("none.sqlite"), "list"}, 1, "no such file"},
    };
    for (const Case& c : cases) {
        std::string joined;
        for (const std::string& a : c.Args) joined += a + " ";
        SCOPED_TRACE(joined);
        ToolRun run = Orders(c.Args);
        EXPECT_EQ(run.Status, c.Status) << run.Err;
        if (*c.Err == '\0') {
            EXPECT_EQ(run.Err, "");
            EXPECT_FALSE(run.Out.empty());
        } else {
            EXPECT_NE(run.Err.find(c.Err), std::string::npos) << run.Err;
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("none.sqlite")));
    EXPECT_EQ(TempDir::Read(junk), "no database");
    EXPECT_EQ(Orders({"--version"}).Out.at(0).rfind("velkor-orders ", 0), 0u);
}

TEST_F(BookEndToEnd, OrdersToolWithoutAStandardOutputSaysSoAndFails) {
    {
        TSqliteOrderBook made(book, TBookAccess::Write);
        TNewExchange e;
        e.Customer = "127.0.0.1";
        made.Begin(e);
    }
    ChildProcess closed("closed",
                        {"/bin/sh", "-c", "exec \"$0\" --db \"$1\" list >&-", kOrdersBin, book});
    EXPECT_EQ(closed.WaitExit(10s), 1);
    EXPECT_NE(closed.ErrorOutput().find("velkor-orders: standard output: Bad file descriptor"),
              std::string::npos)
        << closed.ErrorOutput();
    // Into head, as a filter: head takes its line and the program ends without a word.
    ChildProcess head(
        "head", {"/bin/sh", "-c", "\"$0\" --db \"$1\" export --csv | head -1", kOrdersBin, book});
    EXPECT_EQ(head.WaitExit(10s), 0);
    ASSERT_EQ(head.Lines().size(), 1u);
    EXPECT_EQ(head.Lines()[0], kHeader + "\r");
    EXPECT_EQ(head.ErrorOutput(), "");
}

} // namespace
} // namespace velkor::test
