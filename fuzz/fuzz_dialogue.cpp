// The whole console dialogue driven from a byte stream: menu, modes, commands,
// the save question. Files it names land in a scratch directory, emptied after
// every input.
#include <cstdint>
#include <sstream>
#include <string>

#include "fuzz_common.h"
#include "main.h"
#include "modecommon.h"
#include "usrfunc.h"

namespace {
// Where the program would end (an evaluation error) or the sweep outgrew the
// budget, the run is unwound back to the harness instead.
struct RunEnded {};

// Evaluations left for the current input.
long g_evaluations_left = 0;
const long EVALUATION_BUDGET = 2000;
}  // namespace

extern "C" void __real__Z15Ask_SaveChangesR12UsrFuncArray(UsrFuncArray& ufunc_list);
extern "C" double __real__Z16Evaluate_Or_ExitR11EvalProgramPiR12UsrFuncArrayR12ReportWriterPKc(
    EvalProgram& program, int* error_code, UsrFuncArray& ufunc_list, ReportWriter& report,
    const char* message);

// Reached only from the evaluation-error exit: the question is asked as the
// program would, then the run ends here instead of the whole process.
extern "C" void __wrap__Z15Ask_SaveChangesR12UsrFuncArray(UsrFuncArray& ufunc_list) {
    __real__Z15Ask_SaveChangesR12UsrFuncArray(ufunc_list);
    throw RunEnded();
}

extern "C" double __wrap__Z16Evaluate_Or_ExitR11EvalProgramPiR12UsrFuncArrayR12ReportWriterPKc(
    EvalProgram& program, int* error_code, UsrFuncArray& ufunc_list, ReportWriter& report,
    const char* message) {
    if (--g_evaluations_left < 0) throw RunEnded();
    return __real__Z16Evaluate_Or_ExitR11EvalProgramPiR12UsrFuncArrayR12ReportWriterPKc(
        program, error_code, ufunc_list, report, message);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Silence_Console();
    std::filesystem::current_path(fuzz::Scratch_Dir());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string typed(reinterpret_cast<const char*>(data), size);
    // Every file it names stays in the scratch directory.
    if (typed.find_first_of("/\\") != std::string::npos) return 0;
    if (!fuzz::Within_Budget(typed, 1, Is_LineBlank)) return 0;
    std::istringstream input(typed);
    std::streambuf* keyboard = std::cin.rdbuf(input.rdbuf());
    std::cin.clear();
    g_evaluations_left = EVALUATION_BUDGET;
    try {
        Kansu_Main();
    } catch (const RunEnded&) {
    }
    std::cin.rdbuf(keyboard);
    g_ufunc_list.DeleteAllObject();
    fuzz::Empty_Dir(fuzz::Scratch_Dir());
    return 0;
}
