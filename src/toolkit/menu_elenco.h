#pragma once
// A context menu on a list view, opened by the mouse's right button (at
// the pointer), the Menu key or Shift+F10 (at the current row): the window
// gives its entries, each with a caption, whether it is enabled and what
// it does. The menu is made anew each time it opens, so that every entry's
// state is the current one; screen readers announce the menu by its name
// and each entry by its caption.
#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QMenu;
class QTableView;

class MenuElenco : public QObject {
  public:
    struct Voce {
        QString testo; // "&" before the entry's access key
        std::function<bool()> attiva;
        std::function<void()> azione;
        QKeySequence scorciatoia = {}; // shown beside the caption
    };

    void collega(QTableView* vista, const QString& nome, std::vector<Voce> voci);

  protected:
    bool eventFilter(QObject* oggetto, QEvent* evento) override;

  private:
    void apri(const QPoint& globale);

    QPointer<QTableView> vista_;
    QString nome_;
    std::vector<Voce> voci_;
    QPointer<QMenu> menu_;
};
