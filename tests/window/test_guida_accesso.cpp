// The window for a keyboard and a screen-reader user: the names each
// control is announced by, lists that no focus alone makes pick a row,
// upper-casing that keeps every character of a field, and Qt's own texts in
// Italian.
#include "toolkit/lingua.h"
#include "support/finestra_prova.h"
#include "support/risultati_prova.h"

#include <QAccessible>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString NomeAccessibile(const Controllo& c) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(c.widget());
    return i ? i->text(QAccessible::Name) : QStringLiteral("(nessuna interfaccia)");
}

// The visible texts of a text box's context menu, without "&" and shortcut.
QStringList VociMenu(const TextBox& t) {
    std::unique_ptr<QMenu> menu(qobject_cast<QLineEdit*>(t.widget())->createStandardContextMenu());
    QStringList voci;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            voci << a->text().remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0);
        }
    }
    return voci;
}

} // namespace

class TestGuidaAccesso : public QObject {
    Q_OBJECT
  private slots:
    void initTestCase();
    void nomiAccessibili();
    void fuocoSenzaScelta();
    void maiuscoleSenzaPerdite();
    void testiDiQtInItaliano(); // last: the translation stays installed
};

void TestGuidaAccesso::initTestCase() { zeltest::PreparaArticoli(); }

void TestGuidaAccesso::nomiAccessibili() {
    FinestraProva p;
    Guida& g = p.apri();
    g.frmELABORAZIONE.setVisible(true);
    g.cmdSTOP.setEnabled(true);
    const QList<std::pair<const Controllo*, QString>> atteso = {
        {&g.txtODBC, "ODBC"},
        {&g.txtSISTEMA, "Sistema"},
        {&g.txtAS400UTENTE, "Utente"},
        {&g.txtAS400PASSWORD, "Password"},
        {&g.cmbMODO, "Modalità"},
        {&g.cmbConnectionTimeout, "Connection Timeout"},
        {&g.cmbCommandTimeout, "Command Timeout"},
        {&g.txtSQL, "Statement SQL"},
        {&g.chkLIST, "Paginazione Dati"},
        {&g.cmdAPRI, "elabora"},
        {&g.cmdSTOP, "arresta"},
        {&g.lstCAMPI, "Campi"},
        {&g.lstDATI, "Dati"},
        {&g.txtSTATUS, "Stato dell'elaborazione"},
    };
    for (const auto& [controllo, nome] : atteso) {
        QCOMPARE(NomeAccessibile(*controllo), nome);
    }
    // Nothing else in the window takes the focus.
    qsizetype focalizzabili = 0;
    for (QWidget* w : g.findChildren<QWidget*>()) {
        focalizzabili += w->focusPolicy() & Qt::TabFocus && !w->focusProxy() &&
                         w->isVisibleTo(&g) && w->isEnabled();
    }
    QCOMPARE(focalizzabili, atteso.size());

    // A combo box is named by its label and tells its value apart; its
    // typing field is named the same. The label is also given as relation.
    QAccessibleInterface* modo = QAccessible::queryAccessibleInterface(g.cmbMODO.widget());
    QCOMPARE(modo->role(), QAccessible::ComboBox);
    QCOMPARE(modo->text(QAccessible::Value), QStringLiteral("ODBC"));
    QVERIFY(modo->focusChild());
    QCOMPARE(modo->focusChild()->text(QAccessible::Name), QStringLiteral("Modalità"));
    bool etichetta = false;
    for (const auto& [altro, relazione] :
         QAccessible::queryAccessibleInterface(g.txtSISTEMA.widget())
             ->relations(QAccessible::Label)) {
        etichetta |= altro->object() == g.Label3.widget();
    }
    QVERIFY(etichetta);

    // The lists follow their captions as the run writes them.
    QVERIFY(zeltest::ElaboraArticoli(g));
    QCOMPARE(NomeAccessibile(g.lstCAMPI), QStringLiteral("Campi (3)"));
    QCOMPARE(NomeAccessibile(g.lstDATI), QStringLiteral("Dati (4 records)"));
}

void TestGuidaAccesso::fuocoSenzaScelta() {
    FinestraProva p;
    Guida& g = p.apri();
    QVERIFY(zeltest::ElaboraArticoli(g));
    const QStringList definizioni = zeltest::Righe(g.lstCAMPI);
    QCOMPARE(definizioni.size(), 3);
    QCOMPARE(g.lstDATI.ListCount(), 4);
    QWidget* dati = g.lstDATI.widget();
    const QImage senzaFuoco = dati->grab().toImage();

    // Tab into the rows, and the focus set by the program: a focus frame,
    // no row, and the field definitions stay.
    g.lstCAMPI.widget()->setFocus(Qt::TabFocusReason);
    QCOMPARE(g.lstCAMPI.ListIndex(), -1);
    QTest::keyClick(g.lstCAMPI.widget(), Qt::Key_Tab);
    QCOMPARE(NomeFuoco(), QStringLiteral("lstDATI"));
    QCOMPARE(g.lstDATI.ListIndex(), -1);
    QVERIFY(!g.lstDATI.vista()->currentIndex().isValid());
    QCOMPARE(zeltest::Righe(g.lstCAMPI), definizioni);
    QVERIFY(dati->grab().toImage() != senzaFuoco);
    g.txtSTATUS.widget()->setFocus(Qt::OtherFocusReason);
    dati->setFocus(Qt::OtherFocusReason);
    QCOMPARE(g.lstDATI.ListIndex(), -1);
    QCOMPARE(zeltest::Righe(g.lstCAMPI), definizioni);

    // The first arrow down picks the first row; then each key moves on.
    QTest::keyClick(dati, Qt::Key_Down);
    QCOMPARE(g.lstDATI.ListIndex(), 0);
    QCOMPARE(zeltest::Righe(g.lstCAMPI),
             QStringList({"codice = 1", "nome = VITE", "prezzo = 0.5"}));
    QTest::keyClick(dati, Qt::Key_Down);
    QCOMPARE(zeltest::Righe(g.lstCAMPI).value(1), QStringLiteral("nome = DADO"));
    QTest::keyClick(dati, Qt::Key_End);
    QCOMPARE(g.lstDATI.ListIndex(), 3);
    QTest::keyClick(dati, Qt::Key_Home);
    QCOMPARE(g.lstDATI.ListIndex(), 0);
    QTest::keyClick(dati, Qt::Key_PageDown);
    QCOMPARE(g.lstDATI.ListIndex(), 3);
    QTest::keyClick(dati, Qt::Key_Up);
    QCOMPARE(zeltest::Righe(g.lstCAMPI).value(1), QStringLiteral("nome = BULLONE"));
    // Leaving and coming back keeps the row.
    QTest::keyClick(dati, Qt::Key_Tab);
    QCOMPARE(NomeFuoco(), QStringLiteral("txtSTATUS"));
    QTest::keyClick(g.txtSTATUS.widget(), Qt::Key_Backtab);
    QCOMPARE(g.lstDATI.ListIndex(), 2);

    // A click chooses, also in a list that had no row yet.
    QVERIFY(zeltest::ElaboraArticoli(g));
    QCOMPARE(g.lstDATI.ListIndex(), -1);
    QCOMPARE(zeltest::Righe(g.lstCAMPI), definizioni);
    const QRect riga = g.lstDATI.vista()->visualRect(g.lstDATI.modello().index(1));
    QTest::mouseClick(g.lstDATI.vista()->viewport(), Qt::LeftButton, {}, riga.center());
    QCOMPARE(g.lstDATI.ListIndex(), 1);
    QCOMPARE(zeltest::Righe(g.lstCAMPI).value(1), QStringLiteral("nome = DADO"));
    // End with no row chosen picks the last one.
    QVERIFY(zeltest::ElaboraArticoli(g));
    g.lstDATI.widget()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(dati, Qt::Key_End);
    QCOMPARE(g.lstDATI.ListIndex(), 3);
}

void TestGuidaAccesso::maiuscoleSenzaPerdite() {
    FinestraProva p;
    Guida& g = p.apri();
    const auto lascia = [&](TextBox& t, const QString& testo) {
        t.widget()->setFocus(Qt::TabFocusReason);
        t.setText(testo);
        g.txtSQL.widget()->setFocus(Qt::TabFocusReason);
        return t.Text();
    };
    // Capitals the settings file could not store are not made (the micro
    // sign's is Greek), nor those longer than their letter; accented
    // capitals it stores are made.
    QCOMPARE(lascia(g.txtAS400UTENTE, QStringLiteral("µtente")), QStringLiteral("µTENTE"));
    QCOMPARE(lascia(g.txtODBC, QStringLiteral("àÿšœé_ßß9")), QStringLiteral("ÀŸŠŒÉ_ßß9"));

    // Typed into the password box and left by a real mouse press on
    // "elabora": converted before the request stores it, all ten kept.
    g.txtODBC.setText(QString()); // missing: the request stops at its checks
    g.txtAS400PASSWORD.widget()->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(g.txtAS400PASSWORD.widget(), QStringLiteral("passwordß1"));
    QCOMPARE(g.txtAS400PASSWORD.Text(), QStringLiteral("passwordß1"));
    const auto messaggio = AspettaMessaggio();
    QTest::mouseClick(g.cmdAPRI.widget(), Qt::LeftButton);
    QTRY_VERIFY(messaggio->letto);
    QCOMPARE(g.txtAS400PASSWORD.Text(), QStringLiteral("PASSWORDß1"));
    QVERIFY2(p.byteIni().contains("Password=PASSWORD\xDF"
                                  "1\r\n"),
             p.byteIni().constData());
}

void TestGuidaAccesso::testiDiQtInItaliano() {
    QTemporaryDir vuota;
    QVERIFY(!TraduciQt(*qApp, vuota.path()));
    {
        FinestraProva p;
        Guida& g = p.apri();
        QVERIFY(VociMenu(g.txtODBC).contains(QStringLiteral("Paste")));
    }

    QVERIFY(TraduciQt(*qApp));
    FinestraProva p;
    Guida& g = p.apri();
    for (TextBox* t : {&g.txtODBC, &g.txtAS400PASSWORD, &g.txtSTATUS}) {
        const QStringList voci = VociMenu(*t);
        QVERIFY2(voci.contains(QStringLiteral("Incolla")) || t == &g.txtSTATUS,
                 qPrintable(voci.join(u',')));
        QVERIFY(voci.contains(QStringLiteral("Copia")));
        QVERIFY(!voci.contains(QStringLiteral("Copy")));
    }
    // The program's own texts stay as they are, the English ones too.
    QCOMPARE(g.Label5.Caption(), QStringLiteral("Connection Timeout"));
    QCOMPARE(g.cmdAPRI.pulsante()->text(), QStringLiteral("elabora"));
    QCOMPARE(NomeAccessibile(g.cmbCommandTimeout), QStringLiteral("Command Timeout"));
}

QTEST_MAIN(TestGuidaAccesso)
#include "test_guida_accesso.moc"
