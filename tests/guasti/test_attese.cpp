// A run against a server that accepts the connection and never answers:
// it gives up after each connection time-out of the list, with the
// driver's diagnostic, while the window keeps drawing; the next run works.
// Each time-out is a test of its own (tests/CMakeLists.txt), so that the
// waits run side by side with the rest of the suite; none needs the
// PostgreSQL server, only its driver.
#include "support/corsa_prova.h"
#include "support/guasti.h"
#include "support/odbc_privato.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

using zeltest::ControllaFallimento;
using zeltest::ControllaRiuscita;
using zeltest::Messaggi;
using zeltest::ServerMuto;

namespace {

// psqlODBC on a port where the test accepts connections and never answers.
const QString DsnMuto = QStringLiteral("ZELTEST_MUTO");

// The connection string the window builds from Inserisci's inputs.
QString ConnessioneMuto() {
    return QStringLiteral("DSN=%1;;User ID=ZELTEST;;Password=zelpass").arg(DsnMuto);
}

// A window blocked by the wait would go the whole time-out, seconds, without
// handling its events; a busy machine may delay a tick by a tenth of a
// second. The bench measures the longest pause for real.
constexpr qint64 PausaMassimaMs = 1000;

// A short run on the SQLite data source that must succeed.
void ControllaRipresa(Guida& g) {
    Inserisci(g, QStringLiteral("ZELTEST_SQLITE"), QStringLiteral("SELECT 7 AS sette"));
    Elabora(g);
    CONTROLLA(ControllaRiuscita(g));
    QCOMPARE(Righe(g.lstDATI), QStringList{QStringLiteral("7|")});
}

// Watches the window while a run waits for the connection: the longest
// pause between two ticks of a 10 ms timer, and how often it was painted.
class Sorveglianza : public QObject {
  public:
    explicit Sorveglianza(Guida& g) : g_(g) {
        g_.txtSTATUS.widget()->installEventFilter(this);
        timer_.setInterval(10);
        connect(&timer_, &QTimer::timeout, this, [this] { battito(); });
        timer_.start();
    }

    qint64 pausaMassima = 0;
    int dipinti = 0;
    int battiti = 0;

  protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && misura_.isValid()) {
            ++dipinti;
        }
        return false;
    }

  private:
    void battito() {
        const bool inAttesa = g_.InElaborazione() && !QApplication::activeModalWidget() &&
                              g_.txtSTATUS.Text() == QLatin1String("Apertura Connessione");
        if (!inAttesa) {
            misura_.invalidate();
            return;
        }
        if (misura_.isValid()) {
            pausaMassima = qMax(pausaMassima, misura_.restart());
            ++battiti;
        } else {
            misura_.start();
        }
        g_.txtSTATUS.widget()->update();
    }

    Guida& g_;
    QTimer timer_;
    QElapsedTimer misura_;
};

} // namespace

class TestAttese : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void serverMuto_lento_data();
    void serverMuto_lento();

  private:
    std::unique_ptr<ServerMuto> muto_;
};

// The private configuration comes before any window, which lists the data
// sources when txtODBC takes the focus.
void TestAttese::initTestCase() {
    zeltest::PreparaOdbc();
    muto_ = std::make_unique<ServerMuto>();
    zeltest::AggiungiDsn(DsnMuto,
                         {QStringLiteral("Driver=PostgreSQL Unicode"),
                          QStringLiteral("Servername=127.0.0.1"),
                          QStringLiteral("Port=%1").arg(muto_->porta()),
                          QStringLiteral("Database=zeltest"), QStringLiteral("SSLMode=disable")});
}

void TestAttese::serverMuto_lento_data() {
    QTest::addColumn<int>("secondi");
    for (int s : {15, 30, 60, 120}) {
        QTest::newRow(qPrintable(QString::number(s))) << s;
    }
}

// Slow: waits out one connection time-out of the list (up to two minutes).
void TestAttese::serverMuto_lento() {
    QFETCH(int, secondi);
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, DsnMuto, QStringLiteral("SELECT 1"));
    g.cmbConnectionTimeout.setText(QString::number(secondi));
    Sorveglianza s(g);
    Messaggi messaggi;
    QElapsedTimer t;
    t.start();
    Elabora(g);
    const qint64 ms = t.elapsed();
    qInfo("tempo massimo %d s: rinuncia dopo %lld ms; pausa massima della finestra %lld ms, "
          "%d battiti, %d ridisegni",
          secondi, ms, s.pausaMassima, s.battiti, s.dipinti);
    CONTROLLA(ControllaFallimento(
        g, messaggi,
        TestoErrore(ConnessioneMuto(), QStringLiteral("SELECT 1"),
                    QStringLiteral("Nessuna risposta dal server entro %1 secondi.\n"
                                   "[SQLSTATE 08001] (101) connection to server at "
                                   "\"127.0.0.1\", port %2 failed: timeout expired")
                        .arg(secondi)
                        .arg(muto_->porta()))));
    QVERIFY(ms >= secondi * 1000 - 500);
    QVERIFY(ms <= secondi * 1000 + 5000);
    QVERIFY2(s.pausaMassima < PausaMassimaMs, qPrintable(QString::number(s.pausaMassima)));
    // At least once a second: a blocked window ticks and paints not at all.
    QVERIFY(s.battiti >= secondi);
    QVERIFY(s.dipinti >= secondi);

    CONTROLLA(ControllaRipresa(g));
}

QTEST_MAIN(TestAttese)
#include "test_attese.moc"
