#pragma once
// Start-up: the command line, the settings file chosen, the window shown.
#include "settings/impostazioni.h"

#include <QString>
#include <optional>

class Guida;

namespace Inizio {

// Answers --help (-h) and --version (-v) on standard output and gives the
// exit status; nullopt for any other command line, which the program leaves
// to Qt. Needs no application object.
std::optional<int> RigaDiComando(int argc, char* argv[]);
QString TestoVersione();
QString TestoGuida(const QString& programma, const QString& fileIni);

// Fixes FileINI and shows the window (not modal); returns at once.
void Main();
// Releases the window; called by main() after the event loop ends.
void Fine();
// The window shown by Main, or nullptr.
Guida* Finestra();

} // namespace Inizio
