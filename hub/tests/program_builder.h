#pragma once
// Hand assembly of sequencer programs for the hub's tests: the twelve-bit instruction forms and
// the composite pieces the library's channel builders emit, so that a test can put together the
// program of any channel mode the way the library does and load it into a hub.

#include <cstdint>
#include <vector>

namespace zo::hub::test {

struct TestProgram {
    std::vector<std::uint16_t> words;
    std::vector<std::uint16_t> constants;
    std::uint8_t entry0 = 0;  // where the program is armed
    std::uint8_t entry1 = 0;  // the measurement's read-out step

    std::uint8_t here() const { return static_cast<std::uint8_t>(words.size()); }

    std::uint8_t emit(bool level, unsigned opcode, bool flagA, bool flagB, unsigned operand) {
        words.push_back(static_cast<std::uint16_t>((level ? 1U : 0U) << 11 | (opcode & 3U) << 9 |
                                                   (flagA ? 1U : 0U) << 8 | (flagB ? 1U : 0U) << 7 |
                                                   (operand & 0x7FU)));
        return static_cast<std::uint8_t>(words.size() - 1);
    }

    // Instruction forms.
    void load(bool level, unsigned constant) { emit(level, 0, false, false, constant); }
    void loadSecond(bool level, unsigned constant) { emit(level, 0, false, true, constant); }
    void tick(bool level) { emit(level, 1, false, false, 0); }
    void count(bool level, bool tied) { emit(level, 1, true, tied, 0); }
    void test(bool level, unsigned input, bool state) {
        emit(level, 2, true, false, input * 2 + (state ? 1U : 0U));
    }
    std::uint8_t jump(bool level, unsigned target, bool conditional) {
        return emit(level, 2, false, conditional, target);
    }
    void stall(bool level) { emit(level, 3, true, true, 0); }
    void halt(bool level) { emit(level, 3, true, false, 0); }
    void patch(std::uint8_t jumpIndex, unsigned target) {
        words[jumpIndex] =
            static_cast<std::uint16_t>((words[jumpIndex] & ~0x7FU) | (target & 0x7FU));
    }

    // Two constants holding a 32-bit value, low half first; returns the index of the low half.
    unsigned addCount(std::uint32_t value) {
        constants.push_back(static_cast<std::uint16_t>(value & 0xFFFF));
        constants.push_back(static_cast<std::uint16_t>(value >> 16));
        return static_cast<unsigned>(constants.size() - 2);
    }

    // Composite pieces.
    void delay(std::uint32_t n, bool level, bool tied = false) {
        if (n < 4) {
            for (std::uint32_t i = 0; i < n; ++i) {
                tick(level);
            }
            return;
        }
        const unsigned k = addCount(2 - n);
        load(level, k + 1);
        load(level, k);
        count(level, tied);
    }
    void gatedDelay(std::uint32_t n, unsigned input, bool state, bool level) {
        if (n == 0) {
            return;
        }
        test(level, input, state);
        delay(n - 1, level, true);
    }
    void waitLevel(unsigned input, bool p, bool level) {
        test(level, input, !p);
        stall(level);
    }
    void waitEdge(unsigned input, bool p, bool level) {
        test(level, input, p);
        stall(level);
        test(level, input, !p);
        stall(level);
    }
    void countEdge(unsigned input, bool p, bool level) {
        test(level, input, p);
        count(level, true);
        test(level, input, !p);
        count(level, true);
    }
    std::uint8_t testAndBranch(unsigned target, unsigned input, bool state, bool level) {
        test(level, input, state);
        return jump(level, target, true);
    }
    // Waits for n transitions of `clock`, leaving early when the gate (if any) turns inactive.
    void clockCount(std::uint32_t n, unsigned clock, bool& phase, unsigned gate, bool gateState,
                    bool level) {
        if (n == 0) {
            return;
        }
        const unsigned k = addCount(0U - n);
        load(level, k + 1);
        load(level, k);
        const std::uint8_t loopStart = here();
        std::vector<std::uint8_t> exits;
        waitLevel(clock, phase, level);
        if (gate > 0) {
            exits.push_back(testAndBranch(0, gate, !gateState, level));
        }
        test(level, 0, false);
        tick(level);
        exits.push_back(jump(level, 0, true));
        waitLevel(clock, !phase, level);
        if (gate > 0) {
            exits.push_back(testAndBranch(0, gate, !gateState, level));
        }
        test(level, 0, true);
        tick(level);
        jump(level, loopStart, true);
        for (const std::uint8_t exit : exits) {
            patch(exit, here());
        }
        if (n % 2 == 1) {
            phase = !phase;
        }
    }
};

// The ungated pulse train of a channel: `high` ticks at level 1, `low` at level 0, for ever.
inline TestProgram pulseTrain(std::uint32_t high, std::uint32_t low) {
    TestProgram program;
    program.delay(high, true);
    program.delay(low - 1, false);
    program.jump(false, 0, false);
    return program;
}

}  // namespace zo::hub::test
