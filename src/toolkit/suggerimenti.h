#pragma once
// Entries offered while a single-line text box is typed in: those that start
// with what it holds, without regard to case, in a list under the box.
// Choosing one fills the box. The list belongs to the box.
#include <QCompleter>
#include <QPointer>
#include <QStringList>

class TextBox;

class Suggerimenti {
  public:
    void collega(TextBox& casella);
    void setVoci(const QStringList& voci);
    QCompleter* completamento() const { return completamento_; }

  private:
    QPointer<QCompleter> completamento_;
};
