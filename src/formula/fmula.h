// Formula items, argument slots, analysis errors, and the table of operators
// and built-in functions with their numeric routines.
#ifndef KANSU_FMULA_H
#define KANSU_FMULA_H

struct CompForm;

// Argument slots of a function item. Owns the pointer array, never the items.
class CFList {
public:
    int element_num;
    CompForm** CompList;

    CFList();
    explicit CFList(int num_elem);
    CFList(const CFList& the_source);
    ~CFList();
    int DelElement();
    CFList& operator=(const CFList& the_source);
    // Out-of-range indexes reach a shared spare slot that always reads as null.
    CompForm*& operator[](int index);

private:
    static CompForm* the_dummy;
};

// Item kinds
enum {
    KIND_OPERATOR = 1,
    KIND_VARIABLE = 2,
    KIND_OPEN_PAR = 3,
    KIND_CLOSE_PAR = 4,
    KIND_NUMBER = 5,
    KIND_CLOSE_BRK = 6,
    KIND_OPEN_BRK = 7,
    KIND_FUNCTION = 8,
    KIND_USER_FUNCTION = 9,
    KIND_MULTI_OPERATOR = 10,
    KIND_SEPARATOR = 11,
    KIND_SUM_RANGE = 12
};

const int ITEM_TEXT_SIZE = 256;

// One formula item; after tree building also one tree node.
struct CompForm {
    char CompArray[ITEM_TEXT_SIZE];
    int kind;
    int argm_num;
    int operator_kind;
    CFList list_fnarg;
    void* number_source;
    CompForm* left;
    CompForm* right;

    CompForm();
    CompForm(const CompForm& the_source);
    CompForm& operator=(const CompForm& the_source);

    void Initialize();
    int GetSuperior();
    void SetOperatorKind();
    int SetOperatorFunc();
    int SetMltOperator();
};

struct ErrorInfo {
    int formula_position;
    int error_kind;  // 0 no formula, 1 not a formula, 2 item array full
};

int Is_Operator(int letter);
void Initialize_CompForm(CompForm* the_formlist, int elem_number);
void Set_ErrorInfo(ErrorInfo* the_error, int position, int kind);

// Operator codes, as stored in an item's operator_kind: the binary operators,
// then the built-in functions (both index OprFun), then sigma, which has no
// routine. -1 marks an item that is no operator.
enum OperatorCode {
    OPR_NONE = -1,
    OPR_PLUS = 0,
    OPR_MINUS = 1,
    OPR_TIMES = 2,
    OPR_DIVIDE = 3,
    OPR_POWER = 4,
#define KANSU_BUILTIN(name, code, number, arity, routine, help) code = number,
#include "formula/builtins.def"
#undef KANSU_BUILTIN
    OPR_SIGMA = 20
};
// Saved items and the tests keep the numbers themselves.
static_assert(OPR_POWER == 4 && OPR_SIN == 5 && OPR_SQRT == 18 && OPR_LOG_BASE == 19 &&
                  OPR_SIGMA == 20,
              "operator codes are part of the item format");
const int OPR_TABLE_SIZE = OPR_SIGMA;
const int BINARY_OPERATOR_COUNT = OPR_POWER + 1;

inline bool Is_BinaryOperator(int code) { return code >= OPR_PLUS && code <= OPR_POWER; }
inline bool Is_BuiltinFunction(int code) { return code >= OPR_SIN && code <= OPR_LOG_BASE; }

typedef double (*OprFunction)(double* the_term);

// One built-in function as formula/builtins.def lists it.
struct BuiltinFunction {
    const char* name;
    OperatorCode code;
    int arity;
    OprFunction routine;
};
const int BUILTIN_FUNCTION_COUNT = 0
#define KANSU_BUILTIN(name, code, number, arity, routine, help) +1
#include "formula/builtins.def"
#undef KANSU_BUILTIN
    ;
extern const BuiltinFunction BUILTIN_FUNCTIONS[BUILTIN_FUNCTION_COUNT];
extern OprFunction OprFun[OPR_TABLE_SIZE];
extern int regis_function;

void Set_Operator_Function();

double Num_Plus_func(double* the_term);
double Num_Minus_function(double* the_term);
double Num_Multi_function(double* the_term);
double Num_Divide_function(double* the_term);
double Num_Power_function(double* the_term);
double Num_Sin_function(double* the_term);
double Num_Cos_function(double* the_term);
double Num_Tan_function(double* the_term);
double Num_Exp_function(double* the_term);
double Num_Log_function(double* the_term);
double Num_Ln_function(double* the_term);
double Num_Abs_function(double* the_term);
double Num_Asin_function(double* the_term);
double Num_Acos_function(double* the_term);
double Num_Atan_function(double* the_term);
double Num_Hsin_function(double* the_term);
double Num_Hcos_function(double* the_term);
double Num_Htan_function(double* the_term);
double Num_Sqrt_function(double* the_term);
double Num_LogA_function(double* the_term);

// Converts a decimal number text; 1 when the whole text is that number.
int C_To_Double(const char* the_char, double* the_double);

#endif
