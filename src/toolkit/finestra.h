#pragma once
// The window-system operations the program uses, over Qt widgets: each
// wrapper gives one kind of control the properties, methods and events its
// handlers rely on. Sizes and positions are twips (twips.h); colours are
// 0x00BBGGRR. The widgets belong to their window; a wrapper only points at
// its widget.
#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QTableView;
class QWidget;
class QLineEdit;
class QPlainTextEdit;
class ModelloRighe;

using Evento = std::function<void()>;

// What every control has: position and size in twips within its container.
class Controllo {
  public:
    float Left() const;
    float Top() const;
    float Width() const;
    float Height() const;
    void setLeft(float v);
    void setTop(float v);
    void setWidth(float v);
    void setHeight(float v);
    bool Visible() const; // the control's own setting, whatever its container
    void setVisible(bool v);
    bool Enabled() const;
    void setEnabled(bool v);
    // The name a screen reader announces; no caption or size changes.
    void setNomeAccessibile(const QString& nome);
    // Shown on hover; screen readers read it as the control's description.
    QString ToolTipText() const;
    void setToolTipText(const QString& testo);
    QWidget* widget() const { return w_; }

  protected:
    void collega(QWidget* w) { w_ = w; }

  private:
    QPointer<QWidget> w_;
};

class TextBox : public Controllo {
  public:
    // A single-line box, or a multi-line one that keeps line breaks and
    // wraps at its width, without scroll bars.
    void crea(QWidget* contenitore, const QString& nome, bool multiRiga);
    // Line breaks read as "\r\n" and may be written as "\r\n" or "\n".
    QString Text() const;
    void setText(const QString& testo);
    void setMaxLength(int n);
    void setBackColor(quint32 bgr);
    void setReadOnly(bool v);
    void setSelStart(int n);
    void setSelLength(int n);
    // Repaints at once. A box that is written very often (see
    // setDifferito) repaints at most every few tens of milliseconds, and
    // its last text always reaches the screen.
    void Refresh();
    // Text writes reach the widget at most every few tens of milliseconds;
    // Text() always gives the last text written.
    void setDifferito(bool v);

    Evento GotFocus;
    Evento LostFocus;

  private:
    void consegna();
    void consegnaOAttesa();
    int posizioneWidget(int posizione) const;
    void entrato(bool riattivazione);
    void uscito();

    QPointer<QLineEdit> riga_;
    QPointer<QPlainTextEdit> area_;
    bool haFuoco_ = false;

    bool differito_ = false;
    bool inAttesa_ = false;
    QString testo_;
    int selStart_ = 0;
    QElapsedTimer ultimaConsegna_;
    std::unique_ptr<QTimer> consegnaDifferita_;
};

class ComboBox : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome);
    void AddItem(const QString& voce);
    QString Text() const;
    // Selects the entry equal to the text; any other text is shown as it is.
    void setText(const QString& testo);
    QComboBox* combo() const;
};

class CheckBox : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome, const QString& testo);
    int Value() const; // 0 unchecked, 1 checked, 2 grayed
    void setValue(int v);
    Evento Click; // the user's toggles and the program's changes of Value
    QCheckBox* casella() const;
};

class CommandButton : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome, const QString& testo);
    Evento Click;
    QPushButton* pulsante() const;
};

class Label : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome, const QString& testo);
    QString Caption() const;
    void setCaption(const QString& testo);
    // The control this label names: a screen reader announces the control
    // by the caption, kept current when the caption changes.
    void setBuddy(Controllo& c);

  private:
    Controllo* buddy_ = nullptr;
};

class Frame : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome, const QString& titolo);
    QGroupBox* riquadro() const;
};

class ListBox : public Controllo {
  public:
    void crea(QWidget* contenitore, const QString& nome);
    void Clear();
    void AddItem(QStringView riga);
    // Rows held elsewhere, read when shown: until Clear, row i is fonte(i)
    // and AddItemDaFonte appends the next one. For an empty list.
    void UsaFonte(std::function<QString(qsizetype)> fonte);
    void AddItemDaFonte();
    // Rows are shown in batches every few tens of milliseconds: shows those
    // still waiting at once.
    void Refresh();
    qsizetype ListCount() const;
    QString List(qsizetype i) const;
    // The selected row from 0, -1 when none. The focus alone selects none.
    qsizetype ListIndex() const;
    void setListIndex(qsizetype i);
    Evento Click; // the user selected a row, by mouse or keyboard
    QTableView* vista() const;
    ModelloRighe& modello() const;

  private:
    QPointer<ModelloRighe> modello_;
};

// The modal message box: prompt, style (16: critical-stop icon, OK only) and
// title. Returns when the user closes it.
void MsgBox(const QString& prompt, int stile, const QString& titolo);
