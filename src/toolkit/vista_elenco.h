#pragma once
// The view under a list box: one column of rows, walked by the arrow keys,
// Home, End, PgUp and PgDn, and left by Tab and Shift+Tab like any other
// control. Receiving the focus picks no row: with none chosen yet, the view
// shows a focus frame on its first row (or on itself when empty), and the
// first movement key chooses a row. Home and End go to the first and the
// last row.
#include <QTableView>

class VistaElenco : public QTableView {
  public:
    explicit VistaElenco(QWidget* parent = nullptr);

  protected:
    void focusInEvent(QFocusEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    QModelIndex moveCursor(CursorAction azione, Qt::KeyboardModifiers modificatori) override;
};
