#pragma once
// Private-profile (INI) functions with the meaning the settings code relies
// on, over a plain file: Windows-1252 bytes (UTF-8 in a file that starts with
// the UTF-8 byte-order mark), CRLF line ends, section and key looked up
// without regard to case. Every text given or returned is first brought to
// the Windows-1252 code page, as a narrow call would: a character outside it
// becomes "?".
#include <QString>

namespace profilo {

// Copies into `buffer` (from its first character) the stored value, or
// `predefinito` when the file, the section or the key is missing: at most
// dimensione - 1 characters, followed by a terminating '\0' when the buffer
// has room. Characters of `buffer` past that are left as they were. Returns
// the number of characters copied, the '\0' not counted.
quint32 GetPrivateProfileStringA(const QString& sezione, const QString& chiave,
                                 const QString& predefinito, QString& buffer, quint32 dimensione,
                                 const QString& file);

// Creates the file (readable by its owner only) and the section when
// missing, replaces the key's line or appends it to the section, and keeps
// every other line. The file is replaced atomically, and writers in other
// processes wait for each other. Returns false when the write failed; the
// file as it was before is then intact.
bool WritePrivateProfileStringA(const QString& sezione, const QString& chiave,
                                const QString& valore, const QString& file);

// Whether the file's code page keeps the character as it is (a text with
// any other character is stored with "?" in its place).
bool Rappresentabile(QChar carattere);

} // namespace profilo
