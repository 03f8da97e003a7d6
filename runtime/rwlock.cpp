#include "runtime/rwlock.h"

void TMultiReadExclusiveWriteSynchronizer::AcquireRead() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == std::this_thread::get_id()) {
        ++writeDepth_;  // the writer reads under its own hold
        return;
    }
    changed_.wait(lock, [&] { return writeDepth_ == 0; });
    ++readers_;
}

void TMultiReadExclusiveWriteSynchronizer::ReleaseRead() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == std::this_thread::get_id()) {
        if (--writeDepth_ == 0) writer_ = std::thread::id();
    } else if (readers_ > 0) {
        --readers_;
    }
    changed_.notify_all();
}

void TMultiReadExclusiveWriteSynchronizer::AcquireWrite() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (writeDepth_ > 0 && writer_ == std::this_thread::get_id()) {
        ++writeDepth_;
        return;
    }
    changed_.wait(lock, [&] { return writeDepth_ == 0 && readers_ == 0; });
    writer_ = std::this_thread::get_id();
    writeDepth_ = 1;
}

void TMultiReadExclusiveWriteSynchronizer::ReleaseWrite() {
    std::unique_lock<std::mutex> lock(mutex_);
    if (writeDepth_ == 0 || writer_ != std::this_thread::get_id()) return;
    if (--writeDepth_ == 0) writer_ = std::thread::id();
    changed_.notify_all();
}

bool TMultiReadExclusiveWriteSynchronizer::HeldForWriting() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return writeDepth_ > 0 && writer_ == std::this_thread::get_id();
}
