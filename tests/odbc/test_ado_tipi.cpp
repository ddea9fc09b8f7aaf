// Column metadata and value texts as both real drivers give them.
#include "support/due_driver.h"
#include "support/odbc_privato.h"

#include <QTest>

using zeltest::Esegui;

class TestAdoTipi : public QObject {
    Q_OBJECT

    zeltest::DueDriver driver_;

  private slots:
    void initTestCase() {
        driver_.Connetti();
        Esegui(driver_.sqlite,
               {"DROP TABLE IF EXISTS tipi",
                "CREATE TABLE tipi (i INTEGER, s SMALLINT, b BIGINT, d DECIMAL(11,2), "
                "n NUMERIC(5,0), r REAL, f DOUBLE, v VARCHAR(20), c CHAR(10), dt DATE, "
                "ts TIMESTAMP, bin BLOB, bo BOOLEAN)",
                "INSERT INTO tipi VALUES (42, -7, 9007199254740993, -1234.50, 12345, 1.5, "
                "-0.25, 'àè€ ok', 'ab   ', '2024-02-29', '2024-02-29 13:45:07', "
                "X'DEADBEEF00', 1)"});
        if (driver_.pg) {
            Esegui(driver_.pg,
                   {"DROP TABLE IF EXISTS tipi",
                    "CREATE TABLE tipi (i INTEGER, s SMALLINT, b BIGINT, d DECIMAL(11,2), "
                    "n NUMERIC(5,0), r REAL, f DOUBLE PRECISION, v VARCHAR(20), c CHAR(10), "
                    "dt DATE, ts TIMESTAMP, bin BYTEA, bo BOOLEAN)",
                    "INSERT INTO tipi VALUES (42, -7, 9007199254740993, -1234.50, 12345, 1.5, "
                    "-0.25, 'àè€ 😀', 'ab', '2024-02-29', '2024-02-29 13:45:07', "
                    "'\\xdeadbeef00', true)"});
        }
    }

    void metadati_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("colonna");
        QTest::addColumn<int>("precisione");
        QTest::addColumn<int>("scala");
        QTest::addColumn<QString>("testo"); // with an Italian locale
        struct Riga {
            const char* colonna;
            int precisione, scala;
            const char* testo;
        };
        // The SQLite3 driver reports DECIMAL as VARCHAR, NUMERIC and REAL as DOUBLE.
        const Riga sqlite[] = {
            {"i", 10, 0, "42"},
            {"s", 5, 0, "-7"},
            {"b", 19, 0, "9007199254740993"},
            {"d", 255, 255, "-1234.5"},
            {"n", 15, 0, "12345"},
            {"r", 15, 0, "1,5"},
            {"f", 15, 0, "-0,25"},
            {"v", 255, 255, "àè€ ok"},
            {"c", 255, 255, "ab   "},
            {"dt", 255, 255, "2024-02-29"},
            {"ts", 255, 255, "2024-02-29 13:45:07"},
            {"bin", 255, 255, "X'DEADBEEF00'"},
            {"bo", 255, 255, "1"},
        };
        const Riga postgres[] = {
            {"i", 10, 0, "42"},
            {"s", 5, 0, "-7"},
            {"b", 19, 0, "9007199254740993"},
            {"d", 11, 2, "-1234,50"},
            {"n", 5, 0, "12345"},
            {"r", 7, 0, "1,5"},
            {"f", 15, 0, "-0,25"},
            {"v", 255, 255, "àè€ 😀"},
            {"c", 255, 255, "ab        "},
            {"dt", 255, 255, "2024-02-29"},
            {"ts", 255, 255, "2024-02-29 13:45:07"},
            {"bin", 255, 255, "deadbeef00"},
            {"bo", 255, 255, "1"},
        };
        for (const Riga& r : sqlite)
            QTest::addRow("sqlite %s", r.colonna)
                << "sqlite" << r.colonna << r.precisione << r.scala << QString(r.testo);
        for (const Riga& r : postgres)
            QTest::addRow("postgres %s", r.colonna)
                << "postgres" << r.colonna << r.precisione << r.scala << QString(r.testo);
    }
    void metadati() {
        QFETCH(QString, driver);
        QFETCH(QString, colonna);
        QFETCH(int, precisione);
        QFETCH(int, scala);
        QFETCH(QString, testo);
        const auto c = driver_.Per(driver);
        if (!c)
            QSKIP("Server PostgreSQL non disponibile.");
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Locale = QLocale(QLocale::Italian, QLocale::Italy);
        rs.Source = "SELECT " + colonna + " FROM tipi";
        rs.Open();
        QCOMPARE(rs.Fields().Count(), 1);
        const ado::Field f = rs.Fields().Item(0);
        QCOMPARE(f.Name(), colonna);
        QCOMPARE(int(f.Precision()), precisione);
        QCOMPARE(int(f.NumericScale()), scala);
        QVERIFY(!f.Value().IsNull());
        QCOMPARE(f.Value().ToString(), testo);
    }

    // Column names reach the fields whole, whatever their letters and length
    // (PostgreSQL keeps the first 63 bytes of a name).
    void nomiColonne_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("alias");
        QTest::addColumn<QString>("nome");
        const QString lungo(300, u'x');
        for (const QString d : {"sqlite", "postgres"}) {
            QTest::addRow("%s accenti", qPrintable(d)) << d << "Città è qui"
                                                       << "Città è qui";
            QTest::addRow("%s lungo", qPrintable(d))
                << d << lungo << (d == "postgres" ? lungo.left(63) : lungo);
        }
    }
    void nomiColonne() {
        QFETCH(QString, driver);
        QFETCH(QString, alias);
        QFETCH(QString, nome);
        const auto c = driver_.Per(driver);
        if (!c)
            QSKIP("Server PostgreSQL non disponibile.");
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "SELECT v AS \"" + alias + "\", i FROM tipi";
        rs.Open();
        QCOMPARE(rs.Fields().Item(0).Name(), nome);
        QCOMPARE(rs.Fields().Item(1).Name(), QString("i"));
    }

    // The separator follows the recordset's locale, for numeric types only.
    void separatoreDecimale_data() { zeltest::DueDriver::Righe(); }
    void separatoreDecimale() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "SELECT f, v, '1.5' AS t FROM tipi";
        for (const auto& [locale, atteso] :
             {std::pair{QLocale::c(), "-0.25"},
              {QLocale(QLocale::German), "-0,25"},
              {QLocale(QLocale::English, QLocale::UnitedStates), "-0.25"}}) {
            rs.Locale = locale;
            rs.Open();
            QCOMPARE(rs.Fields().Item(0).Value().ToString(), QString(atteso));
            QCOMPARE(rs.Fields().Item(2).Value().ToString(), QString("1.5"));
            rs.Close();
        }
    }

    void nulloEVuoto_data() { separatoreDecimale_data(); }
    void nulloEVuoto() {
        ZEL_CONNESSIONE_DEL_DRIVER(c, driver_);
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = "SELECT NULL AS a, '' AS b, CAST(NULL AS INTEGER) AS c, 'x' AS d";
        rs.Open();
        const ado::FieldList f = rs.Fields();
        QVERIFY(f.Item(0).Value().IsNull());
        QVERIFY(f.Item(0).Value().ToString().isEmpty());
        QVERIFY(!f.Item(1).Value().IsNull());
        QVERIFY(f.Item(1).Value().ToString().isEmpty());
        QVERIFY(f.Item(2).Value().IsNull());
        QCOMPARE(f.Item(3).Value().ToString(), QString("x"));
    }

    // A 1 MB value arrives whole whatever the column claims: SQLite does not
    // enforce VARCHAR(20); PostgreSQL's text has no stated size and its
    // varchar without length is announced as 255.
    void valoreGrande_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("tipo");
        QTest::newRow("sqlite varchar(20)") << "sqlite"
                                            << "VARCHAR(20)";
        QTest::newRow("sqlite text") << "sqlite"
                                     << "TEXT";
        QTest::newRow("postgres text") << "postgres"
                                       << "TEXT";
        QTest::newRow("postgres varchar") << "postgres"
                                          << "VARCHAR";
    }
    void valoreGrande() {
        QFETCH(QString, driver);
        QFETCH(QString, tipo);
        const auto c = driver_.Per(driver);
        if (!c)
            QSKIP("Server PostgreSQL non disponibile.");
        // Letters beyond Latin-1, and for psqlODBC a surrogate pair, so chunk
        // borders fall inside multi-unit characters too. (The SQLite3 driver
        // has no UTF-16 entry points: the driver manager converts through
        // UCS-2, which has no surrogates.)
        const QString pezzo =
            driver == u"sqlite" ? QStringLiteral("àbc€defg %1;") : QStringLiteral("àbc€defg😀 %1;");
        QString grande;
        while (grande.size() < 1024 * 1024)
            grande += pezzo.arg(grande.size());
        Esegui(c, {"DROP TABLE IF EXISTS grande",
                   "CREATE TABLE grande (k INTEGER, v " + tipo + ", d DOUBLE PRECISION)",
                   "INSERT INTO grande VALUES (1, 'corto', 0.5), (2, '" + grande + "', 2.5), " +
                       "(3, NULL, NULL), (4, '', 4.5)"});
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Locale = QLocale(QLocale::Italian);
        rs.Source = "SELECT k, v, d FROM grande ORDER BY k";
        rs.Open();
        QCOMPARE(rs.RecordCount(), 4);
        const QStringList attesi[] = {
            {"1", "corto", "0,5"}, {"2", grande, "2,5"}, {"3", "", ""}, {"4", "", "4,5"}};
        for (const QStringList& atteso : attesi) {
            QVERIFY(!rs.Eof());
            for (int i = 0; i < 3; ++i) {
                const ado::Valore v = rs.Fields().Item(i).Value();
                QCOMPARE(v.testo.size(), atteso[i].size());
                QVERIFY(v.testo == atteso[i]);
            }
            rs.MoveNext();
        }
        QVERIFY(rs.Eof());
        Esegui(c, {"DROP TABLE grande"});
    }
};

QTEST_GUILESS_MAIN(TestAdoTipi)
#include "test_ado_tipi.moc"
