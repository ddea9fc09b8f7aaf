#include "run/corsa.h"

#include "run/taglia.h"
#include "run/testi.h"

#include <QWidget>
#include <QtConcurrent/QtConcurrentRun>
#include <ctime>
#include <new>

namespace {

// A slice of per-field or per-row work lasts about this long before the
// window handles its events again.
constexpr qint64 FettaMs = 8;

QString Intero(double n) { return QString::number(static_cast<qint64>(n)); }

// Milliseconds of the coarse monotonic clock: a few milliseconds of grain
// and a fraction of the precise clock's cost, which a slice pays per row.
qint64 MillisecondiGrossolani() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

Corsa::Corsa(FinestraCorsa f, QObject* parent) : QObject(parent), f_(f) {
    operaio_.setMaxThreadCount(1);
    operaio_.setExpiryTimeout(-1);
    seguito_.setSingleShot(true);
    seguito_.setInterval(0);
    connect(&seguito_, &QTimer::timeout, this, [this] { esegui(prossimo_); });
    connect(&attesa_, &QFutureWatcher<std::exception_ptr>::finished, this, [this] {
        errore_ = attesa_.result();
        esegui(prossimo_);
    });
}

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
    f_.lstDATI.Clear();
    f_.lstCAMPI.Clear();
    f_.frmELABORAZIONE.setVisible(true);
    f_.txtSTATUS.setToolTipText(QString());
    f_.nRECORD = 0;
    f_.nCAMPI = 0;
    f_.txtSTATUS.setText(QStringLiteral("Apertura Connessione"));
    f_.txtSTATUS.Refresh();

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
    prossimo_ = poi;
    attesa_.setFuture(
        QtConcurrent::run(&operaio_, [lavoro = std::move(lavoro)]() -> std::exception_ptr {
            try {
                lavoro();
            } catch (...) {
                return std::current_exception();
            }
            return nullptr;
        }));
}

void Corsa::dopoGliEventi(Passo poi) {
    prossimo_ = poi;
    seguito_.start();
}

void Corsa::rilancia() {
    if (errore_) {
        std::rethrow_exception(std::exchange(errore_, nullptr));
    }
}

void Corsa::inizioFetta() { fineFetta_ = MillisecondiGrossolani() + FettaMs; }

bool Corsa::fettaFinita() const { return MillisecondiGrossolani() >= fineFetta_; }

bool Corsa::primaDellaRiga(Passo ripresa) {
    if (fettaFinita()) {
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
    f_.txtSTATUS.setText(QStringLiteral("Apertura File"));

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
    inizioFetta();
    const ado::Recordset& rs = *f_.rsAS400;
    while (campo_ < f_.nCAMPI) {
        if (fettaFinita()) {
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
            f_.lstCAMPI.AddItem(testi::RigaCampoAlf(f_.sCAMPI[i], lunghezza));
        } else {
            f_.lstCAMPI.AddItem(
                testi::RigaCampoNum(f_.sCAMPI[i], campo.Precision(), campo.NumericScale()));
        }
        f_.txtSTATUS.setText(QStringLiteral("Caricamento Definizione Campi - ") + f_.sCAMPI[i]);
        f_.txtSTATUS.Refresh();
    }
    f_.lblCAMPI.setCaption(QStringLiteral("Campi (") + QString::number(f_.nCAMPI) +
                           QStringLiteral(")"));
    inizio_ = testi::Adesso();
    cronometro_.Avvia(tempi::Fase::Conteggio);
    contando_ = true;
    statoRiga_.Prepara(u"Conteggio Records ", {});
    dopoGliEventi(&Corsa::conta);
}

void Corsa::conta() {
    inizioFetta();
    ado::Recordset& rs = *f_.rsAS400;
    while (!rs.Eof()) {
        if (primaDellaRiga(&Corsa::conta)) {
            return;
        }
        f_.nRECORD = f_.nRECORD + 1;
        rs.MoveNext();
        f_.txtSTATUS.setText(statoRiga_.Per(f_.nRECORD));
        f_.txtSTATUS.Refresh();
    }
    totale_ = f_.nRECORD;
    cronometro_.Ferma();
    COUNT = static_cast<double>(testi::Adesso() - inizio_);

    // The paging box decides here, once.
    if (!f_.lstDATI.Visible()) {
        finale();
        return;
    }
    f_.sDATI.Dimensiona(static_cast<qsizetype>(totale_) + 1, f_.nCAMPI + 1);
    inizio_ = testi::Adesso();
    cronometro_.Avvia(tempi::Fase::Caricamento);
    if (totale_ > 0) {
        f_.nRECORD = 0;
        f_.rsAS400->SoloConteggio = false;
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
    // sDATI takes the rows the recordset has just read, one by one as they
    // are loaded, without copying their text; they stay with it once the
    // recordset is released.
    f_.sDATI.Adotta(f_.rsAS400->RigheLette());
    // A row of lstDATI is its row of sDATI, each value followed by "|":
    // read from sDATI when shown, its text is kept once.
    const int colonne = f_.nCAMPI;
    const TabellaTesti& dati = f_.sDATI;
    f_.lstDATI.UsaFonte([&dati, colonne](qsizetype r) {
        QString riga;
        for (int i = 0; i < colonne; ++i) {
            testi::AccodaValore(riga, dati.Cella(r, i));
        }
        return riga;
    });
    dopoGliEventi(&Corsa::carica);
}

void Corsa::carica() {
    inizioFetta();
    ado::Recordset& rs = *f_.rsAS400;
    while (!rs.Eof()) {
        if (primaDellaRiga(&Corsa::carica)) {
            return;
        }
        f_.sDATI.AdottaRiga(static_cast<qsizetype>(f_.nRECORD));
        f_.lstDATI.AddItemDaFonte();
        f_.nRECORD = f_.nRECORD + 1;
        f_.txtSTATUS.setText(statoRiga_.Per(f_.nRECORD));
        f_.txtSTATUS.Refresh();
        rs.MoveNext();
    }
    // Every row is in the list before the run says it is over.
    f_.lstDATI.Refresh();
    completa();
}

// The rows are loaded (or there were none to load).
void Corsa::completa() {
    cronometro_.Ferma();
    PAG = static_cast<double>(testi::Adesso() - inizio_);
    f_.lblDATI.setCaption(QStringLiteral("Dati (") + Intero(f_.nRECORD) +
                          QStringLiteral(" records)"));
    rilascia();
    finale();
}

void Corsa::finale() {
    f_.txtSTATUS.setText(QStringLiteral("Elaborazione Completata (SQL=") + testi::Formato6(SQL) +
                         QStringLiteral(" sec - COUNT=") + testi::Formato6(COUNT) +
                         QStringLiteral(" sec - PAG.=") + testi::Formato6(PAG) +
                         QStringLiteral(" sec)"));
    mostraTempi(tempi::Esito::Completata);
    f_.txtSTATUS.Refresh();
    termina();
}

// A stop found in a row loop, or the window closing: the one way a run ends
// early without a message.
void Corsa::mostraTempi(tempi::Esito esito) {
    if (contando_) {
        cronometro_.setRighe(static_cast<qint64>(f_.nRECORD));
    }
    f_.txtSTATUS.setToolTipText(cronometro_.Testo(esito));
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
    const QString aCapo = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Errori Durante Elaborazione") + aCapo + aCapo +
               QStringLiteral("Stringa di Connessione: ") + sCONNESSIONE + aCapo + aCapo +
               QStringLiteral("Stringa di Elaborazione: ") + sSQL + aCapo + aCapo +
               QStringLiteral("Errore: ") + descrizione,
           16, QStringLiteral("Attenzione"));
    f_.frmELABORAZIONE.setVisible(false);
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
    if (f_.cnAS400) {
        f_.cnAS400->Close();
    }
    f_.cnAS400.reset();
}

void Corsa::termina() {
    seguito_.stop();
    inCorso_ = false;
    emit Finita();
}
