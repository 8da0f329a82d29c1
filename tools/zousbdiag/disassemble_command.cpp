// disassemble: compiles a channel's current settings, or the measurement header, with the
// library's compiler and prints the program readably.

#include <bit>

#include "library/compiler/program_builders.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/open_device.h"
#include "tools/zousbdiag/program_text.h"

namespace zousbdiag {

namespace {

static_assert(sizeof(QnChannelSettings) == sizeof(zo::quinteldrv::ChannelBlock),
              "a channel's settings are its seventeen block words");

bool compile(const QnDeviceSettings& settings, std::uint32_t channel,
             zo::quinteldrv::QnProgram& program) {
    if (channel == zo::quinteldrv::kMeasurementProgram) {
        return zo::quinteldrv::buildMeasurementProgram(
            {settings.measureInput, settings.measureMode, settings.measureEdge}, program);
    }
    return zo::quinteldrv::buildChannelProgram(
        std::bit_cast<zo::quinteldrv::ChannelBlock>(settings.channels[channel]), program);
}

}  // namespace

int runDisassemble(const Command& command, std::ostream& out, std::ostream& err) {
    const OpenDevice device(command.deviceId, err);
    QnDeviceSettings settings{};
    if (!device.isOpen() ||
        !readAndChangeSettings(device.handle(), command.settings, settings, err)) {
        return kExitFailure;
    }
    zo::quinteldrv::QnProgram program;
    if (!compile(settings, command.channel, program)) {
        err << "zousbdiag: no program for "
            << (command.channel == QN_CHANNEL_COUNT
                    ? std::string("the measurement")
                    : "channel " + std::to_string(command.channel) + " in mode " +
                          std::to_string(settings.channels[command.channel].mode))
            << ": no builder for it, or it does not fit the sequencer\n";
        return kExitFailure;
    }
    out << (command.channel == QN_CHANNEL_COUNT ? std::string("Measurement")
                                                : "Channel " + std::to_string(command.channel))
        << " program: " << programText(program);
    return kExitSuccess;
}

}  // namespace zousbdiag
