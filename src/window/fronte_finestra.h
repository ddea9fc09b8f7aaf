#pragma once
// The window as a run's front end: the run's reports written to the
// window's controls, and its steps run over the window's event loop.
#include "run/esecutore.h"
#include "run/fronte.h"
#include "run/tabella_testi.h"
#include "toolkit/finestra.h"

#include <QFutureWatcher>
#include <QThreadPool>
#include <QTimer>

// The controls a run writes to; all belong to the window.
class FronteFinestra : public FronteCorsa {
  public:
    FronteFinestra(TextBox& txtSTATUS, ListBox& lstCAMPI, ListBox& lstDATI, Label& lblCAMPI,
                   Label& lblDATI, Frame& frmELABORAZIONE, TabellaTesti& sDATI)
        : txtSTATUS_(txtSTATUS), lstCAMPI_(lstCAMPI), lstDATI_(lstDATI), lblCAMPI_(lblCAMPI),
          lblDATI_(lblDATI), frmELABORAZIONE_(frmELABORAZIONE), sDATI_(sDATI) {}

    void Inizio() override;
    void Stato(const QString& testo) override { txtSTATUS_.setText(testo); }
    void MostraStato() override { txtSTATUS_.Refresh(); }
    void Campo(const QString& riga) override { lstCAMPI_.AddItem(riga); }
    void CampiElencati(int campi) override;
    // The paging box decides.
    bool CaricaRighe() const override { return lstDATI_.Visible(); }
    void PreparaCaricamento(qint64 righe, int colonne) override;
    void RigheLette(std::shared_ptr<const ado::Righe> righe, int colonne) override;
    void Riga(qint64 riga, const ado::Recordset& rs) override;
    void RigheCaricate() override { lstDATI_.Refresh(); }
    void Caricamento(qint64 righe) override;
    // The exact durations in the status box's tooltip.
    void Tempi(const tempi::Misure& misure, tempi::Esito esito) override;
    void Errore(const QString& connessione, const QString& sql,
                const QString& descrizione) override;

  private:
    TextBox& txtSTATUS_;
    ListBox& lstCAMPI_;
    ListBox& lstDATI_;
    Label& lblCAMPI_;
    Label& lblDATI_;
    Frame& frmELABORAZIONE_;
    TabellaTesti& sDATI_;
};

// The blocking calls on a pool thread, the rest on the window's thread in
// slices of a few milliseconds, each handing control back to the event loop.
class EsecutoreFinestra : public QObject, public EsecutoreCorsa {
    Q_OBJECT
  public:
    EsecutoreFinestra();
    ~EsecutoreFinestra() override;

    void Fuori(std::function<void()> lavoro, std::function<void(std::exception_ptr)> poi) override;
    void Dopo(std::function<void()> poi) override;
    void InizioFetta() override;
    bool FettaFinita() const override;
    void Annulla() override { seguito_.stop(); }
    void Riposo() override;

  private:
    QTimer seguito_;
    std::function<void()> dopo_;
    // One thread for every blocking call of every run: the memory a result
    // leaves behind stays with that thread's heap and serves the next one.
    QThreadPool operaio_;
    std::function<void(std::exception_ptr)> poi_;
    QFutureWatcher<std::exception_ptr> attesa_;
    qint64 fineFetta_ = 0;
};
