#include "tests/support/FileAccessOverride.h"

#include <gtest/gtest.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace arkvale::test {

namespace {

constexpr unsigned kOverrides = (1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH);

}  // namespace

WithoutFileAccessOverride::WithoutFileAccessOverride() {
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  if (syscall(SYS_capget, &header, saved_) != 0) {
    ADD_FAILURE() << "capget failed";
    return;
  }
  if ((saved_[0].effective & kOverrides) == 0) return;
  __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
  reduced[0].effective &= ~kOverrides;
  if (syscall(SYS_capset, &header, reduced) != 0) {
    ADD_FAILURE() << "capset failed";
    return;
  }
  changed_ = true;
}

WithoutFileAccessOverride::~WithoutFileAccessOverride() {
  if (!changed_) return;
  __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
  syscall(SYS_capset, &header, saved_);
}

}  // namespace arkvale::test
