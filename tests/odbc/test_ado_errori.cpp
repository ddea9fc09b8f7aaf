// Failures as the user reads them: a plain Italian sentence, then every
// diagnostic record the driver gave, and never the password.
#include "support/odbc_privato.h"

#include <QElapsedTimer>
#include <QTest>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using zeltest::Connetti;
using zeltest::Esegui;

namespace {

struct Esito {
    QString descrizione;
    QString stato;
    QList<ado::Diagnostica> record;
    qint64 millisecondi = 0;
};

template <class Azione> Esito Fallimento(Azione azione) {
    QElapsedTimer tempo;
    tempo.start();
    try {
        azione();
    } catch (const ado::Errore& e) {
        return {e.Description(), e.Stato(), e.Record(), tempo.elapsed()};
    }
    return {};
}

Esito Connessione(const QString& stringa, qint32 attesa = 15) {
    zeltest::PreparaOdbc();
    return Fallimento([&] {
        ado::Connection c;
        c.ConnectionString = stringa;
        c.ConnectionTimeout = attesa;
        c.Open();
    });
}

Esito Istruzione(const std::shared_ptr<ado::Connection>& c, const QString& sql) {
    return Fallimento([&] {
        ado::Recordset rs;
        rs.ActiveConnection = c;
        rs.Source = sql;
        rs.Open();
    });
}

QString PrimaRiga(const QString& testo) { return testo.section(u'\n', 0, 0); }

// A loopback port that completes connections (the kernel does it) and never
// answers: nothing accepts them.
class ServerMuto {
  public:
    ServerMuto() : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t n = sizeof a;
        if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&a), n) != 0 || listen(fd_, 4) != 0 ||
            getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &n) != 0)
            qFatal("Impossibile aprire una porta in ascolto");
        porta_ = ntohs(a.sin_port);
    }
    ~ServerMuto() { close(fd_); }
    ServerMuto(const ServerMuto&) = delete;
    ServerMuto& operator=(const ServerMuto&) = delete;
    quint16 porta() const { return porta_; }

  private:
    int fd_;
    quint16 porta_ = 0;
};

} // namespace

class TestAdoErrori : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { zeltest::PreparaOdbc(); }

    void sorgenteOdriverMancante_data() {
        QTest::addColumn<QString>("stringa");
        QTest::addColumn<QString>("frase");
        QTest::addColumn<QString>("stato");
        QTest::newRow("DSN sconosciuto") << "DSN=ZELTEST_NESSUNO;User ID=u;Password=segreto"
                                         << "Sorgente dati ODBC non trovata: ZELTEST_NESSUNO."
                                         << "IM002";
        QTest::newRow("libreria del driver assente")
            << zeltest::StringaSenzaDriver() + ";Password=segreto"
            << "Il driver ODBC '" + zeltest::PreparaOdbc() +
                   "/libzelmancante.so' non è installato su questo computer."
            << "01000";
        QTest::newRow("driver IBM i non installato")
            << "Provider=IBMDA400.DataSource.1;Password=segreto;Persist Security Info=True;User "
               "ID=ROSSI;Data Source=S1"
            << "Il driver ODBC 'IBM i Access ODBC Driver' non è installato su questo computer."
            << "01000";
    }
    void sorgenteOdriverMancante() {
        QFETCH(QString, stringa);
        QFETCH(QString, frase);
        QFETCH(QString, stato);
        const Esito e = Connessione(stringa);
        QCOMPARE(PrimaRiga(e.descrizione), frase);
        QCOMPARE(e.stato, stato);
        // Every record follows, one a line, in the driver's order.
        QCOMPARE(e.descrizione.count(u'\n'), e.record.size());
        for (const ado::Diagnostica& d : e.record)
            QVERIFY(e.descrizione.contains(
                QString("[SQLSTATE %1] (%2) %3").arg(d.stato).arg(d.nativo).arg(d.testo)));
        QVERIFY(!e.descrizione.contains("segreto"));
    }

    void passwordSbagliata() {
        ZEL_RICHIEDI_POSTGRES();
        const Esito e = Connessione("DSN=ZELTEST_PG;User ID=zeltest;Password=segreto");
        QVERIFY2(e.descrizione.startsWith("Connessione alla sorgente dati non riuscita.\n"
                                          "[SQLSTATE 08001] (101) "),
                 qPrintable(e.descrizione));
        QVERIFY(e.descrizione.contains("password authentication failed for user \"zeltest\""));
        QVERIFY(!e.descrizione.contains("segreto"));
        QVERIFY(!e.descrizione.endsWith(u'\n'));
    }

    // A ";" in a password works only in quotes; bare, the string is refused
    // before anything reaches a driver.
    void passwordConPuntoEVirgola() {
        ZEL_RICHIEDI_POSTGRES();
        auto c = Connetti(zeltest::StringaPostgres());
        Esegui(c,
               {"DROP ROLE IF EXISTS zelsemi", "CREATE ROLE zelsemi LOGIN PASSWORD 'a;b}c\"d '"});
        const Esito nuda = Connessione("DSN=ZELTEST_PG;User ID=zelsemi;Password=a;b}c\"d ");
        QCOMPARE(nuda.descrizione,
                 QString("Stringa di connessione non valida: una parte non ha la forma "
                         "chiave=valore (se la password contiene «;», scrivila tra virgolette)."));
        for (const char* stringa : {"DSN=ZELTEST_PG;User ID=zelsemi;Password=\"a;b}c\"\"d \"",
                                    "DSN=ZELTEST_PG;User ID=zelsemi;Password='a;b}c\"d '"}) {
            auto s = Connetti(stringa);
            ado::Recordset rs;
            rs.ActiveConnection = s;
            rs.Source = "SELECT current_user";
            rs.Open();
            QCOMPARE(rs.Fields().Item(0).Value().ToString(), QString("zelsemi"));
        }
    }

    void erroreDiSintassi_data() {
        QTest::addColumn<QString>("driver");
        QTest::addColumn<QString>("stato");
        QTest::newRow("sqlite") << "sqlite"
                                << "HY000";
        QTest::newRow("postgres") << "postgres"
                                  << "42601";
    }
    void erroreDiSintassi() {
        QFETCH(QString, driver);
        QFETCH(QString, stato);
        if (driver == u"postgres" && !zeltest::postgresDisponibile())
            QSKIP("Server PostgreSQL non disponibile.");
        auto c =
            Connetti(driver == u"sqlite" ? zeltest::StringaSqlite() : zeltest::StringaPostgres());
        const Esito e = Istruzione(c, "SELEC 1");
        QVERIFY2(e.descrizione.startsWith("Esecuzione dell'istruzione non riuscita.\n[SQLSTATE " +
                                          stato + "]"),
                 qPrintable(e.descrizione));
        QVERIFY(e.descrizione.contains("SELEC"));
        for (const ado::Diagnostica& d : e.record)
            QVERIFY2(!d.testo.trimmed().isEmpty(), "record vuoto");
        // The connection is still usable.
        QVERIFY(Istruzione(c, "SELECT 1").descrizione.isEmpty());
    }

    // A server that accepts and never answers: psqlODBC gives up after the
    // login time-out (2 s is the least libpq honours).
    void tempoDiConnessione() {
        ServerMuto muto;
        const Esito e = Connessione(QString("Driver={PostgreSQL Unicode};Servername=127.0.0.1;"
                                            "Port=%1;Database=x;SSLMode=disable;User ID=u;"
                                            "Password=segreto")
                                        .arg(muto.porta()),
                                    2);
        QVERIFY2(!e.descrizione.isEmpty(), "connesso");
        QVERIFY2(e.millisecondi >= 1500 && e.millisecondi < 7000,
                 qPrintable(QString::number(e.millisecondi)));
        QVERIFY2(e.descrizione.startsWith("Nessuna risposta dal server entro 2 secondi.\n"
                                          "[SQLSTATE 08001] (101) "),
                 qPrintable(e.descrizione));
        QVERIFY(e.descrizione.contains("timeout expired"));
        QVERIFY(!e.descrizione.contains("segreto"));
    }

    void tempoDellIstruzione() {
        ZEL_RICHIEDI_POSTGRES();
        auto c = Connetti(zeltest::StringaPostgres());
        c->CommandTimeout = 1;
        const Esito e = Istruzione(c, "SELECT pg_sleep(10)");
        QVERIFY2(e.descrizione.startsWith("L'istruzione ha superato il tempo massimo di 1 "
                                          "secondo.\n[SQLSTATE 57014]"),
                 qPrintable(e.descrizione));
        QVERIFY2(e.millisecondi < 8000, qPrintable(QString::number(e.millisecondi)));
        QVERIFY(Istruzione(c, "SELECT 1").descrizione.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestAdoErrori)
#include "test_ado_errori.moc"
