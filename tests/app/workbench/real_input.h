#pragma once
// What the workbench tests do as a person does: keys go to the widget with
// the focus (or the open pop-up), clicks are handed to a window as the
// window system hands them, and a dialog or pop-up that opens is answered
// the same way, from a timer while it runs its own event loop.

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <memory>

inline QByteArray Bytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    file.open(QIODevice::WriteOnly | QIODevice::Truncate);
    file.write(bytes);
}

inline QWidget* Focus() {
    return QApplication::focusWidget();
}

// A key pressed and released on the open pop-up, else on the widget with
// the focus, else on the active window.
inline void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWidget* target = QApplication::activePopupWidget();
    if (target == nullptr) target = Focus();
    if (target == nullptr) target = QApplication::activeWindow();
    QVERIFY2(target != nullptr, "no widget has the focus");
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

inline void Type(const QString& text) {
    QVERIFY2(Focus() != nullptr, "no widget has the focus");
    QTest::keyClicks(Focus(), text);
}

// Calls attempt every 20 ms until it returns true or the time is up. Each
// wait holds the poller, and the last one lets it go.
inline void PollUntil(std::function<bool()> attempt, int timeoutMs) {
    struct Poller : std::enable_shared_from_this<Poller> {
        std::function<bool()> attempt;
        QElapsedTimer started;
        int timeoutMs = 0;
        void Next() {
            QTimer::singleShot(20, [self = shared_from_this()] {
                if (!self->attempt() && self->started.elapsed() < self->timeoutMs) self->Next();
            });
        }
    };
    auto poller = std::make_shared<Poller>();
    poller->attempt = std::move(attempt);
    poller->timeoutMs = timeoutMs;
    poller->started.start();
    poller->Next();
}

// A click where a person would click: at a point of a widget, handed to its
// window as the window system hands it, so that Qt finds the widget under
// the point (and a right button press opens a context menu).
inline void ClickAt(QWidget& widget, QPoint point, Qt::MouseButton button = Qt::LeftButton,
                    bool twice = false) {
    QWidget* window = widget.window();
    QWindow* handle = window->windowHandle();
    QVERIFY2(handle != nullptr, "the window is not shown");
    const QPoint inWindow = widget.mapTo(window, point);
    if (twice) {
        QTest::mouseDClick(handle, button, Qt::NoModifier, inWindow);
    } else {
        QTest::mouseClick(handle, button, Qt::NoModifier, inWindow);
    }
}

inline void ClickOn(QWidget& widget, Qt::MouseButton button = Qt::LeftButton) {
    ClickAt(widget, widget.rect().center(), button);
}

// Runs step on the next pop-up menu that opens.
inline void WhenPopupOpens(std::function<void(QMenu&)> step) {
    PollUntil(
        [step] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            if (menu == nullptr) return false;
            step(*menu);
            return true;
        },
        5000);
}

// A key that presses a button by its access key: the button shows itself
// pressed for a moment and then clicks, as it does for a person.
inline void AccessKey(int key) {
    Key(key, Qt::AltModifier);
    QTest::qWait(250);
}

// Runs step on the next modal window of type T that opens, once it is the
// active window and ready says it is done with what it was doing, as a
// person waits for a dialog to come up before typing. It is looked for on a
// timer, never from inside a step, so that a window busy letting events run
// is left to finish. The step runs once. The wait is long because a loaded
// machine can take seconds to bring a window up. When the step fails, the
// window is closed, so that the failure is reported instead of leaving a
// modal loop waiting for a person.
template <class T>
void WhenModalOpens(std::function<void(T&)> step, int timeoutMs = 60000,
                    std::function<bool(T&)> ready = {}) {
    PollUntil(
        [step, ready] {
            auto* window = dynamic_cast<T*>(QApplication::activeModalWidget());
            if (window == nullptr || !window->isVisible() || !window->isActiveWindow() ||
                !window->isEnabled() || (ready && !ready(*window)))
                return false;
            QPointer<QWidget> opened(window);
            step(*window);
            QWidget* const still = opened.data();  // null once the step closed it
            if (QTest::currentTestFailed() && still != nullptr && still->isVisible()) still->close();
            return true;
        },
        timeoutMs);
}

// Presses a button of the next message box with the mouse; its text is kept.
inline void AnswerWith(QMessageBox::StandardButton answer, QString* text = nullptr) {
    WhenModalOpens<QMessageBox>([answer, text](QMessageBox& box) {
        if (text != nullptr) *text = box.text();
        ClickOn(*box.button(answer));
    });
}

// What the window manager does when a dialog closes: the window under it
// is active again.
inline void Activate(QWidget& window) {
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window)) qWarning("the window is not active");
}

// The menu bar's menu with the access key, then the entry with its own; a
// dialog the entry opens runs until it closes, and the window, if it is
// still open, is active again afterwards.
inline void ChooseFromMenu(QWidget& window, Qt::Key menuKey, Qt::Key entryKey) {
    QTest::keyClick(&window, menuKey, Qt::AltModifier);
    QTRY_VERIFY(QApplication::activePopupWidget() != nullptr);
    QTest::keyClick(QApplication::activePopupWidget(), entryKey);
    if (window.isVisible()) Activate(window);
}
