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
#if defined(_WIN32)
        // Changes the system's environment block as well as the C library's; "" removes.
        ::_putenv_s(name_.c_str(), value ? value->c_str() : "");
#else
        if (value) {
            ::setenv(name_.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name_.c_str());
        }
#endif
    }

    std::string name_;
    std::optional<std::string> previous_;
};

}  // namespace zo::platform::testing
