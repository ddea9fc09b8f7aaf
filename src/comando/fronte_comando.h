#pragma once
// The command as a run's front end: the figures of each run kept, the rows
// read and dropped (or written out), progress on a terminal; and the steps
// run one after the other on the command's thread.
#include "run/delimitato.h"
#include "run/esecutore.h"
#include "run/fronte.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <optional>

enum class EsitoGiro { Completata, Interrotta, ConnessioneFallita, IstruzioneFallita, Scaduta };

// One run's figures, milliseconds; none for a phase not reached.
struct Giro {
    std::optional<double> connessione, istruzione, conteggio, caricamento;
    double totale = 0;
    std::optional<qint64> righe;
    EsitoGiro esito = EsitoGiro::Completata;
    QString errore; // the description of a failure
    QString stato;  // the status line the window would show last
    QString tempi;  // the window's tooltip text
    bool finito = false;
};

class FronteComando : public FronteCorsa {
  public:
    // `campi` are the run's field names; `bSTOP` the run's stop.
    FronteComando(const QStringList& campi, bool& bSTOP) : campi_(campi), bSTOP_(bSTOP) {}

    // The rows of the next runs go to `file` (nullptr: none).
    void ScriviRighe(QFile* file, delimitato::Formato f) {
        file_ = file;
        formatoRighe_ = f;
    }
    void CaricaRighe(bool s) { caricaRighe_ = s; }
    void Avanzamento(bool s) { avanzamento_ = s; }
    const Giro& Ultimo() const { return giro_; }
    // The figures of the run under way, up to now, and its time so far (ns).
    Giro Parziale() const;
    qint64 Trascorsi() const { return orologio_.nsecsElapsed(); }
    bool ErroreRighe() const { return erroreRighe_; }

    void Inizio() override;
    void Stato(const QString& testo) override { giro_.stato = testo; }
    void MostraStato() override;
    void Connessa() override;
    void Campo(const QString&) override {}
    void CampiElencati(int) override {}
    bool CaricaRighe() const override { return caricaRighe_; }
    bool TieneRighe() const override { return false; }
    void PreparaCaricamento(qint64 righe, int colonne) override;
    void RigheLette(std::shared_ptr<const ado::Righe>, int) override {}
    void Riga(qint64 riga, const ado::Recordset& rs) override;
    void RigheCaricate() override { svuota(); }
    void Caricamento(qint64) override {}
    void Tempi(const tempi::Misure& misure, tempi::Esito esito) override;
    void Errore(const QString& connessione, const QString& sql,
                const QString& descrizione) override;

  private:
    void svuota();

    const QStringList& campi_;
    bool& bSTOP_;
    bool caricaRighe_ = true;
    bool avanzamento_ = false;
    QElapsedTimer orologio_;
    qint64 ultimoAvanzamento_ = 0;
    Giro giro_;
    QFile* file_ = nullptr;
    delimitato::Formato formatoRighe_ = delimitato::Formato::Csv;
    QByteArray buffer_;
    int colonne_ = 0;
    bool erroreRighe_ = false;
};

// Every step in turn on the command's thread: a blocking call runs at once,
// what follows it once Gira takes it.
class EsecutoreComando : public EsecutoreCorsa {
  public:
    // Called before each blocking call (the end it would leave if it never
    // returns is prepared there), and once it has returned.
    EsecutoreComando(std::function<void()> primaDelBlocco, std::function<void()> dopoIlBlocco)
        : primaDelBlocco_(std::move(primaDelBlocco)), dopoIlBlocco_(std::move(dopoIlBlocco)) {}
    void Fuori(std::function<void()> lavoro, std::function<void(std::exception_ptr)> poi) override;
    void Dopo(std::function<void()> poi) override { prossimo_ = std::move(poi); }
    void InizioFetta() override {}
    bool FettaFinita() const override { return false; }
    void Annulla() override { prossimo_ = nullptr; }
    // Runs the steps until none is left.
    void Gira();

  private:
    std::function<void()> primaDelBlocco_;
    std::function<void()> dopoIlBlocco_;
    std::function<void()> prossimo_;
};
