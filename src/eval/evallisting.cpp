#include "eval/evallisting.h"

#include <cstdio>
#include <ostream>
#include <vector>

#include "eval/evalprog.h"

namespace {
std::ostream* listing_out = nullptr;

std::string Number_Text(double number) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", number);
    return text;
}

std::string Routine_Name(OprFunction routine) {
    if (routine == Num_Power_function) return "^";
    for (const BuiltinFunction& builtin : BUILTIN_FUNCTIONS)
        if (builtin.routine == routine) return builtin.name;
    return "?";
}

class StepLister {
public:
    explicit StepLister(const EvalProgram& program) : cells_(program.Cells()) {}

    std::string Operands(const EvalStep& step) const {
        switch (EVAL_OP_OPERAND[step.op]) {
        case OPERAND_NONE: return "";
        case OPERAND_NUMBER: return Number(step);
        case OPERAND_CELL: return Cell(step);
        case OPERAND_LOCAL: return Local(step);
        case OPERAND_ROUTINE: return Routine(step);
        case OPERAND_ROUTINE_NUMBER: return Routine(step) + " " + Number(step);
        case OPERAND_ROUTINE_CELL: return Routine(step) + " " + Cell(step);
        case OPERAND_ROUTINE_LOCAL: return Routine(step) + " " + Local(step);
        case OPERAND_CELL_NUMBER: return Cell(step) + " " + Number(step);
        case OPERAND_ROUTINE_CELL_NUMBER:
            return Routine(step) + " " + Cell(step) + " " + Number(step);
        case OPERAND_LOCAL_NUMBER: return Local(step) + " " + Number(step);
        case OPERAND_CELL_LOCAL: return Cell(step) + " " + Local(step);
        case OPERAND_ROUTINE_LOCAL_NUMBER:
            return Routine(step) + " " + Local(step) + " " + Number(step);
        case OPERAND_SUM_BOUNDS: {
            std::string bounds = Number(step) + ".." + Number_Text(step.last_index);
            if (step.jump == 0) return bounds;  // a sum in one step jumps nowhere
            return bounds + " ->" + std::to_string(step.jump);
        }
        case OPERAND_LEVEL: return "level " + std::to_string(step.level);
        case OPERAND_JUMP: return "->" + std::to_string(step.jump);
        case OPERAND_CALL: return "call " + std::to_string(step.call);
        }
        return "";
    }

    std::string Source(const EvalArgument& source) const {
        if (source.form == OPERAND_NUMBER) return Number_Text(source.number);
        if (source.form == OPERAND_CELL) return Cell(source.cell);
        return "s" + std::to_string(source.slot);
    }

    std::string Cell(const double* cell) const {
        for (size_t i = 0; i < cells_.size(); ++i)
            if (cells_[i] == cell) return "c" + std::to_string(i);
        return "c?";
    }

private:
    static std::string Number(const EvalStep& step) { return Number_Text(step.number); }
    static std::string Local(const EvalStep& step) { return "l" + std::to_string(step.local_slot); }
    static std::string Routine(const EvalStep& step) { return Routine_Name(step.routine); }
    std::string Cell(const EvalStep& step) const { return Cell(step.cell); }

    std::vector<const double*> cells_;
};

std::string Step_Line(const StepLister& lister, int number, const EvalStep& step) {
    std::string line = std::to_string(number) + " " + EVAL_OP_NAME[step.op];
    EvalStackEffect effect = EVAL_OP_EFFECT[step.op];
    if (effect == EFFECT_PUSH || effect == EFFECT_POP || effect == EFFECT_SUM)
        line += " s" + std::to_string(step.slot);
    std::string operands = lister.Operands(step);
    if (!operands.empty()) line += " " + operands;
    return line + "\n";
}

std::string Call_Line(const StepLister& lister, int number, const EvalCall& call) {
    std::string line =
        "call " + std::to_string(number) + ": " + std::to_string(call.arg_count) + " arguments";
    for (const double* cell : call.arg_cells) line += " " + lister.Cell(cell);
    if (!call.sources.empty()) {
        line += ", inlined, from";
        for (const EvalArgument& source : call.sources) line += " " + lister.Source(source);
        return line + "\n";
    }
    if (call.callee < 0) return line + ", undefined\n";
    return line + ", body " + std::to_string(call.callee) + " at " +
           std::to_string(call.fast_entry) + "\n";
}
}  // namespace

std::string List_Program(const EvalProgram& program) {
    StepLister lister(program);
    std::string listing;
    const std::vector<EvalStep>& steps = program.Steps();
    for (size_t i = 0; i < steps.size(); ++i)
        listing += Step_Line(lister, static_cast<int>(i), steps[i]);
    const std::vector<EvalCall>& calls = program.Calls();
    for (size_t i = 0; i < calls.size(); ++i)
        listing += Call_Line(lister, static_cast<int>(i), calls[i]);
    return listing;
}

void Set_ProgramListing(std::ostream* out) { listing_out = out; }

void List_Compiled(const EvalProgram& program) {
    if (listing_out != nullptr) *listing_out << List_Program(program) << std::flush;
}
