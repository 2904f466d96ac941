#pragma once
// A designer window: a read-only drawing of a form's controls from its
// designer block (position, size, caption), in twips scaled to pixels.

#include <QWidget>

#include "host/memory/memory_host.h"

namespace qv::workbench {

class DesignerView : public QWidget {
  public:
    DesignerView(host::memory::MemoryComponent& component, QWidget* parent = nullptr);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    host::memory::MemoryComponent& component_;
};

}  // namespace qv::workbench
