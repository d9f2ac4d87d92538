// The range text of every calculation mode, such as x(1,10)[50].
#include <cstdint>
#include <string>

#include "fuzz_common.h"
#include "modes/modecommon.h"
#include "formula/varinput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool silenced = (fuzz::Silence_Console(), true);
    (void)silenced;
    if (size >= RANGE_LINE_SIZE) return 0;  // the console keeps at most 418 characters
    std::string text(reinterpret_cast<const char*>(data), size);
    char name[NAME_SIZE];
    double min_value = 0.0, max_value = 0.0;
    int steps = 100;
    Analysis_Variable(text.c_str(), name, NAME_SIZE, &min_value, &max_value, &steps);
    steps = 100;
    Parse_RangeLine(text.c_str(), name, &min_value, &max_value, &steps);
    return 0;
}
