#include "tools/zousbdiag/silent_outputs.h"

#include <array>

#include "tools/zousbdiag/settings_text.h"

namespace zousbdiag {

namespace {

constexpr std::uint32_t kNoSource = 0;
constexpr std::uint32_t kFirstOutputSource = 3;
constexpr std::uint32_t kLastSource = 10;

enum Mode : std::uint32_t { Internal = 0, External = 1, StartStop = 2, RateSwitch = 3, Burst = 4 };

// Why a channel is silent and the level its output then keeps.
struct Silence {
    std::string reason;
    int level = 0;
};

int bit(std::uint32_t value) {
    return value != 0 ? 1 : 0;
}

// The level a channel waits for on a source: inputs A and B (and none) are active high unless
// inverted, channel outputs the other way round, as the library's compiler reads them.
int waitedLevel(std::uint32_t source, std::uint32_t invert) {
    return source < kFirstOutputSource ? 1 - bit(invert) : bit(invert);
}

class Analysis {
  public:
    Analysis(const QnDeviceSettings& settings, std::uint32_t openMask, const InputSignals& inputs)
        : settings_(settings), openMask_(openMask), inputs_(inputs) {}

    // Nullopt when the channel may well produce output.
    std::optional<Silence> silence(std::uint32_t channel) {
        if (visiting_[channel]) {
            return std::nullopt;  // channels waiting on each other: not judged
        }
        visiting_[channel] = true;
        std::optional<Silence> result = judge(channel);
        visiting_[channel] = false;
        return result;
    }

  private:
    // The level the source keeps for ever, when it certainly never changes.
    std::optional<int> steadyLevel(std::uint32_t source, std::uint32_t waiter) {
        if (source == 1 && inputs_.a == false) {
            return 0;
        }
        if (source == 2 && inputs_.b == false) {
            return 0;
        }
        if (source < kFirstOutputSource || source > kLastSource) {
            return std::nullopt;
        }
        const std::uint32_t channel = source - kFirstOutputSource;
        if ((openMask_ & (1u << channel)) == 0) {
            return 0;  // a closed output is held low
        }
        if (channel == waiter) {
            return bit(settings_.channels[channel].idleLevel);  // its own level while it waits
        }
        const std::optional<Silence> other = silence(channel);
        return other ? std::optional(other->level) : std::nullopt;
    }

    static std::string steadyText(int level) { return level != 0 ? "stays high" : "stays low"; }

    // The start, gate or trigger input: silent when it never reaches the level waited for.
    std::optional<Silence> neverStarts(std::uint32_t channel) {
        const QnChannelSettings& c = settings_.channels[channel];
        const int idle = bit(c.idleLevel);
        if (c.gateSource == kNoSource) {
            if (c.mode == Burst) {
                return Silence{"it waits for a trigger, and GATE_SOURCE is none", idle};
            }
            return std::nullopt;
        }
        const int wanted = waitedLevel(c.gateSource, c.gateInvert);
        const std::optional<int> level = steadyLevel(c.gateSource, channel);
        if (!level || *level == wanted) {
            return std::nullopt;
        }
        return Silence{"it waits for GATE_SOURCE (" + sourceName(c.gateSource) + ") to go " +
                           (wanted != 0 ? "high" : "low") + ", which " + steadyText(*level),
                       idle};
    }

    std::optional<Silence> judge(std::uint32_t channel) {
        const QnChannelSettings& c = settings_.channels[channel];
        if (c.mode > Burst) {
            return Silence{"MODE " + std::to_string(c.mode) + " is no mode", 0};
        }
        if (std::optional<Silence> waiting = neverStarts(channel)) {
            return waiting;
        }
        const int idle = bit(c.idleLevel);
        if (c.mode == External) {
            if (c.extSource == kNoSource) {
                return Silence{"its clock input EXT_SOURCE is none", idle};
            }
            if (const std::optional<int> level = steadyLevel(c.extSource, channel)) {
                return Silence{"its clock input EXT_SOURCE (" + sourceName(c.extSource) + ") " +
                                   steadyText(*level),
                               idle};
            }
            return std::nullopt;
        }
        const bool secondSetSilent = c.mode != RateSwitch || c.highTime2 == 0;
        if (c.highTime == 0 && secondSetSilent) {
            return Silence{std::string(c.mode == RateSwitch ? "HIGH_TIME and HIGH_TIME2 are"
                                                            : "HIGH_TIME is") +
                               " 0, so the output never becomes active",
                           bit(c.invert)};
        }
        return std::nullopt;
    }

    const QnDeviceSettings& settings_;
    std::uint32_t openMask_;
    InputSignals inputs_;
    std::array<bool, QN_CHANNEL_COUNT> visiting_{};
};

}  // namespace

std::vector<SilentOutput> silentOutputs(const QnDeviceSettings& settings, std::uint32_t openMask,
                                        const InputSignals& inputs) {
    Analysis analysis(settings, openMask, inputs);
    std::vector<SilentOutput> silent;
    for (std::uint32_t channel = 0; channel < QN_CHANNEL_COUNT; ++channel) {
        if ((openMask & (1u << channel)) != 0) {
            if (const std::optional<Silence> silence = analysis.silence(channel)) {
                silent.push_back({channel, silence->reason});
            }
        }
    }
    return silent;
}

}  // namespace zousbdiag
