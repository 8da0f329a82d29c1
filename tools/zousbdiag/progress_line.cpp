#include "tools/zousbdiag/progress_line.h"

namespace zousbdiag {

void ProgressLine::show(const std::string& text) {
    terminal_ << '\r' << text << std::string(width_ > text.size() ? width_ - text.size() : 0, ' ')
              << std::flush;
    width_ = text.size();
}

void ProgressLine::clear() {
    if (width_ > 0) {
        terminal_ << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }
}

}  // namespace zousbdiag
