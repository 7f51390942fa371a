#pragma once
// While one lives, the calling thread obeys file permission bits even when it runs as root, so
// a test can make a directory unlistable or a file unreadable with chmod.
#include <linux/capability.h>

namespace arkvale::test {

class WithoutFileAccessOverride {
 public:
  WithoutFileAccessOverride();
  ~WithoutFileAccessOverride();
  WithoutFileAccessOverride(const WithoutFileAccessOverride&) = delete;
  WithoutFileAccessOverride& operator=(const WithoutFileAccessOverride&) = delete;

 private:
  __user_cap_data_struct saved_[2] = {};
  bool changed_ = false;
};

}  // namespace arkvale::test
