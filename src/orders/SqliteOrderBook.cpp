// The SQLite order book: opening (with the checks that keep it off files it did not make),
// the schema's migrations, and the two operations, each in one transaction.
#include "orders/SqliteOrderBook.h"

#include <sqlite3.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velkor {
namespace {

// The schema, one step per version: kMigrations[v] takes a book from version v to v + 1.
// Amounts are whole Kč; times are UTC milliseconds since 1970. Steps keep only what the log
// shows of them, never a key, a payment block or a digest.
const char* const kMigrations[] = {
    R"(CREATE TABLE exchanges (
         id       INTEGER PRIMARY KEY,
         started  INTEGER NOT NULL,
         customer TEXT NOT NULL,
         goods    INTEGER,
         postage  INTEGER,
         packing  INTEGER,
         total    INTEGER,
         gateway  TEXT NOT NULL DEFAULT '',
         status   TEXT NOT NULL CHECK (status IN
                    ('open', 'credited', 'refused', 'digest-error', 'interrupted')),
         credited INTEGER,
         finished INTEGER
       );
       CREATE INDEX exchanges_started ON exchanges (started);
       CREATE INDEX exchanges_open ON exchanges (status) WHERE status = 'open';
       CREATE TABLE order_lines (
         exchange INTEGER NOT NULL REFERENCES exchanges (id),
         position INTEGER NOT NULL,
         name     TEXT NOT NULL,
         count    INTEGER NOT NULL,
         price    INTEGER NOT NULL,
         PRIMARY KEY (exchange, position)
       );
       CREATE TABLE steps (
         id       INTEGER PRIMARY KEY,
         exchange INTEGER NOT NULL REFERENCES exchanges (id),
         at       INTEGER NOT NULL,
         kind     TEXT NOT NULL,
         detail   TEXT NOT NULL DEFAULT ''
       );
       CREATE INDEX steps_exchange ON steps (exchange);)",
};
static_assert(std::size(kMigrations) == TSqliteOrderBook::kSchemaVersion);

// The first bytes of every SQLite database file.
constexpr char kSqliteHeader[16] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f',
                                    'o', 'r', 'm', 'a', 't', ' ', '3', '\0'};

// The names of statuses and steps, as the book stores them.
const char* const kStatusNames[] = {"open", "credited", "refused", "digest-error", "interrupted"};
const char* const kStepNames[] = {
    "order",
    "order-digest-error",
    "order-refused",
    "gateway-key",
    "symmetric-key-sent",
    "payment-sent",
    "total-sent",
    "credited",
    "refused",
    "verdict-digest-error",
    "closed-0x14",
    "closed-0x19",
    "closed-0x15",
    "gateway-timeout",
    "superseded",
    "interrupted",
};
static_assert(std::size(kStepNames) == static_cast<std::size_t>(TStepKind::Interrupted) + 1);

// One prepared statement, finalised on every path.
class TStatement {
public:
    TStatement(sqlite3* db, const char* sql) {
        FRc = sqlite3_prepare_v2(db, sql, -1, &FStmt, nullptr);
    }
    ~TStatement() { sqlite3_finalize(FStmt); }
    TStatement(const TStatement&) = delete;
    TStatement& operator=(const TStatement&) = delete;

    int PrepareResult() const { return FRc; }
    void Bind(int i, std::int64_t v) { sqlite3_bind_int64(FStmt, i, v); }
    void Bind(int i, const std::string& v) {
        sqlite3_bind_text(FStmt, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT);
    }
    void Bind(int i, const std::optional<std::int64_t>& v) {
        if (v)
            Bind(i, *v);
        else
            sqlite3_bind_null(FStmt, i);
    }
    // SQLITE_ROW, SQLITE_DONE or a fault code.
    int Step() { return FRc == SQLITE_OK ? sqlite3_step(FStmt) : FRc; }
    std::int64_t Int(int col) const { return sqlite3_column_int64(FStmt, col); }
    std::optional<std::int64_t> OptInt(int col) const {
        if (sqlite3_column_type(FStmt, col) == SQLITE_NULL) return std::nullopt;
        return Int(col);
    }
    std::string Text(int col) const {
        const auto* p = sqlite3_column_text(FStmt, col);
        return p ? std::string(reinterpret_cast<const char*>(p),
                               static_cast<std::size_t>(sqlite3_column_bytes(FStmt, col)))
                 : std::string();
    }

private:
    sqlite3_stmt* FStmt = nullptr;
    int FRc;
};

std::string FolderOf(const std::string& path) {
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool FolderWritable(const std::string& path) {
    return ::access(FolderOf(path).c_str(), W_OK) == 0;
}

// Makes the missing folders of `folder`, each readable by its owner only.
void MakeFolders(const std::string& path) {
    std::filesystem::path folder = FolderOf(path);
    std::filesystem::path partial;
    for (const auto& part : folder) {
        partial /= part;
        if (::mkdir(partial.c_str(), 0700) == 0 || errno == EEXIST) continue;
        int err = errno;
        std::string reason = std::strerror(err);
        if (err == EACCES || err == EROFS || err == EPERM)
            throw EOrderBook(TBookFault::ReadOnly, path,
                             "the folder " + partial.string() + " cannot be made (" + reason + ")",
                             "složku " + partial.string() + " nelze vytvořit (" + reason + ")");
        throw EOrderBook(TBookFault::Folder, path,
                         "the folder " + partial.string() + " cannot be made (" + reason + ")",
                         "složku " + partial.string() + " nelze vytvořit (" + reason + ")");
    }
}

[[noreturn]] void NotSqlite(const std::string& path) {
    throw EOrderBook(TBookFault::NotSqlite, path, "not an SQLite database",
                     "soubor není databáze SQLite");
}

// A file that exists must look like an SQLite database before SQLite is let near it. `fd` is
// open on it; an empty file is an empty database.
void CheckHeader(const std::string& path, int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) NotSqlite(path);
    if (st.st_size == 0) return;
    char header[sizeof kSqliteHeader] = {};
    ssize_t got = ::pread(fd, header, sizeof header, 0);
    if (got != static_cast<ssize_t>(sizeof header) ||
        std::memcmp(header, kSqliteHeader, sizeof header) != 0)
        NotSqlite(path);
}

[[noreturn]] void SystemFault(const std::string& path, int err) {
    throw EOrderBook(TBookFault::Other, path, std::strerror(err), std::strerror(err));
}

} // namespace

const char* StatusName(TExchangeStatus status) {
    return kStatusNames[static_cast<int>(status)];
}

std::optional<TExchangeStatus> StatusFromName(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kStatusNames); ++i)
        if (name == kStatusNames[i]) return static_cast<TExchangeStatus>(i);
    return std::nullopt;
}

const char* StepName(TStepKind kind) {
    return kStepNames[static_cast<int>(kind)];
}

std::optional<TStepKind> StepFromName(const std::string& name) {
    for (std::size_t i = 0; i < std::size(kStepNames); ++i)
        if (name == kStepNames[i]) return static_cast<TStepKind>(i);
    return std::nullopt;
}

std::string DefaultOrderBookPath() {
    if (const char* db = std::getenv("VELKOR_ORDERS_DB"); db && *db) return db;
    std::string data;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
        data = xdg;
    } else {
        const char* home = std::getenv("HOME");
        data = std::string(home && *home ? home : ".") + "/.local/share";
    }
    return data + "/velkor/orders.sqlite";
}

TSqliteOrderBook::TSqliteOrderBook(std::string path, TBookAccess access)
    : FPath(std::move(path)), FAccess(access) {
    try {
        if (access == TBookAccess::Write)
            OpenForWriting();
        else
            OpenForReading();
    } catch (...) {
        sqlite3_close_v2(FDb);
        if (FWriterLock >= 0) ::close(FWriterLock);
        throw;
    }
}

TSqliteOrderBook::~TSqliteOrderBook() {
    sqlite3_close_v2(FDb);
    if (FWriterLock >= 0) ::close(FWriterLock);
}

void TSqliteOrderBook::Fail(int rc, const std::string& what) const {
    const int primary = rc & 0xFF;
    const int err = FDb ? sqlite3_system_errno(FDb) : 0;
    std::string message = FDb ? sqlite3_errmsg(FDb) : sqlite3_errstr(rc);
    if (primary == SQLITE_NOTADB) NotSqlite(FPath);
    if (primary == SQLITE_FULL || err == ENOSPC || err == EDQUOT)
        throw EOrderBook(TBookFault::Full, FPath, "the disk is full (" + what + ")",
                         "disk je plný");
    if (primary == SQLITE_READONLY || primary == SQLITE_PERM || err == EACCES || err == EROFS ||
        ((primary == SQLITE_CANTOPEN || primary == SQLITE_IOERR) && !FolderWritable(FPath))) {
        if (!FolderWritable(FPath))
            throw EOrderBook(TBookFault::ReadOnly, FPath, "the folder is read-only",
                             "do složky nelze zapisovat");
        throw EOrderBook(TBookFault::ReadOnly, FPath, "the file is read-only (" + message + ")",
                         "do souboru nelze zapisovat");
    }
    throw EOrderBook(TBookFault::Other, FPath, what + ": " + message, "chyba SQLite: " + message);
}

void TSqliteOrderBook::Exec(const char* sql) {
    char* error = nullptr;
    int rc = sqlite3_exec(FDb, sql, nullptr, nullptr, &error);
    sqlite3_free(error);
    if (rc != SQLITE_OK) Fail(rc, sql);
}

template <class Work> auto TSqliteOrderBook::Transaction(Work&& work) {
    Exec("BEGIN IMMEDIATE");
    try {
        auto result = work();
        Exec("COMMIT");
        return result;
    } catch (...) {
        sqlite3_exec(FDb, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

void TSqliteOrderBook::OpenForWriting() {
    MakeFolders(FPath);
    FWriterLock = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (FWriterLock < 0 && errno != ENOENT) SystemFault(FPath, errno);
    if (FWriterLock < 0) {
        // Made here, with the owner's rights only, before SQLite opens it.
        FWriterLock =
            ::open(FPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (FWriterLock < 0) {
            int err = errno;
            if (err == EACCES || err == EROFS || err == EPERM)
                throw EOrderBook(TBookFault::ReadOnly, FPath, "the folder is read-only",
                                 "do složky nelze zapisovat");
            if (err == ENOSPC || err == EDQUOT)
                throw EOrderBook(TBookFault::Full, FPath, "the disk is full", "disk je plný");
            SystemFault(FPath, err);
        }
    }
    if (::flock(FWriterLock, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK)
            throw EOrderBook(TBookFault::InUse, FPath, "another merchant is writing to it",
                             "knihu už používá jiný běžící obchodník");
        SystemFault(FPath, errno);
    }
    CheckHeader(FPath, FWriterLock);

    int rc =
        sqlite3_open_v2(FPath.c_str(), &FDb, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) Fail(rc, "open");
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, 5000);
    if (sqlite3_db_readonly(FDb, "main") == 1)
        throw EOrderBook(TBookFault::ReadOnly, FPath, "the file is read-only",
                         "do souboru nelze zapisovat");
    CheckOwner(true);
    // Each step is one transaction that reaches the disk before the call returns.
    {
        TStatement wal(FDb, "PRAGMA journal_mode = WAL");
        rc = wal.Step();
        if (rc != SQLITE_ROW) Fail(rc, "journal_mode");
        if (wal.Text(0) != "wal")
            throw EOrderBook(TBookFault::Other, FPath, "WAL mode is not available",
                             "režim WAL není k dispozici");
    }
    Exec("PRAGMA synchronous = FULL");
    Exec("PRAGMA foreign_keys = ON");
    Migrate();
}

void TSqliteOrderBook::OpenForReading() {
    // The header is checked through a descriptor that is closed before SQLite opens the file.
    int fd = ::open(FPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT)
            throw EOrderBook(TBookFault::Missing, FPath, "no such file", "soubor neexistuje");
        SystemFault(FPath, errno);
    }
    try {
        CheckHeader(FPath, fd);
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    int rc =
        sqlite3_open_v2(FPath.c_str(), &FDb, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) Fail(rc, "open");
    sqlite3_extended_result_codes(FDb, 1);
    sqlite3_busy_timeout(FDb, 5000);
    CheckOwner(false);
}

// A book is a database that carries the book's application id, or an empty one (no schema at
// all), which becomes a book when it is first written. Anything else belongs to someone else.
void TSqliteOrderBook::CheckOwner(bool writing) {
    TStatement probe(FDb, "SELECT (SELECT application_id FROM pragma_application_id),"
                          " (SELECT user_version FROM pragma_user_version),"
                          " (SELECT count(*) FROM sqlite_schema)");
    int rc = probe.Step();
    if (rc != SQLITE_ROW) Fail(rc, "reading the header");
    const std::int64_t applicationId = probe.Int(0);
    const std::int64_t version = probe.Int(1);
    const std::int64_t objects = probe.Int(2);
    if (applicationId != kApplicationId && !(applicationId == 0 && version == 0 && objects == 0))
        throw EOrderBook(TBookFault::Foreign, FPath, "an SQLite database of another program",
                         "soubor je databáze jiného programu");
    if (version > kSchemaVersion)
        throw EOrderBook(TBookFault::NewerSchema, FPath,
                         "schema version " + std::to_string(version) +
                             " is newer than this program's " + std::to_string(kSchemaVersion),
                         "schéma verze " + std::to_string(version) + " je novější než verze " +
                             std::to_string(kSchemaVersion) + ", kterou program zná");
    if (!writing && version < kSchemaVersion)
        throw EOrderBook(
            TBookFault::Other, FPath,
            "the book has not been written yet (schema version " + std::to_string(version) + ")",
            "kniha ještě nebyla zapsána (schéma verze " + std::to_string(version) + ")");
}

void TSqliteOrderBook::Migrate() {
    Transaction([&] {
        std::int64_t version = 0;
        {
            TStatement probe(FDb, "PRAGMA user_version");
            int rc = probe.Step();
            if (rc != SQLITE_ROW) Fail(rc, "user_version");
            version = probe.Int(0);
        }
        if (version == kSchemaVersion) return 0;
        for (std::int64_t v = version; v < kSchemaVersion; ++v) Exec(kMigrations[v]);
        Exec(("PRAGMA application_id = " + std::to_string(kApplicationId)).c_str());
        Exec(("PRAGMA user_version = " + std::to_string(kSchemaVersion)).c_str());
        return 0;
    });
}

std::int64_t TSqliteOrderBook::Begin(const TNewExchange& e) {
    return Transaction([&] {
        TStatement insert(FDb, "INSERT INTO exchanges (started, customer, goods, postage, packing,"
                               " total, gateway, status, finished) VALUES (?,?,?,?,?,?,?,?,?)");
        insert.Bind(1, e.At);
        insert.Bind(2, e.Customer);
        insert.Bind(3, e.Goods);
        insert.Bind(4, e.Postage);
        insert.Bind(5, e.Packing);
        insert.Bind(6, e.Total);
        insert.Bind(7, e.Gateway);
        insert.Bind(8, std::string(StatusName(e.Status)));
        insert.Bind(9, e.Status == TExchangeStatus::Open ? std::nullopt
                                                         : std::optional<std::int64_t>(e.At));
        int rc = insert.Step();
        if (rc != SQLITE_DONE) Fail(rc, "insert exchange");
        const std::int64_t id = sqlite3_last_insert_rowid(FDb);
        std::int64_t position = 0;
        for (const TOrderLine& line : e.Lines) {
            TStatement add(FDb, "INSERT INTO order_lines VALUES (?,?,?,?,?)");
            add.Bind(1, id);
            add.Bind(2, ++position);
            add.Bind(3, line.Name);
            add.Bind(4, line.Count);
            add.Bind(5, line.Price);
            rc = add.Step();
            if (rc != SQLITE_DONE) Fail(rc, "insert order line");
        }
        TStatement step(FDb, "INSERT INTO steps (exchange, at, kind) VALUES (?,?,?)");
        step.Bind(1, id);
        step.Bind(2, e.At);
        step.Bind(3, std::string(StepName(e.Step)));
        rc = step.Step();
        if (rc != SQLITE_DONE) Fail(rc, "insert step");
        return id;
    });
}

void TSqliteOrderBook::Record(const TStep& s) {
    Transaction([&] {
        TStatement step(FDb, "INSERT INTO steps (exchange, at, kind, detail) VALUES (?,?,?,?)");
        step.Bind(1, s.Exchange);
        step.Bind(2, s.At);
        step.Bind(3, std::string(StepName(s.Kind)));
        step.Bind(4, s.Detail);
        int rc = step.Step();
        if (rc != SQLITE_DONE) Fail(rc, "insert step");
        if (s.Settles) {
            // Only an open exchange is settled: a second verdict changes nothing.
            TStatement settle(FDb, "UPDATE exchanges SET status = ?, credited = ?, finished = ?"
                                   " WHERE id = ? AND status = 'open'");
            settle.Bind(1, std::string(StatusName(*s.Settles)));
            settle.Bind(2, s.Credited);
            settle.Bind(3, s.At);
            settle.Bind(4, s.Exchange);
            rc = settle.Step();
            if (rc != SQLITE_DONE) Fail(rc, "settle exchange");
        }
        return 0;
    });
}

int TSqliteOrderBook::InterruptOpen(std::int64_t at) {
    return Transaction([&] {
        TStatement step(FDb, "INSERT INTO steps (exchange, at, kind) SELECT id, ?, ? FROM"
                             " exchanges WHERE status = 'open'");
        step.Bind(1, at);
        step.Bind(2, std::string(StepName(TStepKind::Interrupted)));
        int rc = step.Step();
        if (rc != SQLITE_DONE) Fail(rc, "insert step");
        TStatement mark(FDb, "UPDATE exchanges SET status = 'interrupted', finished = ?"
                             " WHERE status = 'open'");
        mark.Bind(1, at);
        rc = mark.Step();
        if (rc != SQLITE_DONE) Fail(rc, "mark interrupted");
        return sqlite3_changes(FDb);
    });
}

namespace {

constexpr const char* kExchangeColumns =
    "SELECT id, started, customer, (SELECT count(*) FROM order_lines WHERE exchange = e.id),"
    " goods, postage, packing, total, gateway, status, credited, finished FROM exchanges e ";

TExchange ReadExchange(const TStatement& row) {
    TExchange e;
    e.Id = row.Int(0);
    e.Started = row.Int(1);
    e.Customer = row.Text(2);
    e.LineCount = row.Int(3);
    e.Goods = row.OptInt(4);
    e.Postage = row.OptInt(5);
    e.Packing = row.OptInt(6);
    e.Total = row.OptInt(7);
    e.Gateway = row.Text(8);
    e.Status = StatusFromName(row.Text(9)).value_or(TExchangeStatus::Open);
    e.Credited = row.OptInt(10);
    e.Finished = row.OptInt(11);
    return e;
}

} // namespace

std::vector<TExchange> TSqliteOrderBook::Exchanges(const TQuery& query) {
    TStatement select(FDb, (std::string(kExchangeColumns) +
                            "WHERE (?1 IS NULL OR started >= ?1) AND (?2 IS NULL OR started < ?2)"
                            " ORDER BY id DESC")
                               .c_str());
    select.Bind(1, query.From);
    select.Bind(2, query.To);
    std::vector<TExchange> result;
    int rc;
    while ((rc = select.Step()) == SQLITE_ROW) result.push_back(ReadExchange(select));
    if (rc != SQLITE_DONE) Fail(rc, "list exchanges");
    return result;
}

std::optional<TExchangeDetail> TSqliteOrderBook::Detail(std::int64_t id) {
    TStatement select(FDb, (std::string(kExchangeColumns) + "WHERE id = ?").c_str());
    select.Bind(1, id);
    int rc = select.Step();
    if (rc == SQLITE_DONE) return std::nullopt;
    if (rc != SQLITE_ROW) Fail(rc, "read exchange");
    TExchangeDetail detail;
    detail.Exchange = ReadExchange(select);

    TStatement lines(FDb, "SELECT name, count, price FROM order_lines WHERE exchange = ?"
                          " ORDER BY position");
    lines.Bind(1, id);
    while ((rc = lines.Step()) == SQLITE_ROW)
        detail.Lines.push_back({lines.Text(0), lines.Int(1), lines.Int(2)});
    if (rc != SQLITE_DONE) Fail(rc, "read order lines");

    TStatement steps(FDb, "SELECT at, kind, detail FROM steps WHERE exchange = ? ORDER BY id");
    steps.Bind(1, id);
    while ((rc = steps.Step()) == SQLITE_ROW)
        detail.Steps.push_back({steps.Int(0),
                                StepFromName(steps.Text(1)).value_or(TStepKind::OrderReceived),
                                steps.Text(2)});
    if (rc != SQLITE_DONE) Fail(rc, "read steps");
    return detail;
}

} // namespace velkor
