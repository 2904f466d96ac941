#include "app/workbench/designer_view.h"

#include <QPainter>

#include "ui/vb_qstring.h"

namespace qv::workbench {

namespace {

constexpr int kTwipsPerPixel = 15;
constexpr int kMargin = 8;

int Pixels(host::Properties& properties, std::string_view name, int fallback) {
    try {
        return std::stoi(properties.Item(name).Value()) / kTwipsPerPixel;
    } catch (...) {
        return fallback;  // the block does not give it
    }
}

// A control's caption or text, else its name, in the form file's code page.
QString TextOf(host::Properties& properties, const std::string& name, text::CodePage page) {
    for (const char* key : {"Caption", "Text"}) {
        try {
            return ui::VbQString(properties.Item(key).Value(), page);
        } catch (...) {
        }
    }
    return ui::VbQString(name, page);
}

}  // namespace

DesignerView::DesignerView(host::memory::MemoryComponent& component, QWidget* parent)
    : QWidget(parent), component_(component) {
    setAutoFillBackground(true);
}

QSize DesignerView::sizeHint() const {
    auto& properties = component_.Props();
    return {Pixels(properties, "ClientWidth", 320) + 2 * kMargin,
            Pixels(properties, "ClientHeight", 240) + 2 * kMargin};
}

void DesignerView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    auto& properties = component_.Props();
    const QRect form(kMargin, kMargin, Pixels(properties, "ClientWidth", 320),
                     Pixels(properties, "ClientHeight", 240));
    painter.fillRect(form, palette().window().color().lighter(104));
    painter.setPen(palette().windowText().color());
    painter.drawRect(form);
    if (component_.Designer() == nullptr) return;
    host::memory::MemoryControls& controls = component_.EnsureDesigner().Controls();
    for (long i = 1; i <= controls.Count(); ++i) {
        auto& control = static_cast<host::memory::MemoryControl&>(controls.Item(i));
        host::Properties& p = control.Properties();
        // A control without a size (a timer) is drawn as the icon-sized box
        // the IDE shows for it.
        const QRect box(form.left() + Pixels(p, "Left", 0), form.top() + Pixels(p, "Top", 0),
                        std::max(Pixels(p, "Width", 24), 8), std::max(Pixels(p, "Height", 24), 8));
        painter.fillRect(box, palette().button());
        painter.drawRect(box);
        painter.drawText(box, Qt::AlignCenter | Qt::TextWordWrap,
                         TextOf(p, control.ControlName(), component_.TextCodePage()).remove(u'&'));
    }
}

}  // namespace qv::workbench
