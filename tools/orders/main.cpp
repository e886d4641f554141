// velkor-orders: reads the merchant's order book and prints it. Output is UTF-8; a standard
// output that cannot be written is a fault (status 1), a reader that goes away ends the
// program as it ends any filter.
#include "OrdersCommand.h"

#include "orders/SqliteOrderBook.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::ostringstream out;
    int status =
        velkor::orders::RunOrdersCommand(args, velkor::DefaultOrderBookPath(), out, std::cerr);
    const std::string text = out.str();
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
        std::fflush(stdout) != 0) {
        std::fprintf(stderr, "velkor-orders: standard output: %s\n", std::strerror(errno));
        return velkor::orders::kExitFault;
    }
    return status;
}
