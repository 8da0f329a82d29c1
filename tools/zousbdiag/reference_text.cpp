// help parameters and help modes: the reference of every channel parameter and every mode.

#include <cstdio>
#include <sstream>

#include "tools/zousbdiag/channel_modes.h"
#include "tools/zousbdiag/commands.h"
#include "tools/zousbdiag/parameter_names.h"

namespace zousbdiag {

namespace {

constexpr std::size_t kTextWidth = 96;

// The text in lines of at most kTextWidth characters, each led by `indent` spaces.
std::string wrapped(std::string_view text, std::size_t indent) {
    std::istringstream words{std::string(text)};
    std::string result;
    std::string line;
    std::string word;
    while (words >> word) {
        if (!line.empty() && indent + line.size() + 1 + word.size() > kTextWidth) {
            result += std::string(indent, ' ') + line + '\n';
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
    }
    return result + std::string(indent, ' ') + line + '\n';
}

// The label, then the text wrapped with its lines indented past the label.
std::string labelled(std::string_view label, std::string_view text, std::size_t indent) {
    std::string line(label);
    line.resize(indent, ' ');
    return line + wrapped(text, indent).substr(indent);
}

const char* kindName(ValueKind kind) {
    switch (kind) {
        case ValueKind::Mode:
            return "mode";
        case ValueKind::Time:
            return "time";
        case ValueKind::Level:
            return "level";
        case ValueKind::Source:
            return "source";
        case ValueKind::Count:
            return "count";
    }
    return "";
}

std::string row(const char* name, const std::string& number, const char* kind,
                const std::string& range, const std::string& defaultValue) {
    char line[128];
    std::snprintf(line, sizeof line, "%-12s %4s  %-6s  %-16s  %s\n", name, number.c_str(), kind,
                  range.c_str(), defaultValue.c_str());
    return line;
}

}  // namespace

void printParameterReference(std::ostream& out) {
    out << wrapped(
               "Channel parameters, as 'zousbdiag set ID CHANNEL PARAMETER VALUE' and "
               "'--set CHANNEL:PARAMETER=VALUE' take them. CHANNEL is 0 to 7, or 8 for all "
               "eight; PARAMETER is a name below, in either case, or its number.",
               0)
        << '\n'
        << row("Name", "No.", "Value", "Range", "Default");
    for (const ParameterInfo& parameter : kParameters) {
        out << row(parameter.name, std::to_string(parameter.id), kindName(parameter.kind),
                   "0 to " + std::to_string(parameter.maximum),
                   std::to_string(parameter.defaultValue))
            << wrapped(parameter.meaning, 4);
    }
    out << row("PERIOD", "-", "time", "above HIGH_TIME", "-")
        << wrapped(
               "sets LOW_TIME to PERIOD - HIGH_TIME once the command's other settings are "
               "made; also takes a rate: PERIOD=10kHz",
               4)
        << row("PERIOD2", "-", "time", "above HIGH_TIME2", "-")
        << wrapped("the same for pulse set 2: LOW_TIME2 = PERIOD2 - HIGH_TIME2", 4) << '\n'
        << "Values\n"
        << labelled("  time",
                    "A plain number counts ticks of the hub's 50 MHz clock, 20 ns each: "
                    "HIGH_TIME=12500. With a unit (s, ms, us, ns) it is a time: HIGH_TIME=250us, "
                    "DELAY=1.5ms. A time that is no whole number of ticks becomes the nearest one, "
                    "and the tool says so (7ns becomes 0 ticks). The longest is 4294967295 ticks "
                    "(85.8993459s). In mode 1 (External) the times count transitions of the clock "
                    "input, two per cycle, and take plain numbers only.",
                    10)
        << labelled("  rate",
                    "PERIOD and PERIOD2 also take a rate in Hz, kHz or MHz, meaning one period of "
                    "it: PERIOD=10kHz is 100us, 5000 ticks.",
                    10)
        << "  level   0 or 1.\n"
        << labelled("  source",
                    "0 none, 1 input A, 2 input B, 3 to 10 the output of channel 0 to 7; also by "
                    "name: none, A, B, out0 to out7. One channel can gate, start, trigger or clock "
                    "another.",
                    10)
        << "  count   a number of pulses.\n"
        << labelled("  mode",
                    "0 to 4, or its name: internal, external, start-stop, rate-switch, burst "
                    "(zousbdiag help modes).",
                    10)
        << '\n'
        << wrapped("The tool shows times as ticks with readable units beside them: 12500 (250us).",
                   0);
}

void printModeReference(std::ostream& out) {
    out << wrapped(
        "Channel modes, set with MODE=NUMBER or MODE=NAME. Every mode drives the "
        "output at IDLE_LEVEL while it delays or waits, and its pulses at the level "
        "opposite INVERT.",
        0);
    for (const ModeInfo& mode : kModes) {
        out << "\nMode " << mode.number << "  " << mode.name << " (MODE=" << mode.typed << ")\n"
            << wrapped(mode.description, 2) << labelled("  Uses:", mode.uses, 12)
            << labelled("  Sources:", mode.sources, 12) << "  Example:  " << mode.example << '\n';
    }
}

}  // namespace zousbdiag
