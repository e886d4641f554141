// The order book in one SQLite file: the schema (numbered with PRAGMA user_version and brought
// up to date in code), WAL and synchronous=FULL so that every recorded step survives a killed
// process, and refusals that never touch a file the book did not make.
#pragma once

#include "base/Exception.h"
#include "orders/OrderBook.h"

#include <cstdint>
#include <string>

struct sqlite3;

namespace velkor {

// Why a book cannot be used.
enum class TBookFault {
    Folder,      // the folder is missing and cannot be made
    ReadOnly,    // the folder or the file cannot be written
    Missing,     // a book that is only read does not exist
    NotSqlite,   // the file is something else
    Foreign,     // an SQLite database of another program
    NewerSchema, // made by a newer version of the program
    Full,        // the disk (or the file's limit) is full
    InUse,       // another merchant writes to it
    Other,       // any other fault of SQLite or the system
};

// A fault of the book. what() is English, for the console program; CzechReason() is the reason
// in Czech (UTF-8), for the merchant's log.
class EOrderBook : public Exception {
public:
    EOrderBook(TBookFault fault, std::string path, std::string english, std::string czech)
        : Exception(path + ": " + english), FFault(fault), FPath(std::move(path)),
          FCzech(std::move(czech)) {}
    TBookFault Fault() const { return FFault; }
    const std::string& Path() const { return FPath; }
    const std::string& CzechReason() const { return FCzech; }

private:
    TBookFault FFault;
    std::string FPath;
    std::string FCzech;
};

enum class TBookAccess {
    Write, // the merchant: makes folder and file when missing, brings the schema up to date
    Read,  // the viewers: the file must exist; nothing is ever written
};

class TSqliteOrderBook final : public IOrderBook {
public:
    // The schema this program writes; a book with a higher number is refused.
    static constexpr int kSchemaVersion = 1;
    // Marks the file as the order book's ("VLKR"), so that another program's database is
    // recognised and left alone.
    static constexpr std::int32_t kApplicationId = 0x564C4B52;

    TSqliteOrderBook(std::string path, TBookAccess access);
    ~TSqliteOrderBook() override;
    TSqliteOrderBook(const TSqliteOrderBook&) = delete;
    TSqliteOrderBook& operator=(const TSqliteOrderBook&) = delete;

    std::int64_t Begin(const TNewExchange& exchange) override;
    void Record(const TStep& step) override;
    std::vector<TExchange> Exchanges(const TQuery& query = {}) override;
    std::optional<TExchangeDetail> Detail(std::int64_t id) override;

    // Exchanges that a previous run left open become interrupted at `at`; returns how many.
    int InterruptOpen(std::int64_t at);

    const std::string& Path() const { return FPath; }
    // For tests and the benchmark: the connection itself.
    sqlite3* Handle() const { return FDb; }

private:
    void OpenForWriting();
    void OpenForReading();
    void CheckOwner(bool writing);
    void Migrate();
    [[noreturn]] void Fail(int rc, const std::string& what) const;
    void Exec(const char* sql);
    template <class Work> auto Transaction(Work&& work);

    std::string FPath;
    TBookAccess FAccess;
    sqlite3* FDb = nullptr;
    // The writer's hold on the file (flock), so that a second merchant on the same book is
    // refused instead of marking the first one's open exchanges interrupted. Closed only after
    // SQLite's connection: closing a descriptor of the file drops the process's fcntl locks.
    int FWriterLock = -1;
};

// Where the merchant keeps its book: $VELKOR_ORDERS_DB when set, otherwise
// $XDG_DATA_HOME/velkor/orders.sqlite, with ~/.local/share when XDG_DATA_HOME is unset or
// not an absolute path.
std::string DefaultOrderBookPath();

} // namespace velkor
