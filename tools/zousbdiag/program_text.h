#pragma once
// A sequencer program as readable text: the entry points, the constants and one line per
// instruction with its index, level and form.

#include <string>

#include "library/compiler/sequencer_program.h"

namespace zousbdiag {

// "counter", "A", "B", "out0".."out7", or "in11".."in63" for inputs that read low.
std::string testInputName(std::int32_t input);

// One instruction's form: "load c1 (0xFFFF)", "count tied", "test A=1", "jump-if 3", ...
std::string instructionText(const zo::quinteldrv::Instruction& instruction,
                            const zo::quinteldrv::QnProgram& program);

std::string programText(const zo::quinteldrv::QnProgram& program);

}  // namespace zousbdiag
