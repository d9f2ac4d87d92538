#include "main.h"

#include <csignal>
#include <cstring>
#include <iostream>
#include <limits>
#include <locale>
#include <string>

#include "crtbtree.h"
#include "fmulaopfc.h"
#include "fullwidth.h"
#include "inplexp.h"
#include "inputkind.h"
#include "interrupt.h"
#include "messages.h"
#include "paramexp.h"
#include "polarcord.h"
#include "recovery.h"
#include "safefile.h"
#include "symbol.h"
#include "textchar.h"
#include "typednumber.h"
#include "usrdefopr.h"
#include "usrfunc.h"

namespace {
const char RULE_LINE[] = "+++++++++++++++++++++++++++++++++++++++++++++++++\n";
const int COMMAND_SIZE = 80;
const int PATH_SIZE = 256;
}  // namespace

namespace {
// One line at the start when a signal left unsaved functions in a recovery file.
void Announce_Recovery() {
    std::string recovery = Take_UnannouncedRecovery();
    if (!recovery.empty()) std::cout << Msg().RECOVERY_NOTICE << recovery << std::endl;
}

bool Stop_LockWait() { return Termination_Signal() != 0; }

// A signal ended the run with unsaved functions and nobody to ask: they go to
// a recovery file. The exit status is 128 + the signal number.
int End_BySignal(UsrFuncArray& ufunc_list) {
    std::string path;
    if (Write_RecoveryFile(ufunc_list, &path) == FILE_DONE)
        std::cerr << Msg().RECOVERY_WRITTEN << path << std::endl;
    else
        std::cerr << Msg().RECOVERY_FAILED << std::endl;
    return 128 + Termination_Signal();
}

// The calculation mode of menu choices 1 to 4; null for any other choice.
ModeFunction Menu_Mode(int select) {
    static const ModeFunction MODES[] = {FnCalc_Explicit, FnCalc_Inplicit, FnCalc_PolarCord,
                                         FnCalc_Param};
    return select >= 1 && select <= 4 ? MODES[select - 1] : nullptr;
}

// Reads one command line and runs the command.
void Run_Command() {
    char command_array[COMMAND_SIZE] = {};
    std::cout << Msg().COMMAND_PROMPT;
    {
        InputKindScope kind(InputKind::Command);
        if (Input_Formula(std::cin, command_array, COMMAND_SIZE) == nullptr)
            command_array[0] = '\0';
    }
    Select_Command(command_array, g_ufunc_list);
    std::cout << "\n\n";
}

// An evaluation failed while a report was written: its message, the save
// question, and the program ends with status 1.
int End_AfterEvaluationError(const char* message) {
    std::cout << message << std::flush;
    Ask_SaveChanges(g_ufunc_list);
    return 1;
}
}  // namespace

int Kansu_Main() {
    g_stop_waiting = Stop_LockWait;
    Announce_Recovery();
#ifdef SIGXFSZ
    // A write beyond the file-size limit then fails like one on a full disk and is
    // reported, instead of killing the program with its unsaved functions.
    std::signal(SIGXFSZ, SIG_IGN);
#endif
    Explain_Function();
    int select = 0;
    do {
        Note_UnsavedWork(g_ufunc_list.GetChangeFlag() != 0);
        select = Select_Menu();
        if (ModeFunction mode = Menu_Mode(select)) {
            RunResult result = mode(g_ufunc_list);
            if (result.evaluation_error != nullptr)
                return End_AfterEvaluationError(result.evaluation_error);
            End_OutPut();
        } else if (select == 5) {
            Explain_Function();
        } else if (select == -1) {
            Run_Command();
        } else {
            select = 0;
        }
        Clear_CalculationInterrupt();
        if (Program_EndRequested()) select = 0;
    } while (select != 0);

    if (Termination_Signal() != 0) return End_BySignal(g_ufunc_list);
    // Ctrl-C with unsaved functions left the loop: the question is still asked.
    if (Program_EndRequested()) {
        Resume_InputAfterInterrupt();
        std::cout << "\n";
    }

    Ask_SaveChanges(g_ufunc_list);
    if (Termination_Signal() != 0 && g_ufunc_list.GetChangeFlag() != 0)
        return End_BySignal(g_ufunc_list);
    return 0;
}

void Ask_SaveChanges(UsrFuncArray& ufunc_list) {
    if (ufunc_list.GetChangeFlag() == 0) return;
    // A typo at the menu must not silently lose unsaved functions: drop the
    // offending line and ask afresh (at end of input nothing can be read).
    if (std::cin.fail() && !std::cin.eof()) {
        std::cin.clear();
        std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
    }
    // A failed save is shown and the question asked again, so that another path
    // can be given; every round reads an answer, so end of input ends it. Once
    // the save file the functions came from has refused them (for another
    // reason than a lock held elsewhere) a new path is asked for: they would
    // be lost otherwise.
    bool source_refused = false;
    for (;;) {
        std::cout << Msg().EXIT_SAVE_QUESTION << std::endl;
        int answer = 0;
        if (!Read_TypedNumber(std::cin, answer) || answer != 1) return;
        int check_value =
            source_refused ? SaveDate_ToNewPath(ufunc_list) : SaveDate_ToFile(ufunc_list);
        if (check_value >= SAVED || check_value == SAVE_NOTHING_CHANGED) return;
        Show_SvUsrfuncError(check_value);
        if (ufunc_list.GetSourceFile() != nullptr && check_value != SAVE_LOCK_BUSY)
            source_refused = true;
    }
}

void Explain_Function() {
    std::cout << std::endl;
    std::cout << RULE_LINE;
    std::cout << Msg().HELP_HEADING;
    std::cout << Msg().HELP_SIN;
    std::cout << Msg().HELP_COS;
    std::cout << Msg().HELP_TAN;
    std::cout << Msg().HELP_EXP;
    std::cout << Msg().HELP_LOG10;
    std::cout << Msg().HELP_LN;
    std::cout << Msg().HELP_ABS;
    std::cout << Msg().HELP_SQRT;
    std::cout << Msg().HELP_LOG;
    std::cout << Msg().HELP_OPERATORS;
    std::cout << RULE_LINE;
    std::cout << Msg().HELP_OTHERS;
    std::cout << Msg().HELP_SIGMA;
}

int Select_Menu() {
    int select = 0;
    std::cout << Msg().MENU_HEADING;
    std::cout << Msg().MENU_EXPLICIT << 1 << "\n";
    std::cout << Msg().MENU_IMPLICIT << 2 << "\n";
    std::cout << Msg().MENU_POLAR << 3 << "\n";
    std::cout << Msg().MENU_PARAM << 4 << "\n";
    std::cout << Msg().MENU_HELP << 5 << "\n";
    std::cout << Msg().MENU_END << 0 << "\n";
    Read_TypedNumber(std::cin, select);
    Skip_TypedCharacter(std::cin);
    return select;
}

int Select_Command(char* cmmd_array, UsrFuncArray& ufunc_list) {
    if (std::strcmp(cmmd_array, "EnrUsrfunc") == 0) {
        char func_name[COMMAND_SIZE] = {};
        int status = EnRoll_UserDefFunc(ufunc_list, func_name);
        Show_EnrollError(status);
        if (status >= ENROLLED) {
            std::cout << Msg().COMMAND_ENROLLED;
            ufunc_list.PrintContent(func_name, std::cout);
        }
    } else if (std::strcmp(cmmd_array, "DelUsrfunc") == 0) {
        Delete_UserFunc(ufunc_list);
    } else if (std::strcmp(cmmd_array, "SaveUsrfunc") == 0) {
        int status = SaveDate_ToFile(ufunc_list);
        if (status < SAVED) Show_SvUsrfuncError(status);
    } else if (std::strcmp(cmmd_array, "SetUfList") == 0) {
        ReadUsrFunc_ToUfArray(ufunc_list);
    } else if (std::strcmp(cmmd_array, "SetUfdef") == 0) {
        SetUfDef_ToUfArray(ufunc_list);
    } else if (std::strcmp(cmmd_array, "ShowUfList") == 0) {
        Show_UserFuncList(ufunc_list);
    } else if (std::strcmp(cmmd_array, "ShowUfList2") == 0) {
        std::string sv_filepath;
        std::cout << Msg().COMMAND_SAVE_FILE_PROMPT;
        if (Read_PathLine(std::cin, &sv_filepath, PATH_SIZE - 1, true) != PATH_TOO_LONG)
            Show_UserFuncList(sv_filepath.c_str());
    } else if (std::strcmp(cmmd_array, "CheckUfList") == 0) {
        char func_name[COMMAND_SIZE] = {};
        std::cout << Msg().COMMAND_CHECK_PROMPT;
        Read_Word(std::cin, func_name, COMMAND_SIZE);
        std::cout << Msg().COMMAND_CHECK_FUNCTION << func_name;
        switch (ufunc_list(func_name)) {
        case 1: std::cout << Msg().COMMAND_CHECK_UNDEFINED << std::endl; break;
        case 2: std::cout << Msg().COMMAND_CHECK_DEFINED << std::endl; break;
        default: std::cout << Msg().COMMAND_CHECK_ABSENT << std::endl; break;
        }
    } else {
        std::cout << Msg().COMMAND_UNKNOWN << std::endl;
    }
    return 1;
}

void End_OutPut() { std::cout << "\n" << RULE_LINE; }

char* Input_Formula(std::istream& p_file, char* line_array, int size) {
    if (size < 1) return nullptr;
    int position = 0;
    int letter;
    while ((letter = p_file.get()) != std::char_traits<char>::eof()) {
        if (letter == '\n') {
            line_array[position] = '\0';
            return line_array;
        }
        if (Is_LineBlank(letter)) continue;
        line_array[position++] = static_cast<char>(letter);
        if (position >= size) {
            // The buffer is full: the last character is given up and the rest
            // of the line stays in the stream for the next read.
            position = size - 1;
            line_array[position] = '\0';
            return line_array;
        }
    }
    if (position == 0) return nullptr;
    line_array[position] = '\0';
    return line_array;
}

int Input_Line(std::istream& p_file, char* line_array, int size) {
    if (size < 1) return 0;
    int position = 0;
    while (position < size - 1) {
        int letter = p_file.get();
        if (letter == std::char_traits<char>::eof() || letter == '\n') break;
        line_array[position++] = static_cast<char>(letter);
    }
    if (position == size - 1 && p_file.peek() == '\n') p_file.get();
    line_array[position] = '\0';
    return position;
}

namespace {
bool Is_PathBlank(int letter) { return letter == '\n' || Is_LineBlank(letter); }
}  // namespace

PathReading Read_PathLine(std::istream& in, std::string* path, size_t limit,
                          bool skip_empty_lines) {
    InputKindScope kind(InputKind::File);
    path->clear();
    if (!in.good()) return PATH_EMPTY;
    int letter = in.peek();
    while (letter != std::char_traits<char>::eof() &&
           (skip_empty_lines ? Is_PathBlank(letter) : Is_LineBlank(letter))) {
        in.get();
        letter = in.peek();
    }
    if (letter == std::char_traits<char>::eof()) {
        in.setstate(std::ios::failbit | std::ios::eofbit);
        return PATH_EMPTY;
    }
    std::getline(in, *path);
    size_t end = path->size();
    while (end > 0 && Is_LineBlank(static_cast<unsigned char>((*path)[end - 1]))) --end;
    path->resize(end);
    if (path->empty()) return PATH_EMPTY;
    if (path->size() <= limit) return PATH_TYPED;
    // Never cut: a shortened path would name another file.
    path->clear();
    std::cout << Msg().PATH_TOO_LONG << limit << Msg().PATH_TOO_LONG_END << std::endl;
    return PATH_TOO_LONG;
}

void Read_Word(std::istream& p_file, char* word, int size) {
    if (size < 1) return;
    word[0] = '\0';
    std::istream::sentry ready(p_file);  // skips the blanks before the word
    if (!ready) return;
    // Read in place, as formatted extraction would, but a word longer than the
    // buffer is skipped to its end without being stored anywhere.
    const std::ctype<char>& classes = std::use_facet<std::ctype<char>>(p_file.getloc());
    std::streambuf* input = p_file.rdbuf();
    int kept = 0;
    bool any_read = false;
    for (int letter = input->sgetc();; letter = input->snextc()) {
        if (letter == std::char_traits<char>::eof()) {
            p_file.setstate(std::ios::eofbit);
            break;
        }
        char typed = static_cast<char>(letter);
        if (classes.is(std::ctype_base::space, typed)) break;
        if (kept < size - 1) word[kept++] = typed;
        any_read = true;
    }
    word[kept] = '\0';
    if (!any_read) p_file.setstate(std::ios::failbit);
}

int My_Strncpy(char* dest_array, const char* source_array, int copied_num, int dest_size) {
    if (copied_num < 1 || dest_size < 1) return 0;
    int count = copied_num >= dest_size ? dest_size - 1 : copied_num;
    // Nothing past the source's terminator is read: what follows it is not text.
    int copied = 0;
    while (copied < count && source_array[copied] != '\0') {
        dest_array[copied] = source_array[copied];
        ++copied;
    }
    dest_array[copied] = '\0';
    return 1;
}

CompForm* Create_TempCompForm(const char* line_array, int* array_length) {
    int capacity = static_cast<int>(std::strlen(line_array));
    if (line_array[0] == '-' || line_array[0] == '+') ++capacity;
    for (int i = 0; line_array[i] != '\0'; ++i) {
        if (line_array[i] == '(' && (line_array[i + 1] == '-' || line_array[i + 1] == '+'))
            ++capacity;
    }
    *array_length = capacity;
    return new CompForm[capacity];
}

int Copy_CompFormArray(CompForm* the_source, CompForm* the_copy, int array_num) {
    for (int i = 0; i < array_num; ++i) the_copy[i] = the_source[i];
    return 1;
}

void Write_ErrorMessage(const char* message) { std::cout << message << std::endl; }

namespace {
void Show_FormulaError(const ErrorInfo& the_error, const char* line_array,
                       FormulaErrorStyle style) {
    const char* message = Msg().FORMULA_EMPTY;
    if (the_error.error_kind == 1) message = Msg().FORMULA_MALFORMED;
    if (the_error.error_kind == 2) message = Msg().FORMULA_TOO_LONG;
    // A full-width character at the fault gets a hint line after the report.
    bool fullwidth_fault =
        the_error.error_kind == 1 && Is_FullWidthAt(line_array, the_error.formula_position);
    if (style == ERROR_MESSAGE_ONLY) {
        Write_ErrorMessage(message);
        if (fullwidth_fault) Write_ErrorMessage(Msg().FORMULA_FULLWIDTH_HINT);
        return;
    }
    std::cout << message;
    if (the_error.error_kind != 1) return;
    char error_line[PATH_SIZE] = {};
    // A two-byte (or UTF-8 multi-byte) character at the fault is shown whole.
    int shown = the_error.formula_position +
                Character_Bytes(line_array, the_error.formula_position, Utf8_Active());
    My_Strncpy(error_line, line_array, shown, PATH_SIZE);
    std::cout << Msg().FORMULA_FAULT_BEFORE << Visible_Controls(error_line)
              << Msg().FORMULA_FAULT_AFTER;
    if (fullwidth_fault) std::cout << "\n" << Msg().FORMULA_FULLWIDTH_HINT << std::endl;
}
}  // namespace

int Analyse_FormulaText(CompForm** the_formlist, const char* line_array, FormulaErrorStyle style) {
    int elem_number = 0;
    CompForm* tmp_formlist = Create_TempCompForm(line_array, &elem_number);
    ErrorInfo the_error = {-1, 0};
    if (Analysis_Formula(tmp_formlist, elem_number, line_array, &the_error, EmptyArray) == 0) {
        Show_FormulaError(the_error, line_array, style);
        delete[] tmp_formlist;
        return 0;
    }
    int item_count = current_number + 1;
    CompForm* result = new CompForm[item_count];
    Copy_CompFormArray(tmp_formlist, result, item_count);
    delete[] tmp_formlist;
    *the_formlist = result;
    return 1;
}

int Read_And_Analyse(CompForm** the_formlist, char* line_array, bool eof_newline) {
    InputKindScope kind(InputKind::Formula);
    if (Input_Formula(std::cin, line_array, PATH_SIZE) == nullptr) {
        line_array[0] = '\0';
        if (eof_newline) std::cout << std::endl;
        std::cout << Msg().FORMULA_READ_FAILED;
        return 0;
    }
    return Analyse_FormulaText(the_formlist, line_array, ERROR_WITH_POSITION);
}

int Analysis_InputFormula(CompForm** the_formlist, char* line_array) {
    std::cout << Msg().FORMULA_PROMPT;
    return Read_And_Analyse(the_formlist, line_array, false);
}

template int Input_RangeValue<double>(AscArray<double>&, char*, double*, double*, int*);
template void Input_OperandValue<double>(AscArray<double>&, char*, char (*)[256], int*);
template RunResult OutPut_ToFile<double>(AscArray<double>&, const char*, const char*, char (*)[256],
                                         int, int, double, double, CompForm*, UsrFuncArray&);
template RunResult OutPut_ToFile_FxVar<double>(AscArray<double>&, const char*, char (*)[256], int,
                                               CompForm*, UsrFuncArray&);

RunResult OutPut_ToFileNoVar(const char* line_array, CompForm* the_root, UsrFuncArray& ufunc_list) {
    std::ofstream output_stream;
    if (Open_ReportFile(output_stream) == 0) return RunResult();
    SweepReport report(output_stream, ufunc_list);
    Write_ResultRule(report.Out());
    double value = ReportFormula(report, the_root, Msg().EVALUATION_ERROR).Value();
    report.Out() << line_array << "=" << NumText(value) << "\n";
    return report.Close();
}

namespace {
// The report variant for what the dialogue gave: no variable, all fixed, or one varying.
RunResult Write_ExplicitReport(AscArray<double>& array, const char* form_array,
                               const char* operand_label, NameBuffer* copy_label, int count_current,
                               int step_number, double min_value, double max_value,
                               CompForm* the_root, UsrFuncArray& ufunc_list) {
    if (copy_label == nullptr) return OutPut_ToFileNoVar(form_array, the_root, ufunc_list);
    if (operand_label[0] == '\0')
        return OutPut_ToFile_FxVar(array, form_array, copy_label, count_current, the_root,
                                   ufunc_list);
    return OutPut_ToFile(array, form_array, operand_label, copy_label, count_current, step_number,
                         min_value, max_value, the_root, ufunc_list);
}
}  // namespace

RunResult FnCalc_Explicit(UsrFuncArray& ufunc_list) {
    CompForm* the_formlist = nullptr;
    char form_array[NAME_SIZE] = {};
    if (Analysis_InputFormula(&the_formlist, form_array) == 0) return RunResult();
    int item_count = current_number + 1;

    AscArray<double> array;
    Create_SymbolTable(the_formlist, item_count, array);
    int elem_number = 0;
    array.CountElem(&elem_number);

    char operand_label[NAME_SIZE] = {};
    double min_value = 0.0;
    double max_value = 0.0;
    int step_number = 100;
    NameBuffer* copy_label = nullptr;
    int count_current = 0;
    if (elem_number > 0) {
        if (Input_RangeValue(array, operand_label, &min_value, &max_value, &step_number) == 0) {
            delete[] the_formlist;
            return RunResult();
        }
        copy_label = new NameBuffer[elem_number];
        Input_OperandValue(array, operand_label, copy_label, &count_current);
    }

    CompForm* the_root = Build_Tree(the_formlist, item_count);
    RunResult result =
        Write_ExplicitReport(array, form_array, operand_label, copy_label, count_current,
                             step_number, min_value, max_value, the_root, ufunc_list);
    delete[] copy_label;
    delete[] the_formlist;
    return result;
}
