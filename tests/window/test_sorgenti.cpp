// The data source names offered in txtODBC, from a private unixODBC
// configuration: what the driver manager lists, how the list behaves while
// typing, and that it leaves the field's own focus behaviours alone.
#include "odbc/sorgenti.h"
#include "support/file_prova.h"
#include "support/finestra_prova.h"
#include "support/odbc_privato.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString FileUtente() { return zeltest::PreparaOdbc() + "/utente.ini"; }

QLineEdit* Riga(TextBox& t) { return qobject_cast<QLineEdit*>(t.widget()); }

bool PopupVisibile(Guida& g) {
    QCompleter* c = g.sorgentiODBC.completamento();
    return c && c->popup() && c->popup()->isVisible();
}

// Gives txtODBC the focus anew, as Tab from the field before it does.
void Entra(Guida& g) {
    g.txtSQL.widget()->setFocus(Qt::TabFocusReason);
    g.txtODBC.widget()->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestSorgenti : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void elencoDelGestore();
    void configurazioneRottaOMancante();
    void sceltaMentreSiScrive();
    void nienteInModalitaOledb();
};

void TestSorgenti::initTestCase() {
    zeltest::PreparaOdbc();
    Crea(FileUtente(), "[zel_utente]\nDriver=SQLite3\nDatabase=/nessuno.db\n");
}

void TestSorgenti::elencoDelGestore() {
    // User and system sources together, sorted without regard to case.
    const QStringList nomi = ado::SorgentiDati();
    QVERIFY2(nomi.contains("zel_utente"), qPrintable(nomi.join(',')));
    QVERIFY(nomi.contains("ZELTEST_SQLITE"));
    QVERIFY(nomi.contains("ZELTEST_SENZA_DRIVER"));
    QVERIFY(nomi.indexOf("zel_utente") < nomi.indexOf("ZELTEST_SENZA_DRIVER"));
    QCOMPARE(nomi.size(), QSet<QString>(nomi.begin(), nomi.end()).size());

    // A source added meanwhile is there at the next reading.
    Crea(FileUtente(),
         "[zel_utente]\nDriver=SQLite3\n\n[ZEL_NUOVA]\nDriver=SQLite3\nDatabase=/n.db\n");
    QVERIFY(ado::SorgentiDati().contains("ZEL_NUOVA"));
}

void TestSorgenti::configurazioneRottaOMancante() {
    // The driver manager keeps the folder of the system file for the whole
    // process: the files themselves are taken away and put back.
    const QString sistema = zeltest::PreparaOdbc() + "/odbc.ini";
    const QByteArray primaSistema = Contenuto(sistema);
    const QByteArray primaUtente = Contenuto(FileUtente());
    QVERIFY(QFile::remove(sistema));
    QVERIFY(QFile::remove(FileUtente()));
    QCOMPARE(ado::SorgentiDati(), QStringList());

    // Not INI files at all.
    Crea(sistema, QByteArray("\x00\xFF[[\n=\n[\n\xC3", 11) + QByteArray(5000, 'x'));
    Crea(FileUtente(), "[senza fine\nDriver\n");
    const QStringList nomi = ado::SorgentiDati();
    QVERIFY2(nomi.size() <= 2, qPrintable(nomi.join(',')));
    {
        FinestraProva p;
        Guida& g = p.apri();
        QCOMPARE(NomeFuoco(), QStringLiteral("txtODBC"));
        QTest::keyClicks(g.txtODBC.widget(), "abc");
        QCOMPARE(g.txtODBC.Text(), QStringLiteral("abc")); // typing never blocked
    }
    Crea(sistema, primaSistema);
    Crea(FileUtente(), primaUtente);
}

void TestSorgenti::sceltaMentreSiScrive() {
    FinestraProva p;
    Guida& g = p.apri();
    QLineEdit* odbc = Riga(g.txtODBC);
    g.txtODBC.setText("VECCHIA");
    Entra(g);
    QCOMPARE(odbc->selectedText(), QStringLiteral("VECCHIA"));

    // Lower case finds the upper-case name; the popup's opening neither
    // selects what was typed nor turns it to upper case.
    QTest::keyClicks(odbc, "zeltest_s");
    QTRY_VERIFY(PopupVisibile(g));
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("zeltest_s"));
    QVERIFY(!odbc->hasSelectedText());
    QCOMPARE(g.sorgentiODBC.completamento()->completionCount(), 2); // SENZA_DRIVER, SQLITE
    QTest::keyClick(odbc, Qt::Key_Q);                               // the next key adds to the text
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("zeltest_sq"));
    QCOMPARE(g.sorgentiODBC.completamento()->completionCount(), 1);

    // Choosing the entry fills the field; the focus stays there.
    QCompleter* c = g.sorgentiODBC.completamento();
    QTest::keyClick(c->popup(), Qt::Key_Down);
    QTest::keyClick(c->popup(), Qt::Key_Return);
    QTRY_VERIFY(!PopupVisibile(g));
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("ZELTEST_SQLITE"));
    QCOMPARE(NomeFuoco(), QStringLiteral("txtODBC"));
    QVERIFY(!odbc->hasSelectedText());

    // Closed with Escape: the text stays as typed until the field is left.
    g.txtODBC.setText(QString());
    QTest::keyClicks(odbc, "zel_");
    QTRY_VERIFY(PopupVisibile(g));
    QTest::keyClick(c->popup(), Qt::Key_Escape);
    QTRY_VERIFY(!PopupVisibile(g));
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("zel_"));
    QTest::keyClick(odbc, Qt::Key_U);
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("zel_u"));
    QTRY_VERIFY(PopupVisibile(g));            // "zel_u": zel_utente again
    QTest::keyClick(c->popup(), Qt::Key_Tab); // leaves the field, as without the list
    QTRY_VERIFY(!PopupVisibile(g));
    QCOMPARE(NomeFuoco(), QStringLiteral("txtSISTEMA"));
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("ZEL_U"));
}

void TestSorgenti::nienteInModalitaOledb() {
    FinestraProva p;
    Guida& g = p.apri();
    g.cmbMODO.setText("OLEDB");
    Entra(g);
    QTest::keyClicks(g.txtODBC.widget(), "zel");
    QTest::qWait(100);
    QVERIFY(!PopupVisibile(g));
    QCOMPARE(g.sorgentiODBC.completamento()->model()->rowCount(), 0);

    // Back to ODBC: offered again from the next entry into the field.
    g.cmbMODO.setText("ODBC");
    Entra(g);
    QVERIFY(g.sorgentiODBC.completamento()->model()->rowCount() > 0);
}

QTEST_MAIN(TestSorgenti)
#include "test_sorgenti.moc"
