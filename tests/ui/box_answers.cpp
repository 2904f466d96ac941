#include "box_answers.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace qv::ui::testing {

void WhenBoxOpens(std::function<void(QMessageBox&)> act) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act = std::move(act)] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (box == nullptr || !box->isVisible()) return;
        timer->stop();
        timer->deleteLater();
        act(*box);
    });
    timer->start();
}

void Press(QMessageBox& box, QMessageBox::StandardButton button) {
    QTest::mouseClick(box.button(button), Qt::LeftButton);
}

}  // namespace qv::ui::testing
