#pragma once
#include <QString>

// Removes blanks, and only blanks (not tabs or line breaks), from both ends.
inline QString Taglia(const QString& s) {
    qsizetype inizio = 0;
    qsizetype fine = s.size();
    while (inizio < fine && s[inizio] == QLatin1Char(' ')) {
        ++inizio;
    }
    while (fine > inizio && s[fine - 1] == QLatin1Char(' ')) {
        --fine;
    }
    return s.mid(inizio, fine - inizio);
}
