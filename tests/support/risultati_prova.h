#pragma once
// A small result to show in the window: table "articoli" (three fields,
// four rows) on the private SQLite data source, and a run of it started
// the way the user starts one.
#include "support/corsa_prova.h"
#include "window/guida.h"

#include <QStringList>

namespace zeltest {

// Creates the table on the first call; call it in initTestCase.
void PreparaArticoli();
// Fills the inputs for the SQLite data source, presses "elabora" and
// returns once the run has ended and its rows are shown (false if they
// never are).
bool ElaboraArticoli(Guida& g);
using ::Righe;

} // namespace zeltest
