#pragma once
// The data sources the ODBC driver manager knows.
#include <QStringList>

namespace ado {

// Names of the user's and the system's data sources, sorted without regard
// to case, each once. Read anew at every call, so that a source added
// meanwhile appears. Empty when the configuration is missing or cannot be
// read; never throws.
QStringList SorgentiDati();

} // namespace ado
