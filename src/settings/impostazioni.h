#pragma once
// The settings file: where it lives and the reading and writing of one
// setting at a time. Start-up chooses the file; the window reads and writes.
#include <QString>

namespace Inizio {

// Full path of the settings file; set once by Main before the window exists.
extern QString FileINI;

// The path Main gives FileINI for an executable in `cartella` named `nome`
// (without extension).
QString PercorsoINI(const QString& cartella, const QString& nome);

// The settings file Main chooses: the one beside the executable
// (PercorsoINI) when it can be written or created there, otherwise
// <name>.INI in the user's folder (CartellaUtente), created for its owner
// only and started from a copy of the file beside the executable. When
// neither can be written, `avviso` is one line for standard error.
// `prepara` false only names the file: nothing is created or copied.
struct SceltaINI {
    QString percorso;
    QString avviso;
};
SceltaINI ScegliFileINI(const QString& cartella, const QString& nome, bool prepara = true);
// $XDG_CONFIG_HOME/zelbrontica, by default ~/.config/zelbrontica.
QString CartellaUtente();

QString LeggiINI(const QString& file, const QString& sezione, const QString& chiave,
                 const QString& predefinito);
// A failed write is reported on standard error (see Segnala).
void ScriviINI(const QString& file, const QString& sezione, const QString& chiave,
               const QString& valore);
// Writes `riga` to standard error, unless a line was written already: a
// settings file that cannot be written is said once per program run.
void Segnala(const QString& riga);

} // namespace Inizio
