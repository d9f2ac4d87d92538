#include "app/tablecommand.h"

#include <cerrno>
#include <filesystem>
#include <iostream>
#include <system_error>

#include "app/csvrows.h"
#include "app/scriptfailure.h"
#include "app/tablereport.h"
#include "files/safefile.h"
#include "modes/modecommon.h"
#include "plot/plotcommand.h"
#include "report/reportfile.h"
#include "text/messages.h"
#include "userfunc/usrfunc.h"

namespace {
// The report, or its rows as CSV, written to sink.
RunResult Write_Table(TableReport& table, bool csv, std::ostream& sink) {
    if (!csv) {
        Write_ReportHead(sink);
        SweepReport report(sink, g_ufunc_list);
        table.Write(report);
        return report.Close();
    }
    sink << table.Csv_Header() << "\n";
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
        std::cout << result.evaluation_error;
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
std::string Open_Reason(const std::string& path, const std::error_code& error, int error_number) {
    if (Check_OutputPath(path) == FILE_NOT_REGULAR) return Msg().SCRIPT_NOT_REGULAR;
    if (error) return error.message();
    return Error_Reason(error_number);
}

// Appends to the file as the dialogue appends a report. A report that fails
// leaves the file as it was: cut back to its length, or removed when new.
int Append_Table(TableReport& table, const ScriptOptions& options) {
    const std::string& path = options.output_path;
    std::error_code error;
    bool existed = std::filesystem::exists(path, error);
    std::uintmax_t kept = existed ? std::filesystem::file_size(path, error) : 0;
    ReportFile file;
    errno = 0;
    if (!error && Check_OutputPath(path) != FILE_NOT_REGULAR)
        file.open(path, std::ios::out | std::ios::app);
    if (!file.is_open()) {
        Say_WriteFailed(path, Open_Reason(path, error, errno));
        return SCRIPT_FAILED;
    }
    // The first failure after the open is the write's: its reason is kept.
    errno = 0;
    RunResult result = Write_Table(table, options.csv, file);
    file.close();
    int write_error = errno;
    if (file.fail()) result.status = 0;
    if (result.status != 1) {
        if (existed)
            std::filesystem::resize_file(path, kept, error);
        else
            std::filesystem::remove(path, error);
    }
    int status = Status_Of(result, path, write_error);
    if (status == SCRIPT_DONE && options.plot) Draw_PictureBeside(path);
    return status;
}
}  // namespace

int Run_Table(const ScriptOptions& options, std::ostream& out) {
    if (options.plot && (options.output_path.empty() || options.csv)) {
        std::cout << Msg().SCRIPT_PLOT_NEEDS_FILE << Msg().TABLE_USAGE;
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
