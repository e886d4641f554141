// The SQLite order book: what a step leaves in the file, that it is there for a reader at
// once, and every file it must refuse without changing a byte of it.
#include "BookFixture.h"

#include "orders/SqliteOrderBook.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

namespace velkor::test {
namespace {

TNewExchange Order(std::int64_t at, const std::string& customer) {
    TNewExchange e;
    e.At = at;
    e.Customer = customer;
    e.Lines = {{"A", 2, 300}, {"Čaj, \"zelený\"", 10, 50}};
    e.Goods = 350;
    e.Postage = 123;
    e.Packing = 85;
    e.Total = 558;
    e.Gateway = "127.0.0.1";
    return e;
}

TStep Step(std::int64_t exchange, std::int64_t at, TStepKind kind, std::string detail = {},
           std::optional<TExchangeStatus> settles = {}, std::optional<std::int64_t> credited = {}) {
    TStep s;
    s.Exchange = exchange;
    s.At = at;
    s.Kind = kind;
    s.Detail = std::move(detail);
    s.Settles = settles;
    s.Credited = credited;
    return s;
}

mode_t ModeOf(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(OrderBook, NewBookIsMadePrivateInWalModeWithItsSchemaVersion) {
    BookFolder folder;
    const std::string path = folder.File("deep/velkor/orders.sqlite");
    TSqliteOrderBook book(path, TBookAccess::Write);
    EXPECT_EQ(ModeOf(path), 0600u);
    EXPECT_EQ(ModeOf(folder.File("deep/velkor")), 0700u);
    EXPECT_EQ(ModeOf(folder.File("deep")), 0700u);
    EXPECT_EQ(QueryInt(path, "PRAGMA user_version"), TSqliteOrderBook::kSchemaVersion);
    EXPECT_EQ(QueryInt(path, "PRAGMA application_id"), TSqliteOrderBook::kApplicationId);
    sqlite3_stmt* stmt = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(book.Handle(), "PRAGMA journal_mode", -1, &stmt, nullptr), 0);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)), "wal");
    sqlite3_finalize(stmt);
    ASSERT_EQ(sqlite3_prepare_v2(book.Handle(), "PRAGMA synchronous", -1, &stmt, nullptr), 0);
    ASSERT_EQ(sqlite3_step(stmt), SQLITE_ROW);
    EXPECT_EQ(sqlite3_column_int(stmt, 0), 2) << "synchronous=FULL";
    sqlite3_finalize(stmt);
}

TEST(OrderBook, WholeExchangeReadsBackWithItsLinesAndSteps) {
    BookFolder folder;
    TSqliteOrderBook book(folder.File("orders.sqlite"), TBookAccess::Write);
    std::int64_t id = book.Begin(Order(1000, "127.0.0.2"));
    book.Record(Step(id, 2000, TStepKind::GatewayKeyReceived));
    book.Record(Step(id, 3000, TStepKind::Credited, "558", TExchangeStatus::Credited, 558));
    // A second verdict is kept as a step but settles nothing.
    book.Record(Step(id, 4000, TStepKind::Refused, "*** x", TExchangeStatus::Refused));

    auto detail = book.Detail(id);
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->Exchange.Status, TExchangeStatus::Credited);
    EXPECT_EQ(detail->Exchange.Credited, 558);
    EXPECT_EQ(detail->Exchange.Finished, 3000);
    EXPECT_EQ(detail->Exchange.LineCount, 2);
    EXPECT_EQ(detail->Exchange.Total, 558);
    ASSERT_EQ(detail->Lines.size(), 2u);
    EXPECT_EQ(detail->Lines[1].Name, "Čaj, \"zelený\"");
    EXPECT_EQ(detail->Lines[1].Count, 10);
    ASSERT_EQ(detail->Steps.size(), 4u);
    EXPECT_EQ(detail->Steps[0].Kind, TStepKind::OrderReceived);
    EXPECT_EQ(detail->Steps[2].At, 3000);
    EXPECT_EQ(detail->Steps[3].Detail, "*** x");
    EXPECT_FALSE(book.Detail(id + 1));
}

TEST(OrderBook, ListIsNewestFirstAndFiltersByStartTime) {
    BookFolder folder;
    TSqliteOrderBook book(folder.File("orders.sqlite"), TBookAccess::Write);
    for (int i = 1; i <= 3; ++i) book.Begin(Order(i * 1000, "10.0.0." + std::to_string(i)));
    auto all = book.Exchanges();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].Customer, "10.0.0.3");
    EXPECT_EQ(all[2].Customer, "10.0.0.1");
    auto middle = book.Exchanges({2000, 3000});
    ASSERT_EQ(middle.size(), 1u);
    EXPECT_EQ(middle[0].Customer, "10.0.0.2");
}

TEST(OrderBook, OpenExchangesOfAnEarlierRunBecomeInterrupted) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    std::int64_t open = 0, credited = 0;
    {
        TSqliteOrderBook book(path, TBookAccess::Write);
        credited = book.Begin(Order(1000, "a"));
        book.Record(Step(credited, 1500, TStepKind::Credited, "558", TExchangeStatus::Credited));
        open = book.Begin(Order(2000, "b"));
    }
    TSqliteOrderBook book(path, TBookAccess::Write);
    EXPECT_EQ(book.InterruptOpen(5000), 1);
    EXPECT_EQ(book.Detail(open)->Exchange.Status, TExchangeStatus::Interrupted);
    EXPECT_EQ(book.Detail(open)->Exchange.Finished, 5000);
    EXPECT_EQ(book.Detail(open)->Steps.back().Kind, TStepKind::Interrupted);
    EXPECT_EQ(book.Detail(credited)->Exchange.Status, TExchangeStatus::Credited);
    EXPECT_EQ(book.InterruptOpen(6000), 0);
}

TEST(OrderBook, ReaderSeesEachStepAsSoonAsItIsRecorded) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    TSqliteOrderBook writer(path, TBookAccess::Write);
    std::int64_t id = writer.Begin(Order(1000, "a"));
    TSqliteOrderBook reader(path, TBookAccess::Read);
    EXPECT_EQ(reader.Detail(id)->Steps.size(), 1u);
    writer.Record(Step(id, 2000, TStepKind::GatewayKeyReceived));
    EXPECT_EQ(reader.Detail(id)->Steps.size(), 2u);
    EXPECT_EQ(reader.Exchanges().size(), 1u);
}

// --- files the book must leave alone ----------------------------------------------------------

struct RefusedFile {
    const char* Name;
    std::function<void(const std::string& path)> Make;
    TBookFault Fault;
    const char* Czech;
};

class RefusedFiles : public ::testing::TestWithParam<RefusedFile> {};

TEST_P(RefusedFiles, AreNamedWithTheirReasonAndLeftByteForByte) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    GetParam().Make(path);
    const std::string before = ReadBytes(path);
    for (TBookAccess access : {TBookAccess::Write, TBookAccess::Read}) {
        try {
            TSqliteOrderBook book(path, access);
            ADD_FAILURE() << "opened";
        } catch (const EOrderBook& e) {
            EXPECT_EQ(e.Fault(), GetParam().Fault) << e.what();
            EXPECT_EQ(e.Path(), path);
            EXPECT_NE(std::string(e.what()).find(path), std::string::npos);
            EXPECT_NE(e.CzechReason().find(GetParam().Czech), std::string::npos) << e.CzechReason();
        }
    }
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(path + "-wal"));
    EXPECT_FALSE(std::filesystem::exists(path + "-journal"));
}

INSTANTIATE_TEST_SUITE_P(
    OrderBook, RefusedFiles,
    ::testing::Values(
        RefusedFile{"Junk",
                    [](const std::string& p) {
                        std::ofstream(p, std::ios::binary) << std::string(5000, 'x') << "junk";
                    },
                    TBookFault::NotSqlite, "není databáze SQLite"},
        RefusedFile{"ShortFile",
                    [](const std::string& p) { std::ofstream(p, std::ios::binary) << "SQLite"; },
                    TBookFault::NotSqlite, "není databáze SQLite"},
        RefusedFile{"AnotherProgramsDatabase",
                    [](const std::string& p) {
                        RunSql(p, "CREATE TABLE mail (id INTEGER); INSERT INTO mail VALUES (1)");
                    },
                    TBookFault::Foreign, "jiného programu"},
        RefusedFile{"NewerSchema",
                    [](const std::string& p) {
                        RunSql(p, "PRAGMA application_id = " +
                                      std::to_string(TSqliteOrderBook::kApplicationId) +
                                      "; PRAGMA user_version = 7; CREATE TABLE later (x)");
                    },
                    TBookFault::NewerSchema, "schéma verze 7 je novější než verze 1"}),
    [](const auto& p) { return std::string(p.param.Name); });

TEST(OrderBook, ReadOnlyFolderIsRefusedAndItsBookLeftAlone) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    { TSqliteOrderBook book(path, TBookAccess::Write); }
    const std::string before = ReadBytes(path);
    ASSERT_EQ(::chown(folder.Path().c_str(), kNobody, kNobody), ::geteuid() == 0 ? 0 : -1);
    ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), ::geteuid() == 0 ? 0 : -1);
    ::chmod(folder.Path().c_str(), 0500);
    // The existing book in a folder that cannot be written, and a new one that cannot be made.
    int status = RunInChild(
        [&] {
            for (const std::string& p : {path, folder.File("new.sqlite")}) {
                try {
                    TSqliteOrderBook book(p, TBookAccess::Write);
                    return false;
                } catch (const EOrderBook& e) {
                    if (e.Fault() != TBookFault::ReadOnly) return false;
                    if (e.CzechReason() != "do složky nelze zapisovat") return false;
                }
            }
            return true;
        },
        true);
    EXPECT_EQ(status, 0);
    ::chmod(folder.Path().c_str(), 0700);
    EXPECT_EQ(ReadBytes(path), before);
    EXPECT_FALSE(std::filesystem::exists(folder.File("new.sqlite")));
}

TEST(OrderBook, SecondWriterIsRefusedWhileTheFirstHoldsTheBook) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    auto secondWriter = [&] {
        return RunInChild([&] {
            try {
                TSqliteOrderBook book(path, TBookAccess::Write);
                return false;
            } catch (const EOrderBook& e) {
                return e.Fault() == TBookFault::InUse &&
                       e.CzechReason() == "knihu už používá jiný běžící obchodník";
            }
        });
    };
    {
        TSqliteOrderBook first(path, TBookAccess::Write);
        std::int64_t id = first.Begin(Order(1000, "a"));
        EXPECT_EQ(secondWriter(), 0);
        // The first writer's exchange stays open, and readers still read.
        EXPECT_EQ(TSqliteOrderBook(path, TBookAccess::Read).Detail(id)->Exchange.Status,
                  TExchangeStatus::Open);
    }
    EXPECT_NE(secondWriter(), 0) << "the book is free again once the first writer has gone";
}

TEST(OrderBook, MissingBookIsNotMadeByAReader) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    try {
        TSqliteOrderBook book(path, TBookAccess::Read);
        ADD_FAILURE() << "opened";
    } catch (const EOrderBook& e) {
        EXPECT_EQ(e.Fault(), TBookFault::Missing);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(OrderBook, FullDiskFailsTheStepAndKeepsEveryEarlierOne) {
    BookFolder folder;
    const std::string path = folder.File("orders.sqlite");
    TSqliteOrderBook book(path, TBookAccess::Write);
    std::int64_t id = book.Begin(Order(1000, "a"));
    // The file may grow no further: the next page it needs is a full disk to SQLite.
    sqlite3_stmt* stmt = nullptr;
    sqlite3_prepare_v2(book.Handle(), "PRAGMA page_count", -1, &stmt, nullptr);
    sqlite3_step(stmt);
    int pages = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    ASSERT_EQ(sqlite3_exec(book.Handle(),
                           ("PRAGMA max_page_count = " + std::to_string(pages)).c_str(), nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    bool full = false;
    for (int i = 0; i < 2000 && !full; ++i) {
        try {
            book.Record(Step(id, 2000 + i, TStepKind::CustomerClosed15, std::string(200, 'x')));
        } catch (const EOrderBook& e) {
            EXPECT_EQ(e.Fault(), TBookFault::Full) << e.what();
            EXPECT_NE(e.CzechReason().find("disk je plný"), std::string::npos);
            full = true;
        }
    }
    ASSERT_TRUE(full);
    TSqliteOrderBook reader(path, TBookAccess::Read);
    auto detail = reader.Detail(id);
    ASSERT_TRUE(detail);
    EXPECT_EQ(detail->Steps.front().Kind, TStepKind::OrderReceived);
    EXPECT_EQ(QueryInt(path, "SELECT count(*) FROM pragma_integrity_check WHERE integrity_check"
                             " = 'ok'"),
              1);
}

TEST(OrderBook, EmptyFileBecomesABook) {
    BookFolder folder;
    const std::string path = folder.Write("orders.sqlite", "");
    TSqliteOrderBook book(path, TBookAccess::Write);
    EXPECT_EQ(book.Begin(Order(1, "a")), 1);
}

} // namespace
} // namespace velkor::test
