#pragma once
// The connection modes, in one table: the name the mode box offers and the
// settings file stores, the input the mode requires besides the statement,
// the user and the password, and how its connection string is built. The
// request check, the connection string and the mode box all read it.
#include <QString>
#include <span>

// The window's connection inputs, taken as they stand (no trimming, no
// quoting).
struct IngressiConnessione {
    QString odbc;
    QString sistema;
    QString utente;
    QString password;
};

// The input a mode requires of its own.
enum class IngressoRichiesto { Odbc, Sistema };

struct ModoConnessione {
    QString nome; // compared exactly, case included
    IngressoRichiesto richiesto;
    QString rigaMancante; // the request check's line when that input is empty
    QString (*stringa)(const IngressiConnessione&);
};

// Every mode, in the order the mode box offers them; the first is the
// default of a first start.
std::span<const ModoConnessione> ModiConnessione();

// The mode whose name is exactly `nome`, or none.
const ModoConnessione* TrovaModo(const QString& nome);

// The connection string of a mode; an unknown mode gives the empty text.
QString CostruisciConnessione(const QString& modo, const IngressiConnessione& ingressi);
