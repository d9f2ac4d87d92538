#include "formula/fmula.h"
#include "text/textchar.h"
#include "formula/trigreduce.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

CompForm* CFList::the_dummy = nullptr;

CFList::CFList() : element_num(0), CompList(nullptr) {}

CFList::CFList(int num_elem) : element_num(0), CompList(nullptr) {
    if (num_elem < 1) return;
    CompList = new CompForm*[num_elem]();
    element_num = num_elem;
}

CFList::CFList(const CFList& the_source) : element_num(0), CompList(nullptr) { *this = the_source; }

CFList::~CFList() { DelElement(); }

int CFList::DelElement() {
    if (CompList == nullptr) return 0;
    delete[] CompList;
    CompList = nullptr;
    element_num = 0;
    return 1;
}

CFList& CFList::operator=(const CFList& the_source) {
    if (this == &the_source) return *this;
    DelElement();
    if (the_source.element_num > 0) {
        CompList = new CompForm*[the_source.element_num];
        element_num = the_source.element_num;
        for (int i = 0; i < element_num; ++i) CompList[i] = the_source.CompList[i];
    }
    return *this;
}

CompForm*& CFList::operator[](int index) {
    if (index >= 0 && index < element_num) return CompList[index];
    the_dummy = nullptr;
    return the_dummy;
}

// The text is an empty one; the bytes after its end are never read, so
// neither making nor copying an item touches more of the buffer than its text.
CompForm::CompForm()
    : kind(0),
      argm_num(1),
      operator_kind(-1),
      list_fnarg(),
      number_source(nullptr),
      left(nullptr),
      right(nullptr) {
    CompArray[0] = '\0';
}

namespace {
void Copy_Text(char* target, const char* source) {
    size_t length = strnlen(source, ITEM_TEXT_SIZE - 1);
    std::memcpy(target, source, length);
    target[length] = '\0';
}
}  // namespace

CompForm::CompForm(const CompForm& the_source)
    : kind(the_source.kind),
      argm_num(the_source.argm_num),
      operator_kind(the_source.operator_kind),
      list_fnarg(the_source.list_fnarg),
      number_source(the_source.number_source),
      left(the_source.left),
      right(the_source.right) {
    Copy_Text(CompArray, the_source.CompArray);
}

CompForm& CompForm::operator=(const CompForm& the_source) {
    if (this == &the_source) return *this;
    Copy_Text(CompArray, the_source.CompArray);
    kind = the_source.kind;
    argm_num = the_source.argm_num;
    operator_kind = the_source.operator_kind;
    list_fnarg = the_source.list_fnarg;
    number_source = the_source.number_source;
    left = the_source.left;
    right = the_source.right;
    return *this;
}

void CompForm::Initialize() {
    argm_num = 1;
    operator_kind = OPR_NONE;
    list_fnarg.DelElement();
    number_source = nullptr;
    left = nullptr;
    right = nullptr;
}

int CompForm::GetSuperior() {
    switch (CompArray[0]) {
    case '+':
    case '-': return 1;
    case '*': return 2;
    case '/': return 3;
    case '^': return 4;
    default: return 0;
    }
}

void CompForm::SetOperatorKind() {
    switch (CompArray[0]) {
    case '+': operator_kind = OPR_PLUS; break;
    case '-': operator_kind = OPR_MINUS; break;
    case '*': operator_kind = OPR_TIMES; break;
    case '/': operator_kind = OPR_DIVIDE; break;
    case '^': operator_kind = OPR_POWER; break;
    default: operator_kind = OPR_NONE; break;
    }
}

const BuiltinFunction BUILTIN_FUNCTIONS[BUILTIN_FUNCTION_COUNT] = {
#define KANSU_BUILTIN(name, code, number, arity, routine, help) {#name, code, arity, routine},
#include "formula/builtins.def"
#undef KANSU_BUILTIN
};

int CompForm::SetOperatorFunc() {
    for (const BuiltinFunction& entry : BUILTIN_FUNCTIONS) {
        if (std::strcmp(CompArray, entry.name) == 0) {
            operator_kind = entry.code;
            list_fnarg = CFList(entry.arity);
            return entry.arity;
        }
    }
    return 0;
}

int CompForm::SetMltOperator() {
    if (std::strcmp(CompArray, "sigma") != 0) return 0;
    operator_kind = OPR_SIGMA;
    return 2;
}

int Is_Operator(int letter) {
    return letter == '+' || letter == '-' || letter == '*' || letter == '/' || letter == '^';
}

void Initialize_CompForm(CompForm* the_formlist, int elem_number) {
    for (int i = 0; i < elem_number; ++i) the_formlist[i].Initialize();
}

void Set_ErrorInfo(ErrorInfo* the_error, int position, int kind) {
    the_error->formula_position = position;
    the_error->error_kind = kind;
}

OprFunction OprFun[OPR_TABLE_SIZE];
int regis_function = 0;

double Num_Plus_func(double* t) { return t[0] + t[1]; }
double Num_Minus_function(double* t) { return t[0] - t[1]; }
double Num_Multi_function(double* t) { return t[0] * t[1]; }
double Num_Divide_function(double* t) { return t[0] / t[1]; }
double Num_Power_function(double* t) { return std::pow(t[0], t[1]); }
double Num_Sin_function(double* t) { return Reduced_Sin(t[0]); }
double Num_Cos_function(double* t) { return Reduced_Cos(t[0]); }
double Num_Tan_function(double* t) { return Reduced_Tan(t[0]); }
double Num_Exp_function(double* t) { return std::exp(t[0]); }
double Num_Log_function(double* t) { return std::log10(t[0]); }
double Num_Ln_function(double* t) { return std::log(t[0]); }
double Num_Abs_function(double* t) { return std::fabs(t[0]); }
double Num_Asin_function(double* t) { return std::asin(t[0]); }
double Num_Acos_function(double* t) { return std::acos(t[0]); }
double Num_Atan_function(double* t) { return std::atan(t[0]); }
double Num_Hsin_function(double* t) { return std::sinh(t[0]); }
double Num_Hcos_function(double* t) { return std::cosh(t[0]); }
double Num_Htan_function(double* t) { return std::tanh(t[0]); }
double Num_Sqrt_function(double* t) { return std::sqrt(t[0]); }
double Num_LogA_function(double* t) {
    double base_log = std::log(t[0]);
    return std::log(t[1]) / base_log;
}

void Set_Operator_Function() {
    if (regis_function != 0) return;
    regis_function = 1;
    OprFun[OPR_PLUS] = Num_Plus_func;
    OprFun[OPR_MINUS] = Num_Minus_function;
    OprFun[OPR_TIMES] = Num_Multi_function;
    OprFun[OPR_DIVIDE] = Num_Divide_function;
    OprFun[OPR_POWER] = Num_Power_function;
    for (const BuiltinFunction& entry : BUILTIN_FUNCTIONS) OprFun[entry.code] = entry.routine;
}

namespace {
bool Is_Digit(char letter) { return letter >= '0' && letter <= '9'; }

// Length of the decimal number at the start of text (after blanks), 0 when there is none.
// Only plain decimal notation counts: no "inf", "nan" or hexadecimal forms.
size_t Decimal_Prefix(const char* text) {
    size_t pos = 0;
    while (Is_TextBlank(static_cast<unsigned char>(text[pos]))) ++pos;
    if (text[pos] == '+' || text[pos] == '-') ++pos;
    size_t digits = 0;
    while (Is_Digit(text[pos])) {
        ++pos;
        ++digits;
    }
    if (text[pos] == '.') {
        ++pos;
        while (Is_Digit(text[pos])) {
            ++pos;
            ++digits;
        }
    }
    if (digits == 0) return 0;
    if (text[pos] == 'e' || text[pos] == 'E') {
        size_t exp_pos = pos + 1;
        if (text[exp_pos] == '+' || text[exp_pos] == '-') ++exp_pos;
        if (Is_Digit(text[exp_pos])) {
            while (Is_Digit(text[exp_pos])) ++exp_pos;
            pos = exp_pos;
        }
    }
    return pos;
}
}  // namespace

int C_To_Double(const char* the_char, double* the_double) {
    size_t length = Decimal_Prefix(the_char);
    if (length == 0) {
        *the_double = 0.0;
        return the_char[0] == '\0' ? 1 : 0;
    }
    std::string number(the_char, length);
    *the_double = std::strtod(number.c_str(), nullptr);
    return the_char[length] == '\0' ? 1 : 0;
}
