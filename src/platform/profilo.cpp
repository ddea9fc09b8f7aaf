#include "platform/profilo.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <array>
#include <optional>
#include <unistd.h>
#include <vector>

namespace profilo {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80-0x9F. The five bytes the
// code page leaves undefined (81, 8D, 8F, 90, 9D) keep their Latin-1 value,
// so that they survive a read and a write unchanged.
constexpr std::array<char16_t, 32> Cp1252Alti = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80-87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88-8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90-97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98-9F
};

QString Decodifica(QByteArrayView byte) {
    QString testo(byte.size(), Qt::Uninitialized);
    QChar* out = testo.data();
    for (const char c : byte) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b <= 0x9F) ? QChar(Cp1252Alti[b - 0x80]) : QChar(b);
    }
    return testo;
}

char CodificaCarattere(QChar carattere) {
    const char16_t u = carattere.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
        return static_cast<char>(u);
    }
    for (std::size_t i = 0; i < Cp1252Alti.size(); ++i) {
        if (Cp1252Alti[i] == u) {
            return static_cast<char>(0x80 + i);
        }
    }
    return '?';
}

QByteArray Codifica(QStringView testo) {
    QByteArray byte;
    byte.reserve(testo.size());
    for (qsizetype i = 0; i < testo.size(); ++i) {
        byte.append(CodificaCarattere(testo[i]));
        // A character outside the BMP is one "?", not one per half.
        if (testo[i].isHighSurrogate() && i + 1 < testo.size() && testo[i + 1].isLowSurrogate()) {
            ++i;
        }
    }
    return byte;
}

bool Spazio(QChar c) {
    return c == u' ' || c == u'\t';
}

QStringView Rifila(QStringView testo) {
    while (!testo.isEmpty() && Spazio(testo.front())) {
        testo = testo.sliced(1);
    }
    while (!testo.isEmpty() && Spazio(testo.back())) {
        testo.chop(1);
    }
    return testo;
}

bool Uguali(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// One line of the file, raw: its bytes without the line end, and the line
// end as found ("\r\n", "\n" or nothing on a last line without one).
struct Riga {
    QByteArray testo;
    QByteArray fine;
};

std::vector<Riga> DividiRighe(const QByteArray& contenuto) {
    std::vector<Riga> righe;
    qsizetype inizio = 0;
    while (inizio < contenuto.size()) {
        const qsizetype lf = contenuto.indexOf('\n', inizio);
        if (lf < 0) {
            righe.push_back({contenuto.sliced(inizio), {}});
            break;
        }
        qsizetype fineTesto = lf;
        if (fineTesto > inizio && contenuto[fineTesto - 1] == '\r') {
            --fineTesto;
        }
        righe.push_back({contenuto.sliced(inizio, fineTesto - inizio),
                         contenuto.sliced(fineTesto, lf + 1 - fineTesto)});
        inizio = lf + 1;
    }
    return righe;
}

// What a line means to the profile functions.
struct Voce {
    enum Tipo { Altro, Sezione, Chiave } tipo = Altro;
    QString nome; // section name or key, trimmed
    QString valore;
};

Voce Analizza(QByteArrayView byte, bool primaRiga) {
    if (primaRiga && byte.startsWith("\xEF\xBB\xBF")) {
        byte = byte.sliced(3);
    }
    const QString decodificata = Decodifica(byte);
    const QStringView riga = Rifila(decodificata);
    if (riga.startsWith(u'[')) {
        QStringView nome = riga.sliced(1);
        const qsizetype chiusa = nome.indexOf(u']');
        if (chiusa >= 0) {
            nome.truncate(chiusa);
        }
        return {Voce::Sezione, Rifila(nome).toString(), {}};
    }
    if (riga.startsWith(u';')) {
        return {};
    }
    const qsizetype uguale = riga.indexOf(u'=');
    if (uguale < 0) {
        return {};
    }
    return {Voce::Chiave, Rifila(riga.first(uguale)).toString(),
            Rifila(riga.sliced(uguale + 1)).toString()};
}

// Index of the header of the first section named `sezione`, or -1.
qsizetype TrovaSezione(const std::vector<Riga>& righe, QStringView sezione) {
    for (std::size_t i = 0; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, i == 0);
        if (voce.tipo == Voce::Sezione && Uguali(voce.nome, sezione)) {
            return static_cast<qsizetype>(i);
        }
    }
    return -1;
}

std::optional<QString> ValoreNelFile(const QString& file, QStringView sezione, QStringView chiave) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const std::vector<Riga> righe = DividiRighe(f.readAll());
    const qsizetype intestazione = TrovaSezione(righe, sezione);
    if (intestazione < 0) {
        return std::nullopt;
    }
    for (std::size_t i = static_cast<std::size_t>(intestazione) + 1; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, false);
        if (voce.tipo == Voce::Sezione) {
            break;
        }
        if (voce.tipo == Voce::Chiave && Uguali(voce.nome, chiave)) {
            return voce.valore;
        }
    }
    return std::nullopt;
}

const QByteArray Crlf = QByteArrayLiteral("\r\n");

// Gives a last line without a line end the CRLF it needs before a line is
// written after it.
void ChiudiRiga(Riga& riga) {
    if (riga.fine.isEmpty()) {
        riga.fine = Crlf;
    }
}

// The file's lines with the key set to `valore`.
void Imposta(std::vector<Riga>& righe, const QString& sezione, const QString& chiave,
             const QString& valore) {
    Riga nuova{Codifica(QString(chiave + u'=' + valore)), Crlf};
    const qsizetype intestazione = TrovaSezione(righe, sezione);
    if (intestazione < 0) {
        if (!righe.empty()) {
            ChiudiRiga(righe.back());
        }
        righe.push_back({Codifica(QString(u'[' + sezione + u']')), Crlf});
        righe.push_back(std::move(nuova));
        return;
    }
    auto dopo = static_cast<std::size_t>(intestazione) + 1; // where a new key goes
    for (std::size_t i = dopo; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, false);
        if (voce.tipo == Voce::Sezione) {
            break;
        }
        if (voce.tipo == Voce::Chiave) {
            if (Uguali(voce.nome, chiave)) {
                righe[i] = std::move(nuova);
                return;
            }
            dopo = i + 1;
        }
    }
    ChiudiRiga(righe[dopo - 1]);
    righe.insert(righe.begin() + static_cast<std::ptrdiff_t>(dopo), std::move(nuova));
}

} // namespace

quint32 GetPrivateProfileStringA(const QString& sezione, const QString& chiave,
                                 const QString& predefinito, QString& buffer, quint32 dimensione,
                                 const QString& file) {
    if (dimensione == 0) {
        return 0;
    }
    const QString valore = ValoreNelFile(file, sezione, chiave).value_or(predefinito);
    const qsizetype n = std::min<qsizetype>(valore.size(), dimensione - 1);
    if (buffer.size() < n) {
        buffer.resize(n);
    }
    std::copy_n(valore.constData(), n, buffer.data());
    if (n < buffer.size()) {
        buffer[n] = QChar(u'\0');
    }
    return static_cast<quint32>(n);
}

bool WritePrivateProfileStringA(const QString& sezione, const QString& chiave,
                                const QString& valore, const QString& file) {
    QByteArray contenuto;
    if (QFile f(file); f.exists()) {
        if (!f.open(QIODevice::ReadOnly)) {
            return false; // rewriting it would lose what it holds
        }
        contenuto = f.readAll();
    }
    std::vector<Riga> righe = DividiRighe(contenuto);
    Imposta(righe, sezione, chiave, valore);

    contenuto.clear();
    for (const Riga& riga : righe) {
        contenuto.append(riga.testo).append(riga.fine);
    }

    // The file holds a password: owner only, whatever it had before.
    QSaveFile salva(file);
    if (!salva.open(QIODevice::WriteOnly) ||
        !salva.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        salva.write(contenuto) != contenuto.size() || !salva.flush() ||
        ::fsync(salva.handle()) != 0) {
        salva.cancelWriting();
        return false;
    }
    return salva.commit();
}

} // namespace profilo
