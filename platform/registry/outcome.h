#pragma once
// The result of a registry operation that can fail for a reason worth telling a person: either the
// value or a Windows status with a message that names the cause (file, line, what was wrong).

#include <string>
#include <utility>
#include <variant>

#include "platform/registry/registry_types.h"

namespace zo::platform::registry {

struct Failure {
    LSTATUS status = ERROR_SUCCESS;
    std::string message;
};

template <typename T>
class Outcome {
  public:
    Outcome(T value) : state_(std::move(value)) {}
    Outcome(Failure failure) : state_(std::move(failure)) {}

    bool ok() const { return std::holds_alternative<T>(state_); }
    T& value() { return std::get<T>(state_); }
    const T& value() const { return std::get<T>(state_); }
    const Failure& failure() const { return std::get<Failure>(state_); }

  private:
    std::variant<T, Failure> state_;
};

}  // namespace zo::platform::registry
