#include "run/tabella_testi.h"

#include <algorithm>

void TabellaTesti::Dimensiona(qsizetype righe, int colonne) {
    Q_ASSERT(righe >= 0 && colonne >= 0);
    fonte_.reset();
    righeAdottate_ = 0;
    righe_ = righe;
    colonne_ = colonne;
}

void TabellaTesti::Adotta(std::shared_ptr<const ado::Righe> fonte) {
    fonte_ = std::move(fonte);
    righeAdottate_ = 0;
}

void TabellaTesti::AdottaRiga(qsizetype riga) {
    Q_ASSERT(fonte_ && riga == righeAdottate_ && riga < fonte_->Conta());
    righeAdottate_ = riga + 1;
    righe_ = std::max(righe_, riga + 1);
}

QStringView TabellaTesti::Cella(qsizetype riga, int colonna) const {
    return Valore(riga, colonna).testo;
}

ado::Valore TabellaTesti::Valore(qsizetype riga, int colonna) const {
    if (!fonte_ || riga < 0 || riga >= righeAdottate_ || colonna < 0 || colonna >= colonne_ ||
        colonna >= fonte_->Colonne()) {
        return {};
    }
    return fonte_->Cella(riga, colonna);
}
