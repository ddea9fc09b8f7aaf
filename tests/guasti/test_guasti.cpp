// Faults met by a run, through the window, against the real PostgreSQL
// server that scripts/test starts: the server going away mid-run, a server
// that never answers while a window closes, statement time-outs, results at the edges of size and
// of Unicode, logins refused, and the window closed in every phase of a run. A failure ends in the
// message box with the driver's diagnostic, the results hidden and the buttons at rest; the next
// run works.
#include "support/corsa_prova.h"
#include "support/guasti.h"
#include "support/odbc_privato.h"

#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

using zeltest::Cluster;
using zeltest::ControllaFallimento;
using zeltest::ControllaRiuscita;
using zeltest::Messaggi;
using zeltest::ServerMuto;

namespace {

const QString DsnPg = QStringLiteral("ZELTEST_PG");
// psqlODBC on a port where the test accepts connections and never answers.
const QString DsnMuto = QStringLiteral("ZELTEST_MUTO");

// The connection string the window builds from its inputs.
QString Connessione(const QString& dsn = DsnPg, const QString& utente = UtentePg(),
                    const QString& password = PasswordPg()) {
    return QStringLiteral("DSN=%1;;User ID=%2;;Password=%3").arg(dsn, utente, password);
}

// A short run on the real server that must succeed.
void ControllaRipresa(Guida& g) {
    InserisciPg(g, QStringLiteral("SELECT 7 AS sette"));
    Elabora(g);
    CONTROLLA(ControllaRiuscita(g));
    QCOMPARE(Righe(g.lstDATI), QStringList{QStringLiteral("7|")});
}

// "SELECT 1 AS c1, 2 AS c2, ..." with n columns.
QString MoltiCampi(int n) {
    QStringList campi;
    for (int i = 1; i <= n; ++i) {
        campi << QStringLiteral("%1 AS c%1").arg(i);
    }
    return QStringLiteral("SELECT ") + campi.join(QStringLiteral(", "));
}

// Server sessions running `sql` now, seen from a connection of their own.
int Attive(const QString& sql) {
    auto c = zeltest::Connetti(zeltest::StringaPostgres());
    ado::Recordset rs;
    rs.ActiveConnection = c;
    rs.Source = QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE state = 'active' "
                               "AND query = '%1'")
                    .arg(sql);
    rs.Open();
    return rs.Fields().Item(0).Value().ToString().toInt();
}

// The description psqlODBC gives for a server that dies under a statement.
// The state is that of the backend's farewell (57P01, administrator
// shutdown) when it arrives before the end of the connection, 08S01 when it
// does not: which one depends on timing.
QString ServerCaduto(const QString& stato) {
    return QStringLiteral("Esecuzione dell'istruzione non riuscita.\n"
                          "[SQLSTATE %1] (35) server closed the connection unexpectedly\n"
                          "\tThis probably means the server terminated abnormally\n"
                          "\tbefore or while processing the request.\n;\n"
                          "The connection has been lost")
        .arg(stato);
}

} // namespace

class TestGuasti : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void serverFermato_data();
    void serverFermato();
    void tempoIstruzione_data();
    void tempoIstruzione();
    void milleCampi();
    void oltre32767Campi();
    void istruzioneDiUnMegabyte_data();
    void istruzioneDiUnMegabyte();
    void valoreDiUnMegabyte();
    void pianiUnicode();
    void accessiRifiutati_data();
    void accessiRifiutati();
    void chiusura_data();
    void chiusura();
    void chiusuraSenzaTempoMassimo();
    void chiusuraConMessaggioAperto();

  private:
    std::unique_ptr<ServerMuto> muto_;
};

void TestGuasti::initTestCase() {
    if (!zeltest::postgresDisponibile()) {
        QSKIP("Server PostgreSQL non disponibile (variabili ZEL_PG_* assenti).");
    }
    zeltest::PreparaOdbc();
    muto_ = std::make_unique<ServerMuto>();
    zeltest::AggiungiDsn(DsnMuto, {QStringLiteral("Driver=PostgreSQL Unicode"),
                                   QStringLiteral("Servername=127.0.0.1"),
                                   QStringLiteral("Port=%1").arg(muto_->porta()),
                                   QStringLiteral("Database=") + qEnvironmentVariable("ZEL_PG_DB"),
                                   QStringLiteral("SSLMode=disable")});

    auto c = zeltest::Connetti(zeltest::StringaPostgres());
    zeltest::Esegui(c, {"DROP TABLE IF EXISTS zel_unicode",
                        "CREATE TABLE zel_unicode (n INTEGER, breve VARCHAR(40), lungo TEXT)",
                        "DROP ROLE IF EXISTS zelblocco",
                        "CREATE ROLE zelblocco NOLOGIN PASSWORD 'zelblocco'"});
}

void TestGuasti::serverFermato_data() {
    QTest::addColumn<QString>("sql");
    QTest::newRow("esecuzione") << QStringLiteral("SELECT pg_sleep(3)");
    // Rows stream from the first moment: the server stops halfway through
    // sending them (they take some seconds in all).
    QTest::newRow("scaricamento") << QStringLiteral(
        "SELECT generate_series(1, 3000000) AS n, repeat('x', 40) AS t");
}

void TestGuasti::serverFermato() {
    if (!Cluster::Disponibile()) {
        QSKIP("Cartella del cluster non nota (ZEL_PG_CARTELLA, ZEL_PG_BIN).");
    }
    QFETCH(QString, sql);
    Cluster cluster;
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPg(g, sql);
    AllaFase(
        g, QStringLiteral("Apertura File"), [&cluster] { cluster.Ferma(); }, 500);
    Messaggi messaggi;
    QElapsedTimer t;
    t.start();
    Elabora(g);
    qInfo("server fermato: messaggio dopo %lld ms", t.elapsed());
    QVERIFY(cluster.fermo);
    CONTROLLA(ControllaFallimento(
        g, messaggi,
        {TestoErrore(Connessione(), sql, ServerCaduto(QStringLiteral("57P01"))),
         TestoErrore(Connessione(), sql, ServerCaduto(QStringLiteral("08S01")))}));

    QVERIFY(cluster.Riavvia());
    CONTROLLA(ControllaRipresa(g));
}

void TestGuasti::tempoIstruzione_data() {
    QTest::addColumn<int>("secondi");
    QTest::addColumn<QString>("durata");
    QTest::newRow("1") << 1 << QStringLiteral("1 secondo");
    QTest::newRow("2") << 2 << QStringLiteral("2 secondi");
}

void TestGuasti::tempoIstruzione() {
    QFETCH(int, secondi);
    QFETCH(QString, durata);
    FinestraProva p;
    Guida& g = p.apri();
    const QString sql = QStringLiteral("SELECT pg_sleep(10)");
    InserisciPg(g, sql);
    // Typed: the list only offers 30 to 120.
    g.cmbCommandTimeout.setText(QString::number(secondi));
    Messaggi messaggi;
    QElapsedTimer t;
    t.start();
    Elabora(g);
    const qint64 ms = t.elapsed();
    qInfo("tempo massimo dell'istruzione %d s: messaggio dopo %lld ms", secondi, ms);
    CONTROLLA(ControllaFallimento(
        g, messaggi,
        TestoErrore(Connessione(), sql,
                    QStringLiteral("L'istruzione ha superato il tempo massimo di %1.\n"
                                   "[SQLSTATE 57014] (1) ERROR: canceling statement due to "
                                   "statement timeout;\nError while executing the query")
                        .arg(durata))));
    // The statement sleeps 10 s: ending before that is the time-out's doing.
    QVERIFY(ms >= secondi * 1000 && ms < secondi * 1000 + 6000);

    // The same window, the same time-out: a quick statement goes through.
    CONTROLLA(ControllaRipresa(g));
}

void TestGuasti::milleCampi() {
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPg(g, MoltiCampi(1000));
    QElapsedTimer t;
    t.start();
    Elabora(g);
    qInfo("1000 campi: %lld ms", t.elapsed());
    CONTROLLA(ControllaRiuscita(g));
    QCOMPARE(g.nCAMPI, qint16(1000));
    QCOMPARE(g.lstCAMPI.ListCount(), 1000);
    QCOMPARE(g.lstCAMPI.List(0), QStringLiteral("c1 NUM  10,0"));
    QCOMPARE(g.lstCAMPI.List(999), QStringLiteral("c1000 NUM  10,0"));
    QCOMPARE(g.lblCAMPI.Caption(), QStringLiteral("Campi (1000)"));
    QStringList valori;
    for (int i = 1; i <= 1000; ++i) {
        valori << QString::number(i);
    }
    QCOMPARE(g.lstDATI.List(0), valori.join(u'|') + u'|');
    g.lstDATI.setListIndex(0);
    QCOMPARE(g.lstCAMPI.ListCount(), 1000);
    QCOMPARE(g.lstCAMPI.List(999), QStringLiteral("c1000 = 1000"));

    // Past the server's own limit of 1664 the statement is refused.
    const QString troppi = MoltiCampi(1665);
    InserisciPg(g, troppi);
    Messaggi messaggi;
    Elabora(g);
    CONTROLLA(ControllaFallimento(
        g, messaggi,
        TestoErrore(Connessione(), troppi,
                    QStringLiteral("Esecuzione dell'istruzione non riuscita.\n"
                                   "[SQLSTATE 54011] (1) ERROR: target lists can have at most "
                                   "1664 entries;\nError while executing the query"))));
    CONTROLLA(ControllaRipresa(g));
}

void TestGuasti::oltre32767Campi() {
    // The "Overflow" message of the run is out of reach through ODBC.
    QSKIP("Nessun driver ODBC può descrivere più di 32767 colonne: SQLNumResultCols le conta in "
          "un SQLSMALLINT. PostgreSQL rifiuta già oltre 1664 voci nella SELECT, SQLite oltre "
          "2000 (al più 32767 anche ricompilato).");
}

void TestGuasti::istruzioneDiUnMegabyte_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("campo"); // empty: the statement fails
    QTest::addColumn<QString>("valore");
    QString commento = QStringLiteral("/*");
    while (commento.size() < 1024 * 1024) {
        commento += QStringLiteral("\n") + QString(99, u'x');
    }
    commento += QStringLiteral(" */");
    QTest::newRow("commento") << QStringLiteral("SELECT 1 AS uno\n") + commento
                              << QStringLiteral("uno NUM  10,0") << QStringLiteral("1|");
    // The message box shows the whole statement.
    QTest::newRow("commento, errore")
        << QStringLiteral("SELECT * FROM tabella_che_non_esiste\n") + commento << QString()
        << QString();
    // One line with blanks, which the box wraps at word boundaries. (A
    // megabyte without a break opportunity, such as "1,2,3...", takes Qt
    // minutes to lay out.)
    QStringList elenco;
    for (int i = 0; i < 150000; ++i) {
        elenco << QString::number(i);
    }
    QTest::newRow("elenco IN")
        << QStringLiteral(
               "SELECT count(*) AS quanti FROM generate_series(1, 10) AS n WHERE n IN (") +
               elenco.join(QStringLiteral(", ")) + QStringLiteral(")")
        << QStringLiteral("quanti NUM  19,0") << QStringLiteral("10|");
}

void TestGuasti::istruzioneDiUnMegabyte() {
    QFETCH(QString, sql);
    QFETCH(QString, campo);
    QFETCH(QString, valore);
    QVERIFY(sql.size() >= 1024 * 1024);
    FinestraProva p;
    Guida& g = p.apri();
    QElapsedTimer t;
    t.start();
    InserisciPg(g, sql);
    const qint64 inserita = t.restart();
    Messaggi messaggi;
    Elabora(g);
    qInfo("istruzione di %lld caratteri: inserita in %lld ms, elaborata in %lld ms, messaggio "
          "dopo %lld ms",
          qint64(sql.size()), inserita, t.elapsed(), messaggi.dopoMs);
    if (campo.isEmpty()) {
        // The box reads the statement with the window's line ends.
        const QString mostrata = QString(sql).replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        CONTROLLA(ControllaFallimento(
            g, messaggi,
            TestoErrore(Connessione(), mostrata,
                        QStringLiteral("Esecuzione dell'istruzione non riuscita.\n"
                                       "[SQLSTATE 42P01] (1) ERROR: relation "
                                       "\"tabella_che_non_esiste\" does not exist;\n"
                                       "Error while executing the query"))));
        QVERIFY(!messaggi.fuoriSchermo);
        return;
    }
    QCOMPARE(messaggi.aperti, 0);
    CONTROLLA(ControllaRiuscita(g));
    QCOMPARE(Righe(g.lstCAMPI), QStringList{campo});
    QCOMPARE(Righe(g.lstDATI), QStringList{valore});
}

void TestGuasti::valoreDiUnMegabyte() {
    FinestraProva p;
    Guida& g = p.apri();
    // 131072 pieces of 8 characters, one of them outside Latin-1.
    InserisciPg(g, QStringLiteral("SELECT string_agg(lpad(n::text, 7, '0') || 'è', '' ORDER BY n) "
                                  "AS v, 'fine' AS dopo FROM generate_series(1, 131072) AS n"));
    QString atteso;
    atteso.reserve(1024 * 1024);
    for (int n = 1; n <= 131072; ++n) {
        atteso += QStringLiteral("%1è").arg(n, 7, 10, QLatin1Char('0'));
    }
    QCOMPARE(atteso.size(), 1024 * 1024);
    Elabora(g);
    CONTROLLA(ControllaRiuscita(g));
    QCOMPARE(g.lstCAMPI.List(0), QStringLiteral("v ALF 1048576 "));
    QCOMPARE(g.sDATI.Cella(0, 0), atteso);
    QCOMPARE(g.sDATI.Cella(0, 1), QStringLiteral("fine"));
    QCOMPARE(g.lstDATI.List(0), atteso + QStringLiteral("|fine|"));
    g.lstDATI.setListIndex(0);
    QCOMPARE(Righe(g.lstCAMPI),
             QStringList({QStringLiteral("v = ") + atteso, QStringLiteral("dopo = fine")}));
}

void TestGuasti::pianiUnicode() {
    // Two characters from each plane PostgreSQL's UTF8 takes: 0, 1, 2, 3,
    // 14, 15 and 16.
    const QList<char32_t> punti = {0x00E8,  0x20AC,  0x1F600, 0x1D11E, 0x20000, 0x2A6D6,  0x30000,
                                   0x3134A, 0xE0001, 0xE0100, 0xF0000, 0xFFFFD, 0x100000, 0x10FFFD};
    const QString testo = QString::fromUcs4(punti.constData(), punti.size());
    const QString utf8Esadecimale = QString::fromLatin1(testo.toUtf8().toHex());
    QCOMPARE(testo.size(), 2 + 12 * 2);

    auto c = zeltest::Connetti(zeltest::StringaPostgres());
    zeltest::Esegui(c,
                    {"DELETE FROM zel_unicode",
                     QStringLiteral("INSERT INTO zel_unicode VALUES (1, '%1', '%1')").arg(testo)});
    // Stored as the very code points, not as replacements.
    ado::Recordset rs;
    rs.ActiveConnection = c;
    rs.Source = QStringLiteral("SELECT encode(convert_to(breve, 'UTF8'), 'hex'), "
                               "encode(convert_to(lungo, 'UTF8'), 'hex') FROM zel_unicode");
    rs.Open();
    QCOMPARE(rs.Fields().Item(0).Value().ToString(), utf8Esadecimale);
    QCOMPARE(rs.Fields().Item(1).Value().ToString(), utf8Esadecimale);

    FinestraProva p;
    Guida& g = p.apri();
    // VARCHAR alone is read in bound blocks; with TEXT, cell by cell.
    for (const char* sql :
         {"SELECT breve FROM zel_unicode", "SELECT n, breve, lungo FROM zel_unicode"}) {
        InserisciPg(g, QString::fromLatin1(sql));
        Elabora(g);
        CONTROLLA(ControllaRiuscita(g));
        const bool tutti = g.nCAMPI == 3;
        QCOMPARE(g.lstDATI.List(0),
                 tutti ? QStringLiteral("1|") + testo + u'|' + testo + u'|' : testo + u'|');
        g.lstDATI.setListIndex(0);
        const QStringList campi =
            tutti ? QStringList{QStringLiteral("n = 1"), QStringLiteral("breve = ") + testo,
                                QStringLiteral("lungo = ") + testo}
                  : QStringList{QStringLiteral("breve = ") + testo};
        QCOMPARE(Righe(g.lstCAMPI), campi);
    }
}

void TestGuasti::accessiRifiutati_data() {
    QTest::addColumn<QString>("dsn");
    QTest::addColumn<QString>("utente");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("errore");
    const QString rifiuto = QStringLiteral("Connessione alla sorgente dati non riuscita.\n"
                                           "[SQLSTATE 08001] (101) connection to server at "
                                           "\"127.0.0.1\", port %1 failed: FATAL:  ")
                                .arg(qEnvironmentVariable("ZEL_PG_PORT"));
    QTest::newRow("password errata")
        << DsnPg << UtentePg() << QStringLiteral("SBAGLIATA")
        << rifiuto +
               QStringLiteral("password authentication failed for user \"%1\"").arg(UtentePg());
    // A role that exists, with its own password, but may not log in.
    QTest::newRow("utente bloccato")
        << DsnPg << QStringLiteral("zelblocco") << QStringLiteral("zelblocco")
        << rifiuto + QStringLiteral("role \"zelblocco\" is not permitted to log in");
    const QString libreria = zeltest::PreparaOdbc() + QStringLiteral("/libzelmancante.so");
    QTest::newRow("driver mancante")
        << QStringLiteral("ZELTEST_SENZA_DRIVER") << UtentePg() << PasswordPg()
        << QStringLiteral("Il driver ODBC '%1' non è installato su questo computer.\n"
                          "[SQLSTATE 01000] (0) [unixODBC][Driver Manager]Can't open lib '%1' : "
                          "file not found")
               .arg(libreria);
}

void TestGuasti::accessiRifiutati() {
    QFETCH(QString, dsn);
    QFETCH(QString, utente);
    QFETCH(QString, password);
    QFETCH(QString, errore);
    FinestraProva p;
    Guida& g = p.apri();
    const QString sql = QStringLiteral("SELECT 1");
    InserisciPg(g, sql, dsn, utente, password);
    Messaggi messaggi;
    Elabora(g);
    CONTROLLA(ControllaFallimento(g, messaggi,
                                  TestoErrore(Connessione(dsn, utente, password), sql, errore)));
    CONTROLLA(ControllaRipresa(g));
}

void TestGuasti::chiusura_data() {
    QTest::addColumn<QString>("dsn");
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("fase");
    QTest::addColumn<int>("ritardo");
    QTest::addColumn<int>("attesaMassima"); // ms from the close to the window gone
    const QString molte = QStringLiteral("SELECT n, 'riga ' || n AS t FROM "
                                         "generate_series(1, 300000) AS n");
    // No driver call can be interrupted while it connects: the close waits
    // for the connection time-out (15 s).
    QTest::newRow("connessione") << DsnMuto << QStringLiteral("SELECT 1")
                                 << QStringLiteral("Apertura Connessione") << 300 << 17000;
    QTest::newRow("esecuzione") << DsnPg << QStringLiteral("SELECT pg_sleep(30)")
                                << QStringLiteral("Apertura File") << 500 << 2000;
    // Listing the fields takes less than a yield of the window: the phase is
    // told by the fields counted and not all listed (an empty `fase`).
    QTest::newRow("campi") << DsnPg << MoltiCampi(1600) << QString() << 0 << 2000;
    QTest::newRow("conteggio") << DsnPg << molte << QStringLiteral("Conteggio Records ") << 0
                               << 2000;
    QTest::newRow("caricamento") << DsnPg << molte << QStringLiteral("Caricamento Record ") << 0
                                 << 2000;
}

void TestGuasti::chiusura() {
    QFETCH(QString, dsn);
    QFETCH(QString, sql);
    QFETCH(QString, fase);
    QFETCH(int, ritardo);
    QFETCH(int, attesaMassima);
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPg(g, sql, dsn);
    QElapsedTimer dallaChiusura;
    QString statoAllaChiusura;
    const bool esecuzione = QTest::currentDataTag() == QLatin1String("esecuzione");
    int attivePrima = -1;
    const auto inFase = [&g, fase] {
        return fase.isEmpty() ? g.nCAMPI > 0 && g.lstCAMPI.ListCount() < g.nCAMPI
                              : g.txtSTATUS.Text().startsWith(fase);
    };
    Quando(
        g, inFase,
        [&] {
            statoAllaChiusura = fase.isEmpty() ? QStringLiteral("campi elencati %1 di %2")
                                                     .arg(g.lstCAMPI.ListCount())
                                                     .arg(g.nCAMPI)
                                               : g.txtSTATUS.Text();
            if (esecuzione) {
                attivePrima = Attive(sql);
            }
            dallaChiusura.start();
            g.close();
        },
        ritardo);
    Messaggi messaggi;
    Elabora(g);
    const qint64 ms = dallaChiusura.isValid() ? dallaChiusura.elapsed() : -1;
    qInfo("chiusura in fase \"%s\": finestra chiusa dopo %lld ms", qPrintable(statoAllaChiusura),
          ms);
    QVERIFY(dallaChiusura.isValid());
    if (fase.isEmpty()) {
        QVERIFY(g.lstCAMPI.ListCount() < g.nCAMPI);
    }
    QVERIFY(!g.isVisible());
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    QVERIFY(ms <= attesaMassima);
    CONTROLLA(ControllaRiposo(g));
    QTest::qWait(300);
    QCOMPARE(messaggi.aperti, 0);

    // The statement the close interrupted no longer runs on the server.
    if (esecuzione) {
        QCOMPARE(attivePrima, 1);
        QCOMPARE(Attive(sql), 0);
    }
}

// With the connection time-out "0" psqlODBC waits for a silent server for
// ever, and no driver call interrupts a connection under way: the window
// goes at once all the same. The server drops the connection two seconds after the
// close, so that the run ends either way.
void TestGuasti::chiusuraSenzaTempoMassimo() {
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPg(g, QStringLiteral("SELECT 1"), DsnMuto);
    g.cmbConnectionTimeout.setText(QStringLiteral("0"));
    bool visibileDopo = false;
    AllaFase(
        g, QStringLiteral("Apertura Connessione"),
        [&] {
            g.close();
            QTimer::singleShot(2000, &g, [&] {
                visibileDopo = g.isVisible();
                muto_->Lascia();
            });
        },
        300);
    Messaggi messaggi;
    Elabora(g);
    QVERIFY(!g.isVisible());
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    CONTROLLA(ControllaRiposo(g));
    QTest::qWait(300);
    QCOMPARE(messaggi.aperti, 0);
    QVERIFY(!visibileDopo);
}

// A close that arrives while the failure's message box is up: the box stays
// until it is dismissed, then the window closes and the connection is
// released; no second box follows.
void TestGuasti::chiusuraConMessaggioAperto() {
    FinestraProva p;
    Guida& g = p.apri();
    const QString sql = QStringLiteral("SELECT * FROM tabella_che_non_esiste");
    InserisciPg(g, sql);
    int aperti = 0;
    bool visibileConIlMessaggio = false;
    QString prompt;
    QTimer sorveglia;
    sorveglia.setInterval(10);
    connect(&sorveglia, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || box->property("chiusa").toBool()) {
            return;
        }
        ++aperti;
        prompt = box->property("prompt").toString();
        g.close();
        visibileConIlMessaggio = g.isVisible() && box->isVisible();
        box->setProperty("chiusa", true);
        QTimer::singleShot(200, box, [box] { box->accept(); });
    });
    sorveglia.start();
    Elabora(g);
    QTest::qWait(300);
    QCOMPARE(aperti, 1);
    QVERIFY(prompt.startsWith(TestoErrore(Connessione(), sql, QString())));
    QVERIFY(visibileConIlMessaggio);
    QVERIFY(!g.isVisible());
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    CONTROLLA(ControllaRiposo(g));
}

QTEST_MAIN(TestGuasti)
#include "test_guasti.moc"
