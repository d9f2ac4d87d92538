#include "modecommon.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <iostream>

#include "calcbintree.h"
#include "main.h"
#include "symbol.h"
#include "usrfunc.h"
#include "varinput.h"

void Show_RangeError() { std::cout << "変数、範囲の与え方が間違っています" << std::endl; }

int Parse_RangeLine(const char* line, char* var_name, double* min_value, double* max_value,
                    int* step_num) {
    int given_steps = *step_num;
    int result = Analysis_Variable(line, var_name, NAME_SIZE, min_value, max_value, &given_steps);
    // A count of 0 would make every point of the sweep a division by zero.
    if (result < 1 || given_steps == 0) {
        Show_RangeError();
        return 0;
    }
    *step_num = given_steps;
    return 1;
}

namespace {
bool Is_Excluded(const char* name, const char* excluded1, const char* excluded2) {
    return (excluded1 != nullptr && std::strcmp(name, excluded1) == 0) ||
           (excluded2 != nullptr && std::strcmp(name, excluded2) == 0);
}
}  // namespace

void Ask_FixedValues(AscArray<double>& array, NameBuffer* copy_label, int count,
                     const char* excluded1, const char* excluded2) {
    bool any_asked = false;
    for (int i = 0; i < count; ++i) {
        if (Is_Excluded(copy_label[i], excluded1, excluded2)) continue;
        if (!any_asked) std::cout << "以下に表示される変数の値を入力してください。\n";
        any_asked = true;
        std::cout << copy_label[i] << "=";
        char value_line[VALUE_LINE_SIZE];
        Input_Line(std::cin, value_line, VALUE_LINE_SIZE);
        double value = 0.0;
        C_To_Double(value_line, &value);
        array[copy_label[i]] = value;
    }
}

int Count_OtherNames(NameBuffer* copy_label, int count, const char* excluded1,
                     const char* excluded2) {
    int others = 0;
    for (int i = 0; i < count; ++i)
        if (!Is_Excluded(copy_label[i], excluded1, excluded2)) ++others;
    return others;
}

void Write_FixedValues(ReportWriter& out, AscArray<double>& array, NameBuffer* copy_label,
                       int count, const char* excluded1, const char* excluded2) {
    for (int i = 0; i < count; ++i) {
        if (Is_Excluded(copy_label[i], excluded1, excluded2)) continue;
        out << copy_label[i] << "\t" << NumText(array[copy_label[i]]) << "\n";
    }
}

namespace {
const char REPORT_WRITE_FAILURE[] = "ファイル書き込みに失敗しました。\n";
}  // namespace

int Open_ReportFile(std::ofstream& output_stream) {
    std::cout << "---------------------------------\n";
    std::cout << "出力先のファイル名を入力してください(max79) :";
    char optfile_name[FILE_NAME_SIZE];
    Input_Line(std::cin, optfile_name, FILE_NAME_SIZE);
    output_stream.open(optfile_name, std::ios::out | std::ios::app);
    if (!output_stream.is_open()) {
        std::cout << REPORT_WRITE_FAILURE;
        return 0;
    }
    output_stream << "\n****************************計算結果を記録します\n";
    return 1;
}

int Close_ReportFile(std::ofstream& output_stream) {
    output_stream.close();
    if (!output_stream.fail()) return 1;
    std::cout << REPORT_WRITE_FAILURE;
    return 0;
}

void Write_ResultRule(ReportWriter& out) { out << "----------関数計算の結果-------------\n"; }

double Step_Width(double min_value, double max_value, int step_number) {
    return (max_value - min_value) / step_number;
}

double Sweep_Point(int index, double step_value, double min_value) {
    return index * step_value + min_value;
}

double Evaluate_Or_Exit(EvalProgram& program, int* error_code, ReportWriter& report,
                        const char* message) {
    double value = program.Run(error_code);
    if (*error_code == 0) {
        report.flush();
        std::cout << message << std::flush;
        std::exit(1);
    }
    return value;
}
