#pragma once
// A string held in a fixed character field of Size bytes: at most Size - 1 characters are kept,
// a longer value is cut, as copying it into the field would.
#include <cstddef>
#include <string>

namespace arkvale {

template <std::size_t Size>
class FieldString {
  static_assert(Size > 1);

 public:
  static constexpr std::size_t kCapacity = Size - 1;

  FieldString() = default;
  FieldString(const std::string& value) { assign(value); }  // NOLINT: stands in for the field
  FieldString(const char* value) { assign(value); }         // NOLINT

  FieldString& operator=(const std::string& value) {
    assign(value);
    return *this;
  }
  FieldString& operator=(const char* value) {
    assign(value);
    return *this;
  }

  const std::string& str() const { return value_; }
  operator const std::string&() const { return value_; }  // NOLINT
  const char* c_str() const { return value_.c_str(); }
  bool empty() const { return value_.empty(); }
  std::size_t size() const { return value_.size(); }

  friend bool operator==(const FieldString& a, const std::string& b) { return a.value_ == b; }

 private:
  void assign(const std::string& value) {
    // A NUL ends a C string in a field; what follows it would never be seen.
    std::size_t end = value.find('\0');
    if (end == std::string::npos) end = value.size();
    value_.assign(value, 0, end < kCapacity ? end : kCapacity);
  }

  std::string value_;
};

}  // namespace arkvale
