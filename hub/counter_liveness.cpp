#include "hub/counter_liveness.h"

#include <vector>

namespace zo::hub {
namespace {

// One point's direct effect: whether it reads the counter, and where it can go on to while the
// value it started from still shows (a second load ends that).
struct Successors {
    bool reads = false;
    std::array<std::uint16_t, 2> points{};
    std::size_t count = 0;
};

}  // namespace

CounterLiveness::CounterLiveness(const ProgramMemory& program) {
    const auto successorsOf = [&](std::size_t pc, std::size_t loads, bool testing) {
        Successors result;
        const auto go = [&](std::size_t to, std::size_t loadsThen, bool testingThen) {
            if (to < ProgramMemory::kInstructionCount && loadsThen < 2) {
                result.points[result.count++] =
                    static_cast<std::uint16_t>(index(to, loadsThen, testingThen));
            }
        };
        const Instruction& instruction = program.decoded(pc);
        switch (instruction.form) {
            case InstructionForm::Load:
                go(pc + 1, loads + 1, testing);
                break;
            case InstructionForm::LoadSecond:
                result.reads = loads == 0;
                go(pc + 1, loads + 1, testing);
                break;
            case InstructionForm::Tick:
                go(pc + 1, loads, testing);
                break;
            case InstructionForm::Count:
                result.reads = true;
                break;
            case InstructionForm::Test:
                go(pc + 1, loads, instruction.operand >> 1 == 0);
                break;
            case InstructionForm::Jump:
                result.reads = instruction.conditional() && testing;
                go(instruction.operand, loads, testing);
                if (instruction.conditional()) {
                    go(pc + 1, loads, testing);
                }
                break;
            case InstructionForm::Stall:
                result.reads = testing;
                go(pc + 1, loads, testing);
                break;
            case InstructionForm::Halt:
                break;
        }
        return result;
    };
    std::vector<Successors> points(kPoints);
    for (std::size_t pc = 0; pc < ProgramMemory::kInstructionCount; ++pc) {
        for (std::size_t loads = 0; loads < 2; ++loads) {
            for (const bool testing : {false, true}) {
                points[index(pc, loads, testing)] = successorsOf(pc, loads, testing);
            }
        }
    }
    // Live: a read is reachable. Grown until nothing changes.
    for (bool grown = true; grown;) {
        grown = false;
        for (std::size_t point = kPoints; point-- > 0;) {
            if (live_[point]) {
                continue;
            }
            const Successors& successors = points[point];
            bool live = successors.reads;
            for (std::size_t next = 0; next < successors.count && !live; ++next) {
                live = live_[successors.points[next]];
            }
            if (live) {
                live_[point] = true;
                grown = true;
            }
        }
    }
}

}  // namespace zo::hub
