#pragma once
// A spin field shown in a window beside a plain line edit, so that tests can
// move the focus into the field and out of it as a user does; and a counter
// of the beeps the field would sound.
#include "common/ui/spin_arrows.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>

namespace testing_support {

struct BeepCounter {
    int count = 0;
    BeepCounter() {
        common::ui::SetSpinBeepHandler([this] { ++count; });
    }
    ~BeepCounter() { common::ui::SetSpinBeepHandler(nullptr); }
};

template <class Spin>
struct ShownSpinField {
    QWidget window;
    Spin* spin = new Spin(&window);
    QLineEdit* other = new QLineEdit(&window);
    explicit ShownSpinField(int width) {
        spin->setGeometry(10, 10, width, 24);
        other->setGeometry(10, 50, width, 24);
        window.resize(200, 100);
        window.show();
        (void)QTest::qWaitForWindowExposed(&window);
    }
    void Enter() {
        spin->Editor()->setFocus();
        QApplication::processEvents();
    }
    void Leave() {
        other->setFocus();
        QApplication::processEvents();
    }
};

}  // namespace testing_support
