#pragma once

#include <cstdlib>
#include <optional>
#include <string>

namespace tq260::testing {

// setenv and unsetenv as Windows spells them.
inline void setEnvironment(const char* name, const char* value) {
#ifdef _WIN32
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}
inline void unsetEnvironment(const char* name) {
#ifdef _WIN32
    ::_putenv_s(name, "");
#else
    ::unsetenv(name);
#endif
}

// Sets an environment variable for the test's length.
class ScopedEnvironment {
  public:
    ScopedEnvironment(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setEnvironment(name, value.c_str());
    }
    ~ScopedEnvironment() {
        if (old_) {
            setEnvironment(name_, old_->c_str());
        } else {
            unsetEnvironment(name_);
        }
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

}  // namespace tq260::testing
