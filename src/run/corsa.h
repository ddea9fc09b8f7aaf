#pragma once
// One run over the window's event loop: connect, execute, list the fields,
// count the rows and, when the rows list is shown, execute again and load
// every row. The blocking data-source calls run on a pool thread; the work
// per field and per row runs on the window's thread in slices of a few
// milliseconds, each handing control back to the event loop, so the
// window's handlers (stop, paging, row inspection) run between two slices
// and never inside one. The run touches the window only from its thread.
#include "odbc/ado.h"
#include "toolkit/finestra.h"
#include "run/modi_connessione.h"
#include "run/stato_riga.h"
#include "run/tabella_testi.h"
#include "run/tempi.h"

#include <QFutureWatcher>
#include <QObject>
#include <QStringList>
#include <QThreadPool>
#include <QTimer>
#include <exception>
#include <functional>
#include <memory>

// What a run reads from the request, as the user left it.
struct RichiestaCorsa {
    QString modo;
    IngressiConnessione connessione;
    QString sql;
    QString connectionTimeout, commandTimeout;
};

// The controls a run writes to and the state it keeps between runs; all
// belong to the window.
struct FinestraCorsa {
    TextBox& txtSTATUS;
    ListBox& lstCAMPI;
    ListBox& lstDATI;
    Label& lblCAMPI;
    Label& lblDATI;
    Frame& frmELABORAZIONE;
    std::shared_ptr<ado::Connection>& cnAS400;
    std::shared_ptr<ado::Recordset>& rsAS400;
    qint16& nCAMPI;
    QStringList& sCAMPI;
    TabellaTesti& sDATI;
    double& nRECORD;
    bool& bSTOP;
};

class Corsa : public QObject {
    Q_OBJECT
  public:
    explicit Corsa(FinestraCorsa f, QObject* parent = nullptr);
    ~Corsa() override;

    // Starts a run; the steps up to the connection attempt happen before it
    // returns. Finita follows, by whatever path the run ends.
    void Avvia(const RichiestaCorsa& r);
    bool InCorso() const { return inCorso_; }
    // The window is closing: the run ends at its next step as a stop does,
    // without a message, and a statement under way is cancelled.
    void Chiudi();
    bool ChiusuraRichiesta() const { return chiusura_; }

  signals:
    // The run is over: completed, stopped, closed or failed (its message
    // box already dismissed).
    void Finita();

  private:
    using Passo = void (Corsa::*)();

    // Runs one step under the run's error handler; a close requested since
    // the last step ends the run instead.
    void esegui(Passo p);
    // `lavoro` on a pool thread, then `poi` on the window's thread.
    void fuori(std::function<void()> lavoro, Passo poi);
    // The next step once pending window events have been handled.
    void dopoGliEventi(Passo poi);
    // Rethrows what the last call off the thread threw.
    void rilancia();
    // A slice works until its time is up.
    void inizioFetta();
    bool fettaFinita() const;
    // Before each row counted or loaded: true when the loop must return,
    // its slice over (it resumes with `ripresa`) or a stop requested.
    bool primaDellaRiga(Passo ripresa);

    void connetti();
    void apriFile();
    void eseguita();
    void elencaCampi();
    void conta();
    void rieseguita();
    void carica();
    void completa();
    void finale();

    // The exact durations in the status box's tooltip.
    void mostraTempi(tempi::Esito esito);
    void arresta();
    void fallisci(const QString& descrizione);
    void rilascia();
    void termina();

    FinestraCorsa f_;
    bool inCorso_ = false;
    bool chiusura_ = false;
    RichiestaCorsa richiesta_;

    QString sCONNESSIONE;
    QString sSQL;
    double SQL = 0;
    double COUNT = 0;
    double PAG = 0;
    qint64 inizio_ = 0;
    double totale_ = 0;
    int campo_ = 0;
    tempi::Cronometro cronometro_;
    bool contando_ = false; // the rows are being counted, or have been
    qint64 fineFetta_ = 0;

    StatoRiga statoRiga_;

    QTimer seguito_;
    // One thread for every blocking call of every run: the memory a result
    // leaves behind stays with that thread's heap and serves the next one.
    QThreadPool operaio_;
    Passo prossimo_ = nullptr;
    QFutureWatcher<std::exception_ptr> attesa_;
    std::exception_ptr errore_;
};
