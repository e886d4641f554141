// The cost of the order book to the merchant: one recorded step (one transaction with
// synchronous=FULL, so one wait for the disk) and one new exchange with its order lines, on a
// book in a fresh temporary folder ($TMPDIR or /tmp; put it on the disk you mean to measure).
// Wall-clock time is what counts here: the process waits for the disk, it does not compute.
#include "orders/SqliteOrderBook.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

using velkor::TBookAccess;
using velkor::TSqliteOrderBook;

class BenchFolder {
public:
    BenchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velkor-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) FPath = pattern;
    }
    ~BenchFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(FPath, ignored);
    }
    std::string Book() const { return FPath + "/orders.sqlite"; }

private:
    std::string FPath;
};

velkor::TNewExchange Order(std::int64_t at) {
    velkor::TNewExchange e;
    e.At = at;
    e.Customer = "127.0.0.1";
    e.Lines = {{"A", 2, 300}, {"B", 10, 50}};
    e.Goods = 350;
    e.Postage = 123;
    e.Packing = 85;
    e.Total = 558;
    e.Gateway = "127.0.0.1";
    return e;
}

void BM_RecordStep(benchmark::State& state) {
    BenchFolder folder;
    TSqliteOrderBook book(folder.Book(), TBookAccess::Write);
    const std::int64_t id = book.Begin(Order(1));
    std::int64_t at = 2;
    for (auto _ : state) {
        velkor::TStep step;
        step.Exchange = id;
        step.At = ++at;
        step.Kind = velkor::TStepKind::GatewayKeyReceived;
        book.Record(step);
    }
}
BENCHMARK(BM_RecordStep)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

void BM_BeginExchange(benchmark::State& state) {
    BenchFolder folder;
    TSqliteOrderBook book(folder.Book(), TBookAccess::Write);
    std::int64_t at = 0;
    for (auto _ : state) benchmark::DoNotOptimize(book.Begin(Order(++at)));
}
BENCHMARK(BM_BeginExchange)->UseRealTime()->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace
