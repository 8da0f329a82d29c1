#include "hub/sequencer.h"

#include <algorithm>
#include <tuple>

namespace zo::hub {
namespace {

constexpr std::uint64_t kCounterRange = std::uint64_t{1} << 32;
constexpr std::uint32_t kPresetCounter = 0xFFFFFFFF;

}  // namespace

void Sequencer::start(std::uint8_t address, bool presetCounter) {
    if (presetCounter) {
        counter_ = kPresetCounter;
    }
    enabled_ = true;
    halted_ = false;
    level_ = false;
    enteredByJump_ = false;
    pc_ = address;
    if (pc_ >= ProgramMemory::kInstructionCount) {
        halted_ = true;  // armed beyond the memory: nothing to run
    }
}

void Sequencer::finishWithoutCount() {
    counter_ = 0;
    level_ = true;
    halted_ = true;
}

bool Sequencer::testHolds(const SignalSources& sources, std::uint64_t tick) const {
    const bool input = testInput_ == 0 ? counter_ != 0 : sources.levelAt(testInput_, tick);
    return input == testState_;
}

std::uint64_t Sequencer::nextTestChange(const SignalSources& sources, std::uint64_t tick) const {
    // The counter stands still while waiting; outputs of channels are followed tick by tick.
    return testInput_ == 0 ? kNever : sources.nextExternalChangeAfter(testInput_, tick);
}

void Sequencer::load(const ProgramMemory& program, std::uint8_t index) {
    // Operands beyond the 64 constants read 0.
    const std::uint16_t constant =
        index < ProgramMemory::kConstantCount ? program.constants()[index] : std::uint16_t{0};
    counter_ = counter_ << 16 | constant;
}

void Sequencer::jump(const ProgramMemory& program, const Instruction& instruction, bool condition) {
    bool taken = !instruction.conditional() || condition;
    const Instruction& target = program.decoded(instruction.operand);
    if (instruction.conditional() && target.form == InstructionForm::LoadSecond) {
        // The jump back to the head of a repeated section counts one pass.
        ++passes_;
        taken = taken && passes_ != 0;
    }
    if (taken) {
        pc_ = instruction.operand;
        enteredByJump_ = true;
    } else {
        advance();
    }
}

void Sequencer::advance() {
    ++pc_;
    enteredByJump_ = false;
    if (pc_ >= ProgramMemory::kInstructionCount) {
        halted_ = true;  // ran off the end of the memory
    }
}

void Sequencer::step(const ProgramMemory& program, const SignalSources& sources,
                     std::uint64_t tick) {
    if (!running()) {
        return;
    }
    const Instruction& instruction = current(program);
    level_ = instruction.level;
    switch (instruction.form) {
        case InstructionForm::Load:
            load(program, instruction.operand);
            advance();
            break;
        case InstructionForm::LoadSecond:
            if (!enteredByJump_) {
                // Entering the section from above: the low half loaded before is the pass count,
                // counting up to 0.
                passes_ = static_cast<std::uint16_t>(counter_ & 0xFFFF);
            }
            load(program, instruction.operand);
            advance();
            break;
        case InstructionForm::Tick:
            ++counter_;
            advance();
            break;
        case InstructionForm::Count:
            if (instruction.conditional() && !testHolds(sources, tick)) {
                advance();  // the tick that finds the test failing ends the count uncounted
                break;
            }
            ++counter_;
            if (counter_ == 0) {
                advance();
            }
            break;
        case InstructionForm::Test:
            testInput_ = static_cast<std::uint8_t>(instruction.operand >> 1);
            testState_ = (instruction.operand & 1) != 0;
            advance();
            break;
        case InstructionForm::Jump:
            jump(program, instruction, testHolds(sources, tick));
            break;
        case InstructionForm::Stall:
            if (!testHolds(sources, tick)) {
                advance();
            }
            break;
        case InstructionForm::Halt:
            halted_ = true;
            break;
    }
}

std::uint64_t Sequencer::nextDecision(const ProgramMemory& program, const SignalSources& sources,
                                      std::uint64_t tick) const {
    if (!running()) {
        return kNever;
    }
    const Instruction& instruction = current(program);
    if (instruction.level != level_) {
        return tick;  // the output changes on this tick
    }
    switch (instruction.form) {
        case InstructionForm::Count: {
            const std::uint64_t toZero = counter_ == 0 ? kCounterRange : kCounterRange - counter_;
            const std::uint64_t lastTick = tick + toZero - 1;
            if (!instruction.conditional()) {
                return lastTick;
            }
            if (!testHolds(sources, tick)) {
                return tick;
            }
            if (testInput_ == 0) {
                // "Counter not zero" holds until the count ends anyway; "counter is zero" fails
                // after the first count.
                return testState_ ? lastTick : tick;
            }
            return std::min(lastTick, nextTestChange(sources, tick));
        }
        case InstructionForm::Stall:
            return testHolds(sources, tick) ? nextTestChange(sources, tick) : tick;
        case InstructionForm::Jump:
            // An unconditional jump to itself keeps the output as it is for good.
            return !instruction.conditional() && instruction.operand == pc_ ? kNever : tick;
        default:
            return tick;
    }
}

void Sequencer::skip(const ProgramMemory& program, std::uint64_t ticks) {
    if (running() && current(program).form == InstructionForm::Count) {
        counter_ += static_cast<std::uint32_t>(ticks);  // the counter wraps at 32 bits
    }
}

std::uint16_t Sequencer::testedSources(const ProgramMemory& program) const {
    if (!running()) {
        return 0;
    }
    const auto selected = testInput_ < 16 ? 1U << testInput_ : 0U;
    return static_cast<std::uint16_t>(program.testedSources() | selected);
}

bool Sequencer::readsCounter(const ProgramMemory& program) {
    for (std::size_t index = 0; index < ProgramMemory::kInstructionCount; ++index) {
        const Instruction& instruction = program.decoded(index);
        if (instruction.form == InstructionForm::Count ||
            instruction.form == InstructionForm::LoadSecond ||
            (instruction.form == InstructionForm::Test && instruction.operand >> 1 == 0)) {
            return true;
        }
    }
    return false;
}

bool Sequencer::sameState(const Sequencer& other, bool counterMatters) const {
    const auto course = [](const Sequencer& s) {
        return std::tie(s.enabled_, s.halted_, s.level_, s.enteredByJump_, s.pc_, s.testInput_,
                        s.testState_, s.passes_);
    };
    return course(*this) == course(other) && (!counterMatters || counter_ == other.counter_);
}

std::size_t Sequencer::hash() const {
    const std::uint64_t flags = (enabled_ ? 1U : 0U) | (halted_ ? 2U : 0U) | (level_ ? 4U : 0U) |
                                (enteredByJump_ ? 8U : 0U) | (testState_ ? 16U : 0U);
    const std::uint64_t course = flags | std::uint64_t{pc_} << 8 | std::uint64_t{testInput_} << 16 |
                                 std::uint64_t{passes_} << 24;
    return static_cast<std::size_t>(course * 0x9E3779B97F4A7C15 ^ counter_);
}

}  // namespace zo::hub
