// The texts of a run, under any input:
// - TabellaTesti, over rows of any width and content, reads back every cell
//   of the rows taken as the rows hold it, and the empty text elsewhere;
// - CLng either refuses the text or gives the number it stands for, rounded;
// - the connection string built from the window's inputs parses back to
//   them, when no input holds a ";" or starts with a quote;
// - the field lines and Formato6 take any name, length and number.
#include "fuzz_comune.h"
#include "odbc/errore.h"
#include "odbc/stringa_connessione.h"
#include "run/modi_connessione.h"
#include "run/tabella_testi.h"
#include "run/testi.h"

#include <QLocale>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

void Tabella(FuzzedDataProvider& dati) {
    TabellaTesti t;
    qsizetype righe = dati.ConsumeIntegralInRange(0, 40);
    const int colonne = dati.ConsumeIntegralInRange(0, 12);
    t.Dimensiona(righe, colonne);
    // Rows as a recordset reads them, of any width, NULLs among them.
    const int campi = dati.ConsumeIntegralInRange(1, 12);
    auto lette = std::make_shared<ado::Righe>();
    lette->Azzera(campi);
    std::vector<QString> celle;
    for (int n = dati.ConsumeIntegralInRange(0, 30) * campi; n > 0; --n) {
        const bool nullo = dati.ConsumeBool();
        celle.push_back(nullo ? QString() : Testo(dati, 40));
        lette->Appendi(celle.back());
        lette->ChiudiCella(nullo);
    }
    lette->Compatta(); // as Open does once the statement is freed
    t.Adotta(lette);
    const qsizetype prese = dati.ConsumeIntegralInRange<qsizetype>(0, lette->Conta());
    for (qsizetype r = 0; r < prese; ++r) {
        t.AdottaRiga(r);
    }
    righe = std::max(righe, prese);
    Verifica(t.Righe() == righe && t.Colonne() == colonne, "dimensioni");
    for (qsizetype r = -1; r <= righe + 1; ++r) {
        for (int c = -1; c <= colonne + 1; ++c) {
            const bool presa = r >= 0 && r < prese && c >= 0 && c < colonne && c < campi;
            const QString atteso = presa ? celle[r * campi + c] : QString();
            Verifica(t.Cella(r, c) == atteso, "cella diversa da quella letta");
        }
    }
}

void Numero(const QString& testo) {
    qint32 n = 0;
    try {
        n = testi::CLng(testo);
    } catch (const testi::ErroreRun& e) {
        Verifica(e.Description() == u"Tipo non corrispondente" || e.Description() == u"Overflow",
                 "errore sconosciuto");
        return;
    }
    // Accepted: blanks, a sign, digits with at most one decimal point.
    static const QRegularExpression forma(
        QStringLiteral("^ *[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+) *$"));
    Verifica(forma.match(testo).hasMatch(), "testo non numerico accettato");
    const double valore = testo.trimmed().toDouble();
    Verifica(std::fabs(double(n) - valore) <= 0.5 + std::fabs(valore) * 1e-15,
             "arrotondamento sbagliato");
}

void Connessione(FuzzedDataProvider& dati) {
    const bool odbc = dati.ConsumeBool();
    const QString dsn = Testo(dati, 30);
    const QString sistema = Testo(dati, 30);
    const QString utente = Testo(dati, 30);
    const QString password = Testo(dati, 30);
    const QString s = CostruisciConnessione(odbc ? QStringLiteral("ODBC") : QStringLiteral("OLEDB"),
                                            {dsn, sistema, utente, password});
    for (const QString& v : {dsn, sistema, utente, password}) {
        if (v.contains(u';') || v.startsWith(u'"') || v.startsWith(u'\'')) {
            return;
        }
    }
    QList<QPair<QString, QString>> coppie;
    try {
        coppie = ado::AnalizzaStringaAdo(s);
    } catch (const ado::Errore&) {
        Verifica(false, "stringa costruita rifiutata");
    }
    using C = QList<QPair<QString, QString>>;
    const C attese = odbc ? C{{"DSN", dsn}, {"User ID", utente}, {"Password", password}}
                          : C{{"Provider", "IBMDA400.DataSource.1"},
                              {"Password", password},
                              {"Persist Security Info", "True"},
                              {"User ID", utente},
                              {"Data Source", sistema}};
    Verifica(coppie == attese, "la stringa costruita non rende gli ingressi");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    QLocale::setDefault(QLocale::c()); // "." as the decimal point CLng accepts
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* byte, size_t n) {
    FuzzedDataProvider dati(byte, n);
    switch (dati.ConsumeIntegralInRange(0, 3)) {
    case 0:
        Tabella(dati);
        break;
    case 1:
        Numero(Testo(dati, 60));
        break;
    case 2:
        Connessione(dati);
        break;
    default: {
        const QString nome = Testo(dati, 40);
        testi::RigaCampoAlf(nome, dati.ConsumeIntegral<qsizetype>());
        testi::RigaCampoNum(nome, dati.ConsumeIntegral<quint8>(), dati.ConsumeIntegral<quint8>());
        const double secondi = dati.ConsumeFloatingPoint<double>();
        const QString s = testi::Formato6(secondi);
        if (std::isfinite(secondi) && std::fabs(secondi) < 1e15) {
            Verifica(s.isEmpty() == (std::round(secondi) == 0), "zero non vuoto");
        }
        break;
    }
    }
    return 0;
}
