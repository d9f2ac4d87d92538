#include "app/runnotes.h"

#include <iostream>

#include "console/consoleterminal.h"
#include "plot/plotcommand.h"
#include "text/messages.h"

void Note_RunOutcome(const RunResult& result, bool picture_beside) {
    if (result.report_path.empty()) return;
    bool drawn = picture_beside && Draw_PictureBeside(result.report_path);
    // A piped session keeps its output as it always was.
    if (!Output_IsTerminal() || result.status == 0) return;
    std::cerr << result.report_path << Msg().REPORT_APPENDED_BEFORE << result.lines_written
              << Msg().REPORT_APPENDED_AFTER << std::endl;
    if (drawn)
        std::cerr << Picture_PathBeside(result.report_path) << Msg().PICTURE_WRITTEN << std::endl;
}
