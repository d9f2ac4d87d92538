#include "eval/evalslope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "eval/calcbintree.h"
#include "eval/evalprog.h"
#include "formula/symbol.h"
#include "userfunc/usrfunc.h"

namespace {
// Deeper trees than the formula line can write (a recursive definition) and
// longer programs than calls of calls of short definitions make are not taken.
const int SLOPE_DEPTH_LIMIT = 512;
const size_t SLOPE_STEP_LIMIT = 1 << 16;
// Terms of the sums, nested ones multiplied, that a slope may run: some 60
// slopes narrow each extremum, and f alone costs less per term.
const long double SLOPE_TERM_LIMIT = 1 << 16;
const long double LN10 = 2.302585092994045684017991454684364208L;

// The rules, each of u (the first operand or the argument) and v (the second).
SlopeValue Plus(SlopeValue u, SlopeValue v) { return {u.value + v.value, u.slope + v.slope}; }
SlopeValue Minus(SlopeValue u, SlopeValue v) { return {u.value - v.value, u.slope - v.slope}; }
SlopeValue Times(SlopeValue u, SlopeValue v) {
    return {u.value * v.value, u.slope * v.value + u.value * v.slope};
}
SlopeValue Divide(SlopeValue u, SlopeValue v) {
    long double quotient = u.value / v.value;
    return {quotient, (u.slope - quotient * v.slope) / v.value};
}
// A constant exponent needs no logarithm of the base, which may be negative;
// a square (in sums, the commonest power) no pow.
SlopeValue Power(SlopeValue u, SlopeValue v) {
    if (v.slope == 0 && v.value == 2) return {u.value * u.value, 2 * u.value * u.slope};
    SlopeValue power{std::pow(u.value, v.value), 0.0L};
    if (u.slope != 0) power.slope += v.value * std::pow(u.value, v.value - 1) * u.slope;
    if (v.slope != 0) power.slope += power.value * std::log(u.value) * v.slope;
    return power;
}
SlopeValue Sin(SlopeValue u, SlopeValue) {
    return {std::sin(u.value), std::cos(u.value) * u.slope};
}
SlopeValue Cos(SlopeValue u, SlopeValue) {
    return {std::cos(u.value), -std::sin(u.value) * u.slope};
}
SlopeValue Tan(SlopeValue u, SlopeValue) {
    long double tangent = std::tan(u.value);
    return {tangent, (1 + tangent * tangent) * u.slope};
}
SlopeValue Exp(SlopeValue u, SlopeValue) {
    long double power = std::exp(u.value);
    return {power, power * u.slope};
}
SlopeValue Log10(SlopeValue u, SlopeValue) {
    return {std::log10(u.value), u.slope / (u.value * LN10)};
}
SlopeValue Ln(SlopeValue u, SlopeValue) { return {std::log(u.value), u.slope / u.value}; }
// 0 where the argument is 0: |x| turns there.
SlopeValue Abs(SlopeValue u, SlopeValue) {
    return {std::fabs(u.value), u.value > 0 ? u.slope : u.value < 0 ? -u.slope : 0.0L};
}
SlopeValue Sqrt(SlopeValue u, SlopeValue) {
    long double root = std::sqrt(u.value);
    return {root, u.slope / (2 * root)};
}
// log(u, v): the logarithm of v to the base u.
SlopeValue LogBase(SlopeValue u, SlopeValue v) {
    long double base_log = std::log(u.value);
    long double quotient = std::log(v.value) / base_log;
    return {quotient, (v.slope / v.value - quotient * u.slope / u.value) / base_log};
}
SlopeValue Asin(SlopeValue u, SlopeValue) {
    return {std::asin(u.value), u.slope / std::sqrt(1 - u.value * u.value)};
}
SlopeValue Acos(SlopeValue u, SlopeValue) {
    return {std::acos(u.value), -u.slope / std::sqrt(1 - u.value * u.value)};
}
SlopeValue Atan(SlopeValue u, SlopeValue) {
    return {std::atan(u.value), u.slope / (1 + u.value * u.value)};
}
SlopeValue Sinh(SlopeValue u, SlopeValue) {
    return {std::sinh(u.value), std::cosh(u.value) * u.slope};
}
SlopeValue Cosh(SlopeValue u, SlopeValue) {
    return {std::cosh(u.value), std::sinh(u.value) * u.slope};
}
SlopeValue Tanh(SlopeValue u, SlopeValue) {
    long double tangent = std::tanh(u.value);
    return {tangent, (1 - tangent * tangent) * u.slope};
}

struct SlopeRuleEntry {
    int code;
    SlopeRule rule;
};
// A built-in function without a rule here leaves its formulas without a slope.
const SlopeRuleEntry SLOPE_RULES[] = {
    {OPR_PLUS, Plus},   {OPR_MINUS, Minus},      {OPR_TIMES, Times}, {OPR_DIVIDE, Divide},
    {OPR_POWER, Power}, {OPR_SIN, Sin},          {OPR_COS, Cos},     {OPR_TAN, Tan},
    {OPR_EXP, Exp},     {OPR_LOG10, Log10},      {OPR_LN, Ln},       {OPR_ABS, Abs},
    {OPR_SQRT, Sqrt},   {OPR_LOG_BASE, LogBase}, {OPR_ASIN, Asin},   {OPR_ACOS, Acos},
    {OPR_ATAN, Atan},   {OPR_SINH, Sinh},        {OPR_COSH, Cosh},   {OPR_TANH, Tanh},
};

int Builtin_Arity(int code) {
    for (const BuiltinFunction& entry : BUILTIN_FUNCTIONS)
        if (entry.code == code) return entry.arity;
    return -1;
}

bool Is_OperatorItem(const CompForm* node) {
    return node->kind == KIND_OPERATOR || node->kind == KIND_FUNCTION ||
           node->kind == KIND_MULTI_OPERATOR;
}
}  // namespace

SlopeProgram::SlopeProgram(CompForm* root, const double* varying, UsrFuncArray& ufunc_list)
    : varying_(varying), ufunc_list_(ufunc_list) {
    known_ = root != nullptr && Add_Operator(root, 0) && depth_ == 1;
    if (!known_) steps_.clear();
    stack_.resize(static_cast<size_t>(max_depth_));
}

bool SlopeProgram::Slope(long double* slope) {
    if (!known_) return false;
    size_t size = 0;
    for (size_t i = 0; i < steps_.size(); ++i) {
        const SlopeStep& step = steps_[i];
        switch (step.kind) {
        case SlopeStep::NUMBER: stack_[size++] = SlopeValue{step.number, 0.0L}; break;
        case SlopeStep::CELL: stack_[size++] = SlopeValue{*step.cell, 0.0L}; break;
        case SlopeStep::VARYING: stack_[size++] = SlopeValue{*step.cell, 1.0L}; break;
        case SlopeStep::ARGUMENT: stack_[size++] = stack_[static_cast<size_t>(step.count)]; break;
        case SlopeStep::RULE:
            if (step.count == 2) {
                --size;
                stack_[size - 1] = step.rule(stack_[size - 1], stack_[size]);
            } else {
                stack_[size - 1] = step.rule(stack_[size - 1], SlopeValue{0.0L, 0.0L});
            }
            break;
        case SlopeStep::RETURN:
            stack_[size - 1 - static_cast<size_t>(step.count)] = stack_[size - 1];
            size -= static_cast<size_t>(step.count);
            break;
        case SlopeStep::SUM_BEGIN:
            stack_[size++] = SlopeValue{0.0L, 0.0L};
            stack_[size++] = SlopeValue{step.number, 0.0L};
            if (step.number > step.last) i = static_cast<size_t>(step.jump) - 1;
            break;
        case SlopeStep::SUM_NEXT: {
            SlopeValue term = stack_[--size];
            stack_[size - 2].value += term.value;
            stack_[size - 2].slope += term.slope;
            if (++stack_[size - 1].value <= step.last) i = static_cast<size_t>(step.jump) - 1;
            break;
        }
        case SlopeStep::SUM_END: --size; break;
        }
    }
    *slope = stack_[0].slope;
    return !std::isnan(*slope);
}

// As the evaluator takes a node: by its operator code, an operand where it has none.
bool SlopeProgram::Add_Operator(CompForm* node, int depth) {
    if (depth > SLOPE_DEPTH_LIMIT) return false;
    int code = node->operator_kind;
    if (code == OPR_NONE) return !Is_OperatorItem(node) && Add_Operand(node, depth);
    if (Is_BinaryOperator(code))
        return Add_Operand(node->left, depth + 1) && Add_Operand(node->right, depth + 1) &&
               Add_Rule(code, 2);
    if (code == OPR_SIGMA) return Add_Sum(node, depth);
    if (!Is_BuiltinFunction(code)) return false;
    int arity = node->argm_num;
    if (arity != Builtin_Arity(code)) return false;
    for (int i = 0; i < arity; ++i)
        if (!Add_Operand(node->list_fnarg[i], depth + 1)) return false;
    return Add_Rule(code, arity);
}

// As the evaluator takes an operand: by its item kind.
bool SlopeProgram::Add_Operand(CompForm* node, int depth) {
    if (node == nullptr || steps_.size() > SLOPE_STEP_LIMIT) return false;
    if (Is_OperatorItem(node)) return Add_Operator(node, depth);
    if (node->kind == KIND_USER_FUNCTION) return Add_Call(node, depth);
    SlopeStep step{SlopeStep::NUMBER, 0.0L, nullptr, nullptr, 0, 0, 0.0L};
    if (node->kind == KIND_NUMBER) {
        double number = 0.0;
        C_To_Double(node->CompArray, &number);
        step.number = number;
    } else if (node->kind == KIND_VARIABLE && node->argm_num == -1) {
        // A sum's index, the innermost of its name; one bound nowhere reads 0.
        for (const Binding& index : indices_) {
            if (std::strcmp(index.name, node->CompArray) != 0) continue;
            step.kind = SlopeStep::ARGUMENT;
            step.count = index.slot;
        }
    } else if (node->kind == KIND_VARIABLE && node->number_source != nullptr) {
        step.cell = static_cast<const double*>(node->number_source);
        step.kind = step.cell == varying_ ? SlopeStep::VARYING : SlopeStep::CELL;
        if (Is_ArgumentName(node->CompArray)) {
            step.kind = SlopeStep::ARGUMENT;
            step.count = -1;
            for (const Binding& argument : arguments_)
                if (argument.cell == step.cell) step.count = argument.slot;
            if (step.count < 0) return false;  // written by whichever call ran last
        }
    } else {
        return false;
    }
    Add_Step(step, 1);
    return true;
}

// The arguments into slots, the definition reading them there (and no index
// of the sums around), then its value in the first argument's place.
bool SlopeProgram::Add_Call(CompForm* node, int depth) {
    CompForm* definition = ufunc_list_[node->CompArray];
    int count = node->argm_num > 0 ? node->argm_num : 0;
    if (definition == nullptr) return false;
    std::vector<Binding> arguments;
    for (int i = 0; i < count; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "a%d", i);
        arguments.push_back(Binding{&ufunc_argArray[name], nullptr, depth_});
        if (!Add_Operand(node->list_fnarg[i], depth + 1)) return false;
    }
    std::vector<Binding> indices;
    arguments_.swap(arguments);
    indices_.swap(indices);
    bool known = Add_Operator(definition, depth + 1);
    arguments_.swap(arguments);
    indices_.swap(indices);
    if (!known) return false;
    Add_Step(SlopeStep{SlopeStep::RETURN, 0.0L, nullptr, nullptr, count, 0, 0.0L}, -count);
    return true;
}

// Bounds as the evaluator takes them; a summand that does not read the index
// once, times the count.
bool SlopeProgram::Add_Sum(CompForm* node, int depth) {
    char index_name[ITEM_TEXT_SIZE];
    double min_value = 0.0;
    double max_value = 0.0;
    auto fits_int = [](double bound) { return bound > -2147483649.0 && bound < 2147483648.0; };
    if (!Get_VariableRange(node->left, index_name, ITEM_TEXT_SIZE, &min_value, &max_value) ||
        !fits_int(min_value) || !fits_int(max_value) || node->right == nullptr)
        return false;
    long double first = static_cast<int>(min_value);
    long double last = static_cast<int>(max_value);
    if (!SerchRight_Var(node, index_name, '[', ']')) {
        if (!Add_Operand(node->right, depth + 1)) return false;
        Add_Step(SlopeStep{SlopeStep::NUMBER, last - first + 1, nullptr, nullptr, 0, 0, 0.0L}, 1);
        return Add_Rule(OPR_TIMES, 2);
    }
    long double outer_terms = terms_;
    terms_ *= std::max(last - first + 1, 1.0L);
    if (terms_ > SLOPE_TERM_LIMIT) return false;
    size_t begin = steps_.size();
    Add_Step(SlopeStep{SlopeStep::SUM_BEGIN, first, nullptr, nullptr, 0, 0, last}, 2);
    indices_.push_back(Binding{nullptr, index_name, depth_ - 1});
    bool known = Add_Operand(node->right, depth + 1);
    indices_.pop_back();
    terms_ = outer_terms;
    if (!known) return false;
    Add_Step(SlopeStep{SlopeStep::SUM_NEXT, 0.0L, nullptr, nullptr, 0, static_cast<int>(begin) + 1,
                       last},
             -1);
    steps_[begin].jump = static_cast<int>(steps_.size());
    Add_Step(SlopeStep{SlopeStep::SUM_END, 0.0L, nullptr, nullptr, 0, 0, 0.0L}, -1);
    return true;
}

bool SlopeProgram::Add_Rule(int code, int arity) {
    for (const SlopeRuleEntry& entry : SLOPE_RULES) {
        if (entry.code != code) continue;
        Add_Step(SlopeStep{SlopeStep::RULE, 0.0L, nullptr, entry.rule, arity, 0, 0.0L}, 1 - arity);
        return true;
    }
    return false;
}

void SlopeProgram::Add_Step(const SlopeStep& step, int pushed) {
    steps_.push_back(step);
    depth_ += pushed;
    if (depth_ > max_depth_) max_depth_ = depth_;
}
