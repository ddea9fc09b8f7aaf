#include "toolkit/suggerimenti.h"

#include "toolkit/finestra.h"

#include <QCompleter>
#include <QLineEdit>
#include <QStringListModel>

void Suggerimenti::collega(TextBox& casella) {
    auto* riga = qobject_cast<QLineEdit*>(casella.widget());
    if (!riga) {
        return;
    }
    auto* completamento = new QCompleter(new QStringListModel(riga), riga);
    completamento->setCaseSensitivity(Qt::CaseInsensitive);
    completamento->setCompletionMode(QCompleter::PopupCompletion);
    riga->setCompleter(completamento);
    completamento_ = completamento;
}

void Suggerimenti::setVoci(const QStringList& voci) {
    if (!completamento_) {
        return;
    }
    auto* modello = qobject_cast<QStringListModel*>(completamento_->model());
    if (modello->stringList() != voci) {
        modello->setStringList(voci);
    }
}
