// What the script commands say when a file or a standard stream fails: what
// could not be read or written, and the system's reason, on standard error.
#ifndef KANSU_APP_SCRIPTFAILURE_H
#define KANSU_APP_SCRIPTFAILURE_H

#include <string>

// The system's text for an error number; a general one for 0 (no number known).
std::string Error_Reason(int error_number);
// The reason of a FileStatus that Read_RegularFile or Check_OutputPath gave.
std::string FileStatus_Reason(int file_status);

void Say_OutputFailed(int error_number);
void Say_InputFailed(int error_number);
void Say_WriteFailed(const std::string& path, const std::string& reason);
void Say_ReadFailed(const std::string& path, const std::string& reason);

#endif
