// Reading an order book from an end-to-end test: SQLite's own integrity check, and waiting
// until an exchange has reached a status while the merchant writes.
#pragma once

#include "orders/SqliteOrderBook.h"

#include <sqlite3.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>

namespace velkor::test {

// "ok", or what PRAGMA integrity_check found.
inline std::string IntegrityCheck(const std::string& path) {
    sqlite3* db = nullptr;
    std::string result = "cannot open";
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        result.clear();
        if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK)
            while (sqlite3_step(stmt) == SQLITE_ROW)
                result += reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return result;
}

// The exchanges of the book at `path` once `ready` holds for them, reading again for at most
// `timeout`; the last reading otherwise (empty when the book could not be read).
template <class Ready>
std::vector<TExchange> WaitForBook(const std::string& path, Ready&& ready,
                                   std::chrono::milliseconds timeout) {
    auto until = std::chrono::steady_clock::now() + timeout;
    std::vector<TExchange> exchanges;
    do {
        try {
            TSqliteOrderBook book(path, TBookAccess::Read);
            exchanges = book.Exchanges();
            if (ready(exchanges)) break;
        } catch (const EOrderBook&) {}
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (std::chrono::steady_clock::now() < until);
    return exchanges;
}

} // namespace velkor::test
