// The controls but the text box (casella_testo.cpp), and the message box.
#include "toolkit/finestra.h"

#include "toolkit/accessibile.h"
#include "toolkit/modello_righe.h"
#include "toolkit/twips.h"
#include "toolkit/vista_elenco.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>

// ---- Controllo ----

float Controllo::Left() const { return twips::DaPixel(w_->x()); }
float Controllo::Top() const { return twips::DaPixel(w_->y()); }
float Controllo::Width() const { return twips::DaPixel(w_->width()); }
float Controllo::Height() const { return twips::DaPixel(w_->height()); }
void Controllo::setLeft(float v) { w_->move(twips::APixel(v), w_->y()); }
void Controllo::setTop(float v) { w_->move(w_->x(), twips::APixel(v)); }
void Controllo::setWidth(float v) { w_->resize(twips::APixel(v), w_->height()); }
void Controllo::setHeight(float v) { w_->resize(w_->width(), twips::APixel(v)); }
bool Controllo::Visible() const { return !w_->isHidden(); }
void Controllo::setVisible(bool v) { w_->setVisible(v); }
bool Controllo::Enabled() const { return w_->isEnabled(); }
void Controllo::setEnabled(bool v) { w_->setEnabled(v); }
QString Controllo::ToolTipText() const { return w_->toolTip(); }
void Controllo::setToolTipText(const QString& testo) { w_->setToolTip(testo); }

void Controllo::setNomeAccessibile(const QString& nome) {
    w_->setAccessibleName(nome);
    // An editable combo box types into a field of its own.
    if (auto* c = qobject_cast<QComboBox*>(w_.data()); c && c->lineEdit()) {
        c->lineEdit()->setAccessibleName(nome);
    }
}

// ---- ComboBox ----

void ComboBox::crea(QWidget* contenitore, const QString& nome) {
    InstallaAccessibilita();
    auto* c = new QComboBox(contenitore);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->setObjectName(nome);
    collega(c);
}

QComboBox* ComboBox::combo() const { return static_cast<QComboBox*>(widget()); }
void ComboBox::AddItem(const QString& voce) { combo()->addItem(voce); }
QString ComboBox::Text() const { return combo()->currentText(); }

void ComboBox::setText(const QString& testo) {
    const int i = combo()->findText(testo, Qt::MatchExactly | Qt::MatchCaseSensitive);
    combo()->setCurrentIndex(i);
    combo()->setEditText(testo);
}

// ---- CheckBox ----

void CheckBox::crea(QWidget* contenitore, const QString& nome, const QString& testo) {
    auto* c = new QCheckBox(testo, contenitore);
    c->setObjectName(nome);
    c->setTristate(false);
    QObject::connect(c, &QCheckBox::toggled, c, [this] {
        if (Click) {
            Click();
        }
    });
    collega(c);
}

QCheckBox* CheckBox::casella() const { return static_cast<QCheckBox*>(widget()); }

int CheckBox::Value() const {
    switch (casella()->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void CheckBox::setValue(int v) {
    casella()->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

// ---- CommandButton ----

void CommandButton::crea(QWidget* contenitore, const QString& nome, const QString& testo) {
    auto* b = new QPushButton(testo, contenitore);
    b->setObjectName(nome);
    b->setAutoDefault(false);
    QObject::connect(b, &QPushButton::clicked, b, [this] {
        if (Click) {
            Click();
        }
    });
    collega(b);
}

QPushButton* CommandButton::pulsante() const { return static_cast<QPushButton*>(widget()); }

// ---- Label, Frame ----

void Label::crea(QWidget* contenitore, const QString& nome, const QString& testo) {
    auto* l = new QLabel(testo, contenitore);
    l->setObjectName(nome);
    l->setTextFormat(Qt::PlainText);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    collega(l);
}

QString Label::Caption() const { return static_cast<QLabel*>(widget())->text(); }
void Label::setCaption(const QString& testo) {
    static_cast<QLabel*>(widget())->setText(testo);
    if (buddy_) {
        buddy_->setNomeAccessibile(testo);
    }
}

void Label::setBuddy(Controllo& c) {
    buddy_ = &c;
    static_cast<QLabel*>(widget())->setBuddy(c.widget());
    c.setNomeAccessibile(Caption());
}

void Frame::crea(QWidget* contenitore, const QString& nome, const QString& titolo) {
    auto* g = new QGroupBox(titolo, contenitore);
    g->setObjectName(nome);
    g->setAutoFillBackground(true);
    collega(g);
}

QGroupBox* Frame::riquadro() const { return static_cast<QGroupBox*>(widget()); }

// ---- ListBox ----

void ListBox::crea(QWidget* contenitore, const QString& nome) {
    auto* v = new VistaElenco(contenitore);
    v->setObjectName(nome);
    modello_ = new ModelloRighe(v);
    v->setModel(modello_);
    v->setShowGrid(false);
    v->setWordWrap(false);
    v->setTextElideMode(Qt::ElideNone);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    v->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    v->horizontalHeader()->hide();
    v->horizontalHeader()->setStretchLastSection(true);
    v->verticalHeader()->hide();
    v->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    v->verticalHeader()->setMinimumSectionSize(1);
    // A row is chosen when it becomes selected (a click, a movement key, or
    // the program); the current row alone, as a focus frame, is no choice.
    QObject::connect(v->selectionModel(), &QItemSelectionModel::selectionChanged, v,
                     [this](const QItemSelection& scelta) {
                         if (!scelta.isEmpty() && Click) {
                             Click();
                         }
                     });
    collega(v);
}

QTableView* ListBox::vista() const { return static_cast<QTableView*>(widget()); }
ModelloRighe& ListBox::modello() const { return *modello_; }

void ListBox::Clear() { modello_->Svuota(); }
void ListBox::AddItem(QStringView riga) { modello_->Aggiungi(riga); }
qsizetype ListBox::ListCount() const { return modello_->Conteggio(); }
void ListBox::UsaFonte(std::function<QString(qsizetype)> fonte) {
    modello_->UsaFonte(std::move(fonte));
}
void ListBox::AddItemDaFonte() { modello_->AggiungiDaFonte(); }
void ListBox::Refresh() { modello_->Annuncia(); }
QString ListBox::List(qsizetype i) const { return modello_->Riga(i); }

qsizetype ListBox::ListIndex() const {
    const QItemSelection scelta = vista()->selectionModel()->selection();
    return scelta.isEmpty() ? -1 : scelta.constFirst().top();
}

void ListBox::setListIndex(qsizetype i) {
    modello_->Annuncia();
    if (i < 0 || i >= ListCount()) {
        vista()->selectionModel()->clearCurrentIndex();
        vista()->clearSelection();
        return;
    }
    const QModelIndex indice = modello_->index(static_cast<int>(i));
    vista()->selectionModel()->setCurrentIndex(indice, QItemSelectionModel::ClearAndSelect);
    vista()->scrollTo(indice);
}

// ---- services ----

void MsgBox(const QString& prompt, int stile, const QString& titolo) {
    QMessageBox::Icon icona = QMessageBox::NoIcon;
    switch (stile & 0x70) {
    case 16:
        icona = QMessageBox::Critical;
        break;
    case 32:
        icona = QMessageBox::Question;
        break;
    case 48:
        icona = QMessageBox::Warning;
        break;
    case 64:
        icona = QMessageBox::Information;
        break;
    default:
        break;
    }
    QString mostrato = prompt;
    mostrato.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    // A prompt that would not fit the screen (a statement of a megabyte) is
    // shortened; the whole text stays readable under "Show Details".
    constexpr qsizetype MassimoMostrato = 2000;
    QString dettagli;
    if (mostrato.size() > MassimoMostrato) {
        dettagli = mostrato;
        mostrato = mostrato.left(MassimoMostrato) + QStringLiteral("…");
    }
    QMessageBox box(icona, titolo, mostrato, QMessageBox::Ok, QApplication::activeWindow());
    box.setObjectName(QStringLiteral("MsgBox"));
    box.setTextFormat(Qt::PlainText);
    if (!dettagli.isEmpty()) {
        box.setDetailedText(dettagli);
    }
    box.setProperty("prompt", prompt);
    box.exec();
}
