// The client-side cursor on both real drivers: reading, re-executing,
// statements without rows, misuse, memory and cancelling.
#include "odbc/righe.h"
#include "support/due_driver.h"
#include "support/odbc_privato.h"

#include <QElapsedTimer>
#include <QTest>
#include <thread>

using zeltest::Esegui;

namespace {

// The description of the Errore that `azione` throws, or "" when none is thrown.
template <class Azione> QString Errore(Azione azione) {
    try {
        azione();
    } catch (const ado::Errore& e) {
        return e.Description();
    }
    return {};
}

} // namespace

class TestAdoCursore : public QObject {
    Q_OBJECT

    zeltest::DueDriver driver_;

  private slots:
    void initTestCase() { driver_.Connetti(); }

    void risultatoVuoto_data() { zeltest::DueDriver::Righe(); }
    void risultatoVuoto() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "SELECT 1 AS uno, 'x' AS due WHERE 1 = 0";
        rs.Open();
        QVERIFY(rs.IsOpen());
        QVERIFY(rs.Eof());
        QCOMPARE(rs.RecordCount(), 0);
        QCOMPARE(rs.Fields().Count(), 2);
        QCOMPARE(rs.Fields().Item(1).Name(), QString("due"));
        QCOMPARE(Errore([&] { rs.Fields().Item(0).Value(); }),
                 QString("Nessun record corrente: il recordset è alla fine."));
        QCOMPARE(Errore([&] { rs.MoveNext(); }),
                 QString("Non ci sono altri record: il recordset è alla fine."));
    }

    // Close then Open runs the statement again: a row added in between shows.
    void riapertura_data() { zeltest::DueDriver::Righe(); }
    void riapertura() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        Esegui(c, {"DROP TABLE IF EXISTS riapri", "CREATE TABLE riapri (k INTEGER)",
                   "INSERT INTO riapri VALUES (1)"});
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "SELECT k FROM riapri ORDER BY k";
        rs.Open();
        rs.MoveNext();
        QVERIFY(rs.Eof());
        Esegui(c, {"INSERT INTO riapri VALUES (2)"});
        rs.Close();
        QCOMPARE(Errore([&] { rs.Eof(); }), QString("Il recordset è chiuso."));
        rs.Open();
        QCOMPARE(rs.RecordCount(), 2);
        QCOMPARE(rs.Fields().Item(0).Value().ToString(), QString("1"));
        rs.MoveNext();
        QCOMPARE(rs.Fields().Item(0).Value().ToString(), QString("2"));
    }

    // An UPDATE runs once; the recordset then has nothing to read.
    void senzaRisultato_data() { zeltest::DueDriver::Righe(); }
    void senzaRisultato() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        Esegui(c, {"DROP TABLE IF EXISTS aggiorna", "CREATE TABLE aggiorna (n INTEGER)",
                   "INSERT INTO aggiorna VALUES (0)"});
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "UPDATE aggiorna SET n = n + 1";
        rs.Open();
        QVERIFY(!rs.IsOpen());
        const QString chiuso("L'istruzione non ha restituito righe: il recordset è chiuso.");
        QCOMPARE(Errore([&] { rs.Eof(); }), chiuso);
        QCOMPARE(Errore([&] { rs.Fields(); }), chiuso);
        QCOMPARE(Errore([&] { rs.MoveNext(); }), chiuso);

        ado::Recordset n;
        n.ActiveConnection = c;
        n.Source = "SELECT n FROM aggiorna";
        n.Open();
        QCOMPARE(n.Fields().Item(0).Value().ToString(), QString("1"));
        rs.Open(); // not open for reading, so it may run again
        n.Close();
        n.Open();
        QCOMPARE(n.Fields().Item(0).Value().ToString(), QString("2"));
    }

    // More rows than one fetched block, NULLs among them, all in order.
    void molteRighe_data() { zeltest::DueDriver::Righe(); }
    void molteRighe() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        const int n = 2500;
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = driver == u"sqlite"
                        ? QString("WITH RECURSIVE g(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM "
                                  "g WHERE i < %1) SELECT i, 'riga ' || i AS t, CASE WHEN i % "
                                  "7 = 0 THEN NULL ELSE i * 3 END AS m FROM g ORDER BY i")
                              .arg(n)
                        : QString("SELECT i, 'riga ' || i AS t, CASE WHEN i % 7 = 0 THEN NULL "
                                  "ELSE i * 3 END AS m FROM generate_series(1, %1) AS i "
                                  "ORDER BY i")
                              .arg(n);
        rs.Open();
        QCOMPARE(rs.RecordCount(), n);
        for (int i = 1; i <= n; ++i) {
            QVERIFY(!rs.Eof());
            const ado::FieldList f = rs.Fields();
            QCOMPARE(f.Item(0).Value().ToString(), QString::number(i));
            QCOMPARE(f.Item(1).Value().ToString(), "riga " + QString::number(i));
            QCOMPARE(f.Item(2).Value().IsNull(), i % 7 == 0);
            if (i % 7 != 0)
                QCOMPARE(f.Item(2).Value().ToString(), QString::number(i * 3));
            rs.MoveNext();
        }
        QVERIFY(rs.Eof());
    }

    // A counting pass holds the first row and counts the rest, across block
    // boundaries and through columns read a cell at a time (TEXT); then the
    // same recordset reads every row again.
    void soloConteggio_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<int>("righe");
        for (const char* driver : {"sqlite", "postgres"}) {
            for (int n : {0, 1, 1024, 1025, 2500})
                QTest::addRow("%s %d", driver, n) << QString(driver) << n;
        }
    }
    void soloConteggio() {
        QFETCH(int, righe);
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        const QString serie = driver == u"sqlite"
                                  ? "WITH RECURSIVE g(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                    "FROM g WHERE i < 2500) SELECT i FROM g"
                                  : "SELECT i FROM generate_series(1, 2500) AS i";
        Esegui(c, {"DROP TABLE IF EXISTS conta", "CREATE TABLE conta (k INTEGER, t TEXT)",
                   QString("INSERT INTO conta SELECT i, 'riga ' || i FROM (%1) AS s WHERE i <= %2")
                       .arg(serie)
                       .arg(righe)});
        for (const char* colonne : {"k, 'riga ' || k AS v", "k, t AS v"}) {
            ado::Recordset rs;
            rs.ActiveConnection = c;
            rs.Source = QString("SELECT %1 FROM conta ORDER BY k").arg(colonne);
            rs.SoloConteggio = true;
            rs.Open();
            QCOMPARE(rs.RecordCount(), righe);
            QCOMPARE(rs.Fields().Item(1).Name(), QString("v"));
            if (righe > 0) {
                QCOMPARE(rs.Fields().Item(1).Value().ToString(), QString("riga 1"));
                QCOMPARE(rs.RigheLette()->Conta(), 1);
            }
            int contate = 0;
            for (; !rs.Eof(); rs.MoveNext()) {
                if (contate == 1)
                    QCOMPARE(Errore([&] { rs.Fields().Item(0).Value(); }),
                             QString("Il recordset ha contato questo record senza leggerne i "
                                     "valori."));
                ++contate;
            }
            QCOMPARE(contate, righe);
            QCOMPARE(Errore([&] { rs.Fields().Item(0).Value(); }),
                     QString("Nessun record corrente: il recordset è alla fine."));

            rs.Close();
            rs.SoloConteggio = false;
            rs.Open();
            QCOMPARE(rs.RecordCount(), righe);
            for (int i = 1; i <= righe; ++i, rs.MoveNext())
                QCOMPARE(rs.Fields().Item(1).Value().ToString(), "riga " + QString::number(i));
            QVERIFY(rs.Eof());
        }
    }

    // Rows of short fields take well under twice their UTF-16 text.
    void memoriaCompatta() {
        ado::Recordset rs;
        rs.ActiveConnection = driver_.sqlite;
        rs.Source = "WITH RECURSIVE g(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM g WHERE i < "
                    "50000) SELECT i, i * 2, 'ab', 'riga ' || i, NULL, i % 10, 'x', '', "
                    "'2024-01-01', i FROM g";
        rs.Open();
        qint64 testo = 0;
        // The rows span many storage blocks: every one must read back right.
        for (int riga = 1; !rs.Eof(); rs.MoveNext(), ++riga) {
            QCOMPARE(rs.Fields().Item(3).Value().ToString(), "riga " + QString::number(riga));
            for (int i = 0; i < rs.Fields().Count(); ++i)
                testo += rs.Fields().Item(i).Value().testo.size() * 2;
        }
        QCOMPARE(rs.RecordCount(), 50000);
        QVERIFY2(
            rs.MemoryBytes() < 2 * testo,
            qPrintable(QString("%1 byte per %2 byte di testo").arg(rs.MemoryBytes()).arg(testo)));
        rs.Close();
        QCOMPARE(rs.MemoryBytes(), 0);
    }

    // The forward-only cursor hands back what the static one does, value by
    // value, holding one block of rows at a time: bound blocks, values longer
    // than their column, cells read one by one, and block edges.
    void avantiSolo_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("righe");
        const QString serie("WITH RECURSIVE g(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM g WHERE "
                            "i < %1) SELECT i, 'riga ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE "
                            "i * 1.5 END, x FROM g, lunghi WHERE lunghi.k = i % 2 AND i <= %1");
        for (const int n : {0, 1024, 1025, 20000})
            QTest::addRow("sqlite %d", n) << "sqlite" << serie.arg(n) << n;
        const QString pg("SELECT i, 'riga ' || i, CASE WHEN i % 3 = 0 THEN NULL ELSE i * 1.5 "
                         "END, %1 FROM generate_series(1, %2) AS i");
        QTest::addRow("postgres bloccato")
            << "postgres" << pg.arg("'x'::varchar(4)", "20000") << 20000;
        QTest::addRow("postgres per cella")
            << "postgres" << pg.arg("repeat('y', i % 50)", "3000") << 3000;
    }
    void avantiSolo() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        QFETCH(QString, sql);
        QFETCH(int, righe);
        if (driver == "sqlite")
            // A column announced 4 wide whose values are longer in one row of two.
            Esegui(c,
                   {"DROP TABLE IF EXISTS lunghi", "CREATE TABLE lunghi (k INTEGER, x VARCHAR(4))",
                    "INSERT INTO lunghi VALUES (0, 'corto'), (1, '" + QString(9000, 'z') + "')"});
        ado::Recordset statico, avanti;
        for (ado::Recordset* rs : {&statico, &avanti}) {
            rs->ActiveConnection = c;
            rs->Source = sql;
        }
        avanti.CursorType = ado::adOpenForwardOnly;
        statico.Open();
        avanti.Open();
        qint64 massimo = 0;
        for (int r = 0; !statico.Eof(); ++r, statico.MoveNext(), avanti.MoveNext()) {
            QVERIFY2(!avanti.Eof(), qPrintable(QString::number(r)));
            for (int i = 0; i < 4; ++i) {
                const ado::Valore a = avanti.Fields().Item(i).Value();
                const ado::Valore b = statico.Fields().Item(i).Value();
                if (a.nullo != b.nullo || a.testo != b.testo)
                    QFAIL(qPrintable(
                        QString("riga %1 campo %2: %3").arg(r).arg(i).arg(a.ToString())));
            }
            massimo = std::max(massimo, avanti.MemoryBytes());
        }
        QVERIFY(avanti.Eof());
        QCOMPARE(avanti.RecordCount(), righe);
        if (righe >= 20000)
            QVERIFY2(
                massimo * 4 < statico.MemoryBytes(),
                qPrintable(QString("%1 byte contro %2").arg(massimo).arg(statico.MemoryBytes())));
    }

    void campoFuoriIntervallo() {
        ado::Recordset rs;
        rs.ActiveConnection = driver_.sqlite;
        rs.Source = "SELECT 1 AS a, 2 AS b";
        rs.Open();
        const QString fuori("Il campo %1 non esiste: il risultato ha 2 campi (da 0 a 1).");
        QCOMPARE(Errore([&] { rs.Fields().Item(2); }), fuori.arg(2));
        QCOMPARE(Errore([&] { rs.Fields().Item(-1); }), fuori.arg(-1));
        QCOMPARE(rs.Fields().Item(1).Value().ToString(), QString("2"));
    }

    // Cancel from another thread stops a running statement; the connection
    // stays usable, and a Cancel with nothing running is forgotten.
    void annullamento() {
        ZEL_RICHIEDI_POSTGRES();
        ado::Recordset rs;
        rs.ActiveConnection = driver_.pg;
        rs.Source = "SELECT pg_sleep(20)";
        QElapsedTimer tempo;
        tempo.start();
        std::thread annulla([c = driver_.pg] {
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
            c->Cancel();
        });
        const QString errore = Errore([&] { rs.Open(); });
        annulla.join();
        QVERIFY2(errore.startsWith("Istruzione annullata.\n[SQLSTATE 57014]"), qPrintable(errore));
        QVERIFY2(tempo.elapsed() < 5000, qPrintable(QString::number(tempo.elapsed())));
        QVERIFY(!rs.IsOpen());

        driver_.pg->Cancel();
        rs.Source = "SELECT 7";
        rs.Open();
        QCOMPARE(rs.Fields().Item(0).Value().ToString(), QString("7"));
    }
};

QTEST_GUILESS_MAIN(TestAdoCursore)
#include "test_ado_cursore.moc"
