#include "run/modi_connessione.h"

#include <array>

namespace {

QString StringaOdbc(const IngressiConnessione& i) {
    return QStringLiteral("DSN=") + i.odbc + QStringLiteral(";;User ID=") + i.utente +
           QStringLiteral(";;Password=") + i.password;
}

QString StringaSistema(const IngressiConnessione& i) {
    return QStringLiteral("Provider=IBMDA400.DataSource.1;Password=") + i.password +
           QStringLiteral(";Persist Security Info=True;User ID=") + i.utente +
           QStringLiteral(";Data Source=") + i.sistema;
}

const std::array<ModoConnessione, 2>& Tabella() {
    static const std::array<ModoConnessione, 2> modi{{
        {QStringLiteral("ODBC"), IngressoRichiesto::Odbc, QStringLiteral("Odbc obbligatorio"),
         StringaOdbc},
        {QStringLiteral("OLEDB"), IngressoRichiesto::Sistema,
         QStringLiteral("Sistema obbligatorio"), StringaSistema},
    }};
    return modi;
}

} // namespace

std::span<const ModoConnessione> ModiConnessione() { return Tabella(); }

const ModoConnessione* TrovaModo(const QString& nome) {
    for (const ModoConnessione& m : Tabella()) {
        if (m.nome == nome) {
            return &m;
        }
    }
    return nullptr;
}

QString CostruisciConnessione(const QString& modo, const IngressiConnessione& ingressi) {
    const ModoConnessione* m = TrovaModo(modo);
    return m ? m->stringa(ingressi) : QString();
}
