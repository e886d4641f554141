// The order book window: the table newest first and kept up to date, the selected exchange's
// lines and steps, the date filter, the export, a book that failed shown in place of the
// table, and the menu item that opens it beside the main window.
#include "ui/OrdersWindow.h"
#include "base/Cp1250.h"
#include "orders/BookText.h"
#include "orders/OrderRecorder.h"
#include "rsa/BuiltInKeyPair.h"
#include "ui/Unit1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace velkor {
namespace {

class NullLog final : public ILog {
public:
    void Append(const Bytes& line) override { Lines.push_back(line); }
    std::vector<Bytes> Lines;
};

class OrdersWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/velkor-ui-book-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder = pattern;
        ASSERT_TRUE(recorder.Open(folder + "/orders.sqlite"));
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    void Order(const std::string& customer, const Bytes& name) {
        TAcceptedOrder order;
        order.Customer = customer;
        order.Lines = {{name, 2, 300}};
        order.Goods = 300;
        order.Postage = 123;
        order.Packing = 85;
        order.Total = 508;
        order.Gateway = "127.0.0.1";
        recorder.OrderAccepted(order);
    }

    QString Cell(TOrdersWindow& w, int row, int col) { return w.Table->item(row, col)->text(); }

    std::string folder;
    NullLog log;
    std::int64_t now = QDateTime::currentMSecsSinceEpoch();
    TOrderRecorder recorder{log, [this] { return now += 1000; }};
};

TEST_F(OrdersWindowTest, TableIsNewestFirstAndFollowsTheBook) {
    Order("127.0.0.2", "A");
    TOrdersWindow w(recorder, nullptr);
    ASSERT_EQ(w.Table->rowCount(), 1);
    Order("127.0.0.3", "B");
    recorder.Step("127.0.0.3", TExchangeStep::Credited, "508");
    // The window reads again on its own once the book has changed.
    QElapsedTimer waited;
    waited.start();
    while (w.Table->rowCount() < 2 && waited.elapsed() < 3000)
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    ASSERT_EQ(w.Table->rowCount(), 2);
    EXPECT_EQ(Cell(w, 0, 1), "127.0.0.3");
    EXPECT_EQ(Cell(w, 0, 2), "1");
    EXPECT_EQ(Cell(w, 0, 3), "508");
    EXPECT_EQ(Cell(w, 0, 4), QString::fromUtf8("připsáno"));
    EXPECT_EQ(Cell(w, 0, 5), "508");
    EXPECT_EQ(Cell(w, 1, 4), QString::fromUtf8("otevřená"));
    EXPECT_EQ(Cell(w, 1, 5), "");
    EXPECT_EQ(Cell(w, 0, 0),
              QDateTime::fromMSecsSinceEpoch(now - 1000).toString("dd.MM.yyyy hh:mm:ss"));
}

TEST_F(OrdersWindowTest, SelectedExchangeShowsItsLinesAndSteps) {
    Order("127.0.0.2", Cz("Čaj, \"zelený\""));
    recorder.Step("127.0.0.2", TExchangeStep::GatewayKeyReceived, {});
    TOrdersWindow w(recorder, nullptr);
    EXPECT_TRUE(w.Detail->toPlainText().isEmpty());
    w.Table->selectRow(0);
    QString detail = w.Detail->toPlainText();
    EXPECT_TRUE(
        detail.contains(QString::fromUtf8("Čaj, \"zelený\"                      2        300 Kč")))
        << detail.toStdString();
    EXPECT_TRUE(detail.contains("  order")) << detail.toStdString();
    EXPECT_TRUE(detail.contains("  gateway-key")) << detail.toStdString();
    // A new step keeps the selection and shows it.
    recorder.Step("127.0.0.2", TExchangeStep::SymmetricKeySent, {});
    w.Refresh();
    EXPECT_TRUE(w.Detail->toPlainText().contains("symmetric-key-sent"));
}

TEST_F(OrdersWindowTest, DateFilterAndExportShowOnlyTheChosenDays) {
    Order("127.0.0.2", "A");
    TOrdersWindow w(recorder, nullptr);
    const QDate today = QDateTime::fromMSecsSinceEpoch(now).date();
    w.FromDate->setDate(today.addDays(1));
    w.ToDate->setDate(today.addDays(2));
    w.FilterBox->setChecked(true);
    EXPECT_EQ(w.Table->rowCount(), 0);
    w.FromDate->setDate(today);
    EXPECT_EQ(w.Table->rowCount(), 1);

    const QString csv = QString::fromStdString(folder + "/export.csv");
    ASSERT_TRUE(w.ExportCsv(csv));
    std::ifstream in(csv.toStdString(), std::ios::binary);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header, std::string(kCsvHeader) + "\r");
    EXPECT_FALSE(w.ExportCsv(QString::fromStdString(folder + "/no/such/folder.csv")));
}

TEST_F(OrdersWindowTest, BookThatFailedIsShownInPlaceOfTheTable) {
    const std::string junk = folder + "/junk.sqlite";
    std::ofstream(junk) << "this is no database";
    TOrderRecorder failed(log);
    EXPECT_FALSE(failed.Open(junk));
    TOrdersWindow w(failed, nullptr);
    EXPECT_EQ(w.Pages->currentWidget(), w.Fault);
    EXPECT_EQ(w.Fault->text().toStdString(),
              "Knihu objednávek " + junk + " nelze otevřít: soubor není databáze SQLite");
    EXPECT_FALSE(w.ExportButton->isEnabled());
}

TEST(OrdersMenu, OpensOneNonModalWindowBesideTheLog) {
    TForm1 form(SystemClock(), [] {
        return TKeyPair{std::string(kBuiltInPublicKey), std::string(kBuiltInPrivateKey)};
    });
    form.AppendLine("kept");
    const int lines = form.Memo1->document()->blockCount();
    form.Objednavky1->trigger();
    ASSERT_NE(form.OrdersWindow, nullptr);
    EXPECT_TRUE(form.OrdersWindow->isVisible());
    EXPECT_FALSE(form.OrdersWindow->isModal());
    EXPECT_TRUE(form.OrdersWindow->isWindow());
    TOrdersWindow* first = form.OrdersWindow;
    form.Objednavky1->trigger();
    EXPECT_EQ(form.OrdersWindow, first);
    EXPECT_EQ(form.Memo1->document()->blockCount(), lines);
    form.ClearMeno1->trigger();
    EXPECT_TRUE(form.OrdersWindow->isVisible());
}

} // namespace
} // namespace velkor
