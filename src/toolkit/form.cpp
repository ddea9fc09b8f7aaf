#include "toolkit/form.h"

#include "toolkit/twips.h"

#include <QEvent>
#include <QResizeEvent>
#include <QWindow>

namespace {
// A window system that refuses a size could make the handler write it again
// from inside its own nested run; a few levels are all a resize needs.
constexpr int ProfonditaMassima = 4;
} // namespace

Form::Form(QWidget* parent) : QWidget(parent) {}

float Form::Width() const { return twips::DaPixel(frameGeometry().width()); }
float Form::Height() const { return twips::DaPixel(frameGeometry().height()); }

void Form::setWidth(float v) {
    const int cornice = frameGeometry().width() - width();
    resize(qMax(1, twips::APixelPerEccesso(v) - cornice), height());
}

void Form::setHeight(float v) {
    const int cornice = frameGeometry().height() - height();
    resize(width(), qMax(1, twips::APixelPerEccesso(v) - cornice));
}

int Form::WindowState() const {
    // Some window managers leave the minimised flag set for a while after
    // the window is shown again: a window that is on screen is not minimised.
    const Qt::WindowStates stato = windowState();
    const bool esposta = windowHandle() && windowHandle()->isExposed();
    if ((stato & Qt::WindowMinimized) && !esposta) {
        return 1;
    }
    return (stato & Qt::WindowMaximized) ? 2 : 0;
}

void Form::Show() {
    if (!caricata_) {
        caricata_ = true;
        Form_Load();
    }
    show();
}

void Form::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    alzaResize();
}

void Form::moveEvent(QMoveEvent* e) {
    QWidget::moveEvent(e);
    // The window manager's frame arrives after the window is shown: the
    // outer size changes although the client area does not.
    if (frameGeometry().size() != dimensioneEsterna_) {
        alzaResize();
    }
}

void Form::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange) {
        alzaResize();
    }
}

void Form::alzaResize() {
    if (profondita_ >= ProfonditaMassima) {
        return;
    }
    ++profondita_;
    dimensioneEsterna_ = frameGeometry().size();
    Form_Resize();
    --profondita_;
}
