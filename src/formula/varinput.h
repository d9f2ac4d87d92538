// Range texts such as x(1,10) or x(1,10)[50].
#ifndef KANSU_VARINPUT_H
#define KANSU_VARINPUT_H

// 1 accepted; 0 text ended early; -1 empty; -2 bad name; -3 bad lower bound;
// -4 bad upper bound; -5 bad division count. step_num is set only when a count is given.
int Analysis_Variable(const char* formula, char* var_name, int var_size, double* min_val,
                      double* max_val, int* step_num);

int Get_VariName(int letter, char* var_name, int* position, int max_array);
int Get_MinValue(int letter, char* min_value_chr, int* position, int max_array);
int Get_MaxValue(int letter, char* max_value_chr, int* position, int max_array);
int Get_StepValue(int letter, char* step_num_chr, int* position, int max_array);

#endif
