// TOrdersWindow: the widgets, reading the book into the table, the selected exchange's detail
// and the export.
#include "ui/OrdersWindow.h"

#include "orders/BookText.h"
#include "orders/OrderRecorder.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <fstream>

namespace velkor {
namespace {

// The statuses as the window names them, in the order of TExchangeStatus.
const char* const kStatusTexts[] = {"otevřená", "připsáno", "odmítnuto", "chyba digestu",
                                    "přerušená"};

// The table's columns.
const char* const kColumns[] = {"Čas", "Zákazník", "Řádků", "Celkem Kč", "Stav", "Připsáno Kč"};

QString Q(const std::string& utf8) {
    return QString::fromStdString(utf8);
}

QString LocalTime(std::int64_t ms) {
    return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
}

std::int64_t StartOfDay(const QDate& date) {
    return date.startOfDay().toMSecsSinceEpoch();
}

} // namespace

const char* StatusText(TExchangeStatus status) {
    return kStatusTexts[static_cast<int>(status)];
}

TOrdersWindow::TOrdersWindow(TOrderRecorder& recorder, QWidget* parent)
    : QWidget(parent, Qt::Window), FRecorder(recorder) {
    setWindowTitle(QString::fromUtf8("Objednávky"));
    resize(640, 420);
    auto* layout = new QVBoxLayout(this);

    auto* bar = new QHBoxLayout;
    FilterBox = new QCheckBox(QString::fromUtf8("Jen od"), this);
    FromDate = new QDateEdit(QDate::currentDate(), this);
    ToDate = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit* edit : {FromDate, ToDate}) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    }
    ExportButton = new QPushButton(QString::fromUtf8("Exportovat CSV…"), this);
    bar->addWidget(FilterBox);
    bar->addWidget(FromDate);
    bar->addWidget(new QLabel(QStringLiteral("do"), this));
    bar->addWidget(ToDate);
    bar->addStretch(1);
    bar->addWidget(ExportButton);
    layout->addLayout(bar);

    Pages = new QStackedWidget(this);
    auto* split = new QSplitter(Qt::Vertical, Pages);
    Table = new QTableWidget(0, static_cast<int>(std::size(kColumns)), split);
    QStringList headers;
    for (const char* c : kColumns) headers << QString::fromUtf8(c);
    Table->setHorizontalHeaderLabels(headers);
    Table->verticalHeader()->hide();
    Table->setSelectionBehavior(QAbstractItemView::SelectRows);
    Table->setSelectionMode(QAbstractItemView::SingleSelection);
    Table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Table->horizontalHeader()->setStretchLastSection(true);
    Detail = new QPlainTextEdit(split);
    Detail->setReadOnly(true);
    Detail->setLineWrapMode(QPlainTextEdit::NoWrap);
    QFont mono(QStringLiteral("Liberation Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSize(8);
    Detail->setFont(mono);
    Pages->addWidget(split);
    Fault = new QLabel(Pages);
    Fault->setWordWrap(true);
    Fault->setAlignment(Qt::AlignCenter);
    Pages->addWidget(Fault);
    layout->addWidget(Pages, 1);
    Status = new QLabel(this);
    layout->addWidget(Status);

    connect(Table, &QTableWidget::itemSelectionChanged, this, [this] { ShowSelected(); });
    connect(FilterBox, &QCheckBox::toggled, this, [this] { Refresh(); });
    connect(FromDate, &QDateEdit::dateChanged, this, [this] { Refresh(); });
    connect(ToDate, &QDateEdit::dateChanged, this, [this] { Refresh(); });
    connect(ExportButton, &QPushButton::clicked, this, [this] { ChooseExportFile(); });

    FTimer = new QTimer(this);
    FTimer->setInterval(kRefreshMs);
    connect(FTimer, &QTimer::timeout, this, [this] {
        if (FRecorder.Revision() != FShownRevision) Refresh();
    });
    FTimer->start();
    Refresh();
}

TQuery TOrdersWindow::Query() const {
    TQuery query;
    if (FilterBox->isChecked()) {
        query.From = StartOfDay(FromDate->date());
        query.To = StartOfDay(ToDate->date().addDays(1));
    }
    return query;
}

void TOrdersWindow::Refresh() {
    FShownRevision = FRecorder.Revision();
    IOrderBook* book = FRecorder.Book();
    if (!book) {
        Fault->setText(QString::fromUtf8("Knihu objednávek %1 nelze otevřít: %2")
                           .arg(Q(FRecorder.Path()), Q(FRecorder.Fault())));
        Pages->setCurrentWidget(Fault);
        ExportButton->setEnabled(false);
        return;
    }
    std::int64_t selected = 0;
    if (int row = Table->currentRow(); row >= 0 && row < static_cast<int>(FShown.size()))
        selected = FShown[static_cast<std::size_t>(row)].Id;
    try {
        FShown = book->Exchanges(Query());
    } catch (const std::exception& e) {
        Status->setText(Q(e.what()));
        return;
    }
    Table->blockSignals(true);
    Table->setRowCount(static_cast<int>(FShown.size()));
    int selectRow = -1;
    for (int row = 0; row < static_cast<int>(FShown.size()); ++row) {
        const TExchange& e = FShown[static_cast<std::size_t>(row)];
        const QString cells[] = {LocalTime(e.Started),
                                 Q(e.Customer),
                                 QString::number(e.LineCount),
                                 Q(AmountText(e.Total)),
                                 QString::fromUtf8(StatusText(e.Status)),
                                 Q(AmountText(e.Credited))};
        for (int col = 0; col < static_cast<int>(std::size(cells)); ++col) {
            auto* item = new QTableWidgetItem(cells[col]);
            if (col == 2 || col == 3 || col == 5)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Table->setItem(row, col, item);
        }
        if (e.Id == selected) selectRow = row;
    }
    if (selectRow >= 0) Table->selectRow(selectRow);
    Table->blockSignals(false);
    Table->resizeColumnsToContents();
    Pages->setCurrentIndex(0);
    ExportButton->setEnabled(true);
    Status->setText(QString::fromUtf8("Výměn: %1").arg(FShown.size()));
    ShowSelected();
}

void TOrdersWindow::ShowSelected() {
    int row = Table->currentRow();
    IOrderBook* book = FRecorder.Book();
    if (!book || row < 0 || row >= static_cast<int>(FShown.size()) ||
        Table->selectedItems().isEmpty()) {
        Detail->clear();
        return;
    }
    std::optional<TExchangeDetail> d;
    try {
        d = book->Detail(FShown[static_cast<std::size_t>(row)].Id);
    } catch (const std::exception& e) {
        Detail->setPlainText(Q(e.what()));
        return;
    }
    if (!d) return;
    QStringList text;
    text << QString::fromUtf8("Výměna %1, zákazník %2, brána %3")
                .arg(d->Exchange.Id)
                .arg(Q(d->Exchange.Customer), Q(d->Exchange.Gateway));
    text << QString::fromUtf8("%1 %2 %3")
                .arg(QString::fromUtf8("Název"), -30)
                .arg(QString::fromUtf8("Počet"), 5)
                .arg(QStringLiteral("Cena"), 10);
    for (const TOrderLine& line : d->Lines)
        text << QString::fromUtf8("%1 %2 %3 Kč")
                    .arg(Q(line.Name), -30)
                    .arg(line.Count, 5)
                    .arg(line.Price, 10);
    if (d->Exchange.Total)
        text << QString::fromUtf8("Zboží %1, poštovné %2, balné %3, celkem %4 Kč")
                    .arg(Q(AmountText(d->Exchange.Goods)), Q(AmountText(d->Exchange.Postage)),
                         Q(AmountText(d->Exchange.Packing)), Q(AmountText(d->Exchange.Total)));
    text << QString();
    for (const TRecordedStep& s : d->Steps)
        text << LocalTime(s.At) + QStringLiteral("  ") + QString::fromUtf8(StepName(s.Kind)) +
                    (s.Detail.empty() ? QString() : QStringLiteral("  ") + Q(s.Detail));
    Detail->setPlainText(text.join(QLatin1Char('\n')));
}

bool TOrdersWindow::ExportCsv(const QString& path) {
    std::ofstream out(path.toStdString(), std::ios::binary | std::ios::trunc);
    if (out) WriteCsv(out, std::vector<TExchange>(FShown.rbegin(), FShown.rend()));
    out.close();
    if (!out) {
        Status->setText(QString::fromUtf8("Soubor %1 nelze zapsat").arg(path));
        return false;
    }
    Status->setText(QString::fromUtf8("Uloženo do %1").arg(path));
    return true;
}

void TOrdersWindow::ChooseExportFile() {
    QString path = QFileDialog::getSaveFileName(this, QString::fromUtf8("Exportovat CSV"),
                                                QStringLiteral("objednavky.csv"),
                                                QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty()) ExportCsv(path);
}

} // namespace velkor
