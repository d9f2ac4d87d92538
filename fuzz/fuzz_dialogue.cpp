// The whole console dialogue driven from a byte stream: menu, modes, commands,
// the save question; an evaluation error ends Kansu_Main as it ends the
// program. Files it names land in a scratch directory, emptied after every
// input.
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz_common.h"
#include "app/main.h"
#include "console/consoleio.h"
#include "console/formulainput.h"
#include "formula/formulatext.h"
#include "modes/explicit.h"
#include "report/sweepreport.h"
#include "userfunc/usrfunc.h"

namespace {
// A sweep that outgrows the budget is unwound back to the harness.
struct RunEnded {};

// Evaluations left for the current input.
long g_evaluations_left = 0;
const long EVALUATION_BUDGET = 2000;
}  // namespace

extern "C" double __real__ZN13ReportFormula5ValueEv(ReportFormula* formula);

extern "C" double __wrap__ZN13ReportFormula5ValueEv(ReportFormula* formula) {
    if (--g_evaluations_left < 0) throw RunEnded();
    return __real__ZN13ReportFormula5ValueEv(formula);
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::Silence_Console();
    std::filesystem::current_path(fuzz::Scratch_Dir());
    // Recovery files of unsaved functions, and anything else kept under HOME,
    // land in the scratch directory too, never in the user's state folder.
    setenv("HOME", fuzz::Scratch_Dir().c_str(), 1);
    setenv("XDG_STATE_HOME", (fuzz::Scratch_Dir() + "/state").c_str(), 1);
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
