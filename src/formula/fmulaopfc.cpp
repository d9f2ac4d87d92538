#include "formula/fmulaopfc.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "formula/varinput.h"

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

// Everything one analysis works with, handed to every handler: the text and
// where its items go, the pending token and the states, and the counts. A
// nested analysis (an argument, a sigma body) has a state of its own over the
// rest of the same array, so nothing of one analysis outlives it.
struct ScanState {
    ScanState(CompForm* list, int elem_number, int capacity, const char* text, ErrorInfo* error,
              AscArray<double>& summation, const FunctionNames& names)
        : the_list(list),
          elem_number(elem_number),
          item_capacity(capacity),
          formula(text),
          the_error(error),
          sumv_list(summation),
          function_names(names) {}
    ScanState(const ScanState&) = delete;
    ScanState& operator=(const ScanState&) = delete;

    CompForm* the_list;  // item 0 of this analysis
    // Items this analysis may hold after each character (its capacity check).
    int elem_number;
    // Items the array really holds from the_list on; no write goes past it. A
    // nested analysis may hold more items than elem_number for a moment (the
    // check runs after each character), so its room is what the enclosing
    // array has left.
    int item_capacity;
    const char* formula;
    ErrorInfo* the_error;
    AscArray<double>& sumv_list;  // the summation variables visible in the text
    const FunctionNames& function_names;

    char temp_array[TEXT_BUFFER] = {};  // the pending token
    int pos_array = 0;                  // its length
    int state = ST_INITIAL;
    int state_inter = 0;  // number sub-state, 0 outside numbers
    int pos_formula = 0;  // index of the next character of formula
    // Index of the item the next write fills; after a successful analysis, of the last item.
    int current_number = 0;
    // Number of "(" read and not yet closed.
    int opn_count = 0;
    // Set when an item could not be written because the array is full.
    bool array_full = false;
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

void Terminate_Pending(ScanState& ls) { ls.temp_array[ls.pos_array] = '\0'; }

// Writes the last item: the text at current_number, which is not advanced.
// Refuses when the array is full.
int Make_ListEnd(ScanState& ls, const char* array, int num_kind) {
    if (ls.current_number >= ls.item_capacity) {
        ls.array_full = true;
        return 0;
    }
    CompForm& item = ls.the_list[ls.current_number];
    Copy_ItemText(item.CompArray, array);
    item.kind = num_kind;
    return 1;
}

// Writes the pending token as an item and empties it.
int Make_ListArray(ScanState& ls, int num_kind) {
    if (!Make_ListEnd(ls, ls.temp_array, num_kind)) return 0;
    ++ls.current_number;
    ls.pos_array = 0;
    return 1;
}

// Writes an item of a fixed text; the pending token stays.
int Write_Item(ScanState& ls, const char* text, int num_kind) {
    if (!Make_ListEnd(ls, text, num_kind)) return 0;
    ++ls.current_number;
    return 1;
}

void React_Operator(ScanState& ls, int letter) {
    Set_OneCharacter(ls.temp_array, letter, &ls.pos_array);
    ls.state = ST_OPERATOR;
}

void React_OpenPar(ScanState& ls) {
    Set_OneCharacter(ls.temp_array, '(', &ls.pos_array);
    ls.state = ST_OPEN_PAR;
    ++ls.opn_count;
}

int React_ClosePar(ScanState& ls) {
    Set_OneCharacter(ls.temp_array, ')', &ls.pos_array);
    ls.state = ST_CLOSE_PAR;
    --ls.opn_count;
    return ls.opn_count >= 0 ? 1 : 0;
}

void React_OpenBrk(ScanState& ls) {
    Set_OneCharacter(ls.temp_array, '[', &ls.pos_array);
    ls.state = ST_OPEN_BRK;
}

void React_CloseBrk(ScanState& ls) {
    Set_OneCharacter(ls.temp_array, ']', &ls.pos_array);
    ls.state = ST_CLOSE_BRK;
}

// Appends to the name or number being read; one that outgrows the buffer is refused.
int React_Alnum(ScanState& ls, int letter) {
    if (ls.pos_array >= MAX_TOKEN_LENGTH) return 0;
    ls.temp_array[ls.pos_array++] = static_cast<char>(letter);
    ls.state = ST_OPERAND;
    return 1;
}

// A leading sign is read as 0 followed by the sign.
int React_SngOperator(ScanState& ls, int letter) {
    if (!Write_Item(ls, "0", KIND_NUMBER)) return 0;
    React_Operator(ls, letter);
    return 1;
}

void Mark_Summation(CompForm& variable_item, AscArray<double>& sumv_list) {
    if (sumv_list(variable_item.CompArray)) variable_item.argm_num = -1;
}

int Flush_Variable(ScanState& ls) {
    Terminate_Pending(ls);
    if (!Make_ListArray(ls, KIND_VARIABLE)) return 0;
    Mark_Summation(ls.the_list[ls.current_number - 1], ls.sumv_list);
    return 1;
}

int Begin_Number(ScanState& ls, int letter) {
    if (!React_Alnum(ls, letter)) return 0;
    ls.state_inter = NUM_MANTISSA;
    ls.state = ST_NUMBER;
    return 1;
}

// What may start a term after an operator, "(" or at the start: "(", a name or a number.
int Begin_Term(ScanState& ls, int letter) {
    if (letter == '(') {
        React_OpenPar(ls);
        return 1;
    }
    if (Is_Letter(letter)) return React_Alnum(ls, letter);
    if (Is_Digit(letter)) return Begin_Number(ls, letter);
    return 0;
}

int Scan_Formula(ScanState& ls);

// Analyses one argument text into the items from current_number on, with a state
// of its own. Its capacity is its length; its writes stay inside the room left in
// the array, and running out of that room is the array being full, not a
// malformed argument. visible_sumv holds the summation variables it may use.
// The number of its items, 0 when refused.
int Analyse_Argument(ScanState& outer, const char* argument, AscArray<double>& visible_sumv) {
    int text_length = static_cast<int>(std::strlen(argument));
    int room = std::max(outer.item_capacity - outer.current_number, 0);
    AscArray<double> sumv_list(visible_sumv);
    ScanState nested(outer.the_list + outer.current_number, text_length, room, argument,
                     outer.the_error, sumv_list, outer.function_names);
    int item_count = Scan_Formula(nested);
    outer.array_full = item_count == 0 && nested.array_full;
    return item_count;
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

int Handle_For_MultArgFunc(ScanState& ls, int func_kind) {
    ArgumentBuffer former_arg(ls.formula);
    ArgumentBuffer letter_arg(ls.formula);
    int st_position = ls.pos_formula;
    int int_position = st_position;
    for (int the_roop = 0; the_roop < func_kind - 1; ++the_roop) {
        if (!Get_Argument(ls.formula, &st_position, former_arg.text(), former_arg.size(), '(', ')',
                          '[', ']')) {
            ls.pos_formula = int_position;
            return 0;
        }
        int item_count = Analyse_Argument(ls, former_arg.text(), ls.sumv_list);
        if (item_count == 0) {
            ls.pos_formula = int_position + ls.the_error->formula_position + 1;
            return 0;
        }
        ls.current_number += item_count;
        if (!Write_Item(ls, ",", KIND_SEPARATOR)) {
            ls.pos_formula = st_position + 1;
            return 0;
        }
        ++st_position;
        int_position = st_position;
    }
    if (!Get_EndArgument(ls.formula, &st_position, letter_arg.text(), letter_arg.size(), '(',
                         ')')) {
        ls.pos_formula = int_position;
        return 0;
    }
    int item_count = Analyse_Argument(ls, letter_arg.text(), ls.sumv_list);
    if (item_count == 0) {
        ls.pos_formula = int_position + ls.the_error->formula_position + 1;
        return 0;
    }
    ls.current_number += item_count;
    ls.pos_formula = st_position + 1;
    return React_ClosePar(ls);
}

int Handle_For_MultArgOprt(ScanState& ls) {
    char former_arg[TEXT_BUFFER];  // the range becomes one item, so it must fit an item text
    ArgumentBuffer letter_arg(ls.formula);
    int st_position = ls.pos_formula;
    if (!Get_Argument(ls.formula, &st_position, former_arg, TEXT_BUFFER, '[', ']', '(', ')'))
        return 0;
    // The summation variable is visible in the body alone.
    AscArray<double> body_sumv_list(ls.sumv_list);
    ls.array_full = ls.current_number >= ls.item_capacity;
    if (ls.array_full ||
        Make_LArgList(former_arg, ls.the_list + ls.current_number, body_sumv_list) != 1) {
        ls.pos_formula = st_position;
        return 0;
    }
    ++ls.current_number;
    if (!Write_Item(ls, ",", KIND_SEPARATOR)) {
        ls.pos_formula = st_position + 1;
        return 0;
    }
    ++st_position;
    int body_start = st_position;
    if (!Get_EndArgument(ls.formula, &st_position, letter_arg.text(), letter_arg.size(), '[',
                         ']')) {
        ls.pos_formula = body_start;
        return 0;
    }
    int item_count = Analyse_Argument(ls, letter_arg.text(), body_sumv_list);
    if (item_count == 0) {
        ls.pos_formula = body_start + ls.the_error->formula_position + 1;
        return 0;
    }
    ls.current_number += item_count;
    ls.pos_formula = st_position + 1;
    React_CloseBrk(ls);
    return 1;
}

// A user function registered without arguments is called as name(): the "(" item is
// written and ")" is left pending. Anything else after the "(" is refused at that character.
int Handle_For_NoArgFunc(ScanState& ls) {
    if (ls.formula[ls.pos_formula] != ')') {
        ++ls.pos_formula;
        return 0;
    }
    if (!Make_ListArray(ls, KIND_OPEN_PAR)) return 0;
    ++ls.pos_formula;
    return React_ClosePar(ls);
}

// The pending name is followed by "(": a built-in or defined user function.
int Handle_For_FuncCall(ScanState& ls) {
    Terminate_Pending(ls);
    int func_index = ls.current_number;
    if (!Make_ListArray(ls, KIND_FUNCTION)) return 0;
    CompForm& func_item = ls.the_list[func_index];
    int arity = func_item.SetOperatorFunc();
    if (arity == 0) {
        arity = ls.function_names.DefinedArgNum(func_item.CompArray);
        if (arity < 0) return 0;
        func_item.kind = KIND_USER_FUNCTION;
        func_item.list_fnarg = CFList(arity);
        if (arity == 0) func_item.argm_num = 0;
    }
    React_OpenPar(ls);
    if (arity == 0) return Handle_For_NoArgFunc(ls);
    if (arity < 2) return 1;
    func_item.argm_num = arity;
    if (!Make_ListArray(ls, KIND_OPEN_PAR)) return 0;
    return Handle_For_MultArgFunc(ls, arity);
}

// The pending name is followed by "[": only sigma may be.
int Handle_For_SigmaCall(ScanState& ls) {
    Terminate_Pending(ls);
    int sigma_index = ls.current_number;
    if (!Make_ListArray(ls, KIND_MULTI_OPERATOR)) return 0;
    if (ls.the_list[sigma_index].SetMltOperator() == 0) return 0;
    React_OpenBrk(ls);
    ls.the_list[sigma_index].argm_num = 2;
    if (!Make_ListArray(ls, KIND_OPEN_BRK)) return 0;
    return Handle_For_MultArgOprt(ls);
}

int Handle_For_Initial(ScanState& ls, int letter) {
    if (Is_Sign(letter)) return React_SngOperator(ls, letter);
    return Begin_Term(ls, letter);
}

int Handle_For_Operator(ScanState& ls, int letter) {
    if (!Make_ListArray(ls, KIND_OPERATOR)) return 0;
    ls.the_list[ls.current_number - 1].SetOperatorKind();
    return Begin_Term(ls, letter);
}

int Handle_For_Operand(ScanState& ls, int letter) {
    ls.state_inter = 0;
    if (Is_Operator(letter)) {
        if (!Flush_Variable(ls)) return 0;
        React_Operator(ls, letter);
        return 1;
    }
    if (Is_Letter(letter) || Is_Digit(letter)) return React_Alnum(ls, letter);
    if (letter == ')') {
        if (!Flush_Variable(ls)) return 0;
        return React_ClosePar(ls);
    }
    if (letter == '(') return Handle_For_FuncCall(ls);
    if (letter == '[') return Handle_For_SigmaCall(ls);
    return 0;
}

int Handle_For_OpenPar(ScanState& ls, int letter) {
    if (!Make_ListArray(ls, KIND_OPEN_PAR)) return 0;
    if (Is_Sign(letter)) return React_SngOperator(ls, letter);
    return Begin_Term(ls, letter);
}

// After ")" or "]" only an operator or another ")" may follow.
int Follow_Closing(ScanState& ls, int letter, int closing_kind) {
    ls.state_inter = 0;
    if (!Make_ListArray(ls, closing_kind)) return 0;
    if (Is_Operator(letter)) {
        React_Operator(ls, letter);
        return 1;
    }
    if (letter == ')') return React_ClosePar(ls);
    return 0;
}

int Handle_For_ClosePar(ScanState& ls, int letter) {
    return Follow_Closing(ls, letter, KIND_CLOSE_PAR);
}

int Handle_For_CloseBrk(ScanState& ls, int letter) {
    return Follow_Closing(ls, letter, KIND_CLOSE_BRK);
}

// Appends a character of the number and moves to the given sub-state; still in a number.
int Append_Number(ScanState& ls, int letter, int next_inter) {
    if (!React_Alnum(ls, letter)) return 0;
    ls.state = ST_NUMBER;
    ls.state_inter = next_inter;
    return 1;
}

// An operator or ")" ends a complete number.
int End_Number(ScanState& ls, int letter) {
    if (!Is_Operator(letter) && letter != ')') return 0;
    Terminate_Pending(ls);
    if (!Make_ListArray(ls, KIND_NUMBER)) return 0;
    ls.state_inter = 0;
    if (letter == ')') return React_ClosePar(ls);
    React_Operator(ls, letter);
    return 1;
}

int Handle_For_Mantissa(ScanState& ls, int letter) {
    if (Is_Digit(letter)) return Append_Number(ls, letter, NUM_MANTISSA);
    if (letter == '.') return Append_Number(ls, letter, NUM_DOT);
    if (Is_ExponentMark(letter)) return Append_Number(ls, letter, NUM_EXPONENT);
    return End_Number(ls, letter);
}

int Handle_For_Dot(ScanState& ls, int letter) {
    if (Is_Digit(letter)) return Append_Number(ls, letter, NUM_DECIMAL);
    return 0;
}

int Handle_For_Exponent(ScanState& ls, int letter) {
    if (Is_Sign(letter)) return Append_Number(ls, letter, NUM_SIGN);
    if (Is_NonZeroDigit(letter)) return Append_Number(ls, letter, NUM_POWNUM);
    return 0;
}

int Handle_For_Sign(ScanState& ls, int letter) {
    if (Is_NonZeroDigit(letter)) return Append_Number(ls, letter, NUM_POWNUM);
    return 0;
}

int Handle_For_Decimal(ScanState& ls, int letter) {
    if (Is_Digit(letter)) return Append_Number(ls, letter, NUM_DECIMAL);
    if (Is_ExponentMark(letter)) return Append_Number(ls, letter, NUM_EXPONENT);
    return End_Number(ls, letter);
}

int Handle_For_Pownum(ScanState& ls, int letter) {
    if (Is_Digit(letter)) return Append_Number(ls, letter, NUM_POWNUM);
    return End_Number(ls, letter);
}

int Handle_For_Number(ScanState& ls, int letter) {
    switch (ls.state_inter) {
    case NUM_MANTISSA: return Handle_For_Mantissa(ls, letter);
    case NUM_DOT: return Handle_For_Dot(ls, letter);
    case NUM_EXPONENT: return Handle_For_Exponent(ls, letter);
    case NUM_SIGN: return Handle_For_Sign(ls, letter);
    case NUM_DECIMAL: return Handle_For_Decimal(ls, letter);
    case NUM_POWNUM: return Handle_For_Pownum(ls, letter);
    default: return 0;
    }
}

typedef int (*StateHandler)(ScanState& ls, int letter);

const StateHandler Pointer_Func[STATE_COUNT] = {
    Handle_For_Initial,  Handle_For_Operator, Handle_For_Operand,  Handle_For_OpenPar,
    Handle_For_ClosePar, Handle_For_Number,   Handle_For_CloseBrk,
};

// Writes the last, pending item; an array without room for it is reported as full.
int Write_LastItem(ScanState& ls, int num_kind, int end_position) {
    if (Make_ListEnd(ls, ls.temp_array, num_kind)) return 1;
    Set_ErrorInfo(ls.the_error, end_position, 2);
    return 0;
}

int Handle_For_NumEnd(ScanState& ls, int end_position) {
    if (ls.state_inter != NUM_MANTISSA && ls.state_inter != NUM_DECIMAL &&
        ls.state_inter != NUM_POWNUM) {
        Set_ErrorInfo(ls.the_error, end_position, 1);
        return 0;
    }
    Terminate_Pending(ls);
    return Write_LastItem(ls, KIND_NUMBER, end_position);
}

// pos_formula is one past the terminator, so every error here is at the text's length.
int Handle_For_End(ScanState& ls) {
    int end_position = ls.pos_formula - 1;
    if (ls.opn_count != 0) {
        Set_ErrorInfo(ls.the_error, end_position, 1);
        return 0;
    }
    switch (ls.state) {
    case ST_OPERAND:
        Terminate_Pending(ls);
        if (!Write_LastItem(ls, KIND_VARIABLE, end_position)) return 0;
        Mark_Summation(ls.the_list[ls.current_number], ls.sumv_list);
        return 1;
    case ST_CLOSE_PAR: return Write_LastItem(ls, KIND_CLOSE_PAR, end_position);
    case ST_CLOSE_BRK: return Write_LastItem(ls, KIND_CLOSE_BRK, end_position);
    case ST_NUMBER: return Handle_For_NumEnd(ls, end_position);
    default: Set_ErrorInfo(ls.the_error, end_position, 1); return 0;
    }
}

// A refused character is a malformed formula, unless the refusal came from a full array.
void Report_Rejection(ScanState& ls) {
    Set_ErrorInfo(ls.the_error, ls.pos_formula - 1, ls.array_full ? 2 : 1);
}

// The driver: hands each character to the handler of the current state. The
// number of items written (current_number + 1), 0 when refused.
int Scan_Formula(ScanState& ls) {
    Set_Operator_Function();
    Set_ErrorInfo(ls.the_error, -1, 0);
    Initialize_CompForm(ls.the_list, std::min(ls.elem_number, ls.item_capacity));
    if (ls.formula[0] == '\0') return 0;

    int letter = static_cast<unsigned char>(ls.formula[ls.pos_formula++]);
    if (!Handle_For_Initial(ls, letter)) {
        Report_Rejection(ls);
        return 0;
    }
    for (;;) {
        letter = static_cast<unsigned char>(ls.formula[ls.pos_formula++]);
        if (letter == '\0') return Handle_For_End(ls) ? ls.current_number + 1 : 0;
        int ret_value = 0;
        if (ls.state >= 0 && ls.state < STATE_COUNT) ret_value = Pointer_Func[ls.state](ls, letter);
        if (ret_value == 0) {
            Report_Rejection(ls);
            return 0;
        }
        if (ls.current_number >= ls.elem_number) {
            Set_ErrorInfo(ls.the_error, ls.pos_formula - 1, 2);
            return 0;
        }
    }
}

class NoFunctionNames : public FunctionNames {
public:
    int DefinedArgNum(const char*) const override { return -1; }
};

}  // namespace

const FunctionNames& No_FunctionNames() {
    static const NoFunctionNames no_names;
    return no_names;
}

int Analysis_Formula(CompForm* the_formlist, int elem_number, const char* formula,
                     ErrorInfo* the_error, AscArray<double> sumv_list,
                     const FunctionNames& function_names) {
    int capacity = std::max(elem_number, 0);
    ScanState ls(the_formlist, elem_number, capacity, formula, the_error, sumv_list,
                 function_names);
    return Scan_Formula(ls);
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

// Writes the range item at range_item, which the caller makes sure exists.
int Make_LArgList(char* former_arg, CompForm* range_item, AscArray<double>& sumv_list) {
    char var_name[TEXT_BUFFER];
    double min_val = 0.0;
    double max_val = 0.0;
    int step_num = 0;
    if (Analysis_Variable(former_arg, var_name, TEXT_BUFFER, &min_val, &max_val, &step_num) < 1)
        return 0;
    if (sumv_list(var_name)) return -1;
    sumv_list[var_name] = min_val;
    Copy_ItemText(range_item->CompArray, former_arg);
    range_item->kind = KIND_SUM_RANGE;
    return 1;
}
