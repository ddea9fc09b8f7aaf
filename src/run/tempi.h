#pragma once
// The exact durations of a run, beside the status line's whole seconds: the
// statement, the counting and the loading in milliseconds, the rows and the
// rows per second, for the status box's tooltip. Measured with a monotonic
// clock.
#include <QElapsedTimer>
#include <QString>
#include <array>
#include <optional>

namespace tempi {

enum class Fase { Istruzione, Conteggio, Caricamento };
enum class Esito { Completata, Interrotta, NonRiuscita };

struct Misure {
    // Nanoseconds of each phase, in the order of Fase; none when the phase
    // did not start.
    std::array<std::optional<qint64>, 3> durate;
    // The phase running when the run ended early, measured up to there.
    std::optional<Fase> troncata;
    std::optional<qint64> righe; // none before the counting
};

// "Istruzione: 312 ms\nConteggio: 41 ms\nCaricamento: 88 ms\nRighe: 6000
// (13605/s)", headed by what ended the run when it did not complete. The
// rate is over the three durations together.
QString Testo(const Misure& m, Esito esito);

class Cronometro {
  public:
    void Avvia(Fase f); // ends the running phase, if any, and starts `f`
    void Ferma();       // ends the running phase
    void setRighe(qint64 n) { m_.righe = n; }
    // The figures of a run that ends now; a phase still running is measured
    // up to now.
    const Misure& Misura(Esito esito);
    QString Testo(Esito esito) { return tempi::Testo(Misura(esito), esito); }

  private:
    Misure m_;
    std::optional<Fase> corrente_;
    QElapsedTimer t_;
};

} // namespace tempi
