// SPDX-License-Identifier: LGPL-2.1-or-later
// Small result types for the library's inner steps: a value or a short
// fixed text saying what was wrong ("pcx: bytes per line below width").
#pragma once

#include <cstdint>
#include <utility>
#include <variant>

namespace pixkit {

// Why a step refused: the content (damaged, or not something we read), or
// its size (over the limits, or more memory than there is). Callers tell
// the user which of the two it was, so the kind travels with the text.
enum class ErrorKind : uint8_t { Damaged, TooLarge };

struct Error {
  const char* text;
  ErrorKind kind = ErrorKind::Damaged;
};

inline Error fail(const char* text) { return Error{text}; }
// A refusal for size: the limits, an allocation that failed, a size the
// format cannot carry.
inline Error fail_too_large(const char* text) { return Error{text, ErrorKind::TooLarge}; }

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::move(value)) {}
  Result(Error error) : state_(error) {}

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(state_); }
  const T& value() const& { return std::get<0>(state_); }
  T&& value() && { return std::get<0>(std::move(state_)); }
  T& operator*() & { return value(); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }

  const char* error() const { return ok() ? "" : std::get<1>(state_).text; }
  Error as_error() const { return std::get<1>(state_); }

 private:
  std::variant<T, Error> state_;
};

class [[nodiscard]] Status {
 public:
  Status() = default;
  Status(Error error) : error_(error) {}
  static Status success() { return Status(); }

  bool ok() const { return error_.text == nullptr; }
  explicit operator bool() const { return ok(); }
  const char* error() const { return error_.text ? error_.text : ""; }
  Error as_error() const { return error_; }

 private:
  Error error_{nullptr};
};

// Returns from the enclosing function when a Status or Result failed.
#define PIXKIT_TRY(expr)                                                \
  do {                                                                  \
    auto&& pixkit_try_result_ = (expr);                                 \
    if (!pixkit_try_result_.ok()) return pixkit_try_result_.as_error(); \
  } while (0)

}  // namespace pixkit
