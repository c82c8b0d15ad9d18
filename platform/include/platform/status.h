#pragma once

#include <optional>
#include <string>
#include <utility>

namespace platform {

// Outcome of an operation that can fail: success, or a failure with a message meant for the
// user, which names the path or program involved.
class [[nodiscard]] Status {
 public:
  Status() = default;  // success

  static Status failure(std::string message) {
    Status status;
    status.failed_ = true;
    status.message_ = std::move(message);
    return status;
  }

  bool ok() const noexcept { return !failed_; }
  explicit operator bool() const noexcept { return ok(); }
  const std::string& message() const noexcept { return message_; }

 private:
  bool failed_ = false;
  std::string message_;
};

// A value, or the failure that prevented it.
template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : value_(std::move(value)) {}
  Result(Status failure) : failure_(std::move(failure)) {}

  bool ok() const noexcept { return value_.has_value(); }
  explicit operator bool() const noexcept { return ok(); }

  // Throws std::bad_optional_access when called on a failure.
  const T& value() const& { return value_.value(); }
  T&& value() && { return std::move(value_.value()); }

  const std::string& message() const noexcept { return failure_.message(); }
  const Status& status() const noexcept { return failure_; }

 private:
  std::optional<T> value_;
  Status failure_;
};

}  // namespace platform
