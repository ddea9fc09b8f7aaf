// The run request: stores the inputs, checks the required ones, and starts
// the run with the buttons switched over; they come back when it ends.
#include "window/guida.h"

#include "run/modi_connessione.h"
#include "run/taglia.h"
#include "settings/impostazioni.h"

namespace {

constexpr quint32 Giallo = 65535;
constexpr quint32 Bianco = 16777215;

} // namespace

void Guida::cmdAPRI_Click() {
    const QString sezione = QStringLiteral("Parametri");
    const QString& ini = Inizio::FileINI;
    Inizio::ScriviINI(ini, sezione, QStringLiteral("ODBC"), Taglia(txtODBC.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("Sistema"), Taglia(txtSISTEMA.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("Statement"), Taglia(txtSQL.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("Utente"), Taglia(txtAS400UTENTE.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("Password"), Taglia(txtAS400PASSWORD.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("Modalità"), Taglia(cmbMODO.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("ConnectionTimeout"),
                      Taglia(cmbConnectionTimeout.Text()));
    Inizio::ScriviINI(ini, sezione, QStringLiteral("CommandTimeout"),
                      Taglia(cmbCommandTimeout.Text()));

    QString messaggio;
    bool mancante = false;
    const auto verifica = [&](TextBox& campo, const QString& riga) {
        if (Taglia(campo.Text()).isEmpty()) {
            messaggio += riga + QStringLiteral("\r\n");
            mancante = true;
            campo.setBackColor(Giallo);
        } else {
            campo.setBackColor(Bianco);
        }
    };
    // The input of the chosen mode; an unknown mode requires none of its own.
    for (const ModoConnessione& modo : ModiConnessione()) {
        if (cmbMODO.Text() == modo.nome) {
            verifica(modo.richiesto == IngressoRichiesto::Odbc ? txtODBC : txtSISTEMA,
                     modo.rigaMancante);
        }
    }
    verifica(txtSQL, QStringLiteral("Statement SQL obbligatorio"));
    verifica(txtAS400UTENTE, QStringLiteral("Utente obbligatorio"));
    verifica(txtAS400PASSWORD, QStringLiteral("Password obbligatoria"));

    if (mancante) {
        MsgBox(messaggio, 16, QStringLiteral("Attenzione"));
        return;
    }
    cmdAPRI.setEnabled(false);
    cmdSTOP.setEnabled(true);
    bSTOP = false;
    Elabora();
}

// The run goes on over the event loop; it reports its end to corsaFinita.
void Guida::Elabora() {
    // The previous result goes: the table holds rows again only if this
    // run loads them.
    risultato_ = {};
    sDATI.Dimensiona(0, 0);
    corsa_.Avvia(RichiestaCorsa{
        cmbMODO.Text(),
        {txtODBC.Text(), txtSISTEMA.Text(), txtAS400UTENTE.Text(), txtAS400PASSWORD.Text()},
        txtSQL.Text(),
        cmbConnectionTimeout.Text(),
        cmbCommandTimeout.Text()});
}

// The rest of the request, once the run is over by whatever path.
void Guida::corsaFinita() {
    risultatoDellaCorsa();
    cmdSTOP.setEnabled(false);
    cmdAPRI.setEnabled(true);
    if (corsa_.ChiusuraRichiesta()) {
        close();
    }
}
