#include "formula/fmulaopfc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "userfunc/usrfunc.h"
#include "formula/varinput.h"

int current_number = 0;
int opn_count = 0;

namespace {

// Size of the pending-token buffer and of the argument texts.
const int TEXT_BUFFER = 256;
const int MAX_TOKEN_LENGTH = TEXT_BUFFER - 1;

// Main states: the handler that receives the next character.
enum {
    ST_INITIAL = 0,
    ST_OPERATOR = 1,
    ST_OPERAND = 2,
    ST_OPEN_PAR = 3,
    ST_CLOSE_PAR = 4,
    ST_NUMBER = 5,
    ST_CLOSE_BRK = 6,
    ST_OPEN_BRK = 7,
    STATE_COUNT = 7
};

// Number sub-states.
enum {
    NUM_MANTISSA = 1,
    NUM_DOT = 3,
    NUM_EXPONENT = 4,
    NUM_SIGN = 5,
    NUM_DECIMAL = 6,
    NUM_POWNUM = 7
};

// Items that the array of the running analysis really holds; no write goes past it.
int item_capacity = 0;
// Room left in the enclosing array for the nested analysis about to start; -1 when the
// next analysis is not nested and its array holds exactly its capacity.
int nested_room = -1;
// Set when an item could not be written because the array of the running analysis is full.
bool array_full = false;

// Sets the room of one analysis and gives the enclosing one its own back on return.
// A nested analysis may hold more items than its capacity for a moment (the capacity
// check runs after each character), so its room is what the enclosing array has left.
class Capacity_Scope {
public:
    explicit Capacity_Scope(int elem_number) : saved_capacity(item_capacity) {
        item_capacity = nested_room >= 0 ? nested_room : std::max(elem_number, 0);
        nested_room = -1;
        array_full = false;
    }
    ~Capacity_Scope() { item_capacity = saved_capacity; }
    Capacity_Scope(const Capacity_Scope&) = delete;
    Capacity_Scope& operator=(const Capacity_Scope&) = delete;

private:
    int saved_capacity;
};

// Character classes: plain ASCII, so bytes of 0x80 and above belong to none.
bool Is_Sign(int letter) { return letter == '+' || letter == '-'; }
bool Is_Letter(int letter) {
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}
bool Is_Digit(int letter) { return letter >= '0' && letter <= '9'; }
bool Is_NonZeroDigit(int letter) { return letter >= '1' && letter <= '9'; }
bool Is_ExponentMark(int letter) { return letter == 'e' || letter == 'E'; }

void Copy_ItemText(char* item_text, const char* source) {
    int length = 0;
    for (; length < ITEM_TEXT_SIZE - 1 && source[length] != '\0'; ++length)
        item_text[length] = source[length];
    item_text[length] = '\0';
}

void Set_OneCharacter(char* array, int letter, int* position) {
    array[0] = static_cast<char>(letter);
    array[1] = '\0';
    *position = 1;
}

void Terminate_Pending(char* temp_array, const int* pos_array) { temp_array[*pos_array] = '\0'; }

// Writes the last item: the text at current_number, which is not advanced.
// Refuses when the array is full.
int Make_ListEnd(CompForm* the_frm, const char* array, int num_kind) {
    if (current_number >= item_capacity) {
        array_full = true;
        return 0;
    }
    CompForm& item = the_frm[current_number];
    Copy_ItemText(item.CompArray, array);
    item.kind = num_kind;
    return 1;
}

int Make_ListArray(CompForm* the_frm, const char* array, int* position, int num_kind) {
    if (!Make_ListEnd(the_frm, array, num_kind)) return 0;
    ++current_number;
    *position = 0;
    return 1;
}

int Write_Separator(CompForm* the_list) {
    if (!Make_ListEnd(the_list, ",", KIND_SEPARATOR)) return 0;
    ++current_number;
    return 1;
}

void React_Operator(int letter, char* temp_array, int* pos_array, int* state) {
    Set_OneCharacter(temp_array, letter, pos_array);
    *state = ST_OPERATOR;
}

void React_OpenPar(char* temp_array, int* pos_array, int* state) {
    Set_OneCharacter(temp_array, '(', pos_array);
    *state = ST_OPEN_PAR;
    ++opn_count;
}

int React_ClosePar(char* temp_array, int* pos_array, int* state) {
    Set_OneCharacter(temp_array, ')', pos_array);
    *state = ST_CLOSE_PAR;
    --opn_count;
    return opn_count >= 0 ? 1 : 0;
}

void React_OpenBrk(char* temp_array, int* pos_array, int* state) {
    Set_OneCharacter(temp_array, '[', pos_array);
    *state = ST_OPEN_BRK;
}

void React_CloseBrk(char* temp_array, int* pos_array, int* state) {
    Set_OneCharacter(temp_array, ']', pos_array);
    *state = ST_CLOSE_BRK;
}

// Appends to the name or number being read; one that outgrows the buffer is refused.
int React_Alnum(int letter, char* temp_array, int* pos_array, int* state) {
    if (*pos_array >= MAX_TOKEN_LENGTH) return 0;
    temp_array[(*pos_array)++] = static_cast<char>(letter);
    *state = ST_OPERAND;
    return 1;
}

// A leading sign is read as 0 followed by the sign.
int React_SngOperator(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                      int* state) {
    if (!Make_ListEnd(the_list, "0", KIND_NUMBER)) return 0;
    ++current_number;
    React_Operator(letter, temp_array, pos_array, state);
    return 1;
}

void Mark_Summation(CompForm& variable_item, AscArray<double>& sumv_list) {
    if (sumv_list(variable_item.CompArray)) variable_item.argm_num = -1;
}

int Flush_Variable(CompForm* the_list, char* temp_array, int* pos_array,
                   AscArray<double>& sumv_list) {
    Terminate_Pending(temp_array, pos_array);
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_VARIABLE)) return 0;
    Mark_Summation(the_list[current_number - 1], sumv_list);
    return 1;
}

int Begin_Number(int letter, char* temp_array, int* pos_array, int* state, int* state_inter) {
    if (!React_Alnum(letter, temp_array, pos_array, state)) return 0;
    *state_inter = NUM_MANTISSA;
    *state = ST_NUMBER;
    return 1;
}

// What may start a term after an operator, "(" or at the start: "(", a name or a number.
int Begin_Term(int letter, char* temp_array, int* pos_array, int* state, int* state_inter) {
    if (letter == '(') {
        React_OpenPar(temp_array, pos_array, state);
        return 1;
    }
    if (Is_Letter(letter)) return React_Alnum(letter, temp_array, pos_array, state);
    if (Is_Digit(letter)) return Begin_Number(letter, temp_array, pos_array, state, state_inter);
    return 0;
}

// Analyses one argument text into the items from current_number on. Its capacity is its
// length; its writes stay inside the room left in the array, and running out of that
// room is the array being full, not a malformed argument.
int Analyse_Argument(const char* argument, CompForm* the_list, ErrorInfo* the_error,
                     AscArray<double>& sumv_list) {
    int text_length = static_cast<int>(std::strlen(argument));
    nested_room = std::max(item_capacity - current_number, 0);
    int result =
        Analysis_Formula(the_list + current_number, text_length, argument, the_error, sumv_list);
    array_full = result == 0 && array_full;
    return result;
}

// Room for one argument or sigma body cut out of a formula: as long as the whole
// text, and never less than a typed line. A definition stored in a save file is
// rebuilt with a 0 before each opening sign, so its arguments may be longer than
// the line they were typed on, and must still analyse when loaded back.
class ArgumentBuffer {
public:
    explicit ArgumentBuffer(const char* formula)
        : buffer_(std::max(std::strlen(formula) + 1, static_cast<size_t>(TEXT_BUFFER))) {}
    char* text() { return buffer_.data(); }
    int size() const { return static_cast<int>(buffer_.size()); }

private:
    std::vector<char> buffer_;
};

int Handle_For_MultArgFunc(const char* formula, int* pos_formula, CompForm* the_list,
                           ErrorInfo* the_error, char* temp_array, int* pos_array, int* state_input,
                           int func_kind, AscArray<double> sumv_list) {
    ArgumentBuffer former_arg(formula);
    ArgumentBuffer letter_arg(formula);
    int st_position = *pos_formula;
    int int_position = st_position;
    int current_temp = current_number;
    int opn_temp_count = opn_count;
    for (int the_roop = 0; the_roop < func_kind - 1; ++the_roop) {
        if (!Get_Argument(formula, &st_position, former_arg.text(), former_arg.size(), '(', ')',
                          '[', ']')) {
            *pos_formula = int_position;
            return 0;
        }
        opn_temp_count = opn_count;
        if (!Analyse_Argument(former_arg.text(), the_list, the_error, sumv_list)) {
            *pos_formula = int_position + the_error->formula_position + 1;
            return 0;
        }
        current_number = current_temp + current_number + 1;
        opn_count = opn_temp_count;
        if (!Write_Separator(the_list)) {
            *pos_formula = st_position + 1;
            return 0;
        }
        current_temp = current_number;
        ++st_position;
        int_position = st_position;
    }
    if (!Get_EndArgument(formula, &st_position, letter_arg.text(), letter_arg.size(), '(', ')')) {
        *pos_formula = int_position;
        return 0;
    }
    if (!Analyse_Argument(letter_arg.text(), the_list, the_error, sumv_list)) {
        *pos_formula = int_position + the_error->formula_position + 1;
        return 0;
    }
    current_number = current_temp + current_number + 1;
    opn_count = opn_temp_count;
    *pos_formula = st_position + 1;
    return React_ClosePar(temp_array, pos_array, state_input);
}

int Handle_For_MultArgOprt(const char* formula, int* pos_formula, CompForm* the_list,
                           ErrorInfo* the_error, char* temp_array, int* pos_array, int* state_input,
                           AscArray<double> sumv_list) {
    char former_arg[TEXT_BUFFER];  // the range becomes one item, so it must fit an item text
    ArgumentBuffer letter_arg(formula);
    int st_position = *pos_formula;
    int opn_temp_count = opn_count;
    if (!Get_Argument(formula, &st_position, former_arg, TEXT_BUFFER, '[', ']', '(', ')')) return 0;
    array_full = current_number >= item_capacity;
    if (array_full || Make_LArgList(former_arg, the_list, sumv_list) != 1) {
        *pos_formula = st_position;
        return 0;
    }
    if (!Write_Separator(the_list)) {
        *pos_formula = st_position + 1;
        return 0;
    }
    ++st_position;
    int body_start = st_position;
    if (!Get_EndArgument(formula, &st_position, letter_arg.text(), letter_arg.size(), '[', ']')) {
        *pos_formula = body_start;
        return 0;
    }
    int body_first = current_number;
    if (!Analyse_Argument(letter_arg.text(), the_list, the_error, sumv_list)) {
        *pos_formula = body_start + the_error->formula_position + 1;
        return 0;
    }
    current_number = body_first + current_number + 1;
    opn_count = opn_temp_count;
    *pos_formula = st_position + 1;
    React_CloseBrk(temp_array, pos_array, state_input);
    return 1;
}

// A user function registered without arguments is called as name(): the "(" item is
// written and ")" is left pending. Anything else after the "(" is refused at that character.
int Handle_For_NoArgFunc(CompForm* the_list, char* temp_array, int* pos_array, int* state,
                         const char* formula, int* pos_formula) {
    if (formula[*pos_formula] != ')') {
        ++*pos_formula;
        return 0;
    }
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_OPEN_PAR)) return 0;
    ++*pos_formula;
    return React_ClosePar(temp_array, pos_array, state);
}

// The pending name is followed by "(": a built-in or defined user function.
int Handle_For_FuncCall(CompForm* the_list, char* temp_array, int* pos_array, int* state,
                        const char* formula, int* pos_formula, ErrorInfo* the_error,
                        AscArray<double>& sumv_list) {
    Terminate_Pending(temp_array, pos_array);
    int func_index = current_number;
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_FUNCTION)) return 0;
    CompForm& func_item = the_list[func_index];
    int arity = func_item.SetOperatorFunc();
    if (arity == 0) {
        if (g_ufunc_list(func_item.CompArray) != 2) return 0;
        arity = g_ufunc_list.PutArgNum(func_item.CompArray);
        func_item.kind = KIND_USER_FUNCTION;
        func_item.list_fnarg = CFList(arity);
        if (arity == 0) func_item.argm_num = 0;
    }
    React_OpenPar(temp_array, pos_array, state);
    if (arity == 0)
        return Handle_For_NoArgFunc(the_list, temp_array, pos_array, state, formula, pos_formula);
    if (arity < 2) return 1;
    func_item.argm_num = arity;
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_OPEN_PAR)) return 0;
    return Handle_For_MultArgFunc(formula, pos_formula, the_list, the_error, temp_array, pos_array,
                                  state, arity, sumv_list);
}

// The pending name is followed by "[": only sigma may be.
int Handle_For_SigmaCall(CompForm* the_list, char* temp_array, int* pos_array, int* state,
                         const char* formula, int* pos_formula, ErrorInfo* the_error,
                         AscArray<double>& sumv_list) {
    Terminate_Pending(temp_array, pos_array);
    int sigma_index = current_number;
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_MULTI_OPERATOR)) return 0;
    if (the_list[sigma_index].SetMltOperator() == 0) return 0;
    React_OpenBrk(temp_array, pos_array, state);
    the_list[sigma_index].argm_num = 2;
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_OPEN_BRK)) return 0;
    return Handle_For_MultArgOprt(formula, pos_formula, the_list, the_error, temp_array, pos_array,
                                  state, sumv_list);
}

int Handle_For_Initial(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                       int* state_inter, const char*, int*, ErrorInfo*, AscArray<double>&) {
    if (Is_Sign(letter)) return React_SngOperator(letter, the_list, temp_array, pos_array, state);
    return Begin_Term(letter, temp_array, pos_array, state, state_inter);
}

int Handle_For_Operator(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                        int* state, int* state_inter, const char*, int*, ErrorInfo*,
                        AscArray<double>&) {
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_OPERATOR)) return 0;
    the_list[current_number - 1].SetOperatorKind();
    return Begin_Term(letter, temp_array, pos_array, state, state_inter);
}

int Handle_For_Operand(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                       int* state_inter, const char* formula, int* pos_formula,
                       ErrorInfo* the_error, AscArray<double>& sumv_list) {
    *state_inter = 0;
    if (Is_Operator(letter)) {
        if (!Flush_Variable(the_list, temp_array, pos_array, sumv_list)) return 0;
        React_Operator(letter, temp_array, pos_array, state);
        return 1;
    }
    if (Is_Letter(letter) || Is_Digit(letter))
        return React_Alnum(letter, temp_array, pos_array, state);
    if (letter == ')') {
        if (!Flush_Variable(the_list, temp_array, pos_array, sumv_list)) return 0;
        return React_ClosePar(temp_array, pos_array, state);
    }
    if (letter == '(')
        return Handle_For_FuncCall(the_list, temp_array, pos_array, state, formula, pos_formula,
                                   the_error, sumv_list);
    if (letter == '[')
        return Handle_For_SigmaCall(the_list, temp_array, pos_array, state, formula, pos_formula,
                                    the_error, sumv_list);
    return 0;
}

int Handle_For_OpenPar(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                       int* state_inter, const char*, int*, ErrorInfo*, AscArray<double>&) {
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_OPEN_PAR)) return 0;
    if (Is_Sign(letter)) return React_SngOperator(letter, the_list, temp_array, pos_array, state);
    return Begin_Term(letter, temp_array, pos_array, state, state_inter);
}

// After ")" or "]" only an operator or another ")" may follow.
int Follow_Closing(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                   int* state_inter, int closing_kind) {
    *state_inter = 0;
    if (!Make_ListArray(the_list, temp_array, pos_array, closing_kind)) return 0;
    if (Is_Operator(letter)) {
        React_Operator(letter, temp_array, pos_array, state);
        return 1;
    }
    if (letter == ')') return React_ClosePar(temp_array, pos_array, state);
    return 0;
}

int Handle_For_ClosePar(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                        int* state, int* state_inter, const char*, int*, ErrorInfo*,
                        AscArray<double>&) {
    return Follow_Closing(letter, the_list, temp_array, pos_array, state, state_inter,
                          KIND_CLOSE_PAR);
}

int Handle_For_CloseBrk(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                        int* state, int* state_inter, const char*, int*, ErrorInfo*,
                        AscArray<double>&) {
    return Follow_Closing(letter, the_list, temp_array, pos_array, state, state_inter,
                          KIND_CLOSE_BRK);
}

// Appends a character of the number and moves to the given sub-state; still in a number.
int Append_Number(int letter, char* temp_array, int* pos_array, int* state, int* state_inter,
                  int next_inter) {
    if (!React_Alnum(letter, temp_array, pos_array, state)) return 0;
    *state = ST_NUMBER;
    *state_inter = next_inter;
    return 1;
}

// An operator or ")" ends a complete number.
int End_Number(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
               int* state_inter) {
    if (!Is_Operator(letter) && letter != ')') return 0;
    Terminate_Pending(temp_array, pos_array);
    if (!Make_ListArray(the_list, temp_array, pos_array, KIND_NUMBER)) return 0;
    *state_inter = 0;
    if (letter == ')') return React_ClosePar(temp_array, pos_array, state);
    React_Operator(letter, temp_array, pos_array, state);
    return 1;
}

int Handle_For_Mantissa(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                        int* state, int* state_inter) {
    if (Is_Digit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_MANTISSA);
    if (letter == '.')
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_DOT);
    if (Is_ExponentMark(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_EXPONENT);
    return End_Number(letter, the_list, temp_array, pos_array, state, state_inter);
}

int Handle_For_Dot(int letter, CompForm*, char* temp_array, int* pos_array, int* state,
                   int* state_inter) {
    if (Is_Digit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_DECIMAL);
    return 0;
}

int Handle_For_Exponent(int letter, CompForm*, char* temp_array, int* pos_array, int* state,
                        int* state_inter) {
    if (Is_Sign(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_SIGN);
    if (Is_NonZeroDigit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_POWNUM);
    return 0;
}

int Handle_For_Sign(int letter, CompForm*, char* temp_array, int* pos_array, int* state,
                    int* state_inter) {
    if (Is_NonZeroDigit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_POWNUM);
    return 0;
}

int Handle_For_Decimal(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                       int* state_inter) {
    if (Is_Digit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_DECIMAL);
    if (Is_ExponentMark(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_EXPONENT);
    return End_Number(letter, the_list, temp_array, pos_array, state, state_inter);
}

int Handle_For_Pownum(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                      int* state_inter) {
    if (Is_Digit(letter))
        return Append_Number(letter, temp_array, pos_array, state, state_inter, NUM_POWNUM);
    return End_Number(letter, the_list, temp_array, pos_array, state, state_inter);
}

int Handle_For_Number(int letter, CompForm* the_list, char* temp_array, int* pos_array, int* state,
                      int* state_inter, const char*, int*, ErrorInfo*, AscArray<double>&) {
    switch (*state_inter) {
    case NUM_MANTISSA:
        return Handle_For_Mantissa(letter, the_list, temp_array, pos_array, state, state_inter);
    case NUM_DOT:
        return Handle_For_Dot(letter, the_list, temp_array, pos_array, state, state_inter);
    case NUM_EXPONENT:
        return Handle_For_Exponent(letter, the_list, temp_array, pos_array, state, state_inter);
    case NUM_SIGN:
        return Handle_For_Sign(letter, the_list, temp_array, pos_array, state, state_inter);
    case NUM_DECIMAL:
        return Handle_For_Decimal(letter, the_list, temp_array, pos_array, state, state_inter);
    case NUM_POWNUM:
        return Handle_For_Pownum(letter, the_list, temp_array, pos_array, state, state_inter);
    default: return 0;
    }
}

typedef int (*StateHandler)(int letter, CompForm* the_list, char* temp_array, int* pos_array,
                            int* state, int* state_inter, const char* formula, int* pos_formula,
                            ErrorInfo* the_error, AscArray<double>& sumv_list);

const StateHandler Pointer_Func[STATE_COUNT] = {
    Handle_For_Initial,  Handle_For_Operator, Handle_For_Operand,  Handle_For_OpenPar,
    Handle_For_ClosePar, Handle_For_Number,   Handle_For_CloseBrk,
};

// Writes the last, pending item; an array without room for it is reported as full.
int Write_LastItem(CompForm* the_list, char* temp_array, int num_kind, int end_position,
                   ErrorInfo* the_error) {
    if (Make_ListEnd(the_list, temp_array, num_kind)) return 1;
    Set_ErrorInfo(the_error, end_position, 2);
    return 0;
}

int Handle_For_NumEnd(CompForm* the_list, char* temp_array, int* pos_array, int* state_inter,
                      int end_position, ErrorInfo* the_error) {
    if (*state_inter != NUM_MANTISSA && *state_inter != NUM_DECIMAL && *state_inter != NUM_POWNUM) {
        Set_ErrorInfo(the_error, end_position, 1);
        return 0;
    }
    Terminate_Pending(temp_array, pos_array);
    return Write_LastItem(the_list, temp_array, KIND_NUMBER, end_position, the_error);
}

int Handle_For_End(CompForm* the_list, char* temp_array, int* pos_array, int* state,
                   int* state_inter, int pos_formula, ErrorInfo* the_error,
                   AscArray<double>& sumv_list) {
    int end_position = pos_formula - 1;
    if (opn_count != 0) {
        Set_ErrorInfo(the_error, end_position, 1);
        return 0;
    }
    switch (*state) {
    case ST_OPERAND:
        Terminate_Pending(temp_array, pos_array);
        if (!Write_LastItem(the_list, temp_array, KIND_VARIABLE, end_position, the_error)) return 0;
        Mark_Summation(the_list[current_number], sumv_list);
        return 1;
    case ST_CLOSE_PAR:
        return Write_LastItem(the_list, temp_array, KIND_CLOSE_PAR, end_position, the_error);
    case ST_CLOSE_BRK:
        return Write_LastItem(the_list, temp_array, KIND_CLOSE_BRK, end_position, the_error);
    case ST_NUMBER:
        return Handle_For_NumEnd(the_list, temp_array, pos_array, state_inter, end_position,
                                 the_error);
    default: Set_ErrorInfo(the_error, end_position, 1); return 0;
    }
}

// A refused character is a malformed formula, unless the refusal came from a full array.
void Report_Rejection(ErrorInfo* the_error, int position) {
    Set_ErrorInfo(the_error, position, array_full ? 2 : 1);
}

}  // namespace

int Analysis_Formula(CompForm* the_formlist, int elem_number, const char* formula,
                     ErrorInfo* the_error, AscArray<double> sumv_list) {
    Capacity_Scope capacity_scope(elem_number);
    char temp_array[TEXT_BUFFER];
    int pos_array = 0;
    int state = ST_INITIAL;
    int state_inter = 0;
    int pos_formula = 0;
    Set_Operator_Function();
    Set_ErrorInfo(the_error, -1, 0);
    opn_count = 0;
    current_number = 0;
    Initialize_CompForm(the_formlist, std::min(elem_number, item_capacity));
    if (formula[0] == '\0') return 0;

    int letter = static_cast<unsigned char>(formula[pos_formula++]);
    if (!Handle_For_Initial(letter, the_formlist, temp_array, &pos_array, &state, &state_inter,
                            formula, &pos_formula, the_error, sumv_list)) {
        Report_Rejection(the_error, pos_formula - 1);
        return 0;
    }
    for (;;) {
        letter = static_cast<unsigned char>(formula[pos_formula++]);
        if (letter == '\0')
            return Handle_For_End(the_formlist, temp_array, &pos_array, &state, &state_inter,
                                  pos_formula, the_error, sumv_list);
        int ret_value = 0;
        if (state >= 0 && state < STATE_COUNT)
            ret_value =
                Pointer_Func[state](letter, the_formlist, temp_array, &pos_array, &state,
                                    &state_inter, formula, &pos_formula, the_error, sumv_list);
        if (ret_value == 0) {
            Report_Rejection(the_error, pos_formula - 1);
            return 0;
        }
        if (current_number >= elem_number) {
            Set_ErrorInfo(the_error, pos_formula - 1, 2);
            return 0;
        }
    }
}

int Get_Argument(const char* formula, int* start_pos, char* argument, int arg_size, char open_lett,
                 char close_lett, char open_lett2, char close_lett2) {
    int depth = 1;
    int depth2 = 0;
    int comma_count = 0;
    for (int copied = 0;; ++copied) {
        char letter = formula[*start_pos + copied];
        if (letter == '\0' || copied >= arg_size) return 0;
        if (letter == open_lett) {
            ++depth;
        } else if (letter == open_lett2) {
            ++depth2;
        } else if (letter == ',') {
            ++comma_count;
            if (comma_count == 1 && depth == 1 && depth2 == 0) {
                argument[copied] = '\0';
                *start_pos += copied;
                return 1;
            }
        } else if (letter == close_lett) {
            --depth;
            comma_count = 0;
        } else if (letter == close_lett2) {
            --depth2;
            comma_count = 0;
        }
        argument[copied] = letter;
    }
}

int Get_EndArgument(const char* formula, int* start_pos, char* argument, int arg_size,
                    char open_lett, char close_lett) {
    int depth = 1;
    for (int copied = 0;; ++copied) {
        char letter = formula[*start_pos + copied];
        if (letter == '\0' || copied >= arg_size) return 0;
        if (letter == open_lett) {
            ++depth;
        } else if (letter == close_lett && --depth == 0) {
            argument[copied] = '\0';
            *start_pos += copied;
            return 1;
        }
        argument[copied] = letter;
    }
}

// Writes the range item at current_number; the caller makes sure that item exists.
int Make_LArgList(char* former_arg, CompForm* the_list, AscArray<double>& sumv_list) {
    char var_name[TEXT_BUFFER];
    double min_val = 0.0;
    double max_val = 0.0;
    int step_num = 0;
    if (Analysis_Variable(former_arg, var_name, TEXT_BUFFER, &min_val, &max_val, &step_num) < 1)
        return 0;
    if (sumv_list(var_name)) return -1;
    sumv_list[var_name] = min_val;
    CompForm& range_item = the_list[current_number];
    Copy_ItemText(range_item.CompArray, former_arg);
    range_item.kind = KIND_SUM_RANGE;
    ++current_number;
    return 1;
}
