#pragma once
// The Restore or Delete dialog's list as the index procedures and the delete run leave it.
#include <functional>
#include <mutex>
#include <vector>

#include "client/transfer/DeleteRun.h"
#include "client/transfer/ServerIndex.h"
#include "tests/client/transfer/BackupFixture.h"

namespace arkvale::test {

class FakeIndexList : public IndexSink, public DeleteProgress {
 public:
  void SetRows(std::vector<IndexEntry> rows) override {
    std::lock_guard lock(mutex_);
    rows_ = std::move(rows);
    ++fills_;
  }
  void SetSearchText(const std::string& text) override {
    std::lock_guard lock(mutex_);
    searchText_ = text;
  }
  void ShowDialog() override { shown = true; }
  Owner BoxOwner() const override { return Owner::DeleteDialog; }
  void SetDeleteBar(int position) override {
    {
      std::lock_guard lock(mutex_);
      bars_.push_back(position);
    }
    if (onBar) onBar(position);
  }
  void DisableRunButtons() override { buttonsDisabled = true; }

  std::vector<std::string> names() const {
    std::lock_guard lock(mutex_);
    std::vector<std::string> out;
    for (const IndexEntry& e : rows_) out.push_back(e.name);
    return out;
  }
  std::vector<IndexEntry> rows() const {
    std::lock_guard lock(mutex_);
    return rows_;
  }
  int fills() const {
    std::lock_guard lock(mutex_);
    return fills_;
  }
  std::string searchText() const {
    std::lock_guard lock(mutex_);
    return searchText_;
  }
  std::vector<int> bars() const {
    std::lock_guard lock(mutex_);
    return bars_;
  }

  std::atomic<bool> shown{false};
  std::atomic<bool> buttonsDisabled{false};
  std::function<void(int)> onBar;

 private:
  mutable std::mutex mutex_;
  std::vector<IndexEntry> rows_;
  int fills_ = 0;
  std::string searchText_ = "untouched";
  std::vector<int> bars_;
};

class IndexFixture : public BackupFixture {
 protected:
  void ExpectLockFree() const { EXPECT_FALSE(plat::FileExists("C:\\my_lock_file")); }

  FakeIndexList list;
  RetrievalCounters counters;
};

}  // namespace arkvale::test
