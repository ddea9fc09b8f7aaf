#include "run/corsa.h"

#include "run/taglia.h"
#include "run/testi.h"

#include <new>

namespace {

QString Intero(double n) { return QString::number(static_cast<qint64>(n)); }

} // namespace

Corsa::Corsa(FronteCorsa& fronte, EsecutoreCorsa& esecutore, StatoCorsa s, QObject* parent)
    : QObject(parent), fronte_(fronte), esecutore_(esecutore), f_(s) {}

Corsa::~Corsa() = default;

void Corsa::Avvia(const RichiestaCorsa& r) {
    inCorso_ = true;
    chiusura_ = false;
    richiesta_ = r;
    sCONNESSIONE.clear();
    sSQL.clear();
    SQL = 0;
    COUNT = 0;
    PAG = 0;
    errore_ = nullptr;
    cronometro_ = {};
    contando_ = false;
    esegui(&Corsa::connetti);
}

void Corsa::connetti() {
    const RichiestaCorsa& r = richiesta_;
    sCONNESSIONE = CostruisciConnessione(r.modo, r.connessione);
    sSQL = Taglia(r.sql);
    fronte_.Inizio();
    f_.nRECORD = 0;
    f_.nCAMPI = 0;
    fronte_.Stato(QStringLiteral("Apertura Connessione"));
    fronte_.MostraStato();
    if (r.tieniConnessione && f_.cnAS400 && f_.cnAS400->IsOpen()) {
        apriFile();
        return;
    }

    f_.cnAS400 = std::make_shared<ado::Connection>();
    f_.cnAS400->ConnectionString = sCONNESSIONE;
    f_.cnAS400->ConnectionTimeout = testi::CLng(r.connectionTimeout);
    f_.cnAS400->CommandTimeout = testi::CLng(r.commandTimeout);
    fuori([cn = f_.cnAS400] { cn->Open(); }, &Corsa::apriFile);
}

void Corsa::Chiudi() {
    chiusura_ = true;
    f_.bSTOP = true;
    if (f_.cnAS400) {
        f_.cnAS400->Cancel();
    }
}

void Corsa::esegui(Passo p) {
    if (!inCorso_) {
        return;
    }
    if (chiusura_) {
        arresta();
        return;
    }
    QString descrizione;
    try {
        (this->*p)();
        return;
    } catch (const ado::Errore& e) {
        descrizione = e.Description();
    } catch (const testi::ErroreRun& e) {
        descrizione = e.Description();
    } catch (const std::bad_alloc&) {
        descrizione = QStringLiteral("Memoria insufficiente");
    } catch (const std::exception& e) {
        descrizione = QString::fromLocal8Bit(e.what());
    }
    fallisci(descrizione);
}

void Corsa::fuori(std::function<void()> lavoro, Passo poi) {
    esecutore_.Fuori(std::move(lavoro), [this, poi](std::exception_ptr e) {
        errore_ = e;
        esegui(poi);
    });
}

void Corsa::dopoGliEventi(Passo poi) {
    esecutore_.Dopo([this, poi] { esegui(poi); });
}

void Corsa::rilancia() {
    if (errore_) {
        std::rethrow_exception(std::exchange(errore_, nullptr));
    }
}

bool Corsa::primaDellaRiga(Passo ripresa) {
    if (esecutore_.FettaFinita()) {
        dopoGliEventi(ripresa);
        return true;
    }
    if (f_.bSTOP) {
        arresta();
        return true;
    }
    return false;
}

// The connection is open: execute the statement.
void Corsa::apriFile() {
    rilancia();
    fronte_.Connessa();
    fronte_.Stato(QStringLiteral("Apertura File"));

    auto rs = std::make_shared<ado::Recordset>();
    f_.rsAS400 = rs;
    rs->CursorType = ado::adOpenStatic;
    rs->LockType = ado::adLockOptimistic;
    rs->ActiveConnection = f_.cnAS400;
    rs->CursorLocation = ado::adUseClient;
    rs->Source = sSQL;
    // The first execution lists the fields from the first row and counts
    // the rows: their values are not needed.
    rs->SoloConteggio = true;
    inizio_ = testi::Adesso();
    cronometro_.Avvia(tempi::Fase::Istruzione);
    fuori([rs] { rs->Open(); }, &Corsa::eseguita);
}

void Corsa::eseguita() {
    SQL = static_cast<double>(testi::Adesso() - inizio_);
    rilancia();
    cronometro_.Ferma();
    const int conteggio = f_.rsAS400->Fields().Count();
    if (conteggio > 32767) {
        throw testi::ErroreRun(QStringLiteral("Overflow"));
    }
    f_.nCAMPI = static_cast<qint16>(conteggio);
    f_.sCAMPI = QStringList(f_.nCAMPI + 1);
    campo_ = 0;
    dopoGliEventi(&Corsa::elencaCampi);
}

void Corsa::elencaCampi() {
    esecutore_.InizioFetta();
    const ado::Recordset& rs = *f_.rsAS400;
    while (campo_ < f_.nCAMPI) {
        if (esecutore_.FettaFinita()) {
            dopoGliEventi(&Corsa::elencaCampi);
            return;
        }
        const int i = campo_++;
        const ado::Field campo = rs.Fields().Item(i);
        f_.sCAMPI[i] = campo.Name();
        const quint8 scala = campo.NumericScale();
        if (testi::Alfanumerico(scala)) {
            // A NULL first value, or no first row at all, measures 0.
            const qsizetype lunghezza = rs.Eof() ? 0 : campo.Value().testo.size();
            fronte_.Campo(testi::RigaCampoAlf(f_.sCAMPI[i], lunghezza));
        } else {
            fronte_.Campo(
                testi::RigaCampoNum(f_.sCAMPI[i], campo.Precision(), campo.NumericScale()));
        }
        fronte_.Stato(QStringLiteral("Caricamento Definizione Campi - ") + f_.sCAMPI[i]);
        fronte_.MostraStato();
    }
    fronte_.CampiElencati(f_.nCAMPI);
    inizio_ = testi::Adesso();
    cronometro_.Avvia(tempi::Fase::Conteggio);
    contando_ = true;
    statoRiga_.Prepara(u"Conteggio Records ", {});
    dopoGliEventi(&Corsa::conta);
}

void Corsa::conta() {
    esecutore_.InizioFetta();
    ado::Recordset& rs = *f_.rsAS400;
    while (!rs.Eof()) {
        if (primaDellaRiga(&Corsa::conta)) {
            return;
        }
        f_.nRECORD = f_.nRECORD + 1;
        rs.MoveNext();
        fronte_.Stato(statoRiga_.Per(f_.nRECORD));
        fronte_.MostraStato();
    }
    totale_ = f_.nRECORD;
    cronometro_.Ferma();
    COUNT = static_cast<double>(testi::Adesso() - inizio_);

    // The paging box decides here, once.
    if (!fronte_.CaricaRighe()) {
        finale();
        return;
    }
    fronte_.PreparaCaricamento(static_cast<qint64>(totale_), f_.nCAMPI);
    inizio_ = testi::Adesso();
    cronometro_.Avvia(tempi::Fase::Caricamento);
    if (totale_ > 0) {
        f_.nRECORD = 0;
        f_.rsAS400->SoloConteggio = false;
        // Rows that are not kept are read a block at a time.
        if (!fronte_.TieneRighe())
            f_.rsAS400->CursorType = ado::adOpenForwardOnly;
        fuori(
            [rs = f_.rsAS400] {
                rs->Close();
                rs->Open();
            },
            &Corsa::rieseguita);
        return;
    }
    completa();
}

void Corsa::rieseguita() {
    rilancia();
    statoRiga_.Prepara(u"Caricamento Record ", QStringLiteral(" di ") + Intero(totale_));
    if (fronte_.TieneRighe())
        fronte_.RigheLette(f_.rsAS400->RigheLette(), f_.nCAMPI);
    dopoGliEventi(&Corsa::carica);
}

void Corsa::carica() {
    esecutore_.InizioFetta();
    ado::Recordset& rs = *f_.rsAS400;
    while (!rs.Eof()) {
        if (primaDellaRiga(&Corsa::carica)) {
            return;
        }
        fronte_.Riga(static_cast<qint64>(f_.nRECORD), rs);
        f_.nRECORD = f_.nRECORD + 1;
        fronte_.Stato(statoRiga_.Per(f_.nRECORD));
        fronte_.MostraStato();
        rs.MoveNext();
    }
    // Every row is loaded before the run says it is over.
    fronte_.RigheCaricate();
    completa();
}

// The rows are loaded (or there were none to load).
void Corsa::completa() {
    cronometro_.Ferma();
    PAG = static_cast<double>(testi::Adesso() - inizio_);
    fronte_.Caricamento(static_cast<qint64>(f_.nRECORD));
    rilascia();
    finale();
}

void Corsa::finale() {
    fronte_.Stato(QStringLiteral("Elaborazione Completata (SQL=") + testi::Formato6(SQL) +
                  QStringLiteral(" sec - COUNT=") + testi::Formato6(COUNT) +
                  QStringLiteral(" sec - PAG.=") + testi::Formato6(PAG) + QStringLiteral(" sec)"));
    mostraTempi(tempi::Esito::Completata);
    fronte_.MostraStato();
    termina();
}

// A stop found in a row loop, or the window closing: the one way a run ends
// early without a message.
void Corsa::mostraTempi(tempi::Esito esito) {
    if (contando_) {
        cronometro_.setRighe(static_cast<qint64>(f_.nRECORD));
    }
    fronte_.Tempi(cronometro_.Misura(esito), esito);
}

void Corsa::arresta() {
    mostraTempi(tempi::Esito::Interrotta);
    rilascia();
    termina();
}

void Corsa::fallisci(const QString& descrizione) {
    if (chiusura_) {
        arresta();
        return;
    }
    mostraTempi(tempi::Esito::NonRiuscita);
    fronte_.Errore(sCONNESSIONE, sSQL, descrizione);
    // Closed while the message was up: the window closes once it is gone.
    if (chiusura_) {
        rilascia();
    }
    termina();
}

// Closes and releases the recordset and the connection.
void Corsa::rilascia() {
    if (f_.rsAS400) {
        f_.rsAS400->Close();
    }
    f_.rsAS400.reset();
    if (richiesta_.tieniConnessione) {
        return;
    }
    if (f_.cnAS400) {
        f_.cnAS400->Close();
    }
    f_.cnAS400.reset();
}

void Corsa::termina() {
    esecutore_.Annulla();
    esecutore_.Riposo();
    inCorso_ = false;
    emit Finita();
}
