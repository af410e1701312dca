#pragma once
// A value or an error message fit to show the user; the core reports failures this way.

#include <string>
#include <utility>
#include <variant>

namespace tilora {

struct Error {
    std::string message; // Japanese, ready for a message box
};

template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    const Error& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, Error> v_;
};

struct Ok {};
using Status = Result<Ok>;

} // namespace tilora
