#pragma once
// One line on a terminal that a long command rewrites in place while it runs and clears when it
// ends, so that the terminal is left as it was.

#include <cstddef>
#include <ostream>
#include <string>

namespace zousbdiag {

class ProgressLine {
  public:
    explicit ProgressLine(std::ostream& terminal) : terminal_(terminal) {}

    // Replaces the line shown with `text`, blanking what a longer line left.
    void show(const std::string& text);
    // Blanks the line; nothing when none was shown.
    void clear();

  private:
    std::ostream& terminal_;
    std::size_t width_ = 0;  // of the line shown last
};

}  // namespace zousbdiag
