#pragma once
// The reg tool's commands over the registry stand-in. Results go to `out`, messages about failures
// to `err`; the exit status is 0 on success and 1 on any failure.

#include <ostream>
#include <string>
#include <vector>

namespace zo::tools::reg {

int runReg(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err);

}  // namespace zo::tools::reg
