#include "toolkit/menu_elenco.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QTableView>

void MenuElenco::collega(QTableView* vista, const QString& nome, std::vector<Voce> voci) {
    vista_ = vista;
    nome_ = nome;
    voci_ = std::move(voci);
    vista->setContextMenuPolicy(Qt::DefaultContextMenu);
    vista->installEventFilter(this);
    vista->viewport()->installEventFilter(this);
}

bool MenuElenco::eventFilter(QObject* oggetto, QEvent* evento) {
    if (!vista_) {
        return false;
    }
    // A context menu event from the keyboard (some platforms send one for
    // the Menu key besides the key itself: the second of the two finds the
    // menu open) is handled as the keys are.
    if (evento->type() == QEvent::ContextMenu) {
        auto* e = static_cast<QContextMenuEvent*>(evento);
        if (e->reason() == QContextMenuEvent::Mouse) {
            apri(e->globalPos());
            return true;
        }
    } else if (evento->type() == QEvent::KeyPress && oggetto == vista_) {
        const auto* e = static_cast<QKeyEvent*>(evento);
        const bool menu = e->key() == Qt::Key_Menu && e->modifiers() == Qt::NoModifier;
        const bool f10 = e->key() == Qt::Key_F10 && e->modifiers() == Qt::ShiftModifier;
        if (!menu && !f10) {
            return false;
        }
    } else {
        return false;
    }
    // From the keyboard: at the current row, or at the top of the list.
    const QModelIndex corrente = vista_->currentIndex();
    QPoint punto = vista_->viewport()->rect().topLeft();
    if (corrente.isValid()) {
        punto = vista_->visualRect(corrente).center();
        punto.setX(vista_->viewport()->rect().left());
    }
    apri(vista_->viewport()->mapToGlobal(punto));
    return true;
}

void MenuElenco::apri(const QPoint& globale) {
    if (menu_ && menu_->isVisible()) {
        return;
    }
    auto* menu = new QMenu(vista_);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->setObjectName(vista_->objectName() + QStringLiteral("_menu"));
    menu->setAccessibleName(nome_);
    for (const Voce& v : voci_) {
        QAction* a = menu->addAction(v.testo);
        a->setEnabled(v.attiva());
        if (!v.scorciatoia.isEmpty()) {
            a->setShortcut(v.scorciatoia);
            a->setShortcutVisibleInContextMenu(true);
        }
        QObject::connect(a, &QAction::triggered, vista_.data(), v.azione);
    }
    menu_ = menu;
    menu->popup(globale);
}
