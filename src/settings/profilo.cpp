#include "settings/profilo.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>

#include <algorithm>
#include <array>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
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

// A text as the narrow code page keeps it: what a profile function sees of
// the section, key, value and default it is given.
QString Stretto(QStringView testo) { return Decodifica(Codifica(testo)); }

// How the file spells its characters: Windows-1252, or UTF-8 when it opens
// with the UTF-8 byte-order mark (a file an editor saved as UTF-8; a line in
// it that is not UTF-8 is still read as Windows-1252). Either way the texts
// are the narrow code page's.
enum class Formato { Cp1252, Utf8 };

const QByteArray Bom = QByteArrayLiteral("\xEF\xBB\xBF");

Formato FormatoDi(const QByteArray& contenuto) {
    return contenuto.startsWith(Bom) ? Formato::Utf8 : Formato::Cp1252;
}

QString Leggibile(QByteArrayView byte, Formato formato) {
    if (formato == Formato::Utf8) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString testo = utf8(byte);
        if (!utf8.hasError()) {
            return Stretto(testo);
        }
    }
    return Decodifica(byte);
}

// `testo` is narrow already.
QByteArray Scrivibile(QStringView testo, Formato formato) {
    return formato == Formato::Utf8 ? testo.toUtf8() : Codifica(testo);
}

bool Spazio(QChar c) { return c == u' ' || c == u'\t'; }

QStringView Rifila(QStringView testo) {
    while (!testo.isEmpty() && Spazio(testo.front())) {
        testo = testo.sliced(1);
    }
    while (!testo.isEmpty() && Spazio(testo.back())) {
        testo.chop(1);
    }
    return testo;
}

bool Uguali(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

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

Voce Analizza(QByteArrayView byte, bool primaRiga, Formato formato) {
    if (primaRiga && byte.startsWith(Bom)) {
        byte = byte.sliced(Bom.size());
    }
    const QString decodificata = Leggibile(byte, formato);
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
qsizetype TrovaSezione(const std::vector<Riga>& righe, QStringView sezione, Formato formato) {
    for (std::size_t i = 0; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, i == 0, formato);
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
    const QByteArray contenuto = f.readAll();
    const Formato formato = FormatoDi(contenuto);
    const std::vector<Riga> righe = DividiRighe(contenuto);
    const qsizetype intestazione = TrovaSezione(righe, sezione, formato);
    if (intestazione < 0) {
        return std::nullopt;
    }
    for (std::size_t i = static_cast<std::size_t>(intestazione) + 1; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, false, formato);
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

// The file's lines with the key set to `valore`; the texts are narrow.
void Imposta(std::vector<Riga>& righe, Formato formato, const QString& sezione,
             const QString& chiave, const QString& valore) {
    Riga nuova{Scrivibile(QString(chiave + u'=' + valore), formato), Crlf};
    const qsizetype intestazione = TrovaSezione(righe, sezione, formato);
    if (intestazione < 0) {
        if (!righe.empty()) {
            ChiudiRiga(righe.back());
        }
        righe.push_back({Scrivibile(QString(u'[' + sezione + u']'), formato), Crlf});
        righe.push_back(std::move(nuova));
        return;
    }
    auto dopo = static_cast<std::size_t>(intestazione) + 1; // where a new key goes
    for (std::size_t i = dopo; i < righe.size(); ++i) {
        const Voce voce = Analizza(righe[i].testo, false, formato);
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

// An exclusive lock on the folder of the file, held from reading the file
// to putting the new one in place: two copies of the program writing at once
// then each start from what the other wrote, and no key written is lost. A
// lock on the folder, not on the file, because the file is replaced by
// another at each write, and no lock file because the program writes no other
// file. Without the lock (a folder that cannot be opened or locked, or a
// holder that keeps it for seconds) the write goes ahead unlocked.
class BloccoCartella {
  public:
    explicit BloccoCartella(const QString& file)
        : fd_(::open(QFile::encodeName(QFileInfo(file).absolutePath()).constData(),
                     O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        for (int tentativi = 0; fd_ >= 0 && ::flock(fd_, LOCK_EX | LOCK_NB) != 0; ++tentativi) {
            if ((errno != EWOULDBLOCK && errno != EINTR) || tentativi == 2000) {
                ::close(fd_);
                fd_ = -1;
                break;
            }
            ::usleep(1000);
        }
    }
    ~BloccoCartella() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    BloccoCartella(const BloccoCartella&) = delete;
    BloccoCartella& operator=(const BloccoCartella&) = delete;

    // Makes the new name of the file in the folder last through a crash.
    void Sincronizza() const {
        if (fd_ >= 0) {
            ::fsync(fd_);
        }
    }

  private:
    int fd_;
};

} // namespace

bool Rappresentabile(QChar carattere) {
    return carattere == QLatin1Char('?') || CodificaCarattere(carattere) != '?';
}

quint32 GetPrivateProfileStringA(const QString& sezione, const QString& chiave,
                                 const QString& predefinito, QString& buffer, quint32 dimensione,
                                 const QString& file) {
    if (dimensione == 0) {
        return 0;
    }
    const QString valore =
        ValoreNelFile(file, Stretto(sezione), Stretto(chiave)).value_or(Stretto(predefinito));
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
    const BloccoCartella blocco(file);
    QByteArray contenuto;
    if (QFile f(file); f.exists()) {
        if (!f.open(QIODevice::ReadOnly)) {
            return false; // rewriting it would lose what it holds
        }
        contenuto = f.readAll();
    }
    std::vector<Riga> righe = DividiRighe(contenuto);
    Imposta(righe, FormatoDi(contenuto), Stretto(sezione), Stretto(chiave), Stretto(valore));

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
    if (!salva.commit()) {
        return false;
    }
    blocco.Sincronizza();
    return true;
}

} // namespace profilo
