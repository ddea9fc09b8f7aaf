// zelbrontica-cli run as a program over both real drivers (DueDriver):
// outputs, exit codes, the request check, password sources, the time-out
// and a signal.
#include "support/due_driver.h"
#include "support/guasti.h"
#include "support/odbc_privato.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>

namespace {

const QString Programma = QStringLiteral(ZEL_CLI);

struct Esito {
    int codice;
    QString out, err;
    qint64 ms;
};

class TestComando : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void uscite_data();
    void uscite();
    void passwordDaFile();
    void segnale_data();
    void segnale();

  private:
    // The program on the row's driver, with `argomenti` after the
    // connection options; the password from the environment unless `senza`.
    Esito esegui(const QString& driver, const QStringList& argomenti, bool password = true,
                 int segnaleDopoMs = 0, int segnale = SIGINT);

    zeltest::DueDriver d_;
    // A server that never answers, as the data source ZELTEST_MUTO.
    std::unique_ptr<zeltest::ServerMuto> muto_;
    QTemporaryDir cartella_;
};

void TestComando::initTestCase() {
    d_.Connetti();
    muto_ = std::make_unique<zeltest::ServerMuto>();
    zeltest::AggiungiDsn(QStringLiteral("ZELTEST_MUTO"),
                         {QStringLiteral("Driver=PostgreSQL Unicode"),
                          QStringLiteral("Servername=127.0.0.1"),
                          QStringLiteral("Port=%1").arg(muto_->porta()),
                          QStringLiteral("Database=zeltest"), QStringLiteral("SSLMode=disable")});
    const QStringList tabella{QStringLiteral("DROP TABLE IF EXISTS cli_prova"),
                              QStringLiteral("CREATE TABLE cli_prova (n INTEGER, t VARCHAR(20))"),
                              QStringLiteral("INSERT INTO cli_prova VALUES (1, 'a,b')"),
                              QStringLiteral("INSERT INTO cli_prova VALUES (2, NULL)"),
                              QStringLiteral("INSERT INTO cli_prova VALUES (3, '')")};
    zeltest::Esegui(d_.sqlite, tabella);
    if (d_.pg)
        zeltest::Esegui(d_.pg, tabella);
}

Esito TestComando::esegui(const QString& driver, const QStringList& argomenti, bool password,
                          int segnaleDopoMs, int segnale) {
    const bool pg = driver == u"postgres";
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("ZELBRONTICA_PASSWORD"));
    if (password)
        env.insert(QStringLiteral("ZELBRONTICA_PASSWORD"),
                   pg ? qEnvironmentVariable("ZEL_PG_PASSWORD") : QStringLiteral("x"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(Programma, QStringList{QStringLiteral("--senza-impostazioni"), QStringLiteral("--odbc"),
                                   driver == u"muto" ? QStringLiteral("ZELTEST_MUTO")
                                   : pg              ? QStringLiteral("ZELTEST_PG")
                                                     : QStringLiteral("ZELTEST_SQLITE"),
                                   QStringLiteral("--utente"),
                                   pg ? qEnvironmentVariable("ZEL_PG_USER") : QStringLiteral("u")} +
                           argomenti);
    if (segnaleDopoMs > 0) {
        QTest::qWait(segnaleDopoMs);
        // Never kill(0): a command already ended has no pid, and 0 would
        // signal the whole process group (the test runner, the display).
        const qint64 pid = p.processId();
        if (pid > 0) {
            ::kill(static_cast<pid_t>(pid), segnale);
        }
    }
    if (!p.waitForFinished(60000))
        p.kill();
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError()), t.elapsed()};
}

void TestComando::uscite_data() {
    QTest::addColumn<QString>("driver");
    QTest::addColumn<QStringList>("argomenti");
    QTest::addColumn<int>("codice");
    QTest::addColumn<QString>("out"); // a pattern stdout matches
    QTest::addColumn<QString>("err"); // a pattern stderr matches
    const QString sql = QStringLiteral("SELECT n, t FROM cli_prova ORDER BY n");
    for (const char* driver : {"sqlite", "postgres"}) {
        const auto riga = [&](const char* caso, QStringList argomenti, int codice, const char* out,
                              const char* err = "") {
            QTest::addRow("%s %s", driver, caso)
                << QString::fromLatin1(driver) << argomenti << codice << QString::fromUtf8(out)
                << QString::fromUtf8(err);
        };
        riga("testo", {"--sql", sql}, 0,
             "Elaborazione Completata \\(SQL=.*\\)\\nConnessione: [0-9.]+ ms\\nIstruzione: \\d+ "
             "ms\\nConteggio: \\d+ ms\\n"
             "Caricamento: \\d+ ms\\nRighe: 3");
        riga("csv due giri", {"--sql", sql, "--formato", "csv", "--ripeti", "2"}, 0,
             "^giro,connessione_ms,istruzione_ms,conteggio_ms,caricamento_ms,totale_ms,righe,"
             "esito\\n1,[0-9.]+,[0-9.]+,[0-9.]+,[0-9.]+,[0-9.]+,3,completata\\n2,.*,3,"
             "completata\\n$");
        riga("json solo conteggio",
             {"--sql", sql, "--formato", "json", "--solo-conteggio", "--nome", "prova"}, 0,
             "^\\{\"caricamento\"|\"esecuzioni_per_giro\":1.*\"caricamento_ms\":null");
        riga("righe csv", {"--sql", sql, "--righe", "csv"}, 0,
             "^n,t\\r\\n1,\"a,b\"\\r\\n2,\\r\\n3,\"\"\\r\\n$", "Righe: 3");
        riga("istruzione fallita", {"--sql", "SELECT * FROM non_esiste"}, 4, "",
             "|Password=\\*\\*\\*");
        riga("istruzione fallita json", {"--sql", "SELECT * FROM non_esiste", "--formato", "json"},
             4, "\"esito\":\"istruzione_fallita\"", "");
        riga("controllo ok", {"--sql", sql, "--controllo", "--critico-righe", "3:"}, 0,
             "^ZELBRONTICA OK - .*\\| 'connessione'=[0-9.]+s;;;0 .*'righe'=3;;3:;0\\n$");
        riga("controllo critico", {"--sql", sql, "--controllo", "-c", "@0:"}, 2,
             "^ZELBRONTICA CRITICAL.*'totale'=[0-9.]+s;;@0:;0");
        riga("controllo fallita", {"--sql", "SELECT * FROM non_esiste", "--controllo"}, 2,
             "^ZELBRONTICA CRITICAL");
        riga("controllo uso", {"--controllo", "--ripeti", "0", "--sql", sql}, 3,
             "^ZELBRONTICA UNKNOWN - --ripeti");
        riga("opzione sconosciuta", {"--sql", sql, "--boh"}, 2, "^$", "boh");
        riga("formato con righe su stdout", {"--sql", sql, "--righe", "csv", "--formato", "json"},
             2, "^$", "--file-righe");
        riga("richiesta senza sql", {}, 2, "^$", "Statement SQL obbligatorio");
        riga("timeout",
             {"--sql",
              "WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM r "
              "WHERE i < 100000000) SELECT count(*) FROM r",
              "--timeout", "1", "--formato", "json"},
             5, "\"esito\":\"scaduta\"");
    }
    // The time-out strikes while connecting: the total written is the time
    // at the end (the time-out and the cancel's half second), not ~0.
    QTest::addRow("timeout in connessione")
        << QStringLiteral("muto")
        << QStringList{QStringLiteral("--sql"),     QStringLiteral("SELECT 1"),
                       QStringLiteral("--timeout"), QStringLiteral("1"),
                       QStringLiteral("--formato"), QStringLiteral("csv")}
        << 5 << QStringLiteral("\n1,,,,,[1-9][0-9]{3}\\.[0-9]{3},,scaduta\n$") << QString();
    QTest::addRow("senza password")
        << QStringLiteral("sqlite") << QStringList{QStringLiteral("--sql"), sql} << -2
        << QStringLiteral("^$") << QStringLiteral("Password obbligatoria");
}

void TestComando::uscite() {
    QFETCH(QString, driver);
    QFETCH(QStringList, argomenti);
    QFETCH(int, codice);
    QFETCH(QString, out);
    QFETCH(QString, err);
    if (driver == u"postgres" && !d_.pg)
        QSKIP("Server PostgreSQL non disponibile.");
    const bool password = codice != -2;
    const Esito e = esegui(driver, argomenti, password);
    QCOMPARE(e.codice, password ? codice : 2);
    QVERIFY2(QRegularExpression(out).match(e.out).hasMatch(), qPrintable(e.out));
    QVERIFY2(QRegularExpression(err).match(e.err).hasMatch(), qPrintable(e.err));
    QVERIFY(!e.out.contains(qEnvironmentVariable("ZEL_PG_PASSWORD", QStringLiteral("\x01"))));
    // The time-out ends the command on time, whatever the driver does.
    QVERIFY(e.ms < 10000);
}

void TestComando::passwordDaFile() {
    const QString file = cartella_.filePath(QStringLiteral("pwd"));
    QFile f(file);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x\n");
    f.close();
    f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther);
    const Esito e = esegui(QStringLiteral("sqlite"),
                           {QStringLiteral("--sql"), QStringLiteral("SELECT 1"),
                            QStringLiteral("--file-password"), file},
                           false);
    QCOMPARE(e.codice, 0);
    QVERIFY2(e.err.contains(QStringLiteral("leggibile da altri")), qPrintable(e.err));
}

void TestComando::segnale_data() {
    QTest::addColumn<QString>("driver");
    QTest::addColumn<int>("segnale");
    QTest::addColumn<int>("codice");
    for (const char* driver : {"sqlite", "postgres"}) {
        QTest::addRow("%s SIGINT", driver) << QString::fromLatin1(driver) << SIGINT << 130;
        QTest::addRow("%s SIGTERM", driver) << QString::fromLatin1(driver) << SIGTERM << 143;
    }
}

// A signal during a long statement, without --timeout: the statement is
// cancelled and the run ends as a stop does (the measures so far, the
// signal's code), its connection released; within a second or two however
// the driver takes the cancel.
void TestComando::segnale() {
    QFETCH(QString, driver);
    QFETCH(int, segnale);
    QFETCH(int, codice);
    if (driver == u"postgres" && !d_.pg)
        QSKIP("Server PostgreSQL non disponibile.");
    const QString sql =
        driver == u"postgres"
            ? QStringLiteral("SELECT pg_sleep(30)")
            : QStringLiteral("WITH RECURSIVE r(i) AS (SELECT 1 UNION ALL SELECT i "
                             "+ 1 FROM r WHERE i < 300000000) SELECT count(*) FROM r");
    const Esito e = esegui(driver, {QStringLiteral("--sql"), sql}, true, 1500, segnale);
    QCOMPARE(e.codice, codice);
    // The run's own end, after the cancel: the statement's time up to it.
    QVERIFY2(e.out.contains(QStringLiteral("Elaborazione interrotta")) &&
                 e.out.contains(QStringLiteral("Istruzione: ")),
             qPrintable(e.out));
    QVERIFY(e.ms < 5000);
    if (driver == u"postgres") {
        // The server runs the statement no more.
        const auto inCorso = [&] {
            ado::Recordset rs;
            rs.ActiveConnection = d_.pg;
            rs.Source = QStringLiteral("SELECT count(*) FROM pg_stat_activity WHERE query = "
                                       "'SELECT pg_sleep(30)'");
            rs.Open();
            return rs.Fields().Item(0).Value().ToString();
        };
        QTRY_COMPARE_WITH_TIMEOUT(inCorso(), QStringLiteral("0"), 3000);
    }
}

} // namespace

QTEST_GUILESS_MAIN(TestComando)
#include "test_comando.moc"
