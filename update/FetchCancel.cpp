#include "update/FetchCancel.h"

void FetchCancel::Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    interrupted_ = true;
    CloseKeptHandles();
}

bool FetchCancel::IsCancelled() const {
    std::lock_guard lock(mutex_);
    return cancelled_;
}

HINTERNET FetchCancel::Keep(InternetHandle handle) {
    std::lock_guard lock(mutex_);
    if (interrupted_ || !handle) return nullptr;  // handle closes here
    handles_.push_back(std::move(handle));
    return handles_.back().get();
}

void FetchCancel::Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    CloseKeptHandles();
}

bool FetchCancel::IsInterrupted() const {
    std::lock_guard lock(mutex_);
    return interrupted_;
}

void FetchCancel::Release() {
    std::lock_guard lock(mutex_);
    CloseKeptHandles();
    interrupted_ = cancelled_;
}

void FetchCancel::CloseKeptHandles() {
    while (!handles_.empty()) handles_.pop_back();
}
