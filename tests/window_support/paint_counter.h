#pragma once
// Counts the paints of the widgets it is installed on (on the application:
// of every widget).

#include <QEvent>
#include <QObject>

namespace qv::test {

class PaintCounter : public QObject {
  public:
    int paints = 0;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return QObject::eventFilter(watched, event);
    }
};

}  // namespace qv::test
