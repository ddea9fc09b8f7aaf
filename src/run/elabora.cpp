// One run: connect, execute, list the fields, count the rows and, when the
// rows list is shown, execute again and load every row.
#include "platform/finestra.h"
#include "run/connessione.h"
#include "run/taglia.h"
#include "run/tempi.h"
#include "run/testi.h"
#include "window/guida.h"

#include <charconv>
#include <new>

namespace {

QString Intero(double n) { return QString::number(static_cast<qint64>(n)); }

// The status line of a row loop, the row number between two fixed texts,
// rebuilt in place: nothing is allocated for a row.
class StatoRiga {
  public:
    StatoRiga(const QString& prima, QString dopo) : prima_(prima.size()), dopo_(std::move(dopo)) {
        testo_.reserve(prima_ + 24 + dopo_.size());
        testo_.append(QStringView(prima));
    }
    // The number as Intero writes it, between the two texts.
    const QString& Per(double n) {
        char cifre[24];
        const char* fine = std::to_chars(cifre, cifre + sizeof cifre, static_cast<qint64>(n)).ptr;
        testo_.resize(prima_ + (fine - cifre) + dopo_.size());
        QChar* p = testo_.data() + prima_;
        for (const char* c = cifre; c != fine; ++c) {
            *p++ = QLatin1Char(*c);
        }
        std::copy(dopo_.cbegin(), dopo_.cend(), p);
        return testo_;
    }

  private:
    qsizetype prima_; // the first text stays in place
    QString dopo_;
    QString testo_;
};

} // namespace

void Guida::Elabora() {
    QString sCONNESSIONE;
    QString sSQL;
    double SQL = 0;
    double COUNT = 0;
    double PAG = 0;
    // The exact durations, for the status box's tooltip.
    tempi::Cronometro cronometro;
    bool contando = false;
    const auto mostraTempi = [&](tempi::Esito esito) {
        if (contando) {
            cronometro.setRighe(static_cast<qint64>(nRECORD));
        }
        txtSTATUS.setToolTipText(cronometro.Testo(esito));
    };

    // Closes and releases the recordset and the connection (a stop, the window
    // closing, or the end of a run that loaded its rows).
    const auto rilascia = [this] {
        if (rsAS400) {
            rsAS400->Close();
        }
        rsAS400.reset();
        if (cnAS400) {
            cnAS400->Close();
        }
        cnAS400.reset();
    };

    QString descrizione;
    try {
        sCONNESSIONE = CostruisciConnessione(cmbMODO.Text(), txtODBC.Text(), txtSISTEMA.Text(),
                                             txtAS400UTENTE.Text(), txtAS400PASSWORD.Text());
        sSQL = Taglia(txtSQL.Text());
        lstDATI.Clear();
        lstCAMPI.Clear();
        frmELABORAZIONE.setVisible(true);
        txtSTATUS.setToolTipText(QString());
        nRECORD = 0;
        nCAMPI = 0;
        txtSTATUS.setText(QStringLiteral("Apertura Connessione"));
        txtSTATUS.Refresh();

        cnAS400 = std::make_shared<ado::Connection>();
        cnAS400->ConnectionString = sCONNESSIONE;
        cnAS400->ConnectionTimeout = testi::CLng(cmbConnectionTimeout.Text());
        cnAS400->CommandTimeout = testi::CLng(cmbCommandTimeout.Text());
        const std::shared_ptr<ado::Connection> cn = cnAS400;
        InAttesa([cn] { cn->Open(); });
        if (chiusuraRichiesta_) {
            rilascia();
            return;
        }

        txtSTATUS.setText(QStringLiteral("Apertura File"));

        rsAS400 = std::make_shared<ado::Recordset>();
        rsAS400->CursorType = ado::adOpenStatic;
        rsAS400->LockType = ado::adLockOptimistic;
        rsAS400->ActiveConnection = cnAS400;
        rsAS400->CursorLocation = ado::adUseClient;
        rsAS400->Source = sSQL;
        // The first execution lists the fields from the first row and counts
        // the rows: their values are not needed.
        rsAS400->SoloConteggio = true;
        const std::shared_ptr<ado::Recordset> rs = rsAS400;

        qint64 inizio = testi::Adesso();
        cronometro.Avvia(tempi::Fase::Istruzione);
        InAttesa([rs] { rs->Open(); });
        cronometro.Ferma();
        SQL = static_cast<double>(testi::Adesso() - inizio);
        if (chiusuraRichiesta_) {
            rilascia();
            return;
        }

        const int conteggio = rs->Fields().Count();
        if (conteggio > 32767) {
            throw testi::ErroreRun(QStringLiteral("Overflow"));
        }
        nCAMPI = static_cast<qint16>(conteggio);
        sCAMPI = QStringList(nCAMPI + 1);

        for (int i = 0; i < nCAMPI; ++i) {
            DoEvents();
            if (chiusuraRichiesta_) {
                rilascia();
                return;
            }
            const ado::Field campo = rs->Fields().Item(i);
            sCAMPI[i] = campo.Name();
            const quint8 scala = campo.NumericScale();
            if (testi::Alfanumerico(scala)) {
                // A NULL first value, or no first row at all, measures 0.
                const qsizetype lunghezza = rs->Eof() ? 0 : campo.Value().testo.size();
                lstCAMPI.AddItem(testi::RigaCampoAlf(sCAMPI[i], lunghezza));
            } else {
                const quint8 precisione = campo.Precision();
                lstCAMPI.AddItem(testi::RigaCampoNum(sCAMPI[i], precisione, campo.NumericScale()));
            }
            txtSTATUS.setText(QStringLiteral("Caricamento Definizione Campi - ") + sCAMPI[i]);
            txtSTATUS.Refresh();
        }

        lblCAMPI.setCaption(QStringLiteral("Campi (") + QString::number(nCAMPI) +
                            QStringLiteral(")"));

        inizio = testi::Adesso();
        cronometro.Avvia(tempi::Fase::Conteggio);
        contando = true;
        StatoRiga conteggioRecords(QStringLiteral("Conteggio Records "), QString());
        while (!rs->Eof()) {
            DoEvents();
            if (bSTOP) {
                mostraTempi(tempi::Esito::Interrotta);
                rilascia();
                return;
            }
            nRECORD = nRECORD + 1;
            rs->MoveNext();
            txtSTATUS.setText(conteggioRecords.Per(nRECORD));
            txtSTATUS.Refresh();
        }
        const double totale = nRECORD;
        cronometro.Ferma();
        COUNT = static_cast<double>(testi::Adesso() - inizio);

        if (lstDATI.Visible()) {
            sDATI.Dimensiona(static_cast<qsizetype>(totale) + 1, nCAMPI + 1);
            inizio = testi::Adesso();
            cronometro.Avvia(tempi::Fase::Caricamento);
            if (totale > 0) {
                nRECORD = 0;
                rs->SoloConteggio = false;
                InAttesa([rs] {
                    rs->Close();
                    rs->Open();
                });
                StatoRiga caricamento(QStringLiteral("Caricamento Record "),
                                      QStringLiteral(" di ") + Intero(totale));
                // sDATI takes the rows the recordset has just read, one by
                // one as they are loaded, without copying their text; they
                // stay with it once the recordset is released.
                sDATI.Adotta(rs->RigheLette());
                // A row of lstDATI is its row of sDATI, each value followed by
                // "|": read from sDATI when shown, its text is kept once.
                const int colonne = nCAMPI;
                lstDATI.UsaFonte([this, colonne](qsizetype r) {
                    QString riga;
                    for (int i = 0; i < colonne; ++i) {
                        testi::AccodaValore(riga, sDATI.Cella(r, i));
                    }
                    return riga;
                });
                while (!rs->Eof()) {
                    DoEvents();
                    if (bSTOP) {
                        mostraTempi(tempi::Esito::Interrotta);
                        rilascia();
                        return;
                    }
                    sDATI.AdottaRiga(static_cast<qsizetype>(nRECORD));
                    lstDATI.AddItemDaFonte();
                    nRECORD = nRECORD + 1;
                    txtSTATUS.setText(caricamento.Per(nRECORD));
                    txtSTATUS.Refresh();
                    rs->MoveNext();
                }
                // Every row is in the list before the run says it is over.
                lstDATI.Refresh();
            }
            cronometro.Ferma();
            PAG = static_cast<double>(testi::Adesso() - inizio);
            lblDATI.setCaption(QStringLiteral("Dati (") + Intero(nRECORD) +
                               QStringLiteral(" records)"));
            rilascia();
        }

        txtSTATUS.setText(QStringLiteral("Elaborazione Completata (SQL=") + testi::Formato6(SQL) +
                          QStringLiteral(" sec - COUNT=") + testi::Formato6(COUNT) +
                          QStringLiteral(" sec - PAG.=") + testi::Formato6(PAG) +
                          QStringLiteral(" sec)"));
        mostraTempi(tempi::Esito::Completata);
        txtSTATUS.Refresh();
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

    if (chiusuraRichiesta_) {
        rilascia();
        return;
    }
    mostraTempi(tempi::Esito::NonRiuscita);
    const QString aCapo = QStringLiteral("\r\n");
    MsgBox(QStringLiteral("Errori Durante Elaborazione") + aCapo + aCapo +
               QStringLiteral("Stringa di Connessione: ") + sCONNESSIONE + aCapo + aCapo +
               QStringLiteral("Stringa di Elaborazione: ") + sSQL + aCapo + aCapo +
               QStringLiteral("Errore: ") + descrizione,
           16, QStringLiteral("Attenzione"));
    frmELABORAZIONE.setVisible(false);
    // Closed while the message was up: the window closes once it is gone.
    if (chiusuraRichiesta_) {
        rilascia();
    }
}
