// The order book window: a second, non-modal window with the table of exchanges (newest
// first, read again whenever the merchant records a step), the lines and steps of the selected
// one, a date filter and the CSV export. A book that could not be opened is shown as its fault
// in place of the table.
#pragma once

#include "orders/OrderBook.h"

#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTableWidget;
class QTimer;

namespace velkor {

class TOrderRecorder;

class TOrdersWindow : public QWidget {
public:
    TOrdersWindow(TOrderRecorder& recorder, QWidget* parent);

    // Reads the book again and shows it, keeping the selected exchange selected.
    void Refresh();
    // Writes the exchanges shown, oldest first, as CSV to `path`; false with the reason in the
    // window's status line when it cannot.
    bool ExportCsv(const QString& path);

    // How often the window looks for newly recorded steps.
    static constexpr int kRefreshMs = 500;

    QCheckBox* FilterBox = nullptr;
    QDateEdit* FromDate = nullptr;
    QDateEdit* ToDate = nullptr;
    QPushButton* ExportButton = nullptr;
    QStackedWidget* Pages = nullptr;
    QTableWidget* Table = nullptr;
    QPlainTextEdit* Detail = nullptr;
    QLabel* Fault = nullptr;
    QLabel* Status = nullptr;

private:
    void ShowSelected();
    void ChooseExportFile();
    TQuery Query() const;

    TOrderRecorder& FRecorder;
    QTimer* FTimer = nullptr;
    std::uint64_t FShownRevision = ~std::uint64_t(0);
    std::vector<TExchange> FShown;
};

// The window's Czech name of a status.
const char* StatusText(TExchangeStatus status);

} // namespace velkor
