#pragma once
// The check mode's thresholds and its one status line, as monitoring
// systems read them (the Monitoring Plugins development guidelines).
//
// A range is `[@]inizio:fine`: `10` is 0:10, `10:` is 10 to infinity,
// `~:10` minus infinity to 10, `10:20`, decimals with a dot, negatives. A
// value outside the range (ends included in the range) raises the alert;
// with `@` a value inside it does.
//
// The line is
//   ZELBRONTICA <STATO> - <testo> | 'connessione'=0.012s;W;C;0 ... 'righe'=42;W;C;0
// with performance data for every measure on every state, OK included: the
// value (`U` when not taken), its unit, the warning and critical ranges as
// they were given, the minimum 0; dots for decimals whatever the locale.
//
// Use: read each --avviso-/--critico- option with LeggiIntervallo; after a
// completed run, Valuta(misure, sintesi); after a failed connection or
// statement, Fallimento(descrizione); when the time-out strikes,
// Scadenza(stato scelto, ...); on a usage error, ErroreUso(messaggio). Then
// print RigaStato(esito, misure) on stdout and exit with
// CodiceUscita(esito.stato).
#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace soglie {

// In the order of the exit codes.
enum class Stato { Ok = 0, Warning = 1, Critical = 2, Unknown = 3 };

QString NomeStato(Stato s); // "OK", "WARNING", "CRITICAL", "UNKNOWN"
// The state named (any case), as --stato-timeout takes it.
std::optional<Stato> LeggiStato(QStringView nome);
inline int CodiceUscita(Stato s) { return static_cast<int>(s); }

struct Intervallo {
    double inizio = 0;   // -infinity for "~"
    double fine = 0;     // +infinity when left out after ":"
    bool dentro = false; // "@": the alert is inside
    QString testo;       // as given, shown in the performance data

    bool Allarme(double valore) const;
};

// The range in `testo` (blanks around it ignored); nullopt on a malformed
// one, with `errore` set to an Italian message naming the text.
std::optional<Intervallo> LeggiIntervallo(QStringView testo, QString& errore);

struct Misura {
    QString etichetta;            // "istruzione", "righe"...
    std::optional<double> valore; // seconds or a count; none when not taken
    QString unita;                // "s" for times, empty for counts
    std::optional<Intervallo> avviso;
    std::optional<Intervallo> critico;
};

struct Esito {
    Stato stato = Stato::Unknown;
    QString testo; // the short text after "<STATO> - "
};

// A completed run: the worst state of its measures (CRITICAL, then WARNING,
// then UNKNOWN for a range over a measure not taken, then OK). The text is
// `sintesi` followed by each measure that raised an alert with the range it
// crossed ("istruzione 2.5 s (critico 2)").
Esito Valuta(const QList<Misura>& misure, QStringView sintesi);
// A failed connection or statement: CRITICAL with its description (any
// password already masked by the caller).
Esito Fallimento(QStringView descrizione);
// The whole run's time-out, `secondi` after the start, during `fase`.
Esito Scadenza(Stato scelto, double secondi, QStringView fase);
// A bad option or value: UNKNOWN with the message.
Esito ErroreUso(QStringView messaggio);

// The status line, without its line end. Line breaks in the text become
// blanks and "|" (which starts the performance data) becomes "¦".
QString RigaStato(const Esito& esito, const QList<Misura>& misure);

// A number as the line writes it: fixed point, a dot, at most six
// decimals, no trailing zeros ("0.123", "42").
QString Numero(double valore);

} // namespace soglie
