#include "files/flcopy.h"

namespace {
const std::streamsize COPY_CHUNK = 4096;
}

int AllFile_Copy(const char* the_source, const char* the_target) {
    std::ifstream in_stm(the_source, std::ios::in | std::ios::binary);
    if (!in_stm) return 0;
    std::ofstream ofl_stm(the_target, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!ofl_stm) return 0;
    char chunk[COPY_CHUNK];
    while (in_stm.read(chunk, COPY_CHUNK) || in_stm.gcount() > 0) {
        if (!ofl_stm.write(chunk, in_stm.gcount())) return 0;
    }
    if (in_stm.bad()) return 0;
    // Closing flushes: a full disk shows here at the latest.
    ofl_stm.close();
    return ofl_stm.fail() ? 0 : 1;
}

int Copy_PartFile(std::ifstream& in_stm, std::ofstream& ofl_stm, long start_pos, long end_pos) {
    if (!in_stm.is_open() || !ofl_stm.is_open() || !in_stm.good() || !ofl_stm.good()) return -1;
    if (start_pos < 0 || !in_stm.seekg(start_pos)) return 0;
    char chunk[COPY_CHUNK];
    for (long left = end_pos - start_pos; left > 0;) {
        std::streamsize wanted = left < COPY_CHUNK ? left : COPY_CHUNK;
        in_stm.read(chunk, wanted);
        std::streamsize got = in_stm.gcount();
        if (got > 0 && !ofl_stm.write(chunk, got)) return 0;
        if (got < wanted) return 0;
        left -= got;
    }
    // Flushed here so that a write the disk refused is reported by this copy.
    return ofl_stm.flush() ? 1 : 0;
}
