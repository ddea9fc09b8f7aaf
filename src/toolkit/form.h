#pragma once
// A top-level window with the form operations the program relies on: its
// Load event before the first show, its Resize event after every change of
// size or state, and an outer size in twips whose writes take effect (and
// raise Resize again) before they return.
#include <QWidget>

class Form : public QWidget {
    Q_OBJECT
  public:
    explicit Form(QWidget* parent = nullptr);

    void setCaption(const QString& testo) { setWindowTitle(testo); }
    QString Caption() const { return windowTitle(); }
    // Outer size, frame and title bar included.
    float Width() const;
    float Height() const;
    void setWidth(float v);
    void setHeight(float v);
    int WindowState() const; // 0 normal, 1 minimised, 2 maximised
    // Loads the window if needed (raising Load first) and shows it.
    void Show();

  protected:
    virtual void Form_Load() {}
    virtual void Form_Resize() {}

    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void moveEvent(QMoveEvent* e) override;

  private:
    void alzaResize();
    QSize dimensioneEsterna_;
    bool caricata_ = false;
    int profondita_ = 0;
};
