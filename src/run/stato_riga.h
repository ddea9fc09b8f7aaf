#pragma once
// The status line of a row loop: the row number between two fixed texts,
// rebuilt in place, so that nothing is allocated for a row.
#include <QString>
#include <QStringView>
#include <charconv>

class StatoRiga {
  public:
    void Prepara(QStringView prima, QStringView dopo) {
        prima_ = prima.size();
        dopo_ = dopo.toString();
        testo_.clear();
        testo_.reserve(prima_ + 24 + dopo_.size());
        testo_.append(prima);
    }
    // The number as a plain whole decimal, between the two texts.
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
    qsizetype prima_ = 0; // the first text stays in place
    QString dopo_;
    QString testo_;
};
