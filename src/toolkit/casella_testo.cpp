// The text box: focus reported after Qt's own handling, line breaks as
// "\r\n", and a status box that reaches the screen at a steady pace however
// often it is written.
#include "toolkit/finestra.h"

#include <QFocusEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>

namespace {

// A busy loop shows its progress at most this often.
constexpr int IntervalloSchermoMs = 40;

// A text widget that reports focus changes after handling them itself, so
// that a handler's selection is the last word.
// A list that pops up over a field (a completer's) and closes again takes
// and gives back the focus with Qt::PopupFocusReason, and the window's
// deactivation and return with Qt::ActiveWindowFocusReason: neither is an
// entry into the field or an exit from it.
bool SoloPassaggio(Qt::FocusReason r) {
    return r == Qt::ActiveWindowFocusReason || r == Qt::PopupFocusReason;
}

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
        area->entrato = [this](Qt::FocusReason r) { entrato(SoloPassaggio(r)); };
        area->uscito = [this](Qt::FocusReason r) {
            if (!SoloPassaggio(r)) {
                uscito();
            }
        };
        area_ = area;
        w = area;
    } else {
        auto* riga = new ConFuoco<QLineEdit>(contenitore);
        riga->entrato = [this](Qt::FocusReason r) { entrato(SoloPassaggio(r)); };
        riga->uscito = [this](Qt::FocusReason r) {
            if (!SoloPassaggio(r)) {
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
