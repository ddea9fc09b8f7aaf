#include "toolkit/modello_righe.h"

namespace {
constexpr int IntervalloAnnunciMs = 60;
}

ModelloRighe::ModelloRighe(QObject* parent) : QAbstractListModel(parent) {
    annuncioDifferito_.setSingleShot(true);
    annuncioDifferito_.setInterval(IntervalloAnnunciMs);
    connect(&annuncioDifferito_, &QTimer::timeout, this, &ModelloRighe::Annuncia);
    ultimoAnnuncio_.start();
}

void ModelloRighe::Aggiungi(QStringView riga) {
    Q_ASSERT(!fonte_);
    testo_.append(riga.utf16(), riga.size());
    fine_.push_back(testo_.size());
    aggiunta();
}

void ModelloRighe::UsaFonte(Fonte fonte) {
    Q_ASSERT(Conteggio() == 0);
    fonte_ = std::move(fonte);
}

void ModelloRighe::AggiungiDaFonte() {
    Q_ASSERT(fonte_);
    ++righeDaFonte_;
    aggiunta();
}

void ModelloRighe::aggiunta() {
    // While an announcement is due, the rows wait for it: no clock to read
    // for every row.
    if (annuncioDifferito_.isActive()) {
        return;
    }
    const qint64 trascorsi = ultimoAnnuncio_.elapsed();
    if (trascorsi >= IntervalloAnnunciMs) {
        Annuncia();
    } else {
        annuncioDifferito_.start(static_cast<int>(IntervalloAnnunciMs - trascorsi));
    }
}

void ModelloRighe::Svuota() {
    beginResetModel();
    testo_.release();
    fine_.release();
    fonte_ = nullptr;
    righeDaFonte_ = 0;
    annunciate_ = 0;
    annuncioDifferito_.stop();
    endResetModel();
}

QString ModelloRighe::Riga(qsizetype i) const {
    if (i < 0 || i >= Conteggio()) {
        return {};
    }
    if (fonte_) {
        return fonte_(i);
    }
    const quint64 inizio = i == 0 ? 0 : fine_[static_cast<size_t>(i - 1)];
    const quint64 fine = fine_[static_cast<size_t>(i)];
    return QStringView(testo_.data() + inizio, static_cast<qsizetype>(fine - inizio)).toString();
}

void ModelloRighe::Annuncia() {
    annuncioDifferito_.stop();
    ultimoAnnuncio_.restart();
    const qsizetype totale = Conteggio();
    if (totale == annunciate_) {
        return;
    }
    beginInsertRows({}, static_cast<int>(annunciate_), static_cast<int>(totale - 1));
    annunciate_ = totale;
    endInsertRows();
}

qint64 ModelloRighe::MemoryBytes() const {
    return static_cast<qint64>(testo_.capacity() * sizeof(char16_t) +
                               fine_.capacity() * sizeof(quint64));
}

int ModelloRighe::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(annunciate_);
}

QVariant ModelloRighe::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= annunciate_) {
        return {};
    }
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole) {
        return Riga(index.row());
    }
    if (role == Qt::FontRole) {
        return font_;
    }
    return {};
}
