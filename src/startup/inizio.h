#pragma once
// Start-up and settings file.
#include <QString>

class Guida;

namespace Inizio {

// Full path of the settings file; set once by Main before the window exists.
extern QString FileINI;

// Fixes FileINI and shows the window (not modal); returns at once.
void Main();
// Releases the window; called by main() after the event loop ends.
void Fine();
// The window shown by Main, or nullptr.
Guida* Finestra();

// The path Main gives FileINI for an executable in `cartella` named `nome`
// (without extension).
QString PercorsoINI(const QString& cartella, const QString& nome);

QString LeggiINI(const QString& file, const QString& sezione, const QString& chiave,
                 const QString& predefinito);
void ScriviINI(const QString& file, const QString& sezione, const QString& chiave,
               const QString& valore);

} // namespace Inizio
