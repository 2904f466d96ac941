#include "ui/status_window.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "ui/percent_bar.h"
#include "ui/vb_qstring.h"
#include "ui/window_helpers.h"

namespace qv::ui {

namespace {

constexpr int kWidth = 460;
constexpr qint64 kPaintInterval = 25;  // ms: 40 paints a second at most

QProgressBar* NewBar(QWidget* parent) {
    auto* bar = new QProgressBar(parent);
    bar->setAlignment(Qt::AlignCenter);
    // A hidden bar keeps its place: the window does not jump while bars
    // come and go.
    QSizePolicy policy = bar->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    bar->setSizePolicy(policy);
    return bar;
}

}  // namespace

QtStatusWindow::QtStatusWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      label_(new QLabel(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 12, 14, 14);
    layout->setSpacing(8);
    label_->setTextFormat(Qt::PlainText);
    label_->setMinimumWidth(1);  // long names are elided, never widen the window
    label_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    layout->addWidget(label_);
    for (size_t i = 0; i < bars_.size(); ++i) {
        bars_[i] = NewBar(this);
        layout->addWidget(bars_[i]);
    }
    setFixedWidth(kWidth);
    setFixedHeight(sizeHint().height());
    latePaint_.setSingleShot(true);
    latePaint_.setInterval(static_cast<int>(kPaintInterval));
    connect(&latePaint_, &QTimer::timeout, this, [this] {
        if (isVisible()) PaintNow();
    });
    Reset();
}

QProgressBar* QtStatusWindow::BarAt(int bar) const {
    return bar == 0 || bar == 1 ? bars_[static_cast<size_t>(bar)] : nullptr;
}

void QtStatusWindow::SetTitle(std::string_view title) {
    setWindowTitle(MessageQString(title));
}

void QtStatusWindow::SetLabel(std::string_view label) {
    labelText_ = MessageQString(label);
    ShowLabel();
    label_->update();
    PaintIfDue();
}

void QtStatusWindow::PaintIfDue() {
    if (!isVisible()) {
        ApplyBars();
        return;
    }
    if (sincePaint_.isValid() && sincePaint_.elapsed() < kPaintInterval) {
        // What came since the last paint shows when the run lets events run
        // next, should nothing more come.
        if (!latePaint_.isActive()) latePaint_.start();
        return;
    }
    PaintNow();
}

void QtStatusWindow::PaintNow() {
    latePaint_.stop();
    sincePaint_.restart();
    ApplyBars();
    repaint();
}

void QtStatusWindow::ApplyBars() {
    for (size_t i = 0; i < bars_.size(); ++i) {
        QProgressBar& bar = *bars_[i];
        // A bar repaints itself at once on each new value: with updates off
        // it only takes the value, and the window's one paint draws it.
        bar.setUpdatesEnabled(false);
        SetBar(bar, value_[i], maximum_[i]);
        bar.setUpdatesEnabled(true);
    }
}

void QtStatusWindow::ShowLabel() {
    const int room = std::max(1, label_->contentsRect().width());
    label_->setText(label_->fontMetrics().elidedText(labelText_, Qt::ElideMiddle, room));
    label_->setToolTip(labelText_);
}

void QtStatusWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowLabel();
}

void QtStatusWindow::SetBarMax(int bar, int max) {
    if (BarAt(bar) != nullptr) {
        maximum_[static_cast<size_t>(bar)] = max;
        PaintIfDue();
    }
}

void QtStatusWindow::SetBarValue(int bar, int value) {
    if (BarAt(bar) != nullptr) {
        value_[static_cast<size_t>(bar)] = value;
        PaintIfDue();
    }
}

void QtStatusWindow::SetBarVisible(int bar, bool visible) {
    if (QProgressBar* target = BarAt(bar)) target->setVisible(visible);
}

void QtStatusWindow::Show() {
    if (!isVisible()) AlignForm(*this, 1);
    show();
    raise();
    // Let the window appear before the command's work begins.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtStatusWindow::Unload() {
    latePaint_.stop();
    hide();
    Reset();
}

void QtStatusWindow::Reset() {
    setWindowTitle(QString());
    labelText_.clear();
    label_->clear();
    for (size_t i = 0; i < bars_.size(); ++i) {
        maximum_[i] = 0;
        value_[i] = 0;
        DrawBar(*bars_[i], 0, 0);
        bars_[i]->setVisible(true);
    }
}

}  // namespace qv::ui
