#pragma once
// The namespace of the named locks on Windows (platform/named_lock.h). With ZO_LOCK_NAMESPACE set
// to a plain name (letters, digits and '_', at most 50), the lock NAME is the mutex
// NAMESPACE_NAME, so locks of one name in different namespaces are different locks; unset or
// empty, the mutex is NAME, shared by every program of the user's session.

#include <optional>
#include <string>

namespace zo::platform::win32 {

inline constexpr const char* kLockNamespaceVariable = "ZO_LOCK_NAMESPACE";

// The mutex's object name for the lock NAME; none when the namespace is not plain.
std::optional<std::string> lockObjectName(const std::string& name);

}  // namespace zo::platform::win32
