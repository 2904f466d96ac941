#include "platform/thread_kept.h"

namespace qv::platform {

namespace {
thread_local detail::KeptLink* keptHead = nullptr;
}

void detail::KeepForThread(KeptLink& link) {
    link.next = keptHead;
    keptHead = &link;
}

ThreadWorkScope::~ThreadWorkScope() {
    while (keptHead != nullptr) {
        detail::KeptLink* link = keptHead;
        keptHead = link->next;
        link->next = nullptr;
        link->release();
    }
}

}  // namespace qv::platform
