// Input fields: entering one selects its whole text; leaving the data
// source name, the user or the password turns it to upper case.
#include "window/guida.h"

#include <QLocale>

namespace {

void SelezionaTutto(TextBox& t) {
    t.setSelStart(0);
    t.setSelLength(static_cast<int>(t.Text().size()));
}

void Maiuscolo(TextBox& t) { t.setText(QLocale::system().toUpper(t.Text())); }

} // namespace

void Guida::txtODBC_GotFocus() { SelezionaTutto(txtODBC); }
void Guida::txtSISTEMA_GotFocus() { SelezionaTutto(txtSISTEMA); }
void Guida::txtSQL_GotFocus() { SelezionaTutto(txtSQL); }
void Guida::txtAS400UTENTE_GotFocus() { SelezionaTutto(txtAS400UTENTE); }
void Guida::txtAS400PASSWORD_GotFocus() { SelezionaTutto(txtAS400PASSWORD); }

void Guida::txtODBC_LostFocus() { Maiuscolo(txtODBC); }
void Guida::txtAS400UTENTE_LostFocus() { Maiuscolo(txtAS400UTENTE); }
void Guida::txtAS400PASSWORD_LostFocus() { Maiuscolo(txtAS400PASSWORD); }
