#pragma once
// Where the ODBC driver libraries are on this machine, found at run time:
// Debian puts them in an "odbc" folder beside the driver manager's library,
// under /usr/lib/<architecture>/, whatever the architecture.
#include <QString>

namespace zeltest {

// Full path of the driver library `nome` (e.g. "libsqlite3odbc.so"); empty
// when it is not installed.
QString DriverOdbc(const QString& nome);

} // namespace zeltest
