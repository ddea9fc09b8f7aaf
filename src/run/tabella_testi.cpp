#include "run/tabella_testi.h"

#include <algorithm>
#include <limits>

// Layout: testo_ holds the cells one after the other. Row r starts at
// inizioRiga_[r]; cell (r, c) ends at inizioRiga_[r] + fineCella_[r * colonne_ + c]
// and begins where cell c - 1 ends (at the row start for column 0). Every row
// before rigaCorrente_ has all its colonne_ ends; the current row has
// colonneScritte_ of them. A view returned by Cella stays valid until the next
// Imposta or Dimensiona.

namespace {

// Room for `altri` more elements, growing by half rather than doubling: the
// buffers of a big result are most of the program's memory.
template <typename T> void Riserva(Crescente<T>& v, std::size_t altri) {
    if (v.capacity() - v.size() < altri) {
        v.reserve(v.size() + std::max(altri, v.size() / 2));
    }
}

// Room for `altri` more characters. Once enough rows are written, those rows
// predict the text of the rows still expected, so a big result is usually
// grown once or twice instead of at every growth step.
void RiservaTesto(Crescente<char16_t>& testo, std::size_t altri, qsizetype righeScritte,
                  qsizetype righeAttese) {
    const std::size_t usati = testo.size();
    if (testo.capacity() - usati >= altri) {
        return;
    }
    // righeAttese counts the row being written: only rows beyond it are
    // still to come (a table grown row by row has none).
    constexpr qsizetype RighePerStimare = 100;
    if (righeScritte < RighePerStimare || righeAttese <= righeScritte + 1) {
        testo.reserve(usati + std::max(altri, usati / 2));
        return;
    }
    const double stima = static_cast<double>(usati) / static_cast<double>(righeScritte) *
                         static_cast<double>(righeAttese) * 1.1;
    testo.reserve(std::max(usati + std::max(altri, usati / 8), static_cast<std::size_t>(stima)));
}

} // namespace

void TabellaTesti::Dimensiona(qsizetype righe, int colonne) {
    Q_ASSERT(righe >= 0 && colonne >= 0);
    testo_.release();
    inizioRiga_.release();
    fineCella_.release();
    fonte_.reset();
    righeAdottate_ = 0;
    righe_ = righe;
    colonne_ = colonne;
    rigaCorrente_ = -1;
    colonneScritte_ = 0;
    inizioRiga_.reserve(static_cast<std::size_t>(righe));
    fineCella_.reserve(static_cast<std::size_t>(righe) * static_cast<std::size_t>(colonne));
}

void TabellaTesti::Adotta(std::shared_ptr<const ado::Righe> fonte) {
    testo_.release();
    inizioRiga_.release();
    fineCella_.release();
    rigaCorrente_ = -1;
    colonneScritte_ = 0;
    fonte_ = std::move(fonte);
    righeAdottate_ = 0;
}

void TabellaTesti::AdottaRiga(qsizetype riga) {
    Q_ASSERT(fonte_ && riga == righeAdottate_ && riga < fonte_->Conta());
    righeAdottate_ = riga + 1;
    righe_ = std::max(righe_, riga + 1);
}

void TabellaTesti::Imposta(qsizetype riga, int colonna, QStringView testo) {
    Q_ASSERT(!fonte_);
    Q_ASSERT(colonna >= 0 && colonna < colonne_);
    Q_ASSERT(riga > rigaCorrente_ || (riga == rigaCorrente_ && colonna >= colonneScritte_));

    const auto fineRiga = [this] {
        const quint64 lunghezza = testo_.size() - inizioRiga_.back();
        Q_ASSERT(lunghezza <= std::numeric_limits<quint32>::max());
        return static_cast<quint32>(lunghezza);
    };
    if (riga > rigaCorrente_) {
        // Close the current row, then the rows skipped over, all empty.
        const std::size_t saltate = riga - rigaCorrente_ - 1;
        Riserva(inizioRiga_, saltate + 1);
        Riserva(fineCella_, (saltate + 2) * colonne_);
        if (rigaCorrente_ >= 0) {
            fineCella_.append(colonne_ - colonneScritte_, fineRiga());
        }
        inizioRiga_.append(saltate, testo_.size());
        fineCella_.append(saltate * colonne_, 0);
        inizioRiga_.push_back(testo_.size());
        rigaCorrente_ = riga;
        colonneScritte_ = 0;
        righe_ = std::max(righe_, riga + 1);
    }
    const quint32 prima = fineRiga();
    fineCella_.append(colonna - colonneScritte_, prima);
    RiservaTesto(testo_, testo.size(), rigaCorrente_, righe_);
    testo_.append(testo.utf16(), testo.size());
    fineCella_.push_back(fineRiga());
    colonneScritte_ = colonna + 1;
}

QStringView TabellaTesti::Cella(qsizetype riga, int colonna) const {
    if (fonte_) {
        if (riga < 0 || riga >= righeAdottate_ || colonna < 0 || colonna >= colonne_ ||
            colonna >= fonte_->Colonne()) {
            return {};
        }
        return fonte_->Cella(riga, colonna).testo;
    }
    if (riga < 0 || riga > rigaCorrente_ || colonna < 0 || colonna >= colonne_ ||
        (riga == rigaCorrente_ && colonna >= colonneScritte_)) {
        return {};
    }
    const std::size_t primaCella = static_cast<std::size_t>(riga) * colonne_;
    const quint32 inizio = colonna == 0 ? 0 : fineCella_[primaCella + colonna - 1];
    const quint32 fine = fineCella_[primaCella + colonna];
    return QStringView(testo_.data() + inizioRiga_[riga] + inizio, fine - inizio);
}

qint64 TabellaTesti::MemoryBytes() const {
    return (fonte_ ? fonte_->Byte() : 0) +
           static_cast<qint64>(sizeof(*this) + testo_.capacity() * sizeof(char16_t) +
                               inizioRiga_.capacity() * sizeof(quint64) +
                               fineCella_.capacity() * sizeof(quint32));
}
