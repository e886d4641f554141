// The merchant's only window, TForm1: the settings fields with their defaults, the log pane,
// the menu, the listening endpoint NMUDP1 on port 2004 and the hash manager HashManager1.
// Texts are CP1250 byte strings inside the program; the window converts at its edge.
#pragma once

#include "base/Bytes.h"
#include "base/Clock.h"
#include "base/Component.h"
#include "orders/OrderRecorder.h"
#include "protocol/Komunikace.h"
#include "protocol/Merchant.h"
#include "protocol/Seams.h"
#include "protocol/UdpTransport.h"
#include "rsa/KeyGen.h"
#include "ui/LogCopy.h"
#include "ui/QtEventLoop.h"

#include <QMainWindow>

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class QAction;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QTimer;

namespace velkor {

class TOrdersWindow;

class TNMUDP;
class THashManager;

// The window is the protocol's log and settings: it appends the merchant's lines to Memo1 and
// reads the settings fields when a message needs them.
class TForm1 : public QMainWindow, public TComponent, public ILog, public ISettings {
public:
    // Where FormCreate takes the merchant's key pair from.
    using TKeyPairSource = std::function<TKeyPair()>;

    // The clock is a seam for tests (time stamps, the wait before each send); the program
    // passes the system clock. Without `keyPairs` every window makes a fresh 512-bit pair;
    // tests that need a fixed key hand in their own.
    explicit TForm1(IClock& clock = SystemClock(), TKeyPairSource keyPairs = {});
    ~TForm1() override;
    std::string ClassName() const override { return "TForm1"; }

    // Handlers, named after their component and event.
    void FormCreate();
    void NMUDP1DataReceived(TComponent* sender, int numberBytes, const std::string& fromIP);
    void ClearMeno1Click();
    void Konec1Click();
    // Opens (or raises) the order book window.
    void Objednavky1Click();

    // Appends one CP1250 line to Memo1 and writes it, as UTF-8, to the standard-output copy.
    void AppendLine(const Bytes& line);
    // The same for a line that holds a secret key's text: Memo1 shows it, the copy on standard
    // output masks it unless VELKOR_LOG_KEYS=1.
    void AppendSecretLine(const Bytes& line, std::size_t keyBytes);
    // An empty line, then the date and time ("dd.mm.yyyy hh:nn:ss").
    void LogStamp();
    // The text of a settings field as CP1250 bytes.
    static Bytes FieldText(const QLineEdit* field);

    void Append(const Bytes& line) override { AppendLine(line); }
    void AppendSecret(const Bytes& line, std::size_t keyBytes) override {
        AppendSecretLine(line, keyBytes);
    }
    Bytes Text(TSetting field) override;

    // Memo1 keeps at most this many lines, dropping the oldest first, so that no flood of
    // datagrams can exhaust memory through the pane. The standard-output copy keeps all.
    static constexpr int kLogCap = 100000;
    void SetLogCap(int lines);

    // The order book, into which the merchant records every exchange; opened after the
    // start-up banner at DefaultOrderBookPath().
    TOrderRecorder Orders{*this};
    // The merchant state and its message handling; FormCreate sets its key pair.
    std::unique_ptr<TMerchant> Merchant;
    // Ticks the merchant's gateway timeout twice a second.
    static constexpr int kGatewayTickMs = 500;
    QTimer* GatewayTimer = nullptr;
    // The log's copy on standard output (a test may point it elsewhere).
    TLogCopy StdoutCopy{1, LogKeysRequested()};

    // Components and widgets, under the names the handlers use.
    TNMUDP* NMUDP1 = nullptr;
    THashManager* HashManager1 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QLineEdit* Edit1 = nullptr; // gateway address
    QLineEdit* Edit2 = nullptr; // postage
    QLineEdit* Edit3 = nullptr; // packing
    QLineEdit* Edit4 = nullptr; // company name
    QLineEdit* Edit5 = nullptr; // company ID
    QLineEdit* Edit6 = nullptr; // tax ID
    QLabel* Label1 = nullptr;
    QMenu* Soubor1 = nullptr;
    QAction* Konec1 = nullptr;
    QAction* ClearMeno1 = nullptr;
    QAction* Objednavky1 = nullptr;
    // The order book window, made the first time it is asked for.
    TOrdersWindow* OrdersWindow = nullptr;

private:
    void BuildWidgets();
    void AddToPane(const std::string& utf8, const Bytes& line);
    QLineEdit* AddField(QWidget* parent, const char* label, int x, int y, int labelWidth, int width,
                        const char* text, const char* unit = nullptr);

    IClock& FClock;
    TKeyPairSource FKeyPairs;
    QtEventLoop FLoop;
    TUdpTransport FTransport{FLoop};
    TKomunikace FKomunikace{FClock, FTransport};
    long long FLineCount = 0; // lines in Memo1
};

// The window, as every handler reaches it; assigned before FormCreate runs.
extern TForm1* Form1;

// The description from which the window builds its non-visual components.
extern const char* const kForm1Description;

} // namespace velkor
