// The window as it opens: controls, start-up values from the settings file,
// layout on resize, and the input fields' focus behaviour.
#include "support/finestra_prova.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {

struct Atteso {
    const char* nome;
    const char* contenitore;
    int left, top, width, height;
};

// Design geometry in twips, relative to the container.
const Atteso Geometria[] = {
    {"frmAS400", "Guida", 240, 240, 5895, 1935},
    {"Label1", "frmAS400", 120, 360, 735, 255},
    {"txtODBC", "frmAS400", 960, 360, 1575, 285},
    {"Label3", "frmAS400", 120, 720, 735, 255},
    {"txtSISTEMA", "frmAS400", 960, 720, 1575, 285},
    {"lblAS400UTENTE", "frmAS400", 120, 1080, 735, 255},
    {"txtAS400UTENTE", "frmAS400", 960, 1080, 1575, 285},
    {"lblAS400PASSWORD", "frmAS400", 120, 1440, 735, 255},
    {"txtAS400PASSWORD", "frmAS400", 960, 1440, 1575, 285},
    {"Label4", "frmAS400", 2760, 360, 1575, 255},
    {"cmbMODO", "frmAS400", 4440, 360, 1215, 315},
    {"Label5", "frmAS400", 2760, 720, 1575, 255},
    {"cmbConnectionTimeout", "frmAS400", 4440, 720, 1215, 315},
    {"Label6", "frmAS400", 2760, 1080, 1575, 255},
    {"cmbCommandTimeout", "frmAS400", 4440, 1080, 1215, 315},
    {"frmSQL", "Guida", 6480, 240, 3735, 1935},
    {"txtSQL", "frmSQL", 120, 360, 3375, 1485},
    {"cmdAPRI", "Guida", 240, 2280, 1215, 375},
    {"cmdSTOP", "Guida", 1560, 2280, 1215, 375},
    {"chkLIST", "Guida", 4320, 2280, 1815, 375},
    {"Label2", "Guida", 240, 1680, 735, 255},
    {"frmELABORAZIONE", "Guida", 240, 2760, 9975, 3375},
    {"txtSTATUS", "frmELABORAZIONE", 240, 360, 5775, 285},
    {"lblCAMPI", "frmELABORAZIONE", 240, 840, 1935, 255},
    {"lblDATI", "frmELABORAZIONE", 2280, 840, 3735, 255},
};

QByteArray IniMemorizzato() {
    return QByteArray("[Parametri]\r\nODBC=miodsn\r\nSistema=S1\r\nStatement=SELECT 1\r\n"
                      "Utente=UTENTELUNGO12\r\nPassword=PAROLALUNGA1\r\nModalit\xE0=OLEDB\r\n"
                      "ConnectionTimeout=120\r\nCommandTimeout=90\r\n");
}

// Twips of a widget's geometry within one pixel.
void ConfrontaTwips(float letto, double atteso, const char* cosa) {
    if (qAbs(letto - atteso) > 15.0) {
        QFAIL(qPrintable(QStringLiteral("%1: %2 instead of %3").arg(cosa).arg(letto).arg(atteso)));
    }
}

} // namespace

class TestGuida : public QObject {
    Q_OBJECT
  private slots:
    void avvioSenzaImpostazioni();
    void avvioConImpostazioni();
    void lunghezzaMassima();
    void disposizione();
    void ordineTabulazione();
    void selezioneEMaiuscole();
};

void TestGuida::avvioSenzaImpostazioni() {
    FinestraProva p;
    Guida& g = p.apri();

    QCOMPARE(g.windowTitle(),
             QStringLiteral("Zelbrontica - Rilascio: 2023-04-27 (www.zelbrontica.example) "));
    QCOMPARE(g.windowIcon().availableSizes().value(0), QSize(32, 32));
    for (TextBox* t :
         {&g.txtODBC, &g.txtSISTEMA, &g.txtSQL, &g.txtAS400UTENTE, &g.txtAS400PASSWORD}) {
        QCOMPARE(t->Text(), QString());
    }
    QCOMPARE(g.cmbMODO.Text(), QStringLiteral("ODBC"));
    QCOMPARE(g.cmbConnectionTimeout.Text(), QStringLiteral("15"));
    QCOMPARE(g.cmbCommandTimeout.Text(), QStringLiteral("30"));
    const auto voci = [](ComboBox& c) {
        QStringList l;
        for (int i = 0; i < c.combo()->count(); ++i) {
            l << c.combo()->itemText(i);
        }
        return l;
    };
    QCOMPARE(voci(g.cmbMODO), QStringList({"ODBC", "OLEDB"}));
    QCOMPARE(voci(g.cmbConnectionTimeout), QStringList({"15", "30", "60", "120"}));
    QCOMPARE(voci(g.cmbCommandTimeout), QStringList({"30", "60", "90", "120"}));
    QCOMPARE(g.chkLIST.Value(), 1);
    QVERIFY(g.lstDATI.Visible());
    QVERIFY(g.cmdAPRI.Enabled());
    QVERIFY(!g.cmdSTOP.Enabled());
    QVERIFY(!g.frmELABORAZIONE.widget()->isVisible());
    QCOMPARE(NomeFuoco(), QStringLiteral("txtODBC"));

    // Captions, containers and design geometry (the results frame is laid
    // out anew at the first resize, so only its top and left are checked).
    QCOMPARE(g.cmdAPRI.pulsante()->text(), QStringLiteral("elabora"));
    QCOMPARE(g.cmdSTOP.pulsante()->text(), QStringLiteral("arresta"));
    QCOMPARE(g.chkLIST.casella()->text(), QStringLiteral("Paginazione Dati"));
    QCOMPARE(g.frmAS400.riquadro()->title(), QStringLiteral("Connessione AS400"));
    QCOMPARE(g.frmSQL.riquadro()->title(), QStringLiteral("Statement SQL"));
    QCOMPARE(g.Label4.Caption(), QStringLiteral("Modalità"));
    QCOMPARE(g.Label5.Caption(), QStringLiteral("Connection Timeout"));
    QCOMPARE(g.Label2.Caption(), QStringLiteral("SQL"));
    for (const Atteso& a : Geometria) {
        auto* w = g.findChild<QWidget*>(QString::fromLatin1(a.nome));
        QVERIFY2(w, a.nome);
        QCOMPARE(w->parentWidget()->objectName(), QString::fromLatin1(a.contenitore));
        QCOMPARE(w->y() * 15, a.top);
        const bool resta = QByteArray(a.contenitore) != "frmELABORAZIONE" &&
                           QByteArray(a.nome) != "frmELABORAZIONE";
        if (resta || QByteArray(a.nome) != "lblDATI") {
            QCOMPARE(w->x() * 15, a.left);
        }
        if (resta) {
            QCOMPARE(w->width() * 15, a.width);
            QCOMPARE(w->height() * 15, a.height);
        }
    }
    // Label2 lies under frmAS400 and is never seen.
    const QPoint centro = g.Label2.widget()->geometry().center();
    QWidget* sopra = g.childAt(centro);
    QVERIFY(sopra == g.frmAS400.widget() || g.frmAS400.widget()->isAncestorOf(sopra));

    // The lists: fixed pitch, 8.25 points.
    for (ListBox* l : {&g.lstCAMPI, &g.lstDATI}) {
        const QFont f = l->vista()->font();
        QCOMPARE(f.pointSizeF(), 8.25);
        QVERIFY(!f.bold() && !f.italic() && !f.underline() && !f.strikeOut());
        QVERIFY(QFontInfo(f).fixedPitch());
    }
    QVERIFY(qobject_cast<QPlainTextEdit*>(g.txtSQL.widget()));
    QVERIFY(qobject_cast<QLineEdit*>(g.txtSTATUS.widget())->isReadOnly());
    QCOMPARE(qobject_cast<QLineEdit*>(g.txtAS400PASSWORD.widget())->echoMode(), QLineEdit::Normal);
}

void TestGuida::avvioConImpostazioni() {
    FinestraProva p(IniMemorizzato());
    Guida& g = p.apri();
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("miodsn")); // not upper-cased until left
    QCOMPARE(g.txtSISTEMA.Text(), QStringLiteral("S1"));
    QCOMPARE(g.txtSQL.Text(), QStringLiteral("SELECT 1"));
    QCOMPARE(g.txtAS400UTENTE.Text(), QStringLiteral("UTENTELUNG"));
    QCOMPARE(g.txtAS400PASSWORD.Text(), QStringLiteral("PAROLALUNG"));
    QCOMPARE(g.cmbMODO.combo()->currentIndex(), 1);
    QCOMPARE(g.cmbConnectionTimeout.combo()->currentIndex(), 3);
    QCOMPARE(g.cmbCommandTimeout.Text(), QStringLiteral("90"));
    // The restored data source name is shown selected.
    QCOMPARE(qobject_cast<QLineEdit*>(g.txtODBC.widget())->selectedText(),
             QStringLiteral("miodsn"));

    // A hand-edited value that is none of the entries is shown as it is.
    FinestraProva q(QByteArray("[Parametri]\r\nCommandTimeout=abc\r\n"));
    Guida& h = q.apri();
    QCOMPARE(h.cmbCommandTimeout.Text(), QStringLiteral("abc"));
}

void TestGuida::lunghezzaMassima() {
    FinestraProva p;
    Guida& g = p.apri();
    g.txtAS400UTENTE.setText(QStringLiteral("ABCDEFGHIJKL"));
    QCOMPARE(g.txtAS400UTENTE.Text(), QStringLiteral("ABCDEFGHIJ"));
    g.txtAS400PASSWORD.setText(QStringLiteral("123456789012"));
    QCOMPARE(g.txtAS400PASSWORD.Text(), QStringLiteral("1234567890"));
    g.txtODBC.setText(QString(40, QLatin1Char('X')));
    QCOMPARE(g.txtODBC.Text().size(), 40);
}

void TestGuida::disposizione() {
    FinestraProva p;
    Guida& g = p.apri();
    // Too small: snaps back to the minimum, and the results area follows.
    g.resize(600, 333);
    QVERIFY(g.Width() >= 10700 && g.Width() < 10700 + 15);
    QVERIFY(g.Height() >= 7000 && g.Height() < 7000 + 15);
    ConfrontaTwips(g.frmELABORAZIONE.Width(), 10100, "frame width");
    ConfrontaTwips(g.frmELABORAZIONE.Height(), 3540, "frame height");
    QCOMPARE(g.frmELABORAZIONE.Top(), 2760.0f);
    ConfrontaTwips(g.txtSTATUS.Width(), 9500, "status width");
    ConfrontaTwips(g.lstCAMPI.Width(), 9500.0 / 3, "fields list width");
    ConfrontaTwips(g.lstCAMPI.Height(), 2340, "fields list height");
    ConfrontaTwips(g.lstDATI.Height(), 2340, "rows list height");
    QCOMPARE(g.lstDATI.Left(), g.lstCAMPI.Left() + g.lstCAMPI.Width());
    QCOMPARE(g.lstDATI.Left() + g.lstDATI.Width(), g.txtSTATUS.Left() + g.txtSTATUS.Width());
    QCOMPARE(g.lblCAMPI.Width(), g.lstCAMPI.Width());
    QCOMPARE(g.lblDATI.Width(), g.lstDATI.Width());
    QCOMPARE(g.lblDATI.Left(), g.lstDATI.Left());
    QCOMPARE(g.lstCAMPI.Left(), 240.0f);

    // Widening by 1500 twips (100 pixels).
    const float frame = g.frmELABORAZIONE.Width();
    const float status = g.txtSTATUS.Width();
    const float campi = g.lstCAMPI.Width();
    const float dati = g.lstDATI.Width();
    g.resize(g.width() + 100, g.height());
    ConfrontaTwips(g.frmELABORAZIONE.Width() - frame, 1500, "frame growth");
    ConfrontaTwips(g.txtSTATUS.Width() - status, 1500, "status growth");
    ConfrontaTwips(g.lstCAMPI.Width() - campi, 500, "fields list growth");
    ConfrontaTwips(g.lstDATI.Width() - dati, 1000, "rows list growth");

    // Nothing above the results area moves.
    QCOMPARE(g.cmdAPRI.Left(), 240.0f);
    QCOMPARE(g.frmSQL.Width(), 3735.0f);

    // Writing the form's size lays it out again before the write returns.
    g.setWidth(15000);
    ConfrontaTwips(g.frmELABORAZIONE.Width(), 15000 - 600, "frame after write");
}

void TestGuida::ordineTabulazione() {
    FinestraProva p;
    Guida& g = p.apri();
    const QStringList atteso = {"txtSISTEMA",
                                "txtAS400UTENTE",
                                "txtAS400PASSWORD",
                                "cmbMODO",
                                "cmbConnectionTimeout",
                                "cmbCommandTimeout",
                                "txtSQL",
                                "chkLIST",
                                "cmdAPRI",
                                "txtODBC"};
    QStringList visto;
    for (int i = 0; i < atteso.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visto << NomeFuoco();
    }
    QCOMPARE(visto, atteso); // cmdSTOP disabled and the results frame hidden: skipped

    // With the results frame shown and the stop button enabled, they join.
    g.frmELABORAZIONE.setVisible(true);
    g.cmdSTOP.setEnabled(true);
    g.txtSQL.widget()->setFocus(Qt::TabFocusReason);
    visto.clear();
    for (int i = 0; i < 7; ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visto << NomeFuoco();
    }
    QCOMPARE(visto, QStringList({"chkLIST", "cmdAPRI", "cmdSTOP", "lstCAMPI", "lstDATI",
                                 "txtSTATUS", "txtODBC"}));
}

void TestGuida::selezioneEMaiuscole() {
    FinestraProva p;
    Guida& g = p.apri();
    auto* utente = qobject_cast<QLineEdit*>(g.txtAS400UTENTE.widget());
    g.txtAS400UTENTE.setText(QStringLiteral("rossi1"));
    g.txtODBC.setText(QStringLiteral("dsn_prova9"));
    g.txtSISTEMA.setText(QStringLiteral("sistema a"));
    g.txtAS400PASSWORD.setText(QStringLiteral(" pàss "));
    g.txtSQL.setText(QStringLiteral("select 'x'\r\nfrom t"));

    // Entering by Tab selects the whole text; one key then replaces it.
    g.txtSISTEMA.widget()->setFocus(Qt::TabFocusReason);
    QCOMPARE(qobject_cast<QLineEdit*>(g.txtSISTEMA.widget())->selectedText(),
             QStringLiteral("sistema a"));
    QTest::keyClick(g.txtSISTEMA.widget(), Qt::Key_Tab);
    QCOMPARE(g.txtSISTEMA.Text(), QStringLiteral("sistema a")); // kept as typed
    QCOMPARE(NomeFuoco(), QStringLiteral("txtAS400UTENTE"));
    QCOMPARE(utente->selectedText(), QStringLiteral("rossi1"));
    QTest::keyClick(utente, Qt::Key_B);
    QCOMPARE(g.txtAS400UTENTE.Text(), QStringLiteral("b"));
    QTest::keyClick(utente, Qt::Key_Tab);
    QCOMPARE(g.txtAS400UTENTE.Text(), QStringLiteral("B"));
    // Password: accented letters follow the locale, blanks survive.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(g.txtAS400PASSWORD.Text(), QStringLiteral(" PÀSS "));
    // The data source name: digits and underscore stay.
    g.txtODBC.widget()->setFocus(Qt::TabFocusReason);
    g.txtSQL.widget()->setFocus(Qt::TabFocusReason);
    QCOMPARE(g.txtODBC.Text(), QStringLiteral("DSN_PROVA9"));
    // The statement: every line selected, and its case kept when left.
    auto* sql = qobject_cast<QPlainTextEdit*>(g.txtSQL.widget());
    QCOMPARE(sql->textCursor().selectedText(), QStringLiteral("select 'x'\u2029from t"));
    g.txtODBC.widget()->setFocus(Qt::TabFocusReason);
    QCOMPARE(g.txtSQL.Text(), QStringLiteral("select 'x'\r\nfrom t"));

    // An empty field: nothing selected at position 0.
    g.txtSISTEMA.setText(QString());
    g.txtSISTEMA.widget()->setFocus(Qt::TabFocusReason);
    auto* sistema = qobject_cast<QLineEdit*>(g.txtSISTEMA.widget());
    QVERIFY(!sistema->hasSelectedText());
    QCOMPARE(sistema->cursorPosition(), 0);
}

QTEST_MAIN(TestGuida)
#include "test_guida.moc"
