#pragma once
// The rows of a list box: packed UTF-16 text, one offset per row, so a
// million rows cost about their text; or rows held elsewhere, read through
// a source when shown. Rows appended while the program is busy are
// announced to the view in batches, at most every few tens of milliseconds,
// so that the view's work does not grow with every row.
#include "toolkit/crescente.h"

#include <QAbstractListModel>
#include <QElapsedTimer>
#include <QFont>
#include <QTimer>
#include <functional>

class ModelloRighe : public QAbstractListModel {
    Q_OBJECT
  public:
    explicit ModelloRighe(QObject* parent = nullptr);

    void Aggiungi(QStringView riga);
    // Rows held elsewhere: from now on row i is fonte(i), and each
    // AggiungiDaFonte appends the next one. For an empty list; Svuota ends it.
    using Fonte = std::function<QString(qsizetype)>;
    void UsaFonte(Fonte fonte);
    void AggiungiDaFonte();
    void Svuota();
    // Rows held, including those not yet announced to the view.
    qsizetype Conteggio() const {
        return fonte_ ? righeDaFonte_ : static_cast<qsizetype>(fine_.size());
    }
    QString Riga(qsizetype i) const;
    // Announces the rows appended since the last announcement.
    void Annuncia();
    qint64 MemoryBytes() const;

    void setFont(const QFont& font) { font_ = font; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    void aggiunta();

    Crescente<char16_t> testo_;
    Crescente<quint64> fine_; // end of each row in testo_
    Fonte fonte_;
    qsizetype righeDaFonte_ = 0;
    qsizetype annunciate_ = 0;
    QElapsedTimer ultimoAnnuncio_;
    QTimer annuncioDifferito_;
    QFont font_;
};
