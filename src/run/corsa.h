#pragma once
// One run: connect, execute, list the fields, count the rows and, when its
// front end loads rows, execute again and load every row. Where the steps
// run is the executor's business: the window's keeps its event loop turning
// (blocking calls on a thread, row loops in slices, so that its handlers
// run between two slices and never inside one), the command's runs them in
// turn. The run reports to its front end only, from the run's thread.
#include "odbc/ado.h"
#include "run/esecutore.h"
#include "run/fronte.h"
#include "run/modi_connessione.h"
#include "run/stato_riga.h"
#include "run/tempi.h"

#include <QObject>
#include <QStringList>
#include <exception>
#include <functional>
#include <memory>

// What a run reads from the request, as the user left it.
struct RichiestaCorsa {
    QString modo;
    IngressiConnessione connessione;
    QString sql;
    QString connectionTimeout, commandTimeout;
    // The connection an earlier run left open serves this one, and stays
    // open after it (the command's single connection).
    bool tieniConnessione = false;
};

// The state a run keeps between runs; it belongs to the front end's owner.
struct StatoCorsa {
    std::shared_ptr<ado::Connection>& cnAS400;
    std::shared_ptr<ado::Recordset>& rsAS400;
    qint16& nCAMPI;
    QStringList& sCAMPI;
    double& nRECORD;
    bool& bSTOP; // a stop asked: the run ends before its next row
};

class Corsa : public QObject {
    Q_OBJECT
  public:
    Corsa(FronteCorsa& fronte, EsecutoreCorsa& esecutore, StatoCorsa s, QObject* parent = nullptr);
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
    // `lavoro`, a blocking call, then `poi`.
    void fuori(std::function<void()> lavoro, Passo poi);
    // The next step once what is pending (the window's events) has run.
    void dopoGliEventi(Passo poi);
    // Rethrows what the last blocking call threw.
    void rilancia();
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

    // The exact durations, to the front end.
    void mostraTempi(tempi::Esito esito);
    void arresta();
    void fallisci(const QString& descrizione);
    void rilascia();
    void termina();

    FronteCorsa& fronte_;
    EsecutoreCorsa& esecutore_;
    StatoCorsa f_;
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

    StatoRiga statoRiga_;
    std::exception_ptr errore_;
};
