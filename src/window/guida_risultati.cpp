// Stop, paging and row inspection: the handlers that act on a run and on
// its results.
#include "window/guida.h"

void Guida::cmdSTOP_Click() { bSTOP = true; }

void Guida::chkLIST_Click() { lstDATI.setVisible(chkLIST.Value() == 1); }

void Guida::lstDATI_Click() {
    const qsizetype r = lstDATI.ListIndex();
    if (r < 0) {
        return;
    }
    lstCAMPI.Clear();
    for (int i = 0; i < nCAMPI; ++i) {
        QString riga = sCAMPI.value(i);
        riga += QStringLiteral(" = ");
        riga += sDATI.Cella(r, i);
        lstCAMPI.AddItem(riga);
    }
    lstCAMPI.modello().Annuncia();
}
