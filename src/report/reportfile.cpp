#include "report/reportfile.h"

#include <iostream>

#include "console/interrupt.h"
#include "text/messages.h"

int Close_ReportFile(std::ofstream& output_stream) {
    output_stream.close();
    if (Calculation_Interrupted()) {
        Clear_CalculationInterrupt();
        std::cout << Console_Msg().CALCULATION_INTERRUPTED;
        return 1;
    }
    if (!output_stream.fail()) return 1;
    std::cout << Console_Msg().REPORT_WRITE_FAILURE;
    return 0;
}
