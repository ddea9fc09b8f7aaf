#pragma once
// Rows as delimited text, one field at a time.
//
// CSV as RFC 4180: fields separated by ",", records ended by CR LF; a field
// holding the separator, a double quote, CR or LF is written between double
// quotes with its quotes doubled; nothing else is quoted (blanks around a
// value are part of it and stay as they are). TSV the same with TAB as the
// separator and LF ending the records, as spreadsheets paste it.
//
// In both a NULL is an empty unquoted field and the empty text is `""`, the
// convention PostgreSQL's CSV COPY reads back as NULL and as the empty text.
// A CSV field that is exactly `\.` is quoted too, so that COPY never takes it
// for its end-of-data line. Values are written whole, however long; the
// byte output is UTF-8 (no byte order mark: the caller writes one if its
// reader wants it). Nothing is allocated per field beyond the output's own
// growth.
#include <QByteArray>
#include <QString>
#include <QStringView>

namespace delimitato {

enum class Formato { Csv, Tsv };

// Appends one field (its separator before it when `primo` is false) in UTF-8.
void AccodaCampo(QByteArray& uscita, QStringView valore, bool nullo, bool primo, Formato f);
void FineRiga(QByteArray& uscita, Formato f); // "\r\n" for CSV, "\n" for TSV

// The same into a QString, for the clipboard.
void AccodaCampo(QString& uscita, QStringView valore, bool nullo, bool primo, Formato f);
void FineRiga(QString& uscita, Formato f);

} // namespace delimitato
