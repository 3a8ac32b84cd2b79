#include "platform/linux/FormWidget.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include <cstdint>

#include "platform/linux/KeyCodes.h"
#include "platform/linux/QtForm.h"

namespace platform::linux_ {
namespace {

std::uint32_t mouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    std::uint32_t flags = 0;
    if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
    if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
    if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
    if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
    return flags;
}

}  // namespace

FormWidget::FormWidget(QtForm& form) : form_(form) {
    // The program draws the client area itself, straight to the native window.
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_PaintOnScreen);
    setAttribute(Qt::WA_NoSystemBackground);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void FormWidget::keyPressEvent(QKeyEvent* event) {
    const int key = virtualKeyFor(*event);
    if (key == 0) return;
    const LParam repeat = event->isAutoRepeat() ? (LParam{1} << 30) | 1 : 1;
    form_.send((event->modifiers() & Qt::AltModifier) ? WM_SYSKEYDOWN : WM_KEYDOWN, static_cast<WParam>(key), repeat);
}

void FormWidget::mouseReleaseEvent(QMouseEvent* event) {
    std::uint32_t message = 0;
    switch (event->button()) {
        case Qt::LeftButton: message = WM_LBUTTONUP; break;
        case Qt::RightButton: message = WM_RBUTTONUP; break;
        case Qt::MiddleButton: message = WM_MBUTTONUP; break;
        default: return;
    }
    const QPoint at = event->position().toPoint();
    form_.send(message, mouseKeyFlags(event->buttons(), event->modifiers()), pointParam(at.x(), at.y()));
}

void FormWidget::wheelEvent(QWheelEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    const std::uint32_t flags = mouseKeyFlags(event->buttons(), event->modifiers());
    const auto wheel = [&](std::uint32_t message, int delta) {
        if (delta == 0) return;
        const auto high = static_cast<std::uint32_t>(static_cast<std::uint16_t>(static_cast<std::int16_t>(delta)));
        form_.send(message, static_cast<WParam>((high << 16) | flags), pointParam(global.x(), global.y()));
    };
    // Qt turns a horizontal wheel into a vertical one while Alt is held; keep the axes as sent.
    wheel(WM_MOUSEWHEEL, event->angleDelta().y());
    wheel(WM_MOUSEHWHEEL, event->angleDelta().x());
    event->accept();
}

void FormWidget::resizeEvent(QResizeEvent* /*event*/) {
    // A size the program writes raises the event itself, once, inside the write.
    if (!form_.sizeWriteInProgress()) form_.send(WM_SIZE, 0, pointParam(width(), height()));
}

void FormWidget::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        form_.invalidate();
        form_.send(WM_SIZE, 0, pointParam(width(), height()));
    }
    QWidget::changeEvent(event);
}

void FormWidget::closeEvent(QCloseEvent* event) {
    if (form_.send(WM_CLOSE, 0, 0) != 0) {
        event->accept();
    } else {
        event->ignore();
    }
}

void FormWidget::paintEvent(QPaintEvent* /*event*/) {
    form_.invalidate();
    form_.present();
}

}  // namespace platform::linux_
