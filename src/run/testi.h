#pragma once
// Texts of a run: field-definition lines, row lines, durations, and the
// run-time conversions with their errors.
#include <QString>
#include <QStringView>
#include <stdexcept>

namespace testi {

constexpr quint8 ScalaNonNumerica = 255;
inline bool Alfanumerico(quint8 scala) { return scala == ScalaNonNumerica; }

// "NOME ALF 10 " : name, blank, ALF, blank, length, blank.
QString RigaCampoAlf(QStringView nome, qsizetype lunghezza);
// "NOME NUM  11,2" : name, blank, NUM, two blanks, precision "," scale.
QString RigaCampoNum(QStringView nome, quint8 precisione, quint8 scala);

// Appends one value and its "|" to a row line.
inline void AccodaValore(QString& riga, QStringView valore) {
    riga.append(valore);
    riga.append(QLatin1Char('|'));
}

// Whole seconds formatted with the pattern "######": no separators, no
// decimals, every digit, and 0 as the empty text.
QString Formato6(double secondi);

// A reading of the date-time clock, whole seconds.
qint64 Adesso();

// A failure of the run's own steps (conversion, overflow...), with the
// description shown after "Errore: ".
class ErroreRun : public std::runtime_error {
  public:
    explicit ErroreRun(const QString& descrizione)
        : std::runtime_error(descrizione.toStdString()), descrizione_(descrizione) {}
    const QString& Description() const noexcept { return descrizione_; }

  private:
    QString descrizione_;
};

// Text to 32-bit integer as the run converts the time-outs: blanks around
// the number ignored, decimals rounded half to even; throws ErroreRun
// ("Tipo non corrispondente", or "Overflow" out of range).
qint32 CLng(const QString& testo);

} // namespace testi
