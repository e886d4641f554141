// TForm1: widgets, the start-up banner, the datagram handler and the menu commands.
#include "ui/Unit1.h"

#include "base/Cp1250.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "base/Wipe.h"
#include "hash/HashManager.h"
#include "hash/StringFormat.h"
#include "net/NMUDP.h"
#include "orders/SqliteOrderBook.h"
#include "ui/OrdersWindow.h"

#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextCursor>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace velkor {

TForm1* Form1 = nullptr;

const char* const kForm1Description = R"(object Form1: TForm1
  object NMUDP1: TNMUDP
    RemotePort = 0
    LocalPort = 2004
    ReportLevel = 1
  end
  object HashManager1: THashManager
    Hash = 'THash_RipeMD256'
  end
end
)";

namespace {

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QFont FontOf(std::initializer_list<const char*> families, int points) {
    QFont font;
    QStringList list;
    for (const char* f : families) list << QString::fromLatin1(f);
    font.setFamilies(list);
    font.setPointSize(points);
    return font;
}

std::string TwoDigits(int v) {
    return Format("%.2d", {v});
}

} // namespace

TForm1::TForm1(IClock& clock, TKeyPairSource keyPairs)
    : QMainWindow(nullptr), TComponent(nullptr), FClock(clock), FKeyPairs(std::move(keyPairs)) {
    Form1 = this;
    SetName("Form1");
    BuildWidgets();

    NMUDP1 = new TNMUDP(this, FLoop);
    NMUDP1->SetName("NMUDP1");
    NMUDP1->OnDataReceived = [this](TComponent* sender, int numberBytes,
                                    const std::string& fromIP) {
        NMUDP1DataReceived(sender, numberBytes, fromIP);
    };
    HashManager1 = new THashManager(this);
    HashManager1->SetName("HashManager1");
    ReadComponentText(*this, kForm1Description);
    Merchant = std::make_unique<TMerchant>(*this, *this, FKomunikace, *HashManager1, Orders);

    try {
        FormCreate();
    } catch (...) {
        // No destructor runs for a window that was never made: its components go here, while
        // the event loop they use is still there.
        DestroyComponents();
        Form1 = nullptr;
        throw;
    }
    // A book that cannot be opened is one "***" line; the merchant serves without it.
    Orders.Open(DefaultOrderBookPath());
    GatewayTimer = new QTimer(this);
    GatewayTimer->setInterval(kGatewayTickMs);
    QObject::connect(GatewayTimer, &QTimer::timeout, this,
                     [this] { Merchant->CheckGatewayTimeout(); });
    GatewayTimer->start();
}

TForm1::~TForm1() {
    // The book window reads the recorder, a member that goes before the widget tree does.
    delete OrdersWindow;
    // The components use the window's event loop, which goes before the component base does.
    DestroyComponents();
    if (Form1 == this) Form1 = nullptr;
}

void TForm1::BuildWidgets() {
    setWindowTitle(Q("Program Velkor - Diplomová práce"));
    setFont(FontOf({"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial"}, 8));
    resize(544, 375);

    Soubor1 = menuBar()->addMenu(Q("Soubor"));
    Konec1 = Soubor1->addAction(Q("Konec"));
    ClearMeno1 = menuBar()->addAction(Q("Vyčistit okno"));
    connect(Konec1, &QAction::triggered, this, [this] { Konec1Click(); });
    connect(ClearMeno1, &QAction::triggered, this, [this] { ClearMeno1Click(); });
    Objednavky1 = menuBar()->addAction(Q("Objednávky"));
    connect(Objednavky1, &QAction::triggered, this, [this] { Objednavky1Click(); });

    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    setCentralWidget(central);

    GroupBox1 = new QGroupBox(Q(" Nastavení "), central);
    GroupBox1->setFixedHeight(97);
    layout->addWidget(GroupBox1);
    // Three rows: the company fields on the left, postage and packing in the middle beside
    // the second and third rows, the gateway address on the right under its label.
    constexpr int row1 = 18, row2 = 42, row3 = 66;
    Edit4 = AddField(GroupBox1, "Název", 8, row1, 40, 265, "Virtuální Kramtex a.s.");
    Edit5 = AddField(GroupBox1, "IČO", 8, row2, 40, 121, "12345678");
    Edit6 = AddField(GroupBox1, "DIČ", 8, row3, 40, 121, "987654321");
    Edit2 = AddField(GroupBox1, "Poštovné", 190, row2, 54, 41, "123", "Kč");
    Edit3 = AddField(GroupBox1, "Balné", 190, row3, 54, 41, "85", "Kč");
    Label1 = new QLabel(Q("URL Banky"), GroupBox1);
    Label1->setGeometry(400, row1 + 3, 121, 16);
    Edit1 = new QLineEdit(Q("127.0.0.1"), GroupBox1);
    Edit1->setGeometry(400, row2, 121, 21);

    GroupBox2 = new QGroupBox(Q(" Akce "), central);
    layout->addWidget(GroupBox2, 1);
    auto* actions = new QVBoxLayout(GroupBox2);
    Memo1 = new QPlainTextEdit(GroupBox2);
    Memo1->setReadOnly(true);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setFont(FontOf({"Courier New", "Liberation Mono", "Courier", "Monospace"}, 8));
    Memo1->setMaximumBlockCount(kLogCap);
    actions->addWidget(Memo1);

    if (QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - rect().center());
}

QLineEdit* TForm1::AddField(QWidget* parent, const char* label, int x, int y, int labelWidth,
                            int width, const char* text, const char* unit) {
    auto* caption = new QLabel(Q(label), parent);
    caption->setGeometry(x, y + 3, labelWidth, 16);
    auto* edit = new QLineEdit(Q(text), parent);
    edit->setGeometry(x + labelWidth, y, width, 21);
    if (unit) {
        auto* after = new QLabel(Q(unit), parent);
        after->setGeometry(x + labelWidth + width + 4, y + 3, 20, 16);
    }
    return edit;
}

Bytes TForm1::FieldText(const QLineEdit* field) {
    return Utf8ToCp1250(field->text().toUtf8().toStdString());
}

void TForm1::AddToPane(const std::string& utf8, const Bytes& line) {
    // A text document always holds one block, so the first line goes into it and every later
    // line into a new block; an empty first line then still counts as a line. The document's
    // block limit drops the oldest lines once the pane is full.
    QTextCursor cursor(Memo1->document());
    cursor.movePosition(QTextCursor::End);
    if (FLineCount > 0) cursor.insertBlock();
    cursor.insertText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    FLineCount += 1 + std::count(line.begin(), line.end(), '\n');
    Memo1->moveCursor(QTextCursor::End);
    Memo1->ensureCursorVisible();
}

void TForm1::AppendLine(const Bytes& line) {
    const std::string utf8 = Cp1250ToUtf8(line);
    AddToPane(utf8, line);
    StdoutCopy.Line(utf8);
}

void TForm1::AppendSecretLine(const Bytes& line, std::size_t keyBytes) {
    std::string utf8 = Cp1250ToUtf8(line);
    AddToPane(utf8, line);
    StdoutCopy.SecretLine(utf8, keyBytes);
    SecureWipe(utf8);
}

void TForm1::SetLogCap(int lines) {
    Memo1->setMaximumBlockCount(lines);
}

void TForm1::LogStamp() {
    AppendLine("");
    TDateTimeParts date = FClock.Now();
    std::string text =
        TwoDigits(date.Day) + "." + TwoDigits(date.Month) + "." + Format("%.4d", {date.Year}) + " ";
    TDateTimeParts time = FClock.Now();
    text += TwoDigits(time.Hour) + ":" + TwoDigits(time.Minute) + ":" + TwoDigits(time.Second);
    AppendLine(text);
}

void TForm1::FormCreate() {
    LogStamp();
    AppendLine(Cz("Generuji veřejný a privátní klíč ..."));
    TDateTimeParts start = FClock.Now();
    // A pair of this run alone: the private key that opens a captured 0x59 exists nowhere but
    // in this process. The key texts move into the merchant state without copies.
    TKeyPair pair = FKeyPairs ? FKeyPairs() : MakeKeyPair(TKeyBits::kb0512);
    Merchant->MerchantPublicKey = std::move(pair.PublicKey);
    Merchant->MerchantPrivateKey = SecretBytes(std::move(pair.PrivateKey));
    TDateTimeParts end = FClock.Now();
    AppendLine(Cz("   Privátní klíč:"));
    Bytes privateHex = "   " + ToFormat(Merchant->MerchantPrivateKey, fmtHEX);
    AppendSecretLine(privateHex, Merchant->MerchantPrivateKey.size());
    SecureWipe(privateHex);
    AppendLine(Cz("   Veřejný klíč:"));
    AppendLine("   " + ToFormat(Merchant->MerchantPublicKey, fmtHEX));
    // The time taken, as a time of day in the long time format (h:nn:ss).
    auto ms = [](const TDateTimeParts& t) {
        return ((t.Hour * 60 + t.Minute) * 60 + t.Second) * 1000 + t.Millisecond;
    };
    int took = (ms(end) - ms(start) + 86400000) % 86400000 / 1000;
    AppendLine(Cz("   Hotovo , doba generování: ") +
               Format("%d:%.2d:%.2d", {took / 3600, took / 60 % 60, took % 60}));
}

void TForm1::NMUDP1DataReceived(TComponent*, int numberBytes, const std::string& fromIP) {
    if (numberBytes < 0) {
        AppendLine(Cz("*** Příjem dat od ") + fromIP + Cz(" selhal"));
        return;
    }
    TMemoryStream stream;
    NMUDP1->ReadIntoStream(&stream);
    Bytes frame(static_cast<std::size_t>(numberBytes), '\0');
    frame.resize(static_cast<std::size_t>(stream.Read(frame.data(), numberBytes)));
    LogStamp();
    AppendLine(Cz("Přijata data od ") + fromIP + Cz(", Délka: ") + std::to_string(numberBytes) +
               Cz(" bajtů"));
    Merchant->Receive(frame, fromIP);
}

Bytes TForm1::Text(TSetting field) {
    switch (field) {
    case TSetting::GatewayAddress:
        return FieldText(Edit1);
    case TSetting::Postage:
        return FieldText(Edit2);
    case TSetting::Packing:
        return FieldText(Edit3);
    case TSetting::CompanyName:
        return FieldText(Edit4);
    case TSetting::CompanyId:
        return FieldText(Edit5);
    case TSetting::TaxId:
        return FieldText(Edit6);
    }
    return {};
}

void TForm1::ClearMeno1Click() {
    Memo1->clear();
    FLineCount = 0;
}

void TForm1::Konec1Click() {
    close();
}

void TForm1::Objednavky1Click() {
    if (!OrdersWindow) OrdersWindow = new TOrdersWindow(Orders, this);
    OrdersWindow->show();
    OrdersWindow->raise();
    OrdersWindow->activateWindow();
}

} // namespace velkor
