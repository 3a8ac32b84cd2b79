#pragma once
// A screen status a test sets: what a desktop with a shared screen would report.
#include "platform/ScreenStatus.h"

namespace platform::fake {

class FakeScreenStatus : public ScreenStatus {
public:
    ScreenNotice notice() override { return notice_; }
    void setNotice(ScreenNotice notice) { notice_ = notice; }

private:
    ScreenNotice notice_ = ScreenNotice::none;
};

}  // namespace platform::fake
