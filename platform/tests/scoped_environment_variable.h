#pragma once
// Test support: sets (or, with no value, removes) an environment variable and restores its former
// state when the object goes out of scope.

#include <stdlib.h>

#include <optional>
#include <string>

namespace zo::platform::testing {

class ScopedEnvironmentVariable {
  public:
    ScopedEnvironmentVariable(std::string name, const std::optional<std::string>& value)
        : name_(std::move(name)) {
        if (const char* old = ::getenv(name_.c_str()); old != nullptr) {
            previous_ = old;
        }
        assign(value);
    }
    ~ScopedEnvironmentVariable() { assign(previous_); }
    ScopedEnvironmentVariable(const ScopedEnvironmentVariable&) = delete;
    ScopedEnvironmentVariable& operator=(const ScopedEnvironmentVariable&) = delete;

  private:
    void assign(const std::optional<std::string>& value) {
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
    }

    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace zo::platform::testing
