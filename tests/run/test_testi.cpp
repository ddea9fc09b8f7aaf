// Texts of a run: connection string, field lines, durations, CLng.
#include "run/modi_connessione.h"
#include "run/tempi.h"
#include "run/testi.h"

#include <QLocale>
#include <QTest>

using testi::CLng;
using testi::ErroreRun;

class TestTesti : public QObject {
    Q_OBJECT

  private slots:
    // CLng takes "," as well as "." when the locale's decimal point is ",".
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void connessione_data();
    void connessione();
    void righeCampo();
    void formato6();
    void tempi_data();
    void tempi();
    void clng_data();
    void clng();
    void clng_errori_data();
    void clng_errori();
};

void TestTesti::connessione_data() {
    QTest::addColumn<QString>("modo");
    QTest::addColumn<QString>("odbc");
    QTest::addColumn<QString>("sistema");
    QTest::addColumn<QString>("utente");
    QTest::addColumn<QString>("password");
    QTest::addColumn<QString>("attesa");

    QTest::newRow("odbc") << "ODBC"
                          << "AS400PROD"
                          << "S1"
                          << "ROSSI"
                          << ""
                          << "DSN=AS400PROD;;User ID=ROSSI;;Password=";
    QTest::newRow("oledb") << "OLEDB"
                           << "AS400PROD"
                           << "S1"
                           << "ROSSI"
                           << ""
                           << "Provider=IBMDA400.DataSource.1;Password=;Persist Security "
                              "Info=True;User ID=ROSSI;Data Source=S1";
    QTest::newRow("odbc vuoto") << "ODBC"
                                << ""
                                << ""
                                << ""
                                << ""
                                << "DSN=;;User ID=;;Password=";
    QTest::newRow("oledb vuoto") << "OLEDB"
                                 << ""
                                 << ""
                                 << ""
                                 << ""
                                 << "Provider=IBMDA400.DataSource.1;Password=;Persist "
                                    "Security Info=True;User ID=;Data Source=";
    QTest::newRow("minuscolo") << "odbc"
                               << "D"
                               << "S"
                               << "U"
                               << "P"
                               << "";
    QTest::newRow("con blank") << "ODBC "
                               << "D"
                               << "S"
                               << "U"
                               << "P"
                               << "";
    QTest::newRow("oledb minuscolo") << "OleDb"
                                     << "D"
                                     << "S"
                                     << "U"
                                     << "P"
                                     << "";
    QTest::newRow("vuoto") << ""
                           << "D"
                           << "S"
                           << "U"
                           << "P"
                           << "";
    QTest::newRow("odbc tal quale") << "ODBC"
                                    << " D;X "
                                    << "S"
                                    << " U "
                                    << "p;w=1 "
                                    << "DSN= D;X ;;User ID= U ;;Password=p;w=1 ";
    QTest::newRow("oledb tal quale") << "OLEDB"
                                     << "D"
                                     << " S;1"
                                     << "U;"
                                     << " p "
                                     << "Provider=IBMDA400.DataSource.1;Password= p ;Persist "
                                        "Security Info=True;User ID=U;;Data Source= S;1";
}

void TestTesti::connessione() {
    QFETCH(QString, modo);
    QFETCH(QString, odbc);
    QFETCH(QString, sistema);
    QFETCH(QString, utente);
    QFETCH(QString, password);
    QFETCH(QString, attesa);
    QCOMPARE(CostruisciConnessione(modo, {odbc, sistema, utente, password}), attesa);
}

void TestTesti::righeCampo() {
    QCOMPARE(testi::RigaCampoAlf(u"CODICE", 10), QString("CODICE ALF 10 "));
    QCOMPARE(testi::RigaCampoAlf(u"NOTE", 32000), QString("NOTE ALF 32000 "));
    QCOMPARE(testi::RigaCampoNum(u"IMPORTO", 11, 2), QString("IMPORTO NUM  11,2"));
    QCOMPARE(testi::RigaCampoNum(u"N", 9, 0), QString("N NUM  9,0"));
}

void TestTesti::formato6() {
    QCOMPARE(testi::Formato6(0), QString());
    QCOMPARE(testi::Formato6(7), QString("7"));
    QCOMPARE(testi::Formato6(999999), QString("999999"));
    QCOMPARE(testi::Formato6(1234567), QString("1234567"));
    QCOMPARE(testi::Formato6(10000000000.0), QString("10000000000"));
    QCOMPARE(testi::Formato6(0.4), QString());
    QCOMPARE(testi::Formato6(6.6), QString("7"));
    QCOMPARE(testi::Formato6(-5), QString("-5"));
}

void TestTesti::tempi_data() {
    using tempi::Esito;
    using tempi::Fase;
    QTest::addColumn<tempi::Misure>("misure");
    QTest::addColumn<Esito>("esito");
    QTest::addColumn<QString>("testo");
    const qint64 ms = 1'000'000;
    QTest::newRow("completata") << tempi::Misure{{312 * ms, 41 * ms, 88 * ms}, {}, 6000}
                                << Esito::Completata
                                << "Istruzione: 312 ms\nConteggio: 41 ms\nCaricamento: 88 ms\n"
                                   "Righe: 6000 (13605/s)";
    // Milliseconds rounded to the nearest; the rate from the nanoseconds.
    QTest::newRow("elenco nascosto")
        << tempi::Misure{{1'499'999, 500'000, {}}, {}, 3} << Esito::Completata
        << "Istruzione: 1 ms\nConteggio: 1 ms\nCaricamento: non eseguito\nRighe: 3 (1500/s)";
    QTest::newRow("nessuna riga") << tempi::Misure{{0, 0, 0}, {}, 0} << Esito::Completata
                                  << "Istruzione: 0 ms\nConteggio: 0 ms\nCaricamento: 0 ms\n"
                                     "Righe: 0";
    QTest::newRow("arresto nel conteggio")
        << tempi::Misure{{2000 * ms, 500 * ms, {}}, Fase::Conteggio, 1250} << Esito::Interrotta
        << "Elaborazione interrotta\nIstruzione: 2000 ms\nConteggio: 500 ms (fino all'arresto)\n"
           "Righe: 1250 (500/s)";
    QTest::newRow("errore nell'istruzione")
        << tempi::Misure{{30'000 * ms, {}, {}}, Fase::Istruzione, {}} << Esito::NonRiuscita
        << "Elaborazione non riuscita\nIstruzione: 30000 ms (fino all'errore)";
    QTest::newRow("errore nella connessione")
        << tempi::Misure{} << Esito::NonRiuscita << "Elaborazione non riuscita";
}

void TestTesti::tempi() {
    QFETCH(tempi::Misure, misure);
    QFETCH(tempi::Esito, esito);
    QFETCH(QString, testo);
    QCOMPARE(tempi::Testo(misure, esito), testo);
}

void TestTesti::clng_data() {
    QTest::addColumn<QString>("testo");
    QTest::addColumn<qint32>("atteso");

    QTest::newRow("intero") << "30" << 30;
    QTest::newRow("blank attorno") << "  30   " << 30;
    QTest::newRow("zeri in testa") << "007" << 7;
    QTest::newRow("segno +") << "+15" << 15;
    QTest::newRow("segno -") << "-15" << -15;
    QTest::newRow("0.5 pari") << "0.5" << 0;
    QTest::newRow("1.5 pari") << "1.5" << 2;
    QTest::newRow("2.5 pari") << "2.5" << 2;
    QTest::newRow("-2.5 pari") << "-2.5" << -2;
    QTest::newRow("-3.5 pari") << "-3.5" << -4;
    QTest::newRow("2.50001 su") << "2.50001" << 3;
    QTest::newRow("2.4999 giu") << "2.4999" << 2;
    QTest::newRow("virgola") << "2,5" << 2;
    QTest::newRow("virgola su") << "2,6" << 3;
    QTest::newRow("solo decimali") << ".7" << 1;
    QTest::newRow("punto finale") << "5." << 5;
    QTest::newRow("massimo") << "2147483647" << 2147483647;
    QTest::newRow("minimo") << "-2147483648" << std::numeric_limits<qint32>::min();
    QTest::newRow("massimo arrotondato") << "2147483646.5" << 2147483646;
}

void TestTesti::clng() {
    QFETCH(QString, testo);
    QFETCH(qint32, atteso);
    try {
        QCOMPARE(CLng(testo), atteso);
    } catch (const ErroreRun& e) {
        QFAIL(qPrintable("ErroreRun: " + e.Description()));
    }
}

void TestTesti::clng_errori_data() {
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("errore");

    const QString tipo = "Tipo non corrispondente";
    QTest::newRow("vuoto") << "" << tipo;
    QTest::newRow("solo blank") << "    " << tipo;
    QTest::newRow("lettere") << "abc" << tipo;
    QTest::newRow("coda") << "12a" << tipo;
    QTest::newRow("blank in mezzo") << "1 2" << tipo;
    QTest::newRow("solo segno") << "-" << tipo;
    QTest::newRow("solo punto") << "." << tipo;
    QTest::newRow("due segni") << "+-1" << tipo;
    QTest::newRow("due punti") << "1.2.3" << tipo;
    QTest::newRow("oltre il massimo") << "2147483648"
                                      << "Overflow";
    QTest::newRow("sotto il minimo") << "-2147483649"
                                     << "Overflow";
    QTest::newRow("arrotondato oltre") << "2147483647.5"
                                       << "Overflow";
    QTest::newRow("enorme") << "99999999999999999999999999"
                            << "Overflow";
}

void TestTesti::clng_errori() {
    QFETCH(QString, testo);
    QFETCH(QString, errore);
    try {
        const qint32 valore = CLng(testo);
        QFAIL(qPrintable("nessun errore, valore " + QString::number(valore)));
    } catch (const ErroreRun& e) {
        QCOMPARE(e.Description(), errore);
    }
}

QTEST_GUILESS_MAIN(TestTesti)
#include "test_testi.moc"
