#include "platform/finestra.h"

#include "platform/modello_righe.h"
#include "platform/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextBlock>
#include <ctime>
#include <exception>
#include <limits>
#include <thread>

namespace {

// A busy loop shows its progress at most this often.
constexpr int IntervalloSchermoMs = 40;
// ...and lets the window process its events at most this often.
constexpr int IntervalloEventiMs = 8;

// A text widget that reports focus changes after handling them itself, so
// that a handler's selection is the last word.
template <class Base> class ConFuoco : public Base {
  public:
    using Base::Base;
    std::function<void(Qt::FocusReason)> entrato;
    std::function<void(Qt::FocusReason)> uscito;

  protected:
    void focusInEvent(QFocusEvent* e) override {
        Base::focusInEvent(e);
        if (entrato) {
            entrato(e->reason());
        }
    }
    void focusOutEvent(QFocusEvent* e) override {
        Base::focusOutEvent(e);
        if (uscito) {
            uscito(e->reason());
        }
    }
};

QColor DaBgr(quint32 bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

} // namespace

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

// ---- TextBox ----

void TextBox::crea(QWidget* contenitore, const QString& nome, bool multiRiga) {
    QWidget* w = nullptr;
    if (multiRiga) {
        auto* area = new ConFuoco<QPlainTextEdit>(contenitore);
        area->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        // A long run without blanks (a pasted list of values) is broken
        // anywhere rather than laid out as one huge word.
        area->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        area->setTabChangesFocus(true);
        area->entrato = [this](Qt::FocusReason r) { entrato(r == Qt::ActiveWindowFocusReason); };
        area->uscito = [this](Qt::FocusReason r) {
            if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason) {
                uscito();
            }
        };
        area_ = area;
        w = area;
    } else {
        auto* riga = new ConFuoco<QLineEdit>(contenitore);
        riga->entrato = [this](Qt::FocusReason r) { entrato(r == Qt::ActiveWindowFocusReason); };
        riga->uscito = [this](Qt::FocusReason r) {
            if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason) {
                uscito();
            }
        };
        riga_ = riga;
        w = riga;
    }
    w->setObjectName(nome);
    collega(w);
}

void TextBox::entrato(bool riattivazione) {
    // Coming back to the window is no new entry into the field.
    if (riattivazione && haFuoco_) {
        return;
    }
    haFuoco_ = true;
    if (GotFocus) {
        GotFocus();
    }
}

void TextBox::uscito() {
    if (!haFuoco_) {
        return;
    }
    haFuoco_ = false;
    if (LostFocus) {
        LostFocus();
    }
}

QString TextBox::Text() const {
    if (differito_) {
        return testo_;
    }
    if (area_) {
        QString t = area_->toPlainText();
        t.replace(QLatin1Char('\n'), QLatin1String("\r\n"));
        return t;
    }
    return riga_->text();
}

void TextBox::setText(const QString& testo) {
    if (area_) {
        QString t = testo;
        t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        area_->setPlainText(t);
        return;
    }
    if (!differito_) {
        riga_->setText(testo);
        riga_->setCursorPosition(0);
        return;
    }
    // Long loops write a text for every row: it is copied into a buffer of
    // our own, reused from write to write, so that the writer may reuse its
    // buffer too without allocating.
    testo_.resize(0);
    testo_.append(QStringView(testo));
    inAttesa_ = true;
    // While a delivery is due, the text waits for it: no clock to read for
    // every write.
    if (!consegnaDifferita_->isActive()) {
        consegnaOAttesa();
    }
}

void TextBox::consegnaOAttesa() {
    const qint64 trascorsi =
        ultimaConsegna_.isValid() ? ultimaConsegna_.elapsed() : IntervalloSchermoMs;
    if (trascorsi >= IntervalloSchermoMs) {
        consegna();
    } else {
        consegnaDifferita_->start(static_cast<int>(IntervalloSchermoMs - trascorsi));
    }
}

void TextBox::consegna() {
    if (consegnaDifferita_) {
        consegnaDifferita_->stop();
    }
    ultimaConsegna_.start();
    if (inAttesa_) {
        inAttesa_ = false;
        riga_->setText(testo_);
        riga_->setCursorPosition(0);
    }
}

void TextBox::setDifferito(bool v) {
    if (v == differito_ || !riga_) {
        return;
    }
    if (v) {
        testo_ = riga_->text();
        consegnaDifferita_ = std::make_unique<QTimer>();
        consegnaDifferita_->setSingleShot(true);
        consegnaDifferita_->setInterval(IntervalloSchermoMs);
        QObject::connect(consegnaDifferita_.get(), &QTimer::timeout, riga_, [this] { consegna(); });
    } else {
        consegna();
        consegnaDifferita_.reset();
    }
    differito_ = v;
}

void TextBox::Refresh() {
    if (!differito_) {
        widget()->repaint();
        return;
    }
    if (consegnaDifferita_->isActive()) {
        return; // the delivery due repaints
    }
    if (!ultimaConsegna_.isValid() || ultimaConsegna_.elapsed() >= IntervalloSchermoMs) {
        consegna();
        riga_->repaint();
    } else if (inAttesa_) {
        consegnaOAttesa();
    }
}

void TextBox::setMaxLength(int n) {
    if (riga_) {
        riga_->setMaxLength(n);
    }
}

void TextBox::setBackColor(quint32 bgr) {
    QPalette p = widget()->palette();
    p.setColor(QPalette::Base, DaBgr(bgr));
    widget()->setPalette(p);
}

void TextBox::setReadOnly(bool v) {
    if (riga_) {
        riga_->setReadOnly(v);
    } else {
        area_->setReadOnly(v);
    }
}

int TextBox::posizioneWidget(int posizione) const {
    // Our positions count a line break as "\r\n", the widget's as "\n".
    const QString t = area_->toPlainText();
    int nostra = 0;
    int i = 0;
    for (; i < t.size() && nostra < posizione; ++i) {
        nostra += t[i] == QLatin1Char('\n') ? 2 : 1;
    }
    return i;
}

void TextBox::setSelStart(int n) {
    selStart_ = qMax(0, n);
    if (riga_) {
        riga_->setCursorPosition(selStart_);
        return;
    }
    QTextCursor c = area_->textCursor();
    c.setPosition(posizioneWidget(selStart_));
    area_->setTextCursor(c);
}

void TextBox::setSelLength(int n) {
    if (riga_) {
        riga_->setSelection(selStart_, qMax(0, n));
        return;
    }
    QTextCursor c = area_->textCursor();
    c.setPosition(posizioneWidget(selStart_));
    c.setPosition(posizioneWidget(selStart_ + qMax(0, n)), QTextCursor::KeepAnchor);
    area_->setTextCursor(c);
}

// ---- ComboBox ----

void ComboBox::crea(QWidget* contenitore, const QString& nome) {
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
    QObject::connect(c, &QCheckBox::stateChanged, c, [this] {
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
void Label::setCaption(const QString& testo) { static_cast<QLabel*>(widget())->setText(testo); }

void Frame::crea(QWidget* contenitore, const QString& nome, const QString& titolo) {
    auto* g = new QGroupBox(titolo, contenitore);
    g->setObjectName(nome);
    g->setAutoFillBackground(true);
    collega(g);
}

QGroupBox* Frame::riquadro() const { return static_cast<QGroupBox*>(widget()); }

// ---- ListBox ----

void ListBox::crea(QWidget* contenitore, const QString& nome) {
    auto* v = new QTableView(contenitore);
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
    QObject::connect(v->selectionModel(), &QItemSelectionModel::currentRowChanged, v,
                     [this](const QModelIndex& attuale) {
                         if (attuale.isValid() && Click) {
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
    const QModelIndex i = vista()->selectionModel()->currentIndex();
    return i.isValid() ? i.row() : -1;
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

namespace {

// Milliseconds of the coarse monotonic clock: a few milliseconds of grain,
// and a fraction of the precise clock's cost, which DoEvents would pay for
// every row of a long loop.
qint64 MillisecondiGrossolani() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC_COARSE, &t);
    return static_cast<qint64>(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

} // namespace

void DoEvents() {
    static qint64 ultimo = std::numeric_limits<qint64>::min() / 2;
    if (MillisecondiGrossolani() - ultimo < IntervalloEventiMs) {
        return;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    ultimo = MillisecondiGrossolani();
}

void InAttesa(const std::function<void()>& lavoro) {
    QEventLoop ciclo;
    std::exception_ptr errore;
    std::thread operaio([&] {
        try {
            lavoro();
        } catch (...) {
            errore = std::current_exception();
        }
        QMetaObject::invokeMethod(&ciclo, &QEventLoop::quit, Qt::QueuedConnection);
    });
    ciclo.exec();
    operaio.join();
    if (errore) {
        std::rethrow_exception(errore);
    }
}
