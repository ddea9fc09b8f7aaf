// Input fields: entering one selects its whole text; leaving the data
// source name, the user or the password turns it to upper case.
#include "window/guida.h"

#include "settings/profilo.h"

#include <QLocale>

namespace {

void SelezionaTutto(TextBox& t) {
    t.setSelStart(0);
    t.setSelLength(static_cast<int>(t.Text().size()));
}

// Letter by letter, by the user's locale. A letter whose capital takes more
// than one character ("ß" gives "SS") or that the settings file could not
// store stays as it is: the text keeps its length, so a user or password
// of ten characters still fits its box whole.
QString MaiuscoloStessaLunghezza(const QString& testo) {
    const QLocale locale = QLocale::system();
    QString risultato = testo;
    for (QChar& c : risultato) {
        if (!c.isLower()) {
            continue;
        }
        const QString maiuscola = locale.toUpper(QString(c));
        if (maiuscola.size() == 1 && profilo::Rappresentabile(maiuscola[0])) {
            c = maiuscola[0];
        }
    }
    return risultato;
}

void Maiuscolo(TextBox& t) { t.setText(MaiuscoloStessaLunghezza(t.Text())); }

} // namespace

void Guida::txtODBC_GotFocus() { SelezionaTutto(txtODBC); }
void Guida::txtSISTEMA_GotFocus() { SelezionaTutto(txtSISTEMA); }
void Guida::txtSQL_GotFocus() { SelezionaTutto(txtSQL); }
void Guida::txtAS400UTENTE_GotFocus() { SelezionaTutto(txtAS400UTENTE); }
void Guida::txtAS400PASSWORD_GotFocus() { SelezionaTutto(txtAS400PASSWORD); }

void Guida::txtODBC_LostFocus() { Maiuscolo(txtODBC); }
void Guida::txtAS400UTENTE_LostFocus() { Maiuscolo(txtAS400UTENTE); }
void Guida::txtAS400PASSWORD_LostFocus() { Maiuscolo(txtAS400PASSWORD); }
