#include "eval/evalslope.h"

#include <cmath>

namespace {
// Deeper trees than the formula line can write are not taken.
const int SLOPE_DEPTH_LIMIT = 512;
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
// A constant exponent needs no logarithm of the base, which may be negative.
SlopeValue Power(SlopeValue u, SlopeValue v) {
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

SlopeProgram::SlopeProgram(CompForm* root, const double* varying) : varying_(varying) {
    known_ = root != nullptr && Add_Operator(root, 0) && depth_ == 1;
    if (!known_) steps_.clear();
    stack_.resize(static_cast<size_t>(max_depth_));
}

bool SlopeProgram::Slope(long double* slope) {
    if (!known_) return false;
    size_t size = 0;
    for (const SlopeStep& step : steps_) {
        switch (step.kind) {
        case SlopeStep::NUMBER: stack_[size++] = SlopeValue{step.number, 0.0L}; break;
        case SlopeStep::CELL: stack_[size++] = SlopeValue{*step.cell, 0.0L}; break;
        case SlopeStep::VARYING: stack_[size++] = SlopeValue{*step.cell, 1.0L}; break;
        case SlopeStep::RULE:
            if (step.arity == 2) {
                --size;
                stack_[size - 1] = step.rule(stack_[size - 1], stack_[size]);
            } else {
                stack_[size - 1] = step.rule(stack_[size - 1], SlopeValue{0.0L, 0.0L});
            }
            break;
        }
    }
    *slope = stack_[0].slope;
    return std::isfinite(*slope);
}

// As the evaluator takes a node: by its operator code, an operand where it has none.
bool SlopeProgram::Add_Operator(CompForm* node, int depth) {
    if (depth > SLOPE_DEPTH_LIMIT) return false;
    int code = node->operator_kind;
    if (code == OPR_NONE) return !Is_OperatorItem(node) && Add_Operand(node, depth);
    if (Is_BinaryOperator(code))
        return Add_Operand(node->left, depth + 1) && Add_Operand(node->right, depth + 1) &&
               Add_Rule(code, 2);
    if (!Is_BuiltinFunction(code)) return false;  // a sum
    int arity = node->argm_num;
    if (arity != Builtin_Arity(code)) return false;
    for (int i = 0; i < arity; ++i)
        if (!Add_Operand(node->list_fnarg[i], depth + 1)) return false;
    return Add_Rule(code, arity);
}

// As the evaluator takes an operand: by its item kind.
bool SlopeProgram::Add_Operand(CompForm* node, int depth) {
    if (node == nullptr) return false;
    if (Is_OperatorItem(node)) return Add_Operator(node, depth);
    SlopeStep step{SlopeStep::NUMBER, 0.0L, nullptr, nullptr, 0};
    if (node->kind == KIND_NUMBER) {
        double number = 0.0;
        C_To_Double(node->CompArray, &number);
        step.number = number;
    } else if (node->kind == KIND_VARIABLE && node->argm_num != -1 &&
               node->number_source != nullptr) {
        step.cell = static_cast<const double*>(node->number_source);
        step.kind = step.cell == varying_ ? SlopeStep::VARYING : SlopeStep::CELL;
    } else {
        return false;  // a call of a user function, an index of a sum
    }
    steps_.push_back(step);
    if (++depth_ > max_depth_) max_depth_ = depth_;
    return true;
}

bool SlopeProgram::Add_Rule(int code, int arity) {
    for (const SlopeRuleEntry& entry : SLOPE_RULES) {
        if (entry.code != code) continue;
        steps_.push_back(SlopeStep{SlopeStep::RULE, 0.0L, nullptr, entry.rule, arity});
        depth_ -= arity - 1;
        return true;
    }
    return false;
}
