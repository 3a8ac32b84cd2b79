#pragma once
// The native window of a form: Qt's events go to the form as window messages.
#include <QWidget>

#include <cstdint>

#include "platform/Types.h"

namespace platform::linux_ {

class QtForm;

// A point as a message's lParam: x in the low word, y in the high one.
inline LParam pointParam(int x, int y) {
    return static_cast<LParam>((static_cast<std::uint32_t>(static_cast<std::uint16_t>(y)) << 16) |
                               static_cast<std::uint16_t>(x));
}

class FormWidget : public QWidget {
public:
    explicit FormWidget(QtForm& form);
    QPaintEngine* paintEngine() const override { return nullptr; }
    QtForm& form() { return form_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QtForm& form_;
};

}  // namespace platform::linux_
