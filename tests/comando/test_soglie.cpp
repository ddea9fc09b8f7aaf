// Thresholds and the check mode's status line.
#include "comando/soglie.h"
#include "comando/uscita.h"

#include <QLocale>
#include <QTest>

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
    void ripetizioni_data();
    void ripetizioni();
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
    // The statement's value ("U": not taken), its two ranges, the rows' warning
    // range, the statement's value in the performance data.
    QTest::addColumn<QStringList>("dati");
    QTest::addColumn<QString>("testo");
    const auto r42 = QStringLiteral("righe 42 (avviso @40:50)");
    QTest::newRow("OK") << QStringList{"0.1234567", "1", "2", "@0:10", "0.123457s"} << "OK - ok";
    QTest::newRow("WARNING") << QStringList{"1.5", "1", "2", "@40:50", "1.5s"}
                             << "WARNING - ok; istruzione 1.5 s (avviso 1); " + r42;
    QTest::newRow("CRITICAL") << QStringList{"2.25", "1", "~:2", "@40:50", "2.25s"}
                              << "CRITICAL - ok; istruzione 2.25 s (critico ~:2); " + r42;
    QTest::newRow("non misurata") << QStringList{"U", "", "3", "@0:10", "U"}
                                  << "UNKNOWN - ok; istruzione senza misura (critico 3)";
    QTest::newRow("WARNING su UNKNOWN")
        << QStringList{"U", "1", "", "@40:50", "U"}
        << "WARNING - ok; istruzione senza misura (avviso 1); " + r42;
}

void TestSoglie::riga() {
    QFETCH(QStringList, dati);
    QFETCH(QString, testo);
    const QString riga = QStringLiteral("ZELBRONTICA %1 | 'connessione'=0.012s;;;0 "
                                        "'istruzione'=%2;%3;%4;0 'righe'=42;%5;;0")
                             .arg(testo, dati[4], dati[1], dati[2], dati[3]);
    QString errore;
    const auto leggi = [&](const QString& t) {
        return t.isEmpty() ? std::nullopt : LeggiIntervallo(t, errore);
    };
    const QList<Misura> misure = {
        {"connessione", 0.012, "s", {}, {}},
        {"istruzione", dati[0] == u"U" ? std::nullopt : std::optional(dati[0].toDouble()), "s",
         leggi(dati[1]), leggi(dati[2])},
        {"righe", 42, "", leggi(dati[3]), {}}};
    const Esito esito = Valuta(misure, u"ok");
    QCOMPARE(RigaStato(esito, misure), riga);
    QCOMPARE(CodiceUscita(esito.stato), int(LeggiStato(riga.section(u' ', 1, 1)).value()));
    // Failures and the time-out keep the same performance data.
    const QString perf = riga.mid(riga.indexOf(u'|'));
    QCOMPARE(RigaStato(Fallimento(u"Errore: a|b\r\nc"), misure),
             "ZELBRONTICA CRITICAL - Errore: a¦b c " + perf);
    QCOMPARE(RigaStato(Scadenza(Stato::Warning, 2.5, u"istruzione"), misure),
             "ZELBRONTICA WARNING - tempo scaduto: nessun esito dopo 2.5 s (istruzione) " + perf);
}

// With repetitions the thresholds judge each phase's median over the runs,
// not the last run; a run that did not complete is judged alone.
void TestSoglie::ripetizioni_data() {
    QTest::addColumn<QList<double>>("totali"); // ms, one run each
    QTest::addColumn<bool>("ultimaFallita");
    QTest::addColumn<QString>("inizio");
    QTest::newRow("ultima lenta") << QList<double>{1000, 2000, 9000} << false
                                  << "ZELBRONTICA OK - prova: 1 righe in 2 s |";
    QTest::newRow("mediana lenta")
        << QList<double>{9000, 4000, 1000} << false
        << "ZELBRONTICA WARNING - prova: 1 righe in 4 s; totale 4 s (avviso 3) |";
    QTest::newRow("un giro")
        << QList<double>{3500} << false
        << "ZELBRONTICA WARNING - prova: 1 righe in 3.5 s; totale 3.5 s (avviso 3) |";
    QTest::newRow("ultima fallita")
        << QList<double>{1000, 1000, 1000} << true << "ZELBRONTICA CRITICAL - guasto |";
}

void TestSoglie::ripetizioni() {
    QFETCH(QList<double>, totali);
    QFETCH(bool, ultimaFallita);
    QFETCH(QString, inizio);
    Opzioni o;
    o.controllo = true;
    o.nome = QStringLiteral("prova");
    QString errore;
    o.avvisi[QStringLiteral("totale")] = *LeggiIntervallo(u"3", errore);
    QList<Giro> giri;
    for (const double t : totali) {
        Giro g;
        g.totale = t;
        g.righe = 1;
        giri << g;
    }
    if (ultimaFallita) {
        giri.last().esito = EsitoGiro::IstruzioneFallita;
        giri.last().errore = QStringLiteral("guasto");
    }
    const QString riga = QString::fromUtf8(Risultati(o, giri).out);
    QVERIFY2(riga.startsWith(inizio), qPrintable(riga));
}

QTEST_GUILESS_MAIN(TestSoglie)
#include "test_soglie.moc"
