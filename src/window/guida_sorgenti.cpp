// The data source names offered in txtODBC: read from the driver manager
// each time the field takes the focus, never while typing; none in OLEDB
// mode, where the field is not used.
#include "odbc/sorgenti.h"
#include "window/guida.h"

void Guida::OffriSorgenti() {
    sorgentiODBC.setVoci(cmbMODO.Text() == QLatin1String("OLEDB") ? QStringList()
                                                                  : ado::SorgentiDati());
}
