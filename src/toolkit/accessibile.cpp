#include "toolkit/accessibile.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>

namespace {

class ComboAccessibile : public QAccessibleWidget {
  public:
    explicit ComboAccessibile(QComboBox* c) : QAccessibleWidget(c, QAccessible::ComboBox) {}

    QComboBox* combo() const { return static_cast<QComboBox*>(object()); }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value || (t == QAccessible::Name && !haNome())) {
            return combo()->currentText();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = combo()->view() && combo()->view()->isVisible();
        s.editable = combo()->isEditable();
        return s;
    }

    // The list of entries, then the text field when the box is editable.
    int childCount() const override { return combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int i) const override {
        if (i == 0) {
            return QAccessible::queryAccessibleInterface(combo()->view());
        }
        if (i == 1 && combo()->isEditable()) {
            return QAccessible::queryAccessibleInterface(combo()->lineEdit());
        }
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* figlio) const override {
        if (figlio->object() == combo()->view()) {
            return 0;
        }
        return combo()->isEditable() && figlio->object() == combo()->lineEdit() ? 1 : -1;
    }
    // The text field takes the typing, though the box holds the focus.
    QAccessibleInterface* focusChild() const override {
        return combo()->isEditable() ? child(1) : nullptr;
    }

    QStringList actionNames() const override {
        return QAccessibleWidget::actionNames() << showMenuAction();
    }
    void doAction(const QString& azione) override {
        if (azione == showMenuAction()) {
            combo()->showPopup();
            return;
        }
        QAccessibleWidget::doAction(azione);
    }

  private:
    bool haNome() const { return !combo()->accessibleName().isEmpty(); }
};

QAccessibleInterface* Fabbrica(const QString& classe, QObject* oggetto) {
    if (classe == QLatin1String("QComboBox")) {
        if (auto* c = qobject_cast<QComboBox*>(oggetto)) {
            return new ComboAccessibile(c); // owned by Qt's accessibility cache
        }
    }
    return nullptr;
}

} // namespace

void InstallaAccessibilita() {
    static bool fatto = false;
    if (!fatto) {
        QAccessible::installFactory(Fabbrica);
        fatto = true;
    }
}
