// The parameter and mode reference: complete, in agreement with the library, the same in the
// documentation, and with examples that run as written.

#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "tools/zousbdiag/channel_modes.h"
#include "tools/zousbdiag/parameter_names.h"
#include "tools/zousbdiag/tests/tool_run.h"

namespace zousbdiag {
namespace {

using testing_support::contains;
using testing_support::fileText;
using testing_support::runTool;
using testing_support::ToolRun;

std::vector<std::string> words(const std::string& line) {
    std::istringstream stream(line);
    std::vector<std::string> result;
    for (std::string word; stream >> word;) {
        result.push_back(word);
    }
    return result;
}

TEST(Reference, TheToolsParameterTableIsTheLibrarys) {
    // This process's own machine, with one default hub.
    ASSERT_EQ(::setenv("ZOUSB_DEVICES", "sim", 1), 0);
    ASSERT_EQ(QnLoadDriver(), QN_OK);
    QnHandle handle = nullptr;
    ASSERT_EQ(QnOpenDevice(1, &handle), QN_OK);
    QnDeviceSettings defaults{};
    defaults.size = QN_SETTINGS_SIZE;
    ASSERT_EQ(QnReadDefaultSettings(handle, &defaults), QN_OK);
    for (std::uint32_t id = 0; id < 256; ++id) {
        std::uint32_t maximum = 0;
        const std::int32_t status =
            QnGetParameterAttribute(handle, &defaults, id, QN_ATTR_MAXIMUM, &maximum);
        const ParameterInfo* info = parameterInfo(id);
        if (info == nullptr) {
            EXPECT_EQ(status, QN_ERR_BAD_ID) << "parameter " << id << " has no name in the tool";
            continue;
        }
        EXPECT_EQ(status, QN_OK) << info->name;
        EXPECT_EQ(maximum, info->maximum) << info->name;
        for (const QnChannelSettings& channel : defaults.channels) {
            EXPECT_EQ(channel.*info->field, info->defaultValue) << info->name;
        }
    }
    QnCloseDevice(handle);
    QnUnloadDriver();
}

TEST(Reference, HelpListsEveryParameterAndEveryModeAsTheDocumentationDoes) {
    const ToolRun parameters = runTool("sim", {"help", "parameters"});
    EXPECT_EQ(parameters.exitStatus, 0);
    EXPECT_TRUE(contains(parameters.out, "GATE_SOURCE     6  source  0 to 10           0\n"))
        << parameters.out;
    EXPECT_TRUE(contains(parameters.out, "PULSE_COUNT    23  count   0 to 65535        1\n"));
    EXPECT_TRUE(contains(parameters.out, "PERIOD          -  time    above HIGH_TIME   -\n"));
    for (const ParameterInfo& parameter : kParameters) {
        EXPECT_TRUE(contains(parameters.out, std::string("\n") + parameter.name + " "))
            << parameter.name;
    }
    const ToolRun modes = runTool("sim", {"help", "modes"});
    EXPECT_EQ(modes.exitStatus, 0);
    for (const ModeInfo& mode : kModes) {
        EXPECT_TRUE(contains(modes.out, "\nMode " + std::to_string(mode.number) + "  " + mode.name +
                                            " (MODE=" + mode.typed + ")\n"))
            << mode.name;
    }

    const std::string documentation = fileText(ZO_SOURCE_DIR "/docs/parameters-and-modes.md");
    EXPECT_TRUE(contains(documentation, "```\n" + parameters.out + "```\n"))
        << "docs/parameters-and-modes.md does not hold the output of 'zousbdiag help parameters'";
    EXPECT_TRUE(contains(documentation, "```\n" + modes.out + "```\n"))
        << "docs/parameters-and-modes.md does not hold the output of 'zousbdiag help modes'";
}

TEST(Reference, EveryModeExampleRunsAsWrittenWithoutAWarning) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("modes_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    for (const ModeInfo& mode : kModes) {
        std::vector<std::string> arguments = words(mode.example);
        ASSERT_EQ(arguments.at(0), "zousbdiag");
        arguments.erase(arguments.begin());
        for (std::string& argument : arguments) {
            if (argument.ends_with(".vcd")) {
                argument = (folder / argument).string();
            }
        }
        const ToolRun run = runTool("sim", arguments);
        EXPECT_EQ(run.exitStatus, 0) << mode.example << '\n' << run.err;
        EXPECT_EQ(run.err, "") << mode.example;
        const std::string& command = arguments[0];
        EXPECT_TRUE(contains(run.out, command == "measure"   ? "Period  "
                                      : command == "capture" ? "Recorded "
                                                             : "Opened outputs 0x1"))
            << run.out;
    }
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace zousbdiag
