#include "formula/varinput.h"

#include <climits>
#include <cmath>

#include "formula/fmula.h"
#include "text/textchar.h"

namespace {
const int NUMBER_BUFFER = 80;

bool Is_Letter(int letter) {
    return (letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z');
}
bool Is_Digit(int letter) { return letter >= '0' && letter <= '9'; }

// Shared step of the three number pieces: terminator ends the piece, blanks are
// dropped, anything else is kept for the number conversion.
int Number_Piece(int letter, char* buffer, int* position, int max_array, int terminator,
                 int this_state, int next_state, int error_state) {
    if (*position >= max_array) return error_state;
    if (letter == terminator) {
        buffer[*position] = '\0';
        return next_state;
    }
    if (!Is_TextBlank(letter)) buffer[(*position)++] = static_cast<char>(letter);
    return this_state;
}
}  // namespace

int Get_VariName(int letter, char* var_name, int* position, int max_array) {
    if (*position >= max_array) return -2;
    if (Is_Letter(letter) || Is_Digit(letter)) {
        var_name[(*position)++] = static_cast<char>(letter);
        return 1;
    }
    if (letter == '(') {
        var_name[*position] = '\0';
        return 2;
    }
    if (Is_TextBlank(letter)) return 1;
    return -2;
}

int Get_MinValue(int letter, char* min_value_chr, int* position, int max_array) {
    return Number_Piece(letter, min_value_chr, position, max_array, ',', 2, 3, -3);
}

int Get_MaxValue(int letter, char* max_value_chr, int* position, int max_array) {
    return Number_Piece(letter, max_value_chr, position, max_array, ')', 3, 4, -4);
}

int Get_StepValue(int letter, char* step_num_chr, int* position, int max_array) {
    return Number_Piece(letter, step_num_chr, position, max_array, ']', 5, 6, -5);
}

int Analysis_Variable(const char* formula, char* var_name, int var_size, double* min_val,
                      double* max_val, int* step_num) {
    if (formula[0] == '\0') return -1;
    int index = 0;
    while (Is_TextBlank(static_cast<unsigned char>(formula[index]))) ++index;
    if (!Is_Letter(static_cast<unsigned char>(formula[index]))) return -2;

    char min_text[NUMBER_BUFFER], max_text[NUMBER_BUFFER], step_text[NUMBER_BUFFER];
    int name_pos = 0, min_pos = 0, max_pos = 0, step_pos = 0;
    int state = 1;
    for (; formula[index] != '\0'; ++index) {
        int letter = static_cast<unsigned char>(formula[index]);
        switch (state) {
        case 1: state = Get_VariName(letter, var_name, &name_pos, var_size); break;
        case 2: state = Get_MinValue(letter, min_text, &min_pos, NUMBER_BUFFER); break;
        case 3: state = Get_MaxValue(letter, max_text, &max_pos, NUMBER_BUFFER); break;
        case 4:
            if (letter == '[') state = 5;
            break;
        case 5: state = Get_StepValue(letter, step_text, &step_pos, NUMBER_BUFFER); break;
        case 6: break;
        default: return state;  // an error met before this character
        }
    }
    if (state != 4 && state != 6) return 0;

    if (C_To_Double(min_text, min_val) != 1) return -3;
    if (C_To_Double(max_text, max_val) != 1) return -4;
    if (state == 6) {
        double count = 0.0;
        if (C_To_Double(step_text, &count) != 1) return -5;
        // A count that is not a finite int would make the conversion undefined.
        if (!std::isfinite(count) || count >= static_cast<double>(INT_MAX) + 1.0 ||
            count <= static_cast<double>(INT_MIN) - 1.0)
            return -5;
        *step_num = static_cast<int>(count);
    }
    return 1;
}
