#pragma once
// The window: connection inputs, the statement, the run buttons and the
// results area. Handlers are named after their control and event.
#include "odbc/ado.h"
#include "run/corsa.h"
#include "run/risultato.h"
#include "run/salva_csv.h"
#include "run/tabella_testi.h"
#include "toolkit/finestra.h"
#include "toolkit/form.h"
#include "toolkit/menu_elenco.h"
#include "toolkit/modello_righe.h"
#include "toolkit/suggerimenti.h"
#include "window/fronte_finestra.h"

#include <QFutureWatcher>
#include <QStringList>
#include <memory>

class QProgressDialog;

class Guida : public Form {
    Q_OBJECT
  public:
    explicit Guida(QWidget* parent = nullptr);
    ~Guida() override;

    // Controls, by container.
    Frame frmAS400;
    Label Label1, Label3, lblAS400UTENTE, lblAS400PASSWORD, Label4, Label5, Label6;
    TextBox txtODBC, txtSISTEMA, txtAS400UTENTE, txtAS400PASSWORD;
    ComboBox cmbMODO, cmbConnectionTimeout, cmbCommandTimeout;
    Frame frmSQL;
    TextBox txtSQL;
    CommandButton cmdAPRI, cmdSTOP;
    CheckBox chkLIST;
    Label Label2;
    Frame frmELABORAZIONE;
    TextBox txtSTATUS;
    Label lblCAMPI, lblDATI;
    ListBox lstCAMPI, lstDATI;
    // The data source names offered while txtODBC is typed in.
    Suggerimenti sorgentiODBC;

    // State of the run, kept between runs.
    std::shared_ptr<ado::Connection> cnAS400;
    std::shared_ptr<ado::Recordset> rsAS400;
    qint16 nCAMPI = 0;
    QStringList sCAMPI;
    TabellaTesti sDATI;
    double nRECORD = 0;
    bool bSTOP = false;

    // True while a run is in progress.
    bool InElaborazione() const { return corsa_.InCorso(); }

    // "Salva come CSV…" once its dialog has given the file: writes the
    // result the window holds into `file`, off the window's thread, with
    // its progress in a dialog of its own, until the save has ended. Nothing when there are no rows
    // to save or a save is under way.
    void SalvaCsv(const QString& file);
    bool InSalvataggio() const { return avanzamento_ != nullptr; }
    // "Copia tutte le righe…" builds its text off the window's thread until
    // the clipboard has it.
    bool InCopia() const { return copiaTutte_.isRunning(); }

  signals:
    // The window has closed (also when it was already hidden).
    void Chiusa();

  protected:
    void Form_Load() override;
    void Form_Resize() override;
    void closeEvent(QCloseEvent* e) override;

  private:
    void creaControlli();
    void ordineTabulazione();
    void nomiAccessibili();
    void collegaEventi();

    void cmdAPRI_Click();
    void cmdSTOP_Click();
    void chkLIST_Click();
    void lstDATI_Click();
    void Elabora();
    void corsaFinita();

    void txtODBC_GotFocus();
    void txtSISTEMA_GotFocus();
    void txtSQL_GotFocus();
    void txtAS400UTENTE_GotFocus();
    void txtAS400PASSWORD_GotFocus();
    void txtODBC_LostFocus();
    void txtAS400UTENTE_LostFocus();
    void txtAS400PASSWORD_LostFocus();
    void OffriSorgenti();

    // Copy and save: the lists' context menus and their entries.
    void preparaCopia();
    void risultatoDellaCorsa();
    void copiaRiga(const ListBox& l);
    void copiaRighe();
    void copiaDefinizioni();
    void salvaComeCsv();
    void salvataggioFinito();

    // What the window holds of the last run, for copying and saving; the
    // save under way, if any.
    Risultato risultato_;
    MenuElenco menuCAMPI_, menuDATI_;
    QFutureWatcher<EsitoCsv> salvataggio_;
    QFutureWatcher<QString> copiaTutte_;
    std::unique_ptr<QProgressDialog> avanzamento_;
    QString fileCsv_;

    // What the run writes to and where its steps run.
    FronteFinestra fronte_;
    EsecutoreFinestra esecutore_;
    // The run in progress, if any; it reports its end with Finita. Last, so
    // that it goes before the controls and the state it works on.
    Corsa corsa_;
};
