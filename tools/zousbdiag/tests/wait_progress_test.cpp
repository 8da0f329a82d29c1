#include "tools/zousbdiag/wait_progress.h"

#include "tools/zousbdiag/progress_line.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zousbdiag {
namespace {

using std::chrono::milliseconds;

TEST(WaitProgress, TellsHowMuchOfTheWaitHasPassed) {
    EXPECT_EQ(progressText("capture", milliseconds(1234), milliseconds(5000)),
              "capture: 1.2 s of 5 s");
    EXPECT_EQ(progressText("measure", milliseconds(0), milliseconds(60000)),
              "measure: 0 s of 60 s");
    // A wait that runs over its length is shown at its end.
    EXPECT_EQ(progressText("capture", milliseconds(5100), milliseconds(5000)),
              "capture: 5 s of 5 s");
}

TEST(WaitProgress, AnOpenEndedWaitShowsOnlyTheTimePassed) {
    EXPECT_EQ(progressText("stream", milliseconds(61500)), "stream: 61.5 s");
}

TEST(ProgressLine, AShorterLineBlanksWhatTheLongerOneLeftAndTheEndClearsIt) {
    std::ostringstream terminal;
    ProgressLine line(terminal);
    line.clear();
    EXPECT_EQ(terminal.str(), "") << "nothing to clear before a line was shown";
    line.show("stream: 10 s");
    line.show("x: 1 s");
    line.clear();
    EXPECT_EQ(terminal.str(), "\rstream: 10 s\rx: 1 s      \r      \r");
}

TEST(WaitProgress, WritesNothingWhereNoTerminalReadsIt) {
    std::ostringstream hidden;
    { const WaitProgress progress(hidden, false, "capture", milliseconds(1000)); }
    EXPECT_EQ(hidden.str(), "");
}

}  // namespace
}  // namespace zousbdiag
