// velkor-orders' commands: list, show ID, export --csv; --db, --help, --version.
#include "OrdersCommand.h"

#include "orders/BookText.h"
#include "orders/SqliteOrderBook.h"

#include "VelkorVersion.h"

#include <charconv>
#include <cstdio>
#include <optional>

namespace velkor::orders {
namespace {

const char* const kUsage =
    "Usage: velkor-orders [--db FILE] COMMAND\n"
    "Shows the merchant's order book: every exchange from its order to its end.\n"
    "\n"
    "Commands:\n"
    "  list           one line per exchange, newest first\n"
    "  show ID        the exchange's order lines and its steps with their times\n"
    "  export --csv   every exchange as CSV (RFC 4180) on standard output\n"
    "\n"
    "Options:\n"
    "  --db FILE      the book to read (default: $VELKOR_ORDERS_DB, or\n"
    "                 $XDG_DATA_HOME/velkor/orders.sqlite, or\n"
    "                 ~/.local/share/velkor/orders.sqlite)\n"
    "  --help         show this text and exit\n"
    "  --version      show the version and exit\n"
    "\n"
    "The book is only read, also while the merchant writes to it. Times are local, in\n"
    "ISO 8601 with their offset; amounts are whole Kč.\n"
    "Exit status: 0 done, 1 the book could not be read or has no such exchange, 2 bad usage.\n";

struct TUsageError {
    std::string Message;
};

std::string Pad(const std::string& text, std::size_t width) {
    // Widths count characters, not the bytes of UTF-8.
    std::size_t chars = 0;
    for (unsigned char c : text) chars += (c & 0xC0) != 0x80;
    return chars >= width ? text : text + std::string(width - chars, ' ');
}

std::string Right(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

// One line, without the blanks that empty columns leave at its end.
void Line(std::ostream& out, std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    out << text << "\n";
}

void List(TSqliteOrderBook& book, std::ostream& out) {
    Line(out, Right("id", 5) + "  " + Pad("started", 25) + "  " + Pad("customer", 15) + "  " +
                  Right("lines", 5) + "  " + Right("total", 9) + "  " + Pad("status", 12) + "  " +
                  Right("credited", 9));
    for (const TExchange& e : book.Exchanges())
        Line(out, Right(std::to_string(e.Id), 5) + "  " + Pad(IsoTime(e.Started), 25) + "  " +
                      Pad(e.Customer, 15) + "  " + Right(std::to_string(e.LineCount), 5) + "  " +
                      Right(AmountText(e.Total), 9) + "  " + Pad(StatusName(e.Status), 12) + "  " +
                      Right(AmountText(e.Credited), 9));
}

int Show(TSqliteOrderBook& book, const std::string& idText, std::ostream& out, std::ostream& err) {
    std::int64_t id = 0;
    auto [end, ec] = std::from_chars(idText.data(), idText.data() + idText.size(), id);
    if (ec != std::errc() || end != idText.data() + idText.size() || id < 1)
        throw TUsageError{"'" + idText + "' is not an exchange number"};
    std::optional<TExchangeDetail> d = book.Detail(id);
    if (!d) {
        err << "velkor-orders: " << book.Path() << ": no exchange " << id << "\n";
        return kExitFault;
    }
    const TExchange& e = d->Exchange;
    out << "Exchange " << e.Id << "\n";
    Line(out, "  started    " + IsoTime(e.Started));
    Line(out, "  customer   " + e.Customer);
    Line(out, "  gateway    " + e.Gateway);
    Line(out, "  status     " + std::string(StatusName(e.Status)));
    Line(out, "  credited   " + AmountText(e.Credited));
    Line(out, "  finished   " + (e.Finished ? IsoTime(*e.Finished) : std::string()));
    out << "Order lines:\n";
    for (const TOrderLine& line : d->Lines)
        out << "  " << Pad(line.Name, 30) << " " << Right(std::to_string(line.Count), 4) << " "
            << Right(std::to_string(line.Price), 10) << " Kč\n";
    if (e.Total)
        out << "  goods " << AmountText(e.Goods) << ", postage " << AmountText(e.Postage)
            << ", packing " << AmountText(e.Packing) << ", total " << AmountText(e.Total)
            << " Kč\n";
    out << "Steps:\n";
    for (const TRecordedStep& s : d->Steps) {
        out << "  " << IsoTime(s.At) << "  " << StepName(s.Kind);
        if (!s.Detail.empty()) out << "  " << s.Detail;
        out << "\n";
    }
    return kExitOk;
}

} // namespace

int RunOrdersCommand(const std::vector<std::string>& args, const std::string& defaultDb,
                     std::ostream& out, std::ostream& err) {
    try {
        std::string db = defaultDb;
        std::vector<std::string> words;
        bool csv = false;
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "--help") {
                out << kUsage;
                return kExitOk;
            } else if (a == "--version") {
                out << "velkor-orders (Velkor) " << kVersion << "\n";
                return kExitOk;
            } else if (a == "--db") {
                if (i + 1 >= args.size()) throw TUsageError{"--db needs a value (FILE)"};
                db = args[++i];
            } else if (a.rfind("--db=", 0) == 0) {
                db = a.substr(5);
            } else if (a == "--csv") {
                csv = true;
            } else if (a.size() > 1 && a[0] == '-') {
                throw TUsageError{"unknown option " + a};
            } else {
                words.push_back(a);
            }
        }
        if (words.empty()) throw TUsageError{"no command given"};
        if (db.empty()) throw TUsageError{"--db needs a file name"};
        const std::string& command = words[0];
        std::size_t want = command == "show" ? 2 : 1;
        if (command != "list" && command != "show" && command != "export")
            throw TUsageError{"unknown command '" + command + "'"};
        if (words.size() < want) throw TUsageError{"show needs an exchange number"};
        if (words.size() > want) throw TUsageError{"unexpected argument '" + words[want] + "'"};
        if (csv != (command == "export"))
            throw TUsageError{csv ? "--csv belongs to export" : "export needs --csv"};

        TSqliteOrderBook book(db, TBookAccess::Read);
        if (command == "list") {
            List(book, out);
        } else if (command == "show") {
            return Show(book, words[1], out, err);
        } else {
            // Oldest first, as a ledger is read.
            std::vector<TExchange> all = book.Exchanges();
            WriteCsv(out, std::vector<TExchange>(all.rbegin(), all.rend()));
        }
        return kExitOk;
    } catch (const TUsageError& e) {
        err << "velkor-orders: " << e.Message << "\nTry 'velkor-orders --help'.\n";
        return kExitUsage;
    } catch (const std::exception& e) {
        err << "velkor-orders: " << e.what() << "\n";
        return kExitFault;
    }
}

} // namespace velkor::orders
