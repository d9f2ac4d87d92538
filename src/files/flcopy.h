// Whole and partial copies of binary files.
#ifndef KANSU_FLCOPY_H
#define KANSU_FLCOPY_H

#include <fstream>

// 1 copied; 0 when either file cannot be opened (or the copy fails).
int AllFile_Copy(const char* the_source, const char* the_target);
// Copies bytes [start_pos, end_pos) of in_stm: 1 all copied, 0 input ended or a
// write failed, -1 a stream is not usable.
int Copy_PartFile(std::ifstream& in_stm, std::ofstream& ofl_stm, long start_pos, long end_pos);

#endif
