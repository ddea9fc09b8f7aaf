// What a screen reader announces for each control that takes the focus:
// the caption of the label beside it, the list's caption above it (which the
// run updates), the frame's title for the statement, and a name of our own
// for the status box. Buttons and the check box are announced by their
// captions already.
#include "window/guida.h"

#include <QGroupBox>

void Guida::nomiAccessibili() {
    Label1.setBuddy(txtODBC);
    Label3.setBuddy(txtSISTEMA);
    lblAS400UTENTE.setBuddy(txtAS400UTENTE);
    lblAS400PASSWORD.setBuddy(txtAS400PASSWORD);
    Label4.setBuddy(cmbMODO);
    Label5.setBuddy(cmbConnectionTimeout);
    Label6.setBuddy(cmbCommandTimeout);
    lblCAMPI.setBuddy(lstCAMPI);
    lblDATI.setBuddy(lstDATI);
    // "SQL" (Label2) lies hidden under the connection frame: the statement
    // takes the title of its own frame.
    txtSQL.setNomeAccessibile(frmSQL.riquadro()->title());
    txtSTATUS.setNomeAccessibile(QStringLiteral("Stato dell'elaborazione"));
}
