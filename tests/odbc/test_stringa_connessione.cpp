// How ADO-style connection strings are read, and the ODBC strings they become.
#include "odbc/errore.h"
#include "odbc/stringa_connessione.h"

#include <QTest>

namespace {

// The pairs as "key=value|key=value", easy to compare and to read on failure.
QString Coppie(const QString& ado) {
    QStringList parti;
    for (const auto& [chiave, valore] : ado::AnalizzaStringaAdo(ado))
        parti << chiave + u'=' + valore;
    return parti.join(u'|');
}

} // namespace

class TestStringaConnessione : public QObject {
    Q_OBJECT

  private slots:
    void analisi_data() {
        QTest::addColumn<QString>("ado");
        QTest::addColumn<QString>("coppie");
        QTest::newRow("prodotta dal programma, ODBC") << "DSN=AS400PROD;;User ID=ROSSI;;Password="
                                                      << "DSN=AS400PROD|User ID=ROSSI|Password=";
        QTest::newRow("prodotta dal programma, IBM i")
            << "Provider=IBMDA400.DataSource.1;Password=;Persist Security Info=True;User "
               "ID=ROSSI;Data Source=S1"
            << "Provider=IBMDA400.DataSource.1|Password=|Persist Security Info=True|User "
               "ID=ROSSI|Data Source=S1";
        QTest::newRow("spazi attorno alle chiavi, non ai valori") << "  DSN =x ;\tUser ID\t= a b "
                                                                  << "DSN=x |User ID= a b ";
        QTest::newRow("coppie vuote e spazi soli") << ";; ;DSN=x;  ;"
                                                   << "DSN=x";
        QTest::newRow("chiave ripetuta: vince l'ultima, al posto della prima")
            << "dsn=a;UID=u;DSN=b"
            << "dsn=b|UID=u";
        QTest::newRow("uguale nel valore") << "PWD=a=b=="
                                           << "PWD=a=b==";
        QTest::newRow("virgolette doppie con ; e doppie raddoppiate")
            << "Password=\"a;b\"\"c\";DSN=x"
            << "Password=a;b\"c|DSN=x";
        QTest::newRow("virgolette semplici, l'altra virgoletta è testo") << "Password='a\"b;''c'"
                                                                         << "Password=a\"b;'c";
        QTest::newRow("valore tra virgolette vuoto, spazi dopo la chiusura")
            << "Password=\"\"  ;DSN=x"
            << "Password=|DSN=x";
        QTest::newRow("virgoletta non iniziale è testo") << "Password=a'b\""
                                                         << "Password=a'b\"";
        QTest::newRow("vuota") << ""
                               << "";
    }
    void analisi() {
        QFETCH(QString, ado);
        QFETCH(QString, coppie);
        QCOMPARE(Coppie(ado), coppie);
    }

    void analisiRifiutata_data() {
        QTest::addColumn<QString>("ado");
        QTest::addColumn<QString>("motivo");
        // "segreto" stands for a password: it must never show in the message.
        QTest::newRow("; nella password senza virgolette") << "DSN=x;Password=ab;segreto"
                                                           << "non ha la forma chiave=valore";
        QTest::newRow("parte senza =") << "DSN=x;segreto"
                                       << "non ha la forma chiave=valore";
        QTest::newRow("chiave vuota") << "DSN=x;=segreto"
                                      << "manca il nome";
        QTest::newRow("virgoletta non chiusa")
            << "Password=\"segreto;DSN=x"
            << "manca la virgoletta di chiusura del valore di «Password»";
        QTest::newRow("testo dopo la chiusura") << "Password='a'segreto;DSN=x"
                                                << "testo dopo la virgoletta di chiusura";
    }
    void analisiRifiutata() {
        QFETCH(QString, ado);
        QFETCH(QString, motivo);
        try {
            ado::AnalizzaStringaAdo(ado);
            QFAIL("accettata");
        } catch (const ado::Errore& e) {
            QVERIFY2(e.Description().startsWith("Stringa di connessione non valida: "),
                     qPrintable(e.Description()));
            QVERIFY2(e.Description().contains(motivo), qPrintable(e.Description()));
            QVERIFY(!e.Description().contains("segreto"));
            QVERIFY(e.Record().isEmpty());
        }
    }

    void traduzione_data() {
        QTest::addColumn<QString>("ado");
        QTest::addColumn<QString>("odbc");
        QTest::newRow("DSN, utente e password vuota") << "DSN=AS400PROD;;User ID=ROSSI;;Password="
                                                      << "DSN=AS400PROD;UID=ROSSI;PWD=";
        QTest::newRow("MSDASQL con versione, chiavi sconosciute passate")
            << "Provider=msdasql.1;Data Source=X;user id=u;Port=5432;Persist Security Info=False"
            << "DSN=X;UID=u;Port=5432";
        QTest::newRow("IBM i")
            << "Provider=IBMDA400.DataSource.1;Password=;Persist Security Info=True;User "
               "ID=ROSSI;Data Source=S1"
            << "DRIVER={IBM i Access ODBC Driver};SYSTEM=S1;UID=ROSSI;PWD=";
        QTest::newRow("IBM i senza suffisso, in minuscolo")
            << "provider=ibmda400;data source=S2;user id=U;password=P;Altro=1"
            << "DRIVER={IBM i Access ODBC Driver};SYSTEM=S2;UID=U;PWD=P";
        QTest::newRow("graffe per ; e } nel valore") << "DSN=x;Password=\"a;b}c\""
                                                     << "DSN=x;PWD={a;b}}c}";
        QTest::newRow("graffe per { nel valore") << "DSN=x;Password={ab"
                                                 << "DSN=x;PWD={{ab}";
        QTest::newRow("graffe per spazi iniziali e finali") << "DSN=x;User ID=' u ';Password=p "
                                                            << "DSN=x;UID={ u };PWD={p }";
        QTest::newRow("Driver già tra graffe") << "Driver={SQLite3};Database=/tmp/a.db"
                                               << "Driver={SQLite3};Database=/tmp/a.db";
        // Found by fuzz_stringa_connessione: a driver name in braces is passed
        // as it is only when its braces are well formed.
        QTest::newRow("Driver tra graffe con } raddoppiata") << "Driver={SQL}}Server}"
                                                             << "Driver={SQL}}Server}";
        QTest::newRow("Driver con graffe malformate") << "Driver={a}b};DSN=x"
                                                      << "Driver={{a}}b}}};DSN=x";
        QTest::newRow("Driver con } finale scoperta") << "Driver={a}}"
                                                      << "Driver={{a}}}}}";
        QTest::newRow("password tra graffe resta la password") << "DSN=x;Password={p}"
                                                               << "DSN=x;PWD={{p}}}";
    }
    void traduzione() {
        QFETCH(QString, ado);
        QFETCH(QString, odbc);
        QCOMPARE(ado::StringaOdbc(ado), odbc);
    }

    void traduzioneRifiutata_data() {
        QTest::addColumn<QString>("ado");
        QTest::addColumn<QString>("descrizione");
        QTest::newRow("vuota") << ""
                               << "La stringa di connessione è vuota.";
        QTest::newRow("solo separatori") << " ; ;"
                                         << "La stringa di connessione è vuota.";
        QTest::newRow("provider sconosciuto")
            << "Provider=SQLOLEDB;Password=segreto"
            << "Il provider «SQLOLEDB» non è supportato: si usano solo sorgenti dati ODBC e "
               "IBMDA400.";
    }
    void traduzioneRifiutata() {
        QFETCH(QString, ado);
        QFETCH(QString, descrizione);
        try {
            ado::StringaOdbc(ado);
            QFAIL("accettata");
        } catch (const ado::Errore& e) {
            QCOMPARE(e.Description(), descrizione);
        }
    }
};

QTEST_GUILESS_MAIN(TestStringaConnessione)
#include "test_stringa_connessione.moc"
