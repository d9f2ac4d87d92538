#include "app/scriptfailure.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "files/safefile.h"
#include "text/messages.h"

std::string Error_Reason(int error_number) {
    return std::strerror(error_number != 0 ? error_number : EIO);
}

std::string FileStatus_Reason(int file_status) {
    switch (file_status) {
    case FILE_MISSING: return Error_Reason(ENOENT);
    case FILE_DENIED: return Error_Reason(EACCES);
    case FILE_NOT_REGULAR: return Msg().SCRIPT_NOT_REGULAR;
    default: return Error_Reason(Last_FileError());
    }
}

void Say_OutputFailed(int error_number) {
    std::cerr << Msg().SCRIPT_STDOUT_FAILED << Error_Reason(error_number) << std::endl;
}

void Say_InputFailed(int error_number) {
    std::cerr << Msg().SCRIPT_STDIN_FAILED << Error_Reason(error_number) << std::endl;
}

void Say_WriteFailed(const std::string& path, const std::string& reason) {
    std::cerr << Msg().SCRIPT_WRITE_FAILED << path << ": " << reason << std::endl;
}

void Say_ReadFailed(const std::string& path, const std::string& reason) {
    std::cerr << Msg().SCRIPT_READ_FAILED << path << ": " << reason << std::endl;
}
