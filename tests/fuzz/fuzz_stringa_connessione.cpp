// Connection strings: any text either parses or is refused with Errore, and
// the ODBC string made of a parsed one, read back by the ODBC grammar (a
// value in braces runs to its closing brace, "}}" standing for "}"), holds
// every value exactly as parsed, braces and quotes included.
#include "fuzz_comune.h"
#include "odbc/errore.h"
#include "odbc/stringa_connessione.h"

#include <QRegularExpression>

#include <optional>

namespace {

using Coppie = QList<QPair<QString, QString>>;

bool Stessa(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The pairs of an ODBC connection string, or nothing when it is malformed.
std::optional<Coppie> AnalizzaOdbc(QStringView s) {
    Coppie coppie;
    qsizetype i = 0;
    while (i < s.size()) {
        const qsizetype uguale = s.indexOf(u'=', i);
        if (uguale < 0) {
            return std::nullopt;
        }
        const QString chiave = s.sliced(i, uguale - i).toString();
        QString valore;
        i = uguale + 1;
        if (i < s.size() && s[i] == u'{') {
            for (++i;; ++i) {
                if (i >= s.size()) {
                    return std::nullopt;
                }
                if (s[i] == u'}') {
                    if (i + 1 < s.size() && s[i + 1] == u'}') {
                        valore += u'}';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                valore += s[i];
            }
            if (i < s.size() && s[i] != u';') {
                return std::nullopt;
            }
        } else {
            const qsizetype fine = s.indexOf(u';', i) < 0 ? s.size() : s.indexOf(u';', i);
            valore = s.sliced(i, fine - i).toString();
            i = fine;
        }
        coppie.append({chiave, valore});
        ++i; // the ";"
    }
    return coppie;
}

// "{x}" with every inner "}" doubled: the way a driver name is written.
std::optional<QString> TraGraffe(const QString& v) {
    if (!v.startsWith(u'{')) {
        return std::nullopt;
    }
    const auto coppie = AnalizzaOdbc(QStringLiteral("K=") + v);
    if (!coppie || coppie->size() != 1) {
        return std::nullopt;
    }
    return coppie->front().second;
}

// What the translation must carry over for the ODBC provider: every pair but
// two, some keys renamed, a repeated key once with its last value.
Coppie AtteseOdbc(const Coppie& ado) {
    const QList<QPair<QString, QString>> nomi = {
        {"User ID", "UID"}, {"Password", "PWD"}, {"Data Source", "DSN"}};
    Coppie attese;
    for (const auto& coppia : ado) {
        QString chiave = coppia.first;
        QString valore = coppia.second;
        if (Stessa(chiave, u"Provider") || Stessa(chiave, u"Persist Security Info")) {
            continue;
        }
        for (const auto& [da, a] : nomi) {
            if (Stessa(chiave, da)) {
                chiave = a;
            }
        }
        if (Stessa(chiave, u"DRIVER")) {
            valore = TraGraffe(valore).value_or(valore);
        }
        const auto gia = std::find_if(attese.begin(), attese.end(),
                                      [&](const auto& c) { return Stessa(c.first, chiave); });
        if (gia == attese.end()) {
            attese.append({chiave, valore});
        } else {
            gia->second = valore;
        }
    }
    return attese;
}

QString Valore(const Coppie& ado, QStringView chiave) {
    QString v;
    for (const auto& [k, valore] : ado) {
        if (Stessa(k, chiave)) {
            v = valore;
        }
    }
    return v;
}

bool Presente(const Coppie& ado, QStringView chiave) {
    return std::any_of(ado.begin(), ado.end(),
                       [&](const auto& c) { return Stessa(c.first, chiave); });
}

Coppie AtteseIbmI(const Coppie& ado) {
    Coppie attese = {{"DRIVER", "IBM i Access ODBC Driver"}};
    for (const auto& [da, a] : QList<QPair<QString, QString>>{
             {"Data Source", "SYSTEM"}, {"User ID", "UID"}, {"Password", "PWD"}}) {
        if (Presente(ado, da)) {
            attese.append({a, Valore(ado, da)});
        }
    }
    return attese;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* byte, size_t n) {
    FuzzedDataProvider dati(byte, n);
    const QString stringa = Testo(dati, n);

    Coppie ado;
    try {
        ado = ado::AnalizzaStringaAdo(stringa);
    } catch (const ado::Errore&) {
        return 0;
    }
    for (const auto& [chiave, valore] : ado) {
        Verifica(!chiave.isEmpty() && chiave == chiave.trimmed(), "chiave vuota o con spazi");
        Verifica(!chiave.contains(u'=') && !chiave.contains(u';'), "chiave con = o ;");
    }

    QString odbc;
    try {
        odbc = ado::StringaOdbc(stringa);
    } catch (const ado::Errore&) {
        static const QRegularExpression noti(
            QStringLiteral("^(MSDASQL(\\.\\d+)?|IBMDA400(\\.DataSource\\.1)?)?$"),
            QRegularExpression::CaseInsensitiveOption);
        Verifica(ado.isEmpty() || !noti.match(Valore(ado, u"Provider").trimmed()).hasMatch(),
                 "stringa valida rifiutata");
        return 0;
    }
    const std::optional<Coppie> tradotte = AnalizzaOdbc(odbc);
    Verifica(tradotte.has_value(), "stringa ODBC malformata");
    const bool ibmi =
        Valore(ado, u"Provider").trimmed().startsWith(u"IBMDA400", Qt::CaseInsensitive);
    const Coppie attese = ibmi ? AtteseIbmI(ado) : AtteseOdbc(ado);
    Verifica(*tradotte == attese, "valori cambiati dalla traduzione");
    return 0;
}
