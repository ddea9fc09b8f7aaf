// Thresholds and the check mode's status line.
#include "comando/soglie.h"

#include <QLocale>
#include <QtTest>

using namespace soglie;

class TestSoglie : public QObject {
    Q_OBJECT

  private slots:
    // Dots for decimals whatever the locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy)); }
    void intervallo_data();
    void intervallo();
    void riga_data();
    void riga();
};

// Each range against the values -1, 0, 10, 15, 20, 20.5: "1" where the
// alert is raised; an error text instead for a malformed range.
void TestSoglie::intervallo_data() {
    QTest::addColumn<QString>("testo");
    QTest::addColumn<QString>("allarmi");
    QTest::newRow("fine") << "10"
                          << "100111";
    QTest::newRow("inizio") << " 10: "
                            << "110000";
    QTest::newRow("meno infinito") << "~:10"
                                   << "000111";
    QTest::newRow("tra") << "10:20"
                         << "110001";
    QTest::newRow("dentro") << "@10:20"
                            << "001110";
    QTest::newRow("decimali, negativi") << "-0.5:20.5"
                                        << "100000";
    QTest::newRow("tutto") << "~:"
                           << "000000";
    QTest::newRow("vuoto") << ""
                           << "Intervallo non valido «»";
    QTest::newRow("virgola") << "0,5"
                             << "Intervallo non valido «0,5»: si scrive";
    QTest::newRow("parola") << "@dieci"
                            << "Intervallo non valido «@dieci»";
    QTest::newRow("tre estremi") << "1:2:3"
                                 << "Intervallo non valido «1:2:3»";
    QTest::newRow("blank") << "1 :2"
                           << "Intervallo non valido «1 :2»";
    QTest::newRow("infinito") << "inf"
                              << "Intervallo non valido «inf»";
    QTest::newRow("rovescio") << "20:10"
                              << "Intervallo non valido «20:10»: l'inizio supera";
}

void TestSoglie::intervallo() {
    QFETCH(QString, testo);
    QFETCH(QString, allarmi);
    QString errore;
    const auto r = LeggiIntervallo(testo, errore);
    if (!allarmi.startsWith(u'0') && !allarmi.startsWith(u'1')) {
        QVERIFY(!r);
        QVERIFY2(errore.startsWith(allarmi), qPrintable(errore));
        return;
    }
    QVERIFY2(r, qPrintable(errore));
    QCOMPARE(r->testo, testo.trimmed());
    QString letti;
    for (const double v : {-1.0, 0.0, 10.0, 15.0, 20.0, 20.5})
        letti += r->Allarme(v) ? u'1' : u'0';
    QCOMPARE(letti, allarmi);
}

// A run's measures, with ranges on the statement and the rows, to a line.
void TestSoglie::riga_data() {
    QTest::addColumn<double>("istruzione"); // negative: not taken
    QTest::addColumn<QString>("avviso");
    QTest::addColumn<QString>("critico");
    QTest::addColumn<QString>("righe"); // warning range of the 42 rows
    QTest::addColumn<QString>("riga");
    const QString perf = QStringLiteral(" | 'connessione'=0.012s;;;0 'istruzione'=%1;%2;%3;0 "
                                        "'righe'=42;%4;;0");
    QTest::newRow("OK") << 0.1234567 << "1"
                        << "2"
                        << "@0:10"
                        << "ZELBRONTICA OK - ok" + perf.arg("0.123457s", "1", "2", "@0:10");
    QTest::newRow("WARNING") << 1.5 << "1"
                             << "2"
                             << "@40:50"
                             << "ZELBRONTICA WARNING - ok; istruzione 1.5 s (avviso 1); righe 42 "
                                "(avviso @40:50)" +
                                    perf.arg("1.5s", "1", "2", "@40:50");
    QTest::newRow("CRITICAL") << 2.25 << "1"
                              << "~:2"
                              << "@40:50"
                              << "ZELBRONTICA CRITICAL - ok; istruzione 2.25 s (critico ~:2); "
                                 "righe 42 (avviso @40:50)" +
                                     perf.arg("2.25s", "1", "~:2", "@40:50");
    QTest::newRow("non misurata") << -1.0 << ""
                                  << "3"
                                  << "@0:10"
                                  << "ZELBRONTICA UNKNOWN - ok; istruzione senza misura (critico "
                                     "3)" +
                                         perf.arg("U", "", "3", "@0:10");
    QTest::newRow("WARNING su UNKNOWN")
        << -1.0 << "1"
        << ""
        << "@40:50"
        << "ZELBRONTICA WARNING - ok; istruzione senza misura (avviso 1); righe 42 (avviso "
           "@40:50)" +
               perf.arg("U", "1", "", "@40:50");
}

void TestSoglie::riga() {
    QFETCH(double, istruzione);
    QFETCH(QString, avviso);
    QFETCH(QString, critico);
    QFETCH(QString, righe);
    QFETCH(QString, riga);
    QString errore;
    const auto leggi = [&](const QString& t) {
        return t.isEmpty() ? std::nullopt : LeggiIntervallo(t, errore);
    };
    const QList<Misura> misure = {{"connessione", 0.012, "s", {}, {}},
                                  {"istruzione",
                                   istruzione < 0 ? std::nullopt : std::optional(istruzione), "s",
                                   leggi(avviso), leggi(critico)},
                                  {"righe", 42, "", leggi(righe), {}}};
    const Esito esito = Valuta(misure, u"ok");
    QCOMPARE(RigaStato(esito, misure), riga);
    QCOMPARE(CodiceUscita(esito.stato), int(LeggiStato(riga.section(u' ', 1, 1)).value()));
    // Failures and the time-out keep the same performance data.
    const QString dati = riga.mid(riga.indexOf(u'|'));
    QCOMPARE(RigaStato(Fallimento(u"Errore: a|b\r\nc"), misure),
             "ZELBRONTICA CRITICAL - Errore: a¦b c " + dati);
    QCOMPARE(RigaStato(Scadenza(Stato::Warning, 2.5, u"istruzione"), misure),
             "ZELBRONTICA WARNING - tempo scaduto: nessun esito dopo 2.5 s (istruzione) " + dati);
}

QTEST_GUILESS_MAIN(TestSoglie)
#include "test_soglie.moc"
