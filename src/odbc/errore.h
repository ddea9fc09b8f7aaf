#pragma once
// The one exception of the data-access layer: every ODBC diagnostic record
// of the failing call, in the order the driver gave them, plus a description
// for the user.
#include <QList>
#include <QString>
#include <exception>

namespace ado {

struct Diagnostica {
    QString stato;   // SQLSTATE, five characters
    qint32 nativo{}; // the driver's native error code
    QString testo;   // the driver's message
};

class Errore : public std::exception {
  public:
    explicit Errore(QString descrizione, QList<Diagnostica> record = {});
    // The text shown after "Errore: " in the run's message box.
    const QString& Description() const noexcept { return descrizione_; }
    const QList<Diagnostica>& Record() const noexcept { return record_; }
    // First record's SQLSTATE, or empty when the failure is our own.
    QString Stato() const { return record_.isEmpty() ? QString() : record_.first().stato; }
    const char* what() const noexcept override { return utf8_.constData(); }

  private:
    QString descrizione_;
    QList<Diagnostica> record_;
    QByteArray utf8_;
};

// "1 secondo", "5 secondi": for the time-out messages.
QString Secondi(qint32 n);

} // namespace ado
