#pragma once
// A value or an error message fit to show the user; the core reports failures this way.

#include <string>
#include <utility>
#include <variant>

namespace tilora {

struct Error {
    std::string message; // Japanese, ready for a message box
};

// E: what a failure carries; a message, or more where the caller reacts to the kind of failure.
template <class T, class E = Error> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(E error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const E& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, E> v_;
};

struct Ok {};
using Status = Result<Ok>;

} // namespace tilora
