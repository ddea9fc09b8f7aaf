// zelbrontica-cli: the window's run without a window, for scripts, cron and
// monitoring systems.
#include "comando/fronte_comando.h"
#include "comando/opzioni.h"
#include "comando/sorveglianza.h"
#include "comando/uscita.h"
#include "run/corsa.h"

#include <QMutex>
#include <clocale>
#include <cstdio>
#include <unistd.h>

namespace {

// The connection of the blocking call under way, for the signal handler:
// written before the call starts, on the thread the handler interrupts.
ado::Connection* nelBlocco = nullptr;

void Scrivi(std::FILE* f, const QByteArray& b) {
    std::fwrite(b.constData(), 1, static_cast<std::size_t>(b.size()), f);
}

class Comando {
  public:
    explicit Comando(Opzioni o)
        : o_(std::move(o)), fronte_(sCAMPI_, bSTOP_),
          esecutore_([this] { primaDelBlocco(); }, [this] { dopoIlBlocco(); }),
          corsa_(fronte_, esecutore_,
                 StatoCorsa{cnAS400_, rsAS400_, nCAMPI_, sCAMPI_, nRECORD_, bSTOP_}) {}

    int Esegui() {
        if (o_.righe && !apriFileRighe())
            return 1;
        sorveglianza::Avvia(
            o_.timeout,
            [this] {
                QMutexLocker blocco(&guardia_);
                if (attiva_)
                    attiva_->Cancel();
            },
            [] { return nelBlocco != nullptr && nelBlocco->CancelSenzaAttesa(); });
        fronte_.CaricaRighe(!o_.soloConteggio);
        fronte_.Avanzamento(isatty(STDERR_FILENO) != 0);
        for (int i = 0; i < o_.riscaldamento + o_.ripeti; ++i) {
            const bool misurato = i >= o_.riscaldamento;
            fronte_.ScriviRighe(i == o_.riscaldamento ? righe_.get() : nullptr,
                                o_.righe.value_or(delimitato::Formato::Csv));
            const bool giaAperta = cnAS400_ && cnAS400_->IsOpen();
            bSTOP_ = false;
            corsa_.Avvia(o_.richiesta);
            esecutore_.Gira();
            Giro g = fronte_.Ultimo();
            if (o_.connessioneUnica && giaAperta)
                g.connessione.reset(); // only the statement is timed
            if (misurato || g.esito != EsitoGiro::Completata)
                giri_ << g;
            if (g.esito != EsitoGiro::Completata)
                break;
        }
        {
            QMutexLocker blocco(&guardia_);
            attiva_.reset();
        }
        nelBlocco = nullptr;
        cnAS400_.reset();
        Uscita u = Risultati(o_, giri_, codiceSegnale());
        if (righe_ && (fronte_.ErroreRighe() || !righe_->flush())) {
            u.err +=
                QStringLiteral("Impossibile scrivere le righe in %1\n")
                    .arg(o_.fileRighe.isEmpty() ? QStringLiteral("standard output") : o_.fileRighe)
                    .toUtf8();
            if (u.codice == 0)
                u.codice = 1;
        }
        Scrivi(stderr, u.err);
        Scrivi(stdout, u.out);
        if (std::fflush(stdout) != 0 && u.codice == 0)
            u.codice = 1;
        return u.codice;
    }

  private:
    int codiceSegnale() const {
        return sorveglianza::Attuale() == sorveglianza::Motivo::Sigterm ? 143 : 130;
    }

    bool apriFileRighe() {
        righe_ = std::make_unique<QFile>(o_.fileRighe);
        const bool aperto = o_.fileRighe.isEmpty()
                                ? righe_->open(stdout, QIODevice::WriteOnly)
                                : righe_->open(QIODevice::WriteOnly | QIODevice::Truncate);
        if (!aperto)
            std::fprintf(stderr, "Impossibile scrivere il file delle righe %s\n",
                         qPrintable(o_.fileRighe));
        return aperto;
    }

    // What the command leaves if the blocking call that follows never
    // returns: the runs so far and this one up to now.
    void primaDelBlocco() {
        {
            QMutexLocker blocco(&guardia_);
            attiva_ = cnAS400_;
        }
        nelBlocco = cnAS400_.get();
        const auto fine = [this](EsitoGiro e, int segnale) {
            QList<Giro> giri = giri_;
            Giro g = fronte_.Parziale();
            g.totale = sorveglianza::TotaleDaScrivere; // written at the end
            g.esito = e;
            g.tempi = e == EsitoGiro::Scaduta ? QStringLiteral("Tempo massimo scaduto")
                                              : QStringLiteral("Elaborazione interrotta");
            giri << g;
            Uscita u = Risultati(o_, giri, segnale);
            return sorveglianza::Fine{u.out, u.err, u.codice};
        };
        sorveglianza::PreparaFine(fine(EsitoGiro::Interrotta, 130),
                                  fine(EsitoGiro::Interrotta, 143), fine(EsitoGiro::Scaduta, 130),
                                  sorveglianza::Adesso() - fronte_.Trascorsi());
    }

    // A signal that cancelled the call ends the run as a stop does: no
    // failure, the connection released.
    void dopoIlBlocco() {
        const auto m = sorveglianza::Attuale();
        if (m == sorveglianza::Motivo::Sigint || m == sorveglianza::Motivo::Sigterm)
            corsa_.Chiudi();
    }

    Opzioni o_;
    std::shared_ptr<ado::Connection> cnAS400_;
    std::shared_ptr<ado::Recordset> rsAS400_;
    qint16 nCAMPI_ = 0;
    QStringList sCAMPI_;
    double nRECORD_ = 0;
    bool bSTOP_ = false;
    FronteComando fronte_;
    EsecutoreComando esecutore_;
    Corsa corsa_;
    QList<Giro> giri_;
    std::unique_ptr<QFile> righe_;
    QMutex guardia_; // attiva_, read by the watcher thread
    std::shared_ptr<ado::Connection> attiva_;
};

} // namespace

int main(int argc, char* argv[]) {
    // No application object: the command runs no event loop, and setting one
    // up (its event dispatcher among it) was a tenth of a check's start-up.
    // The locale is taken from the environment as the object would.
    std::setlocale(LC_ALL, "");
    QStringList argomenti;
    for (int i = 0; i < argc; ++i)
        argomenti << QString::fromLocal8Bit(argv[i]);
    Lettura l = LeggiOpzioni(argomenti);
    if (!l.opzioni) {
        if (l.controllo && !l.errore.isEmpty()) {
            const soglie::Esito e = soglie::ErroreUso(l.errore);
            Scrivi(stdout, soglie::RigaStato(e, {}).toUtf8() + '\n');
            return soglie::CodiceUscita(e.stato);
        }
        Scrivi(stdout, l.uscita.toUtf8());
        if (!l.errore.isEmpty())
            Scrivi(stderr, (QStringLiteral("zelbrontica-cli: ") + l.errore + u'\n').toUtf8());
        return l.codice;
    }
    for (const QString& avviso : l.opzioni->avvisiStderr)
        Scrivi(stderr, (avviso + u'\n').toUtf8());
    Comando c(std::move(*l.opzioni));
    return c.Esegui();
}
