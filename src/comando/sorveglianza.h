#pragma once
// What ends a command early: SIGINT, SIGTERM and the --timeout.
//
// Between two blocking calls the run checks Motivo() before each row and
// ends as the window's stop does. During a blocking call (connecting,
// executing) the program cannot do that itself, so the end is prepared in
// advance: before each blocking call the program leaves its output for an
// end now (PreparaFine), and what ends the command writes it and exits.
//
// Without --timeout no thread is started (the SQLite3 driver is slower in a
// process that has a second thread): a signal during a statement cancels it
// from the handler (`annullaNelGestore`), and the run ends as a stop does,
// releasing the connection; if it has not ended half a second later (a
// driver that ignores the cancel, a connection being opened) an alarm writes
// the prepared output and exits. With --timeout one watcher thread waits for the deadline
// or a signal, cancels the statement (SQLCancel), and if the run has not
// ended half a second later writes the prepared output and exits.
#include <QByteArray>
#include <functional>
#include <optional>

namespace sorveglianza {

enum class Motivo { Nessuno, Sigint, Sigterm, Scadenza };

// The total the prepared output shows, in milliseconds, until the end
// writes it: its text there (milliseconds, or seconds in a check's line) is
// replaced by the time from the run's start to the end.
inline constexpr double TotaleDaScrivere = 999999999.999;

// The output and exit code of an end now, one per reason.
struct Fine {
    QByteArray out, err;
    int codice = 0;
};

// Installs the handlers; with a time-out, starts the watcher, which calls
// `annulla` (from its thread) when the time-out or a signal strikes.
// Without, a signal during a blocking call calls `annullaNelGestore` from
// the handler: true when it asked a statement to stop.
void Avvia(std::optional<double> timeout, std::function<void()> annulla,
           bool (*annullaNelGestore)());
Motivo Attuale();
// Leaves the output of an end now for each reason, and when the run
// started (CLOCK_MONOTONIC, nanoseconds); then marks the blocking call that
// follows (Dentro) and its return (Fuori).
void PreparaFine(Fine interrotta, Fine terminata, Fine scaduta, qint64 inizio);
// The monotonic clock, nanoseconds.
qint64 Adesso();
void Dentro();
void Fuori();

} // namespace sorveglianza
