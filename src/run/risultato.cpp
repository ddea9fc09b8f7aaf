#include "run/risultato.h"

namespace delimitato {

namespace {

template <typename Testo> void Intestazione(Testo& uscita, const Risultato& r, Formato f) {
    for (qsizetype i = 0; i < r.nomi.size(); ++i) {
        AccodaCampo(uscita, r.nomi[i], false, i == 0, f);
    }
    FineRiga(uscita, f);
}

template <typename Testo> void Riga(Testo& uscita, const Risultato& r, qsizetype riga, Formato f) {
    const auto colonne = static_cast<int>(r.nomi.size());
    for (int i = 0; i < colonne; ++i) {
        const ado::Valore v = r.dati.Valore(riga, i);
        AccodaCampo(uscita, v.testo, v.nullo, i == 0, f);
    }
    FineRiga(uscita, f);
}

} // namespace

void AccodaIntestazione(QByteArray& uscita, const Risultato& r, Formato f) {
    Intestazione(uscita, r, f);
}
void AccodaIntestazione(QString& uscita, const Risultato& r, Formato f) {
    Intestazione(uscita, r, f);
}
void AccodaRiga(QByteArray& uscita, const Risultato& r, qsizetype riga, Formato f) {
    Riga(uscita, r, riga, f);
}
void AccodaRiga(QString& uscita, const Risultato& r, qsizetype riga, Formato f) {
    Riga(uscita, r, riga, f);
}

} // namespace delimitato
