#include "client/transfer/RestorePlacer.h"

#include <utility>

#include "client/transfer/RestoreDestination.h"

namespace arkvale {

namespace {

constexpr std::size_t kThreads = 4;
// Files waiting for a thread, each holding an open descriptor.
constexpr std::size_t kMostWaiting = 32;

}  // namespace

CRestorePlacer::~CRestorePlacer() {
  Settle();
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void CRestorePlacer::Add(plat::Replacement restored, const plat::HostPath& place,
                         const std::string& target, std::time_t modified,
                         RestoreFailures& failures) {
  std::unique_lock lock(mutex_);
  if (threads_.empty()) {
    for (std::size_t i = 0; i < kThreads; ++i) threads_.emplace_back([this] { Work(); });
  }
  changed_.wait(lock, [this] { return queue_.size() < kMostWaiting; });
  queue_.push_back({std::move(restored), place, target, modified, &failures});
  changed_.notify_all();
}

void CRestorePlacer::Settle() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.empty() && busy_ == 0; });
}

void CRestorePlacer::Work() {
  std::unique_lock lock(mutex_);
  while (true) {
    changed_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
    if (queue_.empty()) return;
    Item item = std::move(queue_.front());
    queue_.pop_front();
    ++busy_;
    changed_.notify_all();
    lock.unlock();
    if (item.restored.Commit()) {
      plat::SetModificationTime(item.place, item.modified);
    } else {
      item.failures->NotRestored(item.target, "it could not be written to its place");
    }
    lock.lock();
    --busy_;
    changed_.notify_all();
  }
}

}  // namespace arkvale
