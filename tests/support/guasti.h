#pragma once
// What the fault tests need around the window: a server that never answers,
// the PostgreSQL cluster of scripts/lib/postgres.sh stopped and restarted,
// and a watcher of the message boxes a run opens.
#include "support/finestra_prova.h"

#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

namespace zeltest {

// A server on a loopback port that accepts every connection and never
// writes a byte. Its own thread accepts, so it completes the handshake
// whatever the window's thread is doing; the connections stay open until
// Lascia or the end.
class ServerMuto {
  public:
    ServerMuto(); // fatal when no port can be had
    ~ServerMuto();
    ServerMuto(const ServerMuto&) = delete;
    ServerMuto& operator=(const ServerMuto&) = delete;

    quint16 porta() const { return porta_; }
    // Drops every connection accepted so far: their clients read the end.
    void Lascia();

  private:
    void accetta();

    int ascolto_ = -1;
    quint16 porta_ = 0;
    std::atomic<bool> fine_ = false;
    std::mutex guardia_;
    std::vector<int> connessioni_; // guarded by guardia_
    std::thread operaio_;
};

// The cluster scripts/lib/postgres.sh started (ZEL_PG_CARTELLA, ZEL_PG_BIN),
// driven by pg_ctl as the cluster's owner. A server stopped through the
// guard comes back when the guard ends, whatever the test's outcome.
class Cluster {
  public:
    Cluster() = default;
    ~Cluster();
    Cluster(const Cluster&) = delete;
    Cluster& operator=(const Cluster&) = delete;

    static bool Disponibile();
    // Stops the server at once (-m immediate): every backend dies with the
    // statement it runs.
    void Ferma();
    // Starts it again with the options it had and waits until it accepts
    // connections.
    bool Riavvia();

    bool fermo = false;
};

// Watches the message boxes that open from now on: counts them, reads the
// first (as AspettaMessaggio does) with the time it took to appear and
// whether it fits on the screen, and dismisses each.
class Messaggi : public QObject {
  public:
    Messaggi();

    int aperti = 0;
    Messaggio primo;
    qint64 dopoMs = -1;
    bool fuoriSchermo = false;

  private:
    QElapsedTimer dallInizio_;
    QTimer timer_;
};

// One message box, with one of these texts (the first when none matches),
// the results hidden and the window back at rest.
void ControllaFallimento(Guida& g, const Messaggi& messaggi, const QStringList& ammessi);
void ControllaFallimento(Guida& g, const Messaggi& messaggi, const QString& atteso);
// The final status line, the results shown and the window back at rest.
void ControllaRiuscita(Guida& g);

} // namespace zeltest
