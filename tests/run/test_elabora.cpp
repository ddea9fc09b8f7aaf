// Runs end to end through the window, against real data sources: the
// SQLite3 driver on a private database, and PostgreSQL when scripts/test has
// started one.
#include "support/corsa_prova.h"
#include "support/odbc_privato.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>

namespace {

const QString Dsn = QStringLiteral("ZELTEST_SQLITE");

// The status box's tooltip matches `modello`, where "#" stands for a whole
// number of milliseconds or rows per second.
void ControllaTempi(Guida& g, const QString& modello) {
    const QString testo = g.txtSTATUS.ToolTipText();
    QString re = QRegularExpression::escape(modello);
    re.replace(QStringLiteral("\\#"), QStringLiteral("\\d+"));
    QVERIFY2(
        QRegularExpression(QStringLiteral("^") + re + QStringLiteral("$")).match(testo).hasMatch(),
        qPrintable(testo));
}

// Milliseconds of a phase in the tooltip, -1 when it is not there.
qint64 Millisecondi(Guida& g, const QString& fase) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^%1: (\\d+) ms").arg(fase),
                                                         QRegularExpression::MultilineOption)
                                          .match(g.txtSTATUS.ToolTipText());
    return m.hasMatch() ? m.captured(1).toLongLong() : -1;
}

// AddressSanitizer replaces the C library's allocator.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool SottoAsan = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool SottoAsan = true;
#else
constexpr bool SottoAsan = false;
#endif
#else
constexpr bool SottoAsan = false;
#endif

// The process's resident memory, in MB.
qint64 Residente() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("VmRSS:\\s+(\\d+) kB"))
                                          .match(QString::fromLatin1(f.readAll()));
    return m.hasMatch() ? m.captured(1).toLongLong() / 1024 : -1;
}

} // namespace

class TestElabora : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void conRighe();
    void elencoNascosto();
    void elencoDellaCorsaPrecedente();
    void arresto();
    void arrestoPrimaDelConteggio();
    void paginazioneDuranteLaCorsa();
    void campiObbligatori();
    void fallimenti();
    void fallimentiPostgres();
    void doppiaEsecuzionePostgres();
    void valoriLunghi_data();
    void valoriLunghi();
    void valoriOltreLaDimensioneSqlite();
    void nulliERisultatoVuoto();
    void righeOltre32767();
    void memoriaRestituita();
    void chiusuraDuranteLaCorsa();
};

void TestElabora::initTestCase() {
    zeltest::PreparaOdbc();
    auto c = zeltest::Connetti(zeltest::StringaSqlite());
    QStringList sql = {
        "CREATE TABLE clienti (codice INTEGER, nome VARCHAR(20), citta CHAR(10), fido REAL)",
        "INSERT INTO clienti VALUES (1, 'ROSSI', 'MILANO    ', 1500.5)",
        "INSERT INTO clienti VALUES (2, 'BIANCHI|VERDI', 'ROMA      ', 0)",
        "INSERT INTO clienti VALUES (3, '', 'TORINO    ', 12.25)",
        "CREATE TABLE grande (n INTEGER, t VARCHAR(10))",
        "CREATE TABLE conta (n INTEGER)",
        "INSERT INTO conta VALUES (0)",
        "CREATE TABLE nulli (a VARCHAR(5), b INTEGER)",
        "INSERT INTO nulli VALUES (NULL, 1)",
        "INSERT INTO nulli VALUES ('x', NULL)",
        "CREATE TABLE vuota (a VARCHAR(5), b INTEGER)",
        "CREATE TABLE oltre (a VARCHAR(5), b INTEGER)",
        "INSERT INTO oltre VALUES ('corto', 1)",
        "INSERT INTO oltre VALUES (printf('%.100000c', 'x') || 'è', 2)",
    };
    zeltest::Esegui(c, sql);
    zeltest::Esegui(c, {"WITH RECURSIVE s(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM s WHERE n "
                        "< 300000) INSERT INTO grande SELECT n, 'riga ' || n FROM s"});
}

void TestElabora::conRighe() {
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, Dsn,
              QStringLiteral("  SELECT codice, nome, citta FROM clienti ORDER BY codice  "));
    QVERIFY(g.txtSTATUS.ToolTipText().isEmpty());
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    ControllaTempi(g, "Istruzione: # ms\nConteggio: # ms\nCaricamento: # ms\nRighe: 3 (#/s)");
    QVERIFY(g.frmELABORAZIONE.widget()->isVisible());
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"codice NUM  10,0", "nome ALF 5 ", "citta ALF 10 "}));
    QCOMPARE(g.lblCAMPI.Caption(), QStringLiteral("Campi (3)"));
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati (3 records)"));
    // The view has every row as the run ends, not a batch later.
    QCOMPARE(g.lstDATI.modello().rowCount(), 3);
    QCOMPARE(Righe(g.lstDATI),
             QStringList({"1|ROSSI|MILANO    |", "2|BIANCHI|VERDI|ROMA      |", "3||TORINO    |"}));
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    ControllaRiposo(g);
    QCOMPARE(g.nCAMPI, qint16(3));

    // Selecting a row shows it field by field; a value holding "|" whole.
    g.lstDATI.setListIndex(1);
    QCOMPARE(Righe(g.lstCAMPI),
             QStringList({"codice = 2", "nome = BIANCHI|VERDI", "citta = ROMA      "}));
    g.lstDATI.setListIndex(2);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"codice = 3", "nome = ", "citta = TORINO    "}));
    QCOMPARE(g.lblCAMPI.Caption(), QStringLiteral("Campi (3)"));

    // Hiding and showing the list keeps its rows and what they show.
    g.chkLIST.setValue(0);
    QVERIFY(!g.lstDATI.Visible());
    g.chkLIST.setValue(1);
    g.lstDATI.setListIndex(0);
    QCOMPARE(Righe(g.lstCAMPI).value(1), QStringLiteral("nome = ROSSI"));

    // The settings were stored, trimmed, before the run.
    QVERIFY(p.byteIni().contains("Statement=SELECT codice, nome, citta FROM clienti ORDER BY "
                                 "codice\r\n"));
}

void TestElabora::elencoNascosto() {
    FinestraProva p;
    Guida& g = p.apri();
    g.chkLIST.setValue(0);
    g.lblDATI.setCaption(QStringLiteral("prima"));
    Inserisci(g, Dsn, QStringLiteral("SELECT codice, nome FROM clienti"));
    Elabora(g);
    QVERIFY(g.txtSTATUS.Text().endsWith(QStringLiteral(" sec - PAG.= sec)")));
    QVERIFY(RigaFinale.match(g.txtSTATUS.Text()).hasMatch());
    ControllaTempi(g,
                   "Istruzione: # ms\nConteggio: # ms\nCaricamento: non eseguito\nRighe: 3 (#/s)");
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("prima"));
    QCOMPARE(g.lstDATI.ListCount(), 0);
    QCOMPARE(g.lstCAMPI.ListCount(), 2);
    QVERIFY(g.cnAS400 && g.cnAS400->IsOpen());
    QVERIFY(g.rsAS400 && g.rsAS400->IsOpen());
    QCOMPARE(g.nRECORD, 3.0);

    // The next run replaces them; checking the box afterwards shows an
    // empty list.
    g.chkLIST.setValue(1);
    QCOMPARE(g.lstDATI.ListCount(), 0);
    Elabora(g);
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    QCOMPARE(g.lstDATI.ListCount(), 3);
}

void TestElabora::elencoDellaCorsaPrecedente() {
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, Dsn, QStringLiteral("SELECT codice, nome FROM clienti ORDER BY codice"));
    Elabora(g);
    QCOMPARE(Righe(g.lstDATI), QStringList({"1|ROSSI|", "2|BIANCHI|VERDI|", "3||"}));

    // A run that loads nothing empties the list for good: the rows the
    // previous run stored do not come back, in the list or in its view.
    g.chkLIST.setValue(0);
    Inserisci(g, Dsn, QStringLiteral("SELECT n FROM grande WHERE n <= 5"));
    Elabora(g);
    g.chkLIST.setValue(1);
    QTest::qWait(100);
    QCOMPARE(g.lstDATI.ListCount(), 0);
    QCOMPARE(g.lstDATI.vista()->model()->rowCount(), 0);

    // The next loading run shows its own rows only.
    Inserisci(g, Dsn, QStringLiteral("SELECT t FROM grande WHERE n <= 2 ORDER BY n"));
    Elabora(g);
    QCOMPARE(Righe(g.lstDATI), QStringList({"riga 1|", "riga 2|"}));
    QTRY_COMPARE(g.lstDATI.vista()->model()->rowCount(), 2);
    g.lstDATI.setListIndex(1);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"t = riga 2"}));
}

void TestElabora::arresto() {
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, Dsn, QStringLiteral("SELECT n, t FROM grande"));

    // "arresta" pressed while the rows are counted.
    AllaFase(g, QStringLiteral("Conteggio Records "), [&g] { ClickVero(g.cmdSTOP.widget()); });
    Elabora(g);
    QVERIFY(g.txtSTATUS.Text().startsWith(QStringLiteral("Conteggio Records ")));
    QVERIFY(g.nRECORD > 0 && g.nRECORD < 300000);
    QCOMPARE(g.txtSTATUS.Text(),
             QStringLiteral("Conteggio Records ") + QString::number(qint64(g.nRECORD)));
    ControllaTempi(g, "Elaborazione interrotta\nIstruzione: # ms\nConteggio: # ms (fino "
                      "all'arresto)\nRighe: " +
                          QString::number(qint64(g.nRECORD)) + " (#/s)");
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    QVERIFY(g.bSTOP);
    QCOMPARE(g.lstDATI.ListCount(), 0);
    ControllaRiposo(g);

    // ...and while they are loaded. The flag left by the previous stop is
    // cleared by the request.
    AllaFase(g, QStringLiteral("Caricamento Record "), [&g] { ClickVero(g.cmdSTOP.widget()); });
    Elabora(g);
    const QString stato = g.txtSTATUS.Text();
    QVERIFY2(stato.startsWith(QStringLiteral("Caricamento Record ")) &&
                 stato.endsWith(QStringLiteral(" di 300000")),
             qPrintable(stato));
    const qsizetype caricate = g.lstDATI.ListCount();
    QVERIFY(caricate > 0 && caricate < 300000);
    QCOMPARE(stato, QStringLiteral("Caricamento Record %1 di 300000").arg(caricate));
    ControllaTempi(g, "Elaborazione interrotta\nIstruzione: # ms\nConteggio: # ms\nCaricamento: # "
                      "ms (fino all'arresto)\nRighe: " +
                          QString::number(caricate) + " (#/s)");
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati")); // unchanged
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    ControllaRiposo(g);
    // Every row in the list has its values already.
    g.lstDATI.setListIndex(caricate - 1);
    QCOMPARE(Righe(g.lstCAMPI).value(0), QStringLiteral("n = %1").arg(caricate));
}

void TestElabora::arrestoPrimaDelConteggio() {
    FinestraProva p;
    Guida& g = p.apri();
    // The click returns with the run under way: the window handles the
    // user's events, "arresta" among them, while it connects.
    Inserisci(g, Dsn, QStringLiteral("SELECT n, t FROM grande"));
    g.cmdAPRI.pulsante()->click();
    QVERIFY(g.InElaborazione());
    QCOMPARE(g.txtSTATUS.Text(), QStringLiteral("Apertura Connessione"));
    ClickVero(g.cmdSTOP.widget());
    QTRY_VERIFY_WITH_TIMEOUT(!g.InElaborazione(), 60000);
    // Not seen while the fields are listed: the run stops at the first
    // counted row, before counting it.
    QCOMPARE(g.txtSTATUS.Text(), QStringLiteral("Caricamento Definizione Campi - t"));
    QCOMPARE(g.lstCAMPI.ListCount(), 2);
    QCOMPARE(g.lblCAMPI.Caption(), QStringLiteral("Campi (2)"));
    QCOMPARE(g.nRECORD, 0.0);
    QVERIFY(!g.cnAS400 && !g.rsAS400);
    ControllaRiposo(g);

    // A result without rows never looks at the flag: it ends normally.
    Inserisci(g, Dsn, QStringLiteral("SELECT a, b FROM vuota"));
    g.cmdAPRI.pulsante()->click();
    ClickVero(g.cmdSTOP.widget());
    QTRY_VERIFY_WITH_TIMEOUT(!g.InElaborazione(), 60000);
    QVERIFY(g.bSTOP);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati (0 records)"));
    ControllaRiposo(g);
}

void TestElabora::paginazioneDuranteLaCorsa() {
    FinestraProva p;
    Guida& g = p.apri();
    // Enough rows for loading to last many passes of the event loop. The
    // box is clicked once the fields are listed: the run handles the
    // window's events before it counts, and a fast machine counts these
    // rows in one slice, too quick for a click made while counting.
    Inserisci(g, Dsn, QStringLiteral("SELECT n, t FROM grande"));
    const QString campi = QStringLiteral("Caricamento Definizione Campi");
    // Unchecked before the count ends: nothing is loaded.
    AllaFase(g, campi, [&g] { ClickVero(g.chkLIST.widget()); });
    Elabora(g);
    QCOMPARE(g.chkLIST.Value(), 0);
    QVERIFY(g.txtSTATUS.Text().endsWith(QStringLiteral("PAG.= sec)")));
    QCOMPARE(g.lstDATI.ListCount(), 0);
    QVERIFY(g.cnAS400);

    // Checked before the count ends: loaded. Unchecked while loading: the
    // loading goes on.
    AllaFase(g, campi, [&g] { ClickVero(g.chkLIST.widget()); });
    AllaFase(g, QStringLiteral("Caricamento Record "), [&g] { ClickVero(g.chkLIST.widget()); });
    Elabora(g);
    QCOMPARE(g.chkLIST.Value(), 0);
    QCOMPARE(g.lstDATI.ListCount(), 300000);
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati (300000 records)"));
    QVERIFY(RigaFinale.match(g.txtSTATUS.Text()).hasMatch());
}

void TestElabora::campiObbligatori() {
    const quint32 giallo = 65535;
    const auto colore = [](TextBox& t) {
        const QColor c = t.widget()->palette().color(QPalette::Base);
        return static_cast<quint32>(c.red() | (c.green() << 8) | (c.blue() << 16));
    };
    FinestraProva p;
    {
        Guida& g = p.apri();
        // Every field empty in mode ODBC.
        g.txtSISTEMA.setText(QString());
        const QColor sistemaPrima = g.txtSISTEMA.widget()->palette().color(QPalette::Base);
        auto m = AspettaMessaggio();
        Elabora(g);
        QVERIFY(m->letto);
        QCOMPARE(m->prompt, QStringLiteral("Odbc obbligatorio\r\nStatement SQL obbligatorio\r\n"
                                           "Utente obbligatorio\r\nPassword obbligatoria\r\n"));
        QCOMPARE(m->titolo, QStringLiteral("Attenzione"));
        QCOMPARE(m->icona, 3); // critical
        for (TextBox* t : {&g.txtODBC, &g.txtSQL, &g.txtAS400UTENTE, &g.txtAS400PASSWORD}) {
            QCOMPARE(colore(*t), giallo);
        }
        QCOMPARE(g.txtSISTEMA.widget()->palette().color(QPalette::Base), sistemaPrima);
        QVERIFY(!g.frmELABORAZIONE.widget()->isVisible());
        ControllaRiposo(g);
        QVERIFY(p.byteIni().contains("ODBC=\r\n"));
        QVERIFY(p.byteIni().contains("Modalit\xE0=ODBC\r\n"));
        QVERIFY(p.byteIni().contains("CommandTimeout=30\r\n"));

        // OLEDB with only the system missing; blanks count as empty and are
        // stored as empty; a lone tab is filled.
        g.cmbMODO.setText(QStringLiteral("OLEDB"));
        g.txtSISTEMA.setText(QStringLiteral("   "));
        g.txtSQL.setText(QStringLiteral(" SELECT 1 "));
        g.txtAS400UTENTE.setText(QStringLiteral("\t"));
        g.txtAS400PASSWORD.setText(QStringLiteral("PW"));
        g.txtODBC.setText(QString());
        m = AspettaMessaggio();
        Elabora(g);
        QCOMPARE(m->prompt, QStringLiteral("Sistema obbligatorio\r\n"));
        QCOMPARE(colore(g.txtSISTEMA), giallo);
        QCOMPARE(colore(g.txtSQL), 16777215u);
        QCOMPARE(colore(g.txtAS400UTENTE), 16777215u);
        QCOMPARE(colore(g.txtODBC), giallo); // left alone from before
        QVERIFY(p.byteIni().contains("Sistema=\r\n"));
        QVERIFY(p.byteIni().contains("Statement=SELECT 1\r\n"));
        QCOMPARE(g.txtSQL.Text(), QStringLiteral(" SELECT 1 ")); // the field keeps its blanks
    }
    // The refused inputs come back at the next start.
    p.g.reset();
    Guida& h = p.apri();
    QCOMPARE(h.cmbMODO.Text(), QStringLiteral("OLEDB"));
    QCOMPARE(h.txtSQL.Text(), QStringLiteral("SELECT 1"));

    // A mode that is neither word: the run starts, with an empty connection
    // string.
    h.cmbMODO.setText(QStringLiteral("odbc"));
    h.txtAS400UTENTE.setText(QStringLiteral("U"));
    auto m = AspettaMessaggio();
    Elabora(h);
    QVERIFY(m->prompt.startsWith(TestoErrore(QString(), QStringLiteral("SELECT 1"))));
    QVERIFY(!h.frmELABORAZIONE.widget()->isVisible());
    ControllaRiposo(h);
}

void TestElabora::fallimenti() {
    FinestraProva p;
    Guida& g = p.apri();

    // An unknown data source.
    Inserisci(g, QStringLiteral("NONESISTE"), QStringLiteral("SELECT 1"), "U", "P");
    auto m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->letto);
    QVERIFY2(m->prompt.startsWith(
                 TestoErrore(QStringLiteral("DSN=NONESISTE;;User ID=U;;Password=P"), "SELECT 1")),
             qPrintable(m->prompt));
    QVERIFY(m->prompt.contains(QStringLiteral("IM002")));
    QCOMPARE(m->titolo, QStringLiteral("Attenzione"));
    QVERIFY(!g.frmELABORAZIONE.widget()->isVisible());
    QCOMPARE(g.txtSTATUS.Text(), QStringLiteral("Apertura Connessione"));
    QCOMPARE(g.txtSTATUS.ToolTipText(), QStringLiteral("Elaborazione non riuscita"));
    ControllaRiposo(g);

    // A statement with a syntax error: the status stays at its last text.
    Inserisci(g, Dsn, QStringLiteral("SELEC * FROM clienti"), "U", "P");
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->prompt.startsWith(TestoErrore(
        QStringLiteral("DSN=ZELTEST_SQLITE;;User ID=U;;Password=P"), "SELEC * FROM clienti")));
    QCOMPARE(g.txtSTATUS.Text(), QStringLiteral("Apertura File"));
    ControllaTempi(g, "Elaborazione non riuscita\nIstruzione: # ms (fino all'errore)");
    QVERIFY(g.cnAS400 && g.rsAS400); // left as they were

    // A time-out that is not a number.
    Inserisci(g, Dsn, QStringLiteral("SELECT 1"), "U", "P");
    g.cmbConnectionTimeout.setText(QStringLiteral("abc"));
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->prompt.endsWith(QStringLiteral("Errore: Tipo non corrispondente")));
    g.cmbConnectionTimeout.setText(QStringLiteral("15"));

    // A statement without a result set: executed once, then the message.
    Inserisci(g, Dsn, QStringLiteral("UPDATE conta SET n = n + 1"), "U", "P");
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->letto);
    QVERIFY(m->prompt.contains(QStringLiteral("Errore: ")));
    auto c = zeltest::Connetti(zeltest::StringaSqlite());
    ado::Recordset rs;
    rs.ActiveConnection = c;
    rs.Source = QStringLiteral("SELECT n FROM conta");
    rs.Open();
    QCOMPARE(rs.Fields().Item(0).Value().ToString(), QStringLiteral("1"));

    // A data source whose driver is not installed.
    Inserisci(g, QStringLiteral("ZELTEST_SENZA_DRIVER"), QStringLiteral("SELECT 1"), "U", "P");
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->prompt.contains(QStringLiteral("non è installato")));

    // After all that, a run succeeds.
    Inserisci(g, Dsn, QStringLiteral("SELECT codice FROM clienti"), "U", "P");
    Elabora(g);
    QVERIFY(RigaFinale.match(g.txtSTATUS.Text()).hasMatch());
    QVERIFY(g.frmELABORAZIONE.widget()->isVisible());
}

void TestElabora::fallimentiPostgres() {
    ZEL_RICHIEDI_POSTGRES();
    FinestraProva p;
    Guida& g = p.apri();

    InserisciPg(g, QStringLiteral("SELECT 1"), QStringLiteral("ZELTEST_PG"), UtentePg(),
                QStringLiteral("SBAGLIATA"));
    auto m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->prompt.startsWith(
        TestoErrore(QStringLiteral("DSN=ZELTEST_PG;;User ID=%1;;Password=SBAGLIATA")
                        .arg(qEnvironmentVariable("ZEL_PG_USER")),
                    "SELECT 1")));
    QVERIFY2(m->prompt.contains(QStringLiteral("08001")), qPrintable(m->prompt));

    InserisciPg(g, QStringLiteral("SELECT * FROM tabella_che_non_esiste"));
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(m->prompt.contains(QStringLiteral("42P01")));
    QVERIFY(!g.frmELABORAZIONE.widget()->isVisible());

    // A statement that outlasts the command time-out.
    InserisciPg(g, QStringLiteral("SELECT pg_sleep(10)"));
    g.cmbCommandTimeout.setText(QStringLiteral("1"));
    QElapsedTimer t;
    t.start();
    m = AspettaMessaggio();
    Elabora(g);
    QVERIFY(t.elapsed() < 8000);
    QVERIFY2(m->prompt.contains(QStringLiteral("57014")), qPrintable(m->prompt));
    g.cmbCommandTimeout.setText(QStringLiteral("30"));

    InserisciPg(g, QStringLiteral("SELECT 1 AS uno"));
    Elabora(g);
    QVERIFY(RigaFinale.match(g.txtSTATUS.Text()).hasMatch());
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"uno NUM  10,0"}));
}

void TestElabora::doppiaEsecuzionePostgres() {
    ZEL_RICHIEDI_POSTGRES();
    auto c = zeltest::Connetti(zeltest::StringaPostgres());
    zeltest::Esegui(c,
                    {"DROP SEQUENCE IF EXISTS zel_esecuzioni", "CREATE SEQUENCE zel_esecuzioni"});
    FinestraProva p;
    Guida& g = p.apri();
    // Each execution yields one row more than the one before: the second
    // (loading) execution brings 2 rows where 1 was counted.
    InserisciPg(g, QStringLiteral("SELECT n, 'v' || n AS testo FROM generate_series(1, "
                                  "(SELECT nextval('zel_esecuzioni'))::int) AS n"));
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QCOMPARE(Righe(g.lstDATI), QStringList({"1|v1|", "2|v2|"}));
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati (2 records)"));
    g.lstDATI.setListIndex(1);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"n = 2", "testo = v2"}));
}

void TestElabora::valoriLunghi_data() {
    QTest::addColumn<QString>("pezzo");
    QTest::addColumn<int>("volte");
    QTest::addColumn<int>("pausa"); // seconds the statement waits
    QTest::newRow("200000 caratteri") << QStringLiteral("àbc€😀") << 40000 << 2;
    QTest::newRow("10 MB") << QStringLiteral("abcdefghijklmno€") << 655360 << 0;
}

// A statement with a side effect whose value is far longer than psqlODBC
// announces runs twice with the rows list and once without, and shows its
// value whole in the field listing, the list, sDATI and the row inspection.
// The statement's own time is one execution's.
void TestElabora::valoriLunghi() {
    ZEL_RICHIEDI_POSTGRES();
    QFETCH(QString, pezzo);
    QFETCH(int, volte);
    QFETCH(int, pausa);
    auto c = zeltest::Connetti(zeltest::StringaPostgres());
    // Each call takes a number from a sequence, which a cancelled
    // statement does not give back.
    zeltest::Esegui(c,
                    {"CREATE SEQUENCE IF NOT EXISTS zel_chiamate", "SELECT nextval('zel_chiamate')",
                     "CREATE OR REPLACE FUNCTION zel_lungo_lento(pezzo varchar, volte integer, "
                     "pausa integer) RETURNS varchar LANGUAGE plpgsql VOLATILE AS $$ BEGIN "
                     "PERFORM nextval('zel_chiamate'); PERFORM pg_sleep(pausa); "
                     "RETURN repeat(pezzo, volte); END $$"});
    const auto esecuzioni = [&c] {
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = QStringLiteral("SELECT last_value FROM zel_chiamate");
        rs.Open();
        return rs.Fields().Item(0).Value().ToString().toInt();
    };
    const QString atteso = pezzo.repeated(volte);
    FinestraProva p;
    Guida& g = p.apri();
    InserisciPg(g, QStringLiteral("SELECT zel_lungo_lento('%1', %2, %3) AS v, 'fine'::varchar(4) "
                                  "AS dopo")
                       .arg(pezzo)
                       .arg(volte)
                       .arg(pausa));

    int prima = esecuzioni();
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QCOMPARE(esecuzioni(), prima + 2);
    const qint64 istruzione = Millisecondi(g, QStringLiteral("Istruzione"));
    QVERIFY2(istruzione >= pausa * 1000 && (pausa == 0 || istruzione < 2 * pausa * 1000),
             qPrintable(g.txtSTATUS.ToolTipText()));
    QCOMPARE(g.lstCAMPI.List(0), QStringLiteral("v ALF %1 ").arg(atteso.size()));
    QCOMPARE(g.lstDATI.ListCount(), 1);
    QVERIFY(g.sDATI.Cella(0, 0) == atteso);
    QVERIFY(g.lstDATI.List(0) == atteso + QStringLiteral("|fine|"));
    g.lstDATI.setListIndex(0);
    QVERIFY(g.lstCAMPI.List(0) == QStringLiteral("v = ") + atteso);
    QCOMPARE(g.lstCAMPI.List(1), QStringLiteral("dopo = fine"));

    g.chkLIST.setValue(0);
    prima = esecuzioni();
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QCOMPARE(esecuzioni(), prima + 1);
    QCOMPARE(g.lstCAMPI.List(0), QStringLiteral("v ALF %1 ").arg(atteso.size()));
    QCOMPARE(g.rsAS400->RecordCount(), 1);

    // Cut short by the command time-out: executed once, never again.
    if (pausa > 0) {
        InserisciPg(
            g, QStringLiteral("SELECT zel_lungo_lento('%1', %2, 5) AS v").arg(pezzo).arg(volte));
        g.cmbCommandTimeout.setText(QStringLiteral("1"));
        prima = esecuzioni();
        auto m = AspettaMessaggio();
        Elabora(g);
        QVERIFY2(m->prompt.contains(QStringLiteral("57014")), qPrintable(m->prompt));
        QCOMPARE(esecuzioni(), prima + 1);
        ControllaTempi(g, "Elaborazione non riuscita\nIstruzione: # ms (fino all'errore)");
    }
}

// The SQLite3 driver keeps text longer than the declared VARCHAR(5).
void TestElabora::valoriOltreLaDimensioneSqlite() {
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, Dsn, QStringLiteral("SELECT a, b FROM oltre ORDER BY b DESC"));
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    const QString lungo = QString(100000, u'x') + QStringLiteral("è");
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"a ALF 100001 ", "b NUM  10,0"}));
    QCOMPARE(Righe(g.lstDATI), QStringList({lungo + "|2|", "corto|1|"}));
    QCOMPARE(g.sDATI.Cella(0, 0), lungo);
    g.lstDATI.setListIndex(0);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"a = " + lungo, "b = 2"}));
}

void TestElabora::nulliERisultatoVuoto() {
    FinestraProva p;
    Guida& g = p.apri();
    // A NULL is the empty text: no error, length 0 when it is the first value.
    Inserisci(g, Dsn, QStringLiteral("SELECT a, b FROM nulli ORDER BY b DESC"));
    Elabora(g);
    QVERIFY2(RigaFinale.match(g.txtSTATUS.Text()).hasMatch(), qPrintable(g.txtSTATUS.Text()));
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"a ALF 0 ", "b NUM  10,0"}));
    QCOMPARE(Righe(g.lstDATI), QStringList({"|1|", "x||"}));
    g.lstDATI.setListIndex(0);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"a = ", "b = 1"}));

    // A result without rows ends normally.
    Inserisci(g, Dsn, QStringLiteral("SELECT a, b FROM vuota"));
    Elabora(g);
    QVERIFY(RigaFinale.match(g.txtSTATUS.Text()).hasMatch());
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"a ALF 0 ", "b NUM  10,0"}));
    QCOMPARE(g.lblDATI.Caption(), QStringLiteral("Dati (0 records)"));
    QCOMPARE(g.lstDATI.ListCount(), 0);
}

void TestElabora::righeOltre32767() {
    FinestraProva p;
    Guida& g = p.apri();
    Inserisci(g, Dsn, QStringLiteral("SELECT n, t FROM grande WHERE n <= 40000"));
    Elabora(g);
    QCOMPARE(g.lstDATI.ListCount(), 40000);
    g.lstDATI.setListIndex(39999);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"n = 40000", "t = riga 40000"}));
    // Keyboard: one row up.
    g.lstDATI.vista()->setFocus();
    QTest::keyClick(g.lstDATI.vista(), Qt::Key_Up);
    QCOMPARE(Righe(g.lstCAMPI), QStringList({"n = 39999", "t = riga 39999"}));
}

// A count leaves the driver's copy of the rows free: once the run is over
// the window hands it back to the system.
void TestElabora::memoriaRestituita() {
    if (SottoAsan)
        QSKIP("AddressSanitizer keeps freed memory in quarantine: the C library's heap is unused.");
    FinestraProva p;
    Guida& g = p.apri();
    g.chkLIST.setValue(0);
    Inserisci(g, Dsn, QStringLiteral("SELECT n, printf('%.300c', 'x') FROM grande"));
    const qint64 prima = Residente();
    Elabora(g);
    QCOMPARE(g.nRECORD, 300000.0);
    // The driver's copy alone is over 100 MB.
    QTRY_VERIFY2_WITH_TIMEOUT(Residente() < prima + 40,
                              qPrintable(QStringLiteral("%1 MB in più").arg(Residente() - prima)),
                              5000);
}

void TestElabora::chiusuraDuranteLaCorsa() {
    for (const char* fase : {"Conteggio Records ", "Caricamento Record "}) {
        FinestraProva p;
        Guida& g = p.apri();
        Inserisci(g, Dsn, QStringLiteral("SELECT n, t FROM grande"));
        AllaFase(g, QString::fromLatin1(fase), [&g] { g.close(); });
        auto m = AspettaMessaggio(2000);
        Elabora(g);
        QVERIFY(!g.isVisible());
        QVERIFY(!g.cnAS400 && !g.rsAS400);
        QTest::qWait(100);
        QVERIFY(!m->letto);
    }
}

QTEST_MAIN(TestElabora)
#include "test_elabora.moc"
