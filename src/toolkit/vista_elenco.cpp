#include "toolkit/vista_elenco.h"

#include <QPainter>
#include <QStyleOptionFocusRect>

VistaElenco::VistaElenco(QWidget* parent) : QTableView(parent) {
    // Tab leaves the list instead of moving between its cells.
    setTabKeyNavigation(false);
}

void VistaElenco::focusInEvent(QFocusEvent* e) {
    // The item view's own handler makes the first row current when the
    // focus arrives, as if the user had chosen it: skipped, so that the
    // focus alone changes nothing.
    QAbstractScrollArea::focusInEvent(e); // NOLINT(bugprone-parent-virtual-call)
    setAttribute(Qt::WA_InputMethodEnabled, false);
    viewport()->update();
}

void VistaElenco::paintEvent(QPaintEvent* e) {
    QTableView::paintEvent(e);
    if (!hasFocus() || currentIndex().isValid()) {
        return; // the current row draws its own focus frame
    }
    QStyleOptionFocusRect opzioni;
    opzioni.initFrom(this);
    opzioni.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    opzioni.backgroundColor = palette().color(QPalette::Base);
    const QModelIndex prima = model() ? model()->index(0, 0) : QModelIndex();
    QRect area = viewport()->rect();
    if (prima.isValid() && visualRect(prima).intersects(area)) {
        const QRect riga = visualRect(prima);
        area.setTop(riga.top());
        area.setBottom(riga.bottom());
    }
    opzioni.rect = area.adjusted(0, 0, -1, -1);
    QPainter pittore(viewport());
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &opzioni, &pittore, this);
}

QModelIndex VistaElenco::moveCursor(CursorAction azione, Qt::KeyboardModifiers modificatori) {
    // Home and End go to the first and last row, as in any list (a table
    // moves between the cells of the row); with no row chosen yet, every
    // other key starts from the first row.
    const int righe = model() ? model()->rowCount() : 0;
    if (righe > 0 && (azione == MoveHome || azione == MoveEnd)) {
        return model()->index(azione == MoveHome ? 0 : righe - 1, 0);
    }
    return QTableView::moveCursor(azione, modificatori);
}
