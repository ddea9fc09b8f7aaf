#pragma once
// Whole-file reads and writes for tests that look at files byte by byte.
#include <QByteArray>
#include <QString>

// The file's bytes; empty when it cannot be read.
QByteArray Contenuto(const QString& file);
// Writes exactly these bytes, replacing the file (a test failure otherwise).
void Crea(const QString& file, const QByteArray& byte);
