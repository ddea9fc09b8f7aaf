#include "window/guida.h"

#include "run/modi_connessione.h"
#include "settings/impostazioni.h"
#include "toolkit/twips.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIcon>
#include <QProgressDialog>
#include <QTableView>

// The icon lives in the library's resources, which a static library must
// register itself.
static void CaricaRisorse() { Q_INIT_RESOURCE(risorse); }

namespace {

const QString Rilascio = QStringLiteral("2023-04-27");
const QString IndirizzoWeb = QStringLiteral("www.zelbrontica.example");

void Posiziona(Controllo& c, float left, float top, float width, float height) {
    c.widget()->setGeometry(twips::APixel(left), twips::APixel(top), twips::APixel(width),
                            twips::APixel(height));
}

QFont FontElenchi() {
    QFont f(QStringLiteral("Courier New"));
    f.setPointSizeF(8.25);
    f.setWeight(QFont::Normal);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

// The dialog font: a compact sans serif, so that the captions fit the
// controls drawn for it.
QFont FontDialogo() {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setPointSizeF(8.25);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

void ImpostaElenco(ListBox& l) {
    const QFont f = FontElenchi();
    l.vista()->setFont(f);
    l.modello().setFont(f);
    l.vista()->verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 1);
}

} // namespace

Guida::Guida(QWidget* parent)
    : Form(parent),
      fronte_(txtSTATUS, lstCAMPI, lstDATI, lblCAMPI, lblDATI, frmELABORAZIONE, sDATI),
      corsa_(fronte_, esecutore_, StatoCorsa{cnAS400, rsAS400, nCAMPI, sCAMPI, nRECORD, bSTOP}) {
    setObjectName(QStringLiteral("Guida"));
    CaricaRisorse();
    setFont(FontDialogo());
    setWindowIcon(QIcon(QStringLiteral(":/risorse/zelbrontica.png")));
    resize(twips::APixel(10455), twips::APixel(6420));
    creaControlli();
    ordineTabulazione();
    nomiAccessibili();
    collegaEventi();
    preparaCopia();
}

Guida::~Guida() {
    // A save under way writes nothing more.
    salvataggio_.cancel();
    salvataggio_.waitForFinished();
}

void Guida::creaControlli() {
    // Label2 lies under frmAS400, which is created after it and drawn above.
    Label2.crea(this, QStringLiteral("Label2"), QStringLiteral("SQL"));
    Posiziona(Label2, 240, 1680, 735, 255);

    frmAS400.crea(this, QStringLiteral("frmAS400"), QStringLiteral("Connessione AS400"));
    Posiziona(frmAS400, 240, 240, 5895, 1935);
    QWidget* as400 = frmAS400.widget();
    Label1.crea(as400, QStringLiteral("Label1"), QStringLiteral("ODBC"));
    Posiziona(Label1, 120, 360, 735, 255);
    txtODBC.crea(as400, QStringLiteral("txtODBC"), false);
    sorgentiODBC.collega(txtODBC);
    Posiziona(txtODBC, 960, 360, 1575, 285);
    Label3.crea(as400, QStringLiteral("Label3"), QStringLiteral("Sistema"));
    Posiziona(Label3, 120, 720, 735, 255);
    txtSISTEMA.crea(as400, QStringLiteral("txtSISTEMA"), false);
    Posiziona(txtSISTEMA, 960, 720, 1575, 285);
    lblAS400UTENTE.crea(as400, QStringLiteral("lblAS400UTENTE"), QStringLiteral("Utente"));
    Posiziona(lblAS400UTENTE, 120, 1080, 735, 255);
    txtAS400UTENTE.crea(as400, QStringLiteral("txtAS400UTENTE"), false);
    Posiziona(txtAS400UTENTE, 960, 1080, 1575, 285);
    txtAS400UTENTE.setMaxLength(10);
    lblAS400PASSWORD.crea(as400, QStringLiteral("lblAS400PASSWORD"), QStringLiteral("Password"));
    Posiziona(lblAS400PASSWORD, 120, 1440, 735, 255);
    txtAS400PASSWORD.crea(as400, QStringLiteral("txtAS400PASSWORD"), false);
    Posiziona(txtAS400PASSWORD, 960, 1440, 1575, 285);
    txtAS400PASSWORD.setMaxLength(10);
    Label4.crea(as400, QStringLiteral("Label4"), QStringLiteral("Modalità"));
    Posiziona(Label4, 2760, 360, 1575, 255);
    cmbMODO.crea(as400, QStringLiteral("cmbMODO"));
    Posiziona(cmbMODO, 4440, 360, 1215, 315);
    Label5.crea(as400, QStringLiteral("Label5"), QStringLiteral("Connection Timeout"));
    Posiziona(Label5, 2760, 720, 1575, 255);
    cmbConnectionTimeout.crea(as400, QStringLiteral("cmbConnectionTimeout"));
    Posiziona(cmbConnectionTimeout, 4440, 720, 1215, 315);
    Label6.crea(as400, QStringLiteral("Label6"), QStringLiteral("Command Timeout"));
    Posiziona(Label6, 2760, 1080, 1575, 255);
    cmbCommandTimeout.crea(as400, QStringLiteral("cmbCommandTimeout"));
    Posiziona(cmbCommandTimeout, 4440, 1080, 1215, 315);

    frmSQL.crea(this, QStringLiteral("frmSQL"), QStringLiteral("Statement SQL"));
    Posiziona(frmSQL, 6480, 240, 3735, 1935);
    txtSQL.crea(frmSQL.widget(), QStringLiteral("txtSQL"), true);
    Posiziona(txtSQL, 120, 360, 3375, 1485);

    cmdAPRI.crea(this, QStringLiteral("cmdAPRI"), QStringLiteral("elabora"));
    Posiziona(cmdAPRI, 240, 2280, 1215, 375);
    cmdSTOP.crea(this, QStringLiteral("cmdSTOP"), QStringLiteral("arresta"));
    Posiziona(cmdSTOP, 1560, 2280, 1215, 375);
    cmdSTOP.setEnabled(false);
    chkLIST.crea(this, QStringLiteral("chkLIST"), QStringLiteral("Paginazione Dati"));
    Posiziona(chkLIST, 4320, 2280, 1815, 375);

    frmELABORAZIONE.crea(this, QStringLiteral("frmELABORAZIONE"), QString());
    Posiziona(frmELABORAZIONE, 240, 2760, 9975, 3375);
    QWidget* elab = frmELABORAZIONE.widget();
    txtSTATUS.crea(elab, QStringLiteral("txtSTATUS"), false);
    Posiziona(txtSTATUS, 240, 360, 5775, 285);
    txtSTATUS.setReadOnly(true);
    txtSTATUS.setDifferito(true);
    lblCAMPI.crea(elab, QStringLiteral("lblCAMPI"), QStringLiteral("Campi"));
    Posiziona(lblCAMPI, 240, 840, 1935, 255);
    lstCAMPI.crea(elab, QStringLiteral("lstCAMPI"));
    Posiziona(lstCAMPI, 240, 1080, 1935, 1950);
    ImpostaElenco(lstCAMPI);
    lblDATI.crea(elab, QStringLiteral("lblDATI"), QStringLiteral("Dati"));
    Posiziona(lblDATI, 2280, 840, 3735, 255);
    lstDATI.crea(elab, QStringLiteral("lstDATI"));
    Posiziona(lstDATI, 2280, 1080, 3735, 1950);
    ImpostaElenco(lstDATI);
    frmELABORAZIONE.setVisible(false);

    for (Controllo* c : {static_cast<Controllo*>(&frmAS400), static_cast<Controllo*>(&frmSQL),
                         static_cast<Controllo*>(&frmELABORAZIONE)}) {
        c->widget()->setFocusPolicy(Qt::NoFocus);
    }
}

void Guida::ordineTabulazione() {
    const QList<QWidget*> ordine = {
        txtODBC.widget(),           txtSISTEMA.widget(), txtAS400UTENTE.widget(),
        txtAS400PASSWORD.widget(),  cmbMODO.widget(),    cmbConnectionTimeout.widget(),
        cmbCommandTimeout.widget(), txtSQL.widget(),     chkLIST.widget(),
        cmdAPRI.widget(),           cmdSTOP.widget(),    lstCAMPI.widget(),
        lstDATI.widget(),           txtSTATUS.widget()};
    for (qsizetype i = 1; i < ordine.size(); ++i) {
        QWidget::setTabOrder(ordine[i - 1], ordine[i]);
    }
    for (QWidget* w : ordine) {
        w->setFocusPolicy(w == lstCAMPI.widget() || w == lstDATI.widget() ? Qt::StrongFocus
                                                                          : w->focusPolicy());
    }
    cmdAPRI.widget()->setFocusPolicy(Qt::StrongFocus);
    cmdSTOP.widget()->setFocusPolicy(Qt::StrongFocus);
    chkLIST.widget()->setFocusPolicy(Qt::StrongFocus);
    txtODBC.widget()->setFocus(Qt::OtherFocusReason);
}

void Guida::collegaEventi() {
    txtODBC.GotFocus = [this] {
        txtODBC_GotFocus();
        OffriSorgenti();
    };
    txtSISTEMA.GotFocus = [this] { txtSISTEMA_GotFocus(); };
    txtSQL.GotFocus = [this] { txtSQL_GotFocus(); };
    txtAS400UTENTE.GotFocus = [this] { txtAS400UTENTE_GotFocus(); };
    txtAS400PASSWORD.GotFocus = [this] { txtAS400PASSWORD_GotFocus(); };
    txtODBC.LostFocus = [this] { txtODBC_LostFocus(); };
    txtAS400UTENTE.LostFocus = [this] { txtAS400UTENTE_LostFocus(); };
    txtAS400PASSWORD.LostFocus = [this] { txtAS400PASSWORD_LostFocus(); };
    cmdAPRI.Click = [this] { cmdAPRI_Click(); };
    cmdSTOP.Click = [this] { cmdSTOP_Click(); };
    chkLIST.Click = [this] { chkLIST_Click(); };
    lstDATI.Click = [this] { lstDATI_Click(); };
    connect(&corsa_, &Corsa::Finita, this, [this] { corsaFinita(); });
}

void Guida::Form_Load() {
    setCaption(QStringLiteral("Zelbrontica - Rilascio: ") + Rilascio + QStringLiteral(" (") +
               IndirizzoWeb + QStringLiteral(") "));

    chkLIST.setValue(1);

    for (const ModoConnessione& modo : ModiConnessione()) {
        cmbMODO.AddItem(modo.nome);
    }
    for (const char* s : {"15", "30", "60", "120"}) {
        cmbConnectionTimeout.AddItem(QString::fromLatin1(s));
    }
    for (const char* s : {"30", "60", "90", "120"}) {
        cmbCommandTimeout.AddItem(QString::fromLatin1(s));
    }

    const QString& ini = Inizio::FileINI;
    const QString sezione = QStringLiteral("Parametri");
    txtODBC.setText(Inizio::LeggiINI(ini, sezione, QStringLiteral("ODBC"), QString()));
    txtSISTEMA.setText(Inizio::LeggiINI(ini, sezione, QStringLiteral("Sistema"), QString()));
    txtSQL.setText(Inizio::LeggiINI(ini, sezione, QStringLiteral("Statement"), QString()));
    txtAS400UTENTE.setText(Inizio::LeggiINI(ini, sezione, QStringLiteral("Utente"), QString()));
    txtAS400PASSWORD.setText(Inizio::LeggiINI(ini, sezione, QStringLiteral("Password"), QString()));
    cmbMODO.setText(
        Inizio::LeggiINI(ini, sezione, QStringLiteral("Modalità"), ModiConnessione().front().nome));
    cmbConnectionTimeout.setText(
        Inizio::LeggiINI(ini, sezione, QStringLiteral("ConnectionTimeout"), QStringLiteral("15")));
    cmbCommandTimeout.setText(
        Inizio::LeggiINI(ini, sezione, QStringLiteral("CommandTimeout"), QStringLiteral("30")));
}

void Guida::closeEvent(QCloseEvent* e) {
    if (salvataggio_.isRunning()) {
        salvataggio_.cancel();
        salvataggio_.waitForFinished();
    }
    if (corsa_.InCorso()) {
        // The run ends first; the window closes when it reports its end.
        corsa_.Chiudi();
        // A connection being opened cannot be interrupted: the window goes
        // at once, the program once the attempt ends. A message box still
        // open keeps the window until it is answered.
        if (!QApplication::activeModalWidget()) {
            hide();
        }
        e->ignore();
        return;
    }
    e->accept();
    emit Chiusa();
}
