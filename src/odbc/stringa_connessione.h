#pragma once
// Translation of an ADO-style connection string into the string handed to
// SQLDriverConnect. Pure functions, no I/O; the result holds the password and
// is never written anywhere.
#include <QList>
#include <QPair>
#include <QString>

namespace ado {

// key/value pairs as ADO parses them: split on ";", keys compared without
// case, blanks around keys ignored, empty pairs skipped, a value starting
// with ' or " runs to its closing quote (a doubled quote stands for one),
// the last of a repeated key wins (the pair keeps the first key's place).
// Throws Errore for a segment without "=" or an unterminated quote.
QList<QPair<QString, QString>> AnalizzaStringaAdo(const QString& ado);

// The ODBC connection string for SQLDriverConnect. Throws Errore for an
// empty string or an unknown provider.
QString StringaOdbc(const QString& ado);

} // namespace ado
