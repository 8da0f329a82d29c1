#pragma once
// The reg tool's commands over the registry stand-in. Results go to `out`, messages about failures
// to `err` in the Windows wording ("ERROR: ..."); questions (overwrite? delete?) are asked on
// `out` and answered from `in` when /f or /y is not given. The exit status is 0 on success and 1 on
// any failure, a refused question included.

#include <istream>
#include <ostream>
#include <string>
#include <vector>

namespace zo::tools::reg {

int runReg(const std::vector<std::string>& arguments, std::istream& in, std::ostream& out,
           std::ostream& err);

}  // namespace zo::tools::reg
