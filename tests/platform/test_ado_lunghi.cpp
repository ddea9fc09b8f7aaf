// Values longer than their column announces, on both real drivers: each
// arrives whole from the one execution that Open makes, wherever it falls
// in the fetched blocks, in every way the reader may fetch.
#include "platform/ado/connessione.h"
#include "support/odbc_privato.h"

#include <QTest>

using zeltest::Connetti;
using zeltest::Esegui;

namespace {

// The ways of fetching, chosen by what the driver says SQLGetData can do.
// Forcing a narrower set on a real driver walks the paths other drivers take.
const SQLUINTEGER Naturale = ~SQLUINTEGER(0);
const SQLUINTEGER RigaPerRiga = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER | SQL_GD_BOUND;
const SQLUINTEGER PerCella = SQL_GD_ANY_COLUMN | SQL_GD_ANY_ORDER;

void Modi() {
    QTest::addColumn<QString>("driver");
    QTest::addColumn<SQLUINTEGER>("modo");
    for (const char* driver : {"sqlite", "postgres"}) {
        QTest::addRow("%s, naturale", driver) << driver << Naturale;
        QTest::addRow("%s, riga per riga", driver) << driver << RigaPerRiga;
        QTest::addRow("%s, per cella", driver) << driver << PerCella;
    }
}

// `volte` copies of `pezzo`.
QString Ripeti(const QString& pezzo, int volte) { return pezzo.repeated(volte); }

} // namespace

class TestAdoLunghi : public QObject {
    Q_OBJECT

    std::shared_ptr<ado::Connection> sqlite_;
    std::shared_ptr<ado::Connection> pg_;
    SQLUINTEGER estensioniSqlite_ = 0;
    SQLUINTEGER estensioniPg_ = 0;

    // A connection of the driver reading as `modo` says, or nullptr.
    std::shared_ptr<ado::Connection> Connessione(const QString& driver, SQLUINTEGER modo) {
        auto c = driver == u"sqlite" ? sqlite_ : pg_;
        if (c) {
            const SQLUINTEGER proprie = driver == u"sqlite" ? estensioniSqlite_ : estensioniPg_;
            c->handles().estensioniGetData = proprie & modo;
        }
        return c;
    }

    qint64 Esecuzioni() {
        ado::Recordset rs;
        rs.ActiveConnection = pg_;
        rs.Source = "SELECT count(*) FROM zel_registro";
        rs.Open();
        return rs.Fields().Item(0).Value().ToString().toLongLong();
    }

  private slots:
    void initTestCase() {
        zeltest::PreparaOdbc();
        sqlite_ = Connetti(zeltest::StringaSqlite());
        estensioniSqlite_ = sqlite_->handles().estensioniGetData;
        if (zeltest::postgresDisponibile()) {
            pg_ = Connetti(zeltest::StringaPostgres());
            estensioniPg_ = pg_->handles().estensioniGetData;
            // A function that notes each call and returns a varchar without
            // length, which psqlODBC announces as 255 characters.
            Esegui(pg_,
                   {"DROP TABLE IF EXISTS zel_registro", "CREATE TABLE zel_registro (n serial)",
                    "CREATE OR REPLACE FUNCTION zel_lungo(pezzo varchar, volte integer) "
                    "RETURNS varchar LANGUAGE plpgsql VOLATILE AS $$ BEGIN "
                    "INSERT INTO zel_registro DEFAULT VALUES; "
                    "RETURN repeat(pezzo, volte); END $$"});
        }
    }

    // What the reading relies on: psqlODBC completes a value within a
    // block; the SQLite3 driver only on the current row (positioning in its
    // block gives the wrong row and skips rows).
    void estensioniDeiDriver() {
        QVERIFY(estensioniSqlite_ & SQL_GD_BOUND);
        QVERIFY(!(estensioniSqlite_ & SQL_GD_BLOCK));
        if (!pg_)
            QSKIP("Server PostgreSQL non disponibile.");
        QVERIFY(estensioniPg_ & SQL_GD_BOUND);
        QVERIFY(estensioniPg_ & SQL_GD_BLOCK);
    }

    // A statement with a side effect returning 200,000 characters, then
    // 10 MB in the middle of a 3000-row result: one execution per Open.
    void unaEsecuzione_data() {
        QTest::addColumn<SQLUINTEGER>("modo");
        QTest::addColumn<QString>("pezzo");
        QTest::addColumn<int>("volte");
        QTest::newRow("200000, naturale") << Naturale << QString("àbc€😀") << 40000;
        QTest::newRow("200000, riga per riga") << RigaPerRiga << QString("àbc€😀") << 40000;
        QTest::newRow("200000, per cella") << PerCella << QString("àbc€😀") << 40000;
        QTest::newRow("10 MB, naturale") << Naturale << QString("abcdefghijklmno€") << 655360;
    }
    void unaEsecuzione() {
        QFETCH(SQLUINTEGER, modo);
        QFETCH(QString, pezzo);
        QFETCH(int, volte);
        ZEL_RICHIEDI_POSTGRES();
        auto c = Connessione("postgres", modo);
        const QString atteso = Ripeti(pezzo, volte);
        const qint64 prima = Esecuzioni();
        ado::Recordset rs;
        rs.ActiveConnection = c;
        // Short columns of a stated size: a text column (announced without
        // one) would make any reader take the slow road from the start.
        rs.Source = QString("SELECT i, CASE WHEN i = 1500 THEN zel_lungo('%1', %2) ELSE "
                            "('v' || i)::varchar(10) END AS v, 'fine'::varchar(4) AS dopo FROM "
                            "generate_series(1, 3000) AS i")
                        .arg(pezzo)
                        .arg(volte);
        for (int apertura = 1; apertura <= 2; ++apertura) {
            rs.Open();
            QCOMPARE(Esecuzioni(), prima + apertura);
            QCOMPARE(rs.RecordCount(), 3000);
            for (int i = 1; i <= 3000; ++i, rs.MoveNext()) {
                const ado::FieldList f = rs.Fields();
                const ado::Valore v = f.Item(1).Value();
                if (i == 1500) {
                    QCOMPARE(v.testo.size(), atteso.size());
                    QVERIFY(v.testo == atteso);
                } else {
                    QCOMPARE(v.ToString(), "v" + QString::number(i));
                }
                QCOMPARE(f.Item(0).Value().ToString(), QString::number(i));
                QCOMPARE(f.Item(2).Value().ToString(), QString("fine"));
            }
            QVERIFY(rs.Eof());
            rs.Close();
        }
    }

    // Long values at the edges of the fetched blocks, two in one row, next
    // to NULLs and to numbers, in a column declared short (SQLite keeps
    // whatever it is given) or without length (psqlODBC announces 255).
    void aiBordiDeiBlocchi_data() { Modi(); }
    void aiBordiDeiBlocchi() {
        QFETCH(QString, driver);
        QFETCH(SQLUINTEGER, modo);
        auto c = Connessione(driver, modo);
        if (!c)
            QSKIP("Server PostgreSQL non disponibile.");
        const int n = 2100;
        const QList<int> lunghe = {1, 2, 1023, 1024, 1025, 2048, 2049, n};
        const auto valore = [&](int i, int colonna) -> QString {
            if (i % 97 == 0)
                return {}; // NULL
            if (!lunghe.contains(i) || (colonna == 2 && i % 2 == 1))
                return QString("%1-%2").arg(colonna).arg(i);
            return Ripeti(QString("%1:%2è|").arg(colonna).arg(i), 300 + i);
        };
        Esegui(c, {"DROP TABLE IF EXISTS lunghi",
                   driver == u"sqlite"
                       ? "CREATE TABLE lunghi (k INTEGER, a VARCHAR(8), b VARCHAR(8), x REAL)"
                       : "CREATE TABLE lunghi (k INTEGER, a VARCHAR, b VARCHAR, x REAL)"});
        QStringList righe;
        for (int i = 1; i <= n; ++i) {
            const auto testo = [&](int colonna) {
                const QString v = valore(i, colonna);
                return v.isNull() ? QString("NULL") : "'" + v + "'";
            };
            righe << QString("(%1, %2, %3, %4.5)").arg(i).arg(testo(1), testo(2)).arg(i);
        }
        Esegui(c, {"INSERT INTO lunghi VALUES " + righe.join(", ")});

        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Locale = QLocale(QLocale::Italian);
        rs.Source = "SELECT k, a, b, x FROM lunghi ORDER BY k";
        rs.Open();
        QCOMPARE(rs.RecordCount(), n);
        for (int i = 1; i <= n; ++i, rs.MoveNext()) {
            const ado::FieldList f = rs.Fields();
            QCOMPARE(f.Item(0).Value().ToString(), QString::number(i));
            for (int colonna = 1; colonna <= 2; ++colonna) {
                const QString atteso = valore(i, colonna);
                const ado::Valore v = f.Item(colonna).Value();
                QCOMPARE(v.IsNull(), atteso.isNull());
                QCOMPARE(v.testo.size(), atteso.size());
                QVERIFY2(v.testo == atteso,
                         qPrintable(QString("riga %1 campo %2").arg(i).arg(colonna)));
            }
            QCOMPARE(f.Item(3).Value().ToString(), QString::number(i) + ",5");
        }
        QVERIFY(rs.Eof());
    }
};

QTEST_GUILESS_MAIN(TestAdoLunghi)
#include "test_ado_lunghi.moc"
