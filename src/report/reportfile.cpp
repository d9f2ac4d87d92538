#include "report/reportfile.h"

#include <iostream>

#include "progress/calcstop.h"
#include "files/appendlock.h"
#include "files/safefile.h"
#include "text/messages.h"

namespace {
void Say_Waiting(const std::string& path) {
    std::cerr << Msg().REPORT_LOCK_WAITING << path << std::endl;
}
}  // namespace

ReportFile::ReportFile() = default;
ReportFile::~ReportFile() = default;

int ReportFile::Open_Locked(const std::string& path_name) {
    lock_.reset(new AppendLock(path_name, Say_Waiting));
    int status = lock_->Status();
    if (status != FILE_DONE) {
        lock_.reset();
        return status;
    }
    open(lock_->Target(), std::ios::out | std::ios::app);
    if (!is_open()) {
        lock_->Restore();
        lock_.reset();
        return FILE_FAILED;
    }
    path = path_name;
    return FILE_DONE;
}

bool ReportFile::Give_Back() {
    if (is_open()) close();
    bool restored = lock_ != nullptr && lock_->Restore();
    lock_.reset();
    return restored;
}

bool ReportFile::Was_Empty() const { return lock_ == nullptr || lock_->Length() == 0; }

int Tell_SignalEnd(const std::string& kept_path) {
    int signal_number = Termination_Signal();
    std::cerr << Msg().SCRIPT_SIGNAL_BEFORE << signal_number << Msg().SCRIPT_SIGNAL_MIDDLE
              << signal_number;
    if (!kept_path.empty()) std::cerr << Msg().SCRIPT_SIGNAL_KEPT << kept_path;
    std::cerr << std::endl;
    return 128 + signal_number;
}

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
