#include "app/tablecommand.h"

#include <cerrno>
#include <iostream>

#include "app/csvrows.h"
#include "app/scriptfailure.h"
#include "app/reportencoding.h"
#include "app/tablereport.h"
#include "progress/calcstop.h"
#include "files/appendlock.h"
#include "files/safefile.h"
#include "modes/modecommon.h"
#include "plot/plotcommand.h"
#include "report/reportfile.h"
#include "text/messages.h"
#include "userfunc/saverecord.h"
#include "userfunc/usrfunc.h"

namespace {
// The report, or its rows as CSV (the header line when asked), written to sink.
RunResult Write_Table(TableReport& table, bool csv, std::ostream& sink, bool csv_header = true) {
    if (!csv) {
        Write_ReportHead(sink);
        SweepReport report(sink, g_ufunc_list);
        table.Write(report);
        return report.Close();
    }
    if (csv_header) sink << table.Csv_Header() << "\n";
    CsvRows rows(sink, table.Csv_Columns());
    std::ostream csv_text(&rows);
    SweepReport report(csv_text, g_ufunc_list);
    table.Write(report);
    return report.Close();
}

// The outcome as a status, with the message of a failure: what could not be
// written (the file at path, or standard output when it is empty) and why.
int Status_Of(const RunResult& result, const std::string& path, int error_number) {
    if (result.evaluation_error != nullptr) {
        std::cout << Console_Text(result.evaluation_error);
        return SCRIPT_FAILED;
    }
    if (result.status == 1) return SCRIPT_DONE;
    if (path.empty())
        Say_OutputFailed(error_number);
    else
        Say_WriteFailed(path, Error_Reason(error_number));
    return SCRIPT_FAILED;
}

// Why the report file cannot be opened for appending.
std::string Open_Reason(int file_status, int error_number) {
    if (file_status == FILE_NOT_REGULAR) return Msg().SCRIPT_NOT_REGULAR;
    return Error_Reason(error_number);
}

// Appends to the file as the dialogue appends a report, under the report's
// lock. A report that fails, or that a signal cuts short, leaves the file as
// it was: cut back to its length and times, or removed when new.
int Append_Table(TableReport& table, const ScriptOptions& options) {
    const std::string& path = options.output_path;
    RunResult result;
    int write_error = 0;
    {
        ReportFile file;
        errno = 0;
        int opened =
            Check_OutputPath(path) == FILE_NOT_REGULAR ? FILE_NOT_REGULAR : file.Open_Locked(path);
        if (opened != FILE_DONE) {
            if (Termination_Signal() != 0) return Tell_SignalEnd(path);
            Say_WriteFailed(path, Open_Reason(opened, errno));
            return SCRIPT_FAILED;
        }
        {
            // CSV has its header only at the top; a report keeps the file's encoding.
            ReportEncodingScope encoding(path, !options.csv, std::cerr);
            // The first failure after the open is the write's: its reason is kept.
            errno = 0;
            result = Write_Table(table, options.csv, file, file.Was_Empty());
            file.close();
            write_error = errno;
        }
        if (file.fail()) result.status = 0;
        if (Termination_Signal() != 0) {
            file.Give_Back();
            return Tell_SignalEnd(path);
        }
        if (result.status != 1) file.Give_Back();
    }
    int status = Status_Of(result, path, write_error);
    if (status == SCRIPT_DONE && options.plot) Draw_PictureBeside(path);
    return status;
}

// The save file that --functions reads, or any save file, is never a report.
bool Is_SaveFileOutput(const ScriptOptions& options) {
    const std::string& path = options.output_path;
    if (!options.functions_path.empty() && Same_File(path, options.functions_path)) return true;
    std::string start;
    return Read_FileStart(path, UFUNC_FILE_ID_SIZE, &start) &&
           start.compare(0, std::string::npos, UFUNC_FILE_ID, UFUNC_FILE_ID_SIZE) == 0;
}
}  // namespace

int Run_Table(const ScriptOptions& options, std::ostream& out) {
    if (options.plot && (options.output_path.empty() || options.csv)) {
        std::cout << Msg().SCRIPT_PLOT_NEEDS_FILE << Msg().TABLE_USAGE;
        return SCRIPT_USAGE;
    }
    if (!options.output_path.empty() && Is_SaveFileOutput(options)) {
        std::cout << Msg().SCRIPT_OUTPUT_IS_SAVE_FILE << options.output_path << "\n";
        return SCRIPT_USAGE;
    }
    VariableValues values;
    if (!Read_VariableValues(options.assignments, &values)) return SCRIPT_FAILED;
    std::unique_ptr<TableReport> table = Prepare_TableReport(options.mode, options.texts, values);
    if (!table) return SCRIPT_FAILED;
    if (options.csv && table->Csv_Header()[0] == '\0') {
        std::cout << Msg().SCRIPT_CSV_NO_TABLE;
        return SCRIPT_FAILED;
    }
    if (!options.output_path.empty()) return Append_Table(*table, options);
    errno = 0;
    RunResult result = Write_Table(*table, options.csv, out);
    return Status_Of(result, std::string(), errno);
}
