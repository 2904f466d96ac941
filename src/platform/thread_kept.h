#pragma once
// Objects kept per thread from call to call (room reused, tables built once),
// without a per-thread destructor: the Windows build's runtime may free a
// thread's storage before it runs such destructors at the thread's end, and
// a helper thread then crashed freeing garbage. Each kept object is reached
// through a plain pointer instead, and freed by the `ThreadWorkScope` that
// the thread's work runs in (the helper threads of a side-by-side run, the
// reading helpers, the log writer), when that scope ends. On a thread with
// no such scope (the main thread) the objects live to the process's end.

namespace qv::platform {

namespace detail {

// One kept object of a thread, in the thread's list of them.
struct KeptLink {
    void (*release)() = nullptr;
    KeptLink* next = nullptr;
};

// Puts link at the head of the calling thread's list.
void KeepForThread(KeptLink& link);

template <class Tag, class T>
struct KeptOf {
    static thread_local T* object;
    static thread_local KeptLink link;
    static void Release() {
        delete object;
        object = nullptr;
    }
};

template <class Tag, class T>
thread_local T* KeptOf<Tag, T>::object = nullptr;
template <class Tag, class T>
thread_local KeptLink KeptOf<Tag, T>::link{};

}  // namespace detail

// The calling thread's T for the user named by Tag (a type of the user's own,
// so that two users of one type never share an object; by default T itself), made on its first
// use (value-initialised) and kept until the thread's work scope ends.
template <class Tag, class T = Tag>
T& ThreadKept() {
    using Kept = detail::KeptOf<Tag, T>;
    if (Kept::object == nullptr) {
        Kept::object = new T();
        Kept::link.release = &Kept::Release;
        detail::KeepForThread(Kept::link);
    }
    return *Kept::object;
}

// The calling thread's kept T (as ThreadKept<Tag, ...>), lent to one use at
// a time for as long as the ThreadLent lives, so that its room is reused
// from use to use. A use that begins while the thread's T is lent (a call
// made from within the first use) gets a T of its own.
template <class Tag, class T>
class ThreadLent {
public:
    ThreadLent() {
        Lendable& kept = ThreadKept<Tag, Lendable>();
        if (kept.lent) return;
        kept.lent = true;
        kept_ = &kept;
        object_ = &kept.object;
    }
    ~ThreadLent() {
        if (kept_ != nullptr) kept_->lent = false;
    }
    ThreadLent(const ThreadLent&) = delete;
    ThreadLent& operator=(const ThreadLent&) = delete;

    T& operator*() { return *object_; }
    T* operator->() { return object_; }

private:
    struct Lendable {
        T object{};
        bool lent = false;
    };
    Lendable* kept_ = nullptr;  // the thread's, while this use holds it
    T own_{};
    T* object_ = &own_;
};

// Frees, when it ends, every object the thread kept with ThreadKept.
class ThreadWorkScope {
public:
    ThreadWorkScope() = default;
    ThreadWorkScope(const ThreadWorkScope&) = delete;
    ThreadWorkScope& operator=(const ThreadWorkScope&) = delete;
    ~ThreadWorkScope();
};

}  // namespace qv::platform
