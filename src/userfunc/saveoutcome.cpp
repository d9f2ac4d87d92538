#include "userfunc/saveoutcome.h"

#include <cstring>
#include <iostream>
#include <iterator>

#include "files/safefile.h"
#include "text/messages.h"

namespace {
struct OutcomeText {
    SaveOutcome outcome;
    const char* Messages::*message;  // null: nothing is said
    bool with_reason;                // followed by the system's reason
};

// One row per value, from SAVE_DONE down to SAVE_OUTCOME_LOWEST.
constexpr OutcomeText OUTCOME_TEXTS[] = {
    {SAVE_DONE, nullptr, false},
    {SAVE_NO_SAVE_FILE, &Messages::SAVE_NOT_SAVE_FILE, false},
    {SAVE_WORK_COPY_FAILED, &Messages::SAVE_TEMP_CREATE_FAILED, false},
    {SAVE_WORK_COPY_LEFT, &Messages::SAVE_TEMP_ERASE_FAILED, false},
    {SAVE_PATH_EMPTY, &Messages::SAVE_NO_PATH, false},
    {SAVE_UNUSED_4, nullptr, false},
    {SAVE_NOT_CREATED, &Messages::SAVE_CREATE_FAILED, false},
    {SAVE_UNUSED_6, nullptr, false},
    {SAVE_UNUSED_7, nullptr, false},
    {SAVE_NOTHING_CHANGED, &Messages::SAVE_NOTHING, false},
    {SAVE_PATH_TAKEN, &Messages::SAVE_FILE_EXISTS, false},
    {SAVE_FAILED, &Messages::SAVE_UNKNOWN_FAILURE, false},
    {SAVE_DENIED, &Messages::FILE_WRITE_DENIED, false},
    {SAVE_NOT_REGULAR, &Messages::FILE_NOT_REGULAR, false},
    {SAVE_LOCK_BUSY, &Messages::FILE_LOCK_BUSY, false},
    {SAVE_FILE_DAMAGED, &Messages::SAVE_FILE_DAMAGED, false},
    {SAVE_PATH_TOO_LONG, nullptr, false},
    {SAVE_NO_LOCK, &Messages::FILE_NO_LOCK, true},
    {SAVE_TOO_MANY_FILES, &Messages::FILE_TOO_MANY, true},
    {SAVE_NO_MEMORY, &Messages::OUT_OF_MEMORY, false},
    {LOAD_NOT_SAVE_FILE, &Messages::LOAD_NOT_SAVE_FILE, false},
    {LOAD_UNREADABLE, &Messages::LOAD_OPEN_FAILED, false},
    {LOAD_PATH_EMPTY, &Messages::LOAD_NO_PATH, false},
    {DEFINITION_NO_NAME, &Messages::LOAD_NO_NAME, false},
    {DEFINITION_EMPTY, &Messages::DEFINITION_WRITE_FAILED, false},
    {DEFINITION_NO_RECORD, &Messages::DEFINITION_NOT_SAVED, false},
    {DEFINITION_NO_SOURCE, &Messages::DEFINITION_NO_SAVE_FILE, false},
    {DEFINITION_UNREADABLE, &Messages::DEFINITION_OPEN_FAILED, false},
    {DEFINITION_RECORD_DAMAGED, &Messages::DEFINITION_RECORD_DAMAGED, false},
    {DELETE_NOT_REGISTERED, &Messages::DELETE_NOT_FOUND, false},
    {DELETE_FILE_NOT_REMOVED, &Messages::DELETE_FILE_ERASE_FAILED, false},
    {DELETE_RECORD_KEPT, &Messages::DELETE_KEPT_IN_FILE, false},
};
static_assert(std::size(OUTCOME_TEXTS) == SAVE_DONE - SAVE_OUTCOME_LOWEST + 1,
              "every save outcome has one row");

constexpr bool Rows_InOrder() {
    for (size_t i = 0; i < std::size(OUTCOME_TEXTS); ++i)
        if (OUTCOME_TEXTS[i].outcome != SAVE_DONE - static_cast<int>(i)) return false;
    return true;
}
static_assert(Rows_InOrder(), "the row of each outcome lies at SAVE_DONE - outcome");

const OutcomeText* Row_Of(int outcome) {
    if (outcome > SAVE_DONE || outcome < SAVE_OUTCOME_LOWEST) return nullptr;
    return &OUTCOME_TEXTS[SAVE_DONE - outcome];
}

// The file statuses that are outcomes of their own.
const struct {
    int file_status;
    SaveOutcome outcome;
} OWN_OUTCOMES[] = {
    {FILE_DENIED, SAVE_DENIED},    {FILE_NOT_REGULAR, SAVE_NOT_REGULAR},
    {FILE_TAKEN, SAVE_PATH_TAKEN}, {FILE_LOCK_BUSY, SAVE_LOCK_BUSY},
    {FILE_NO_LOCK, SAVE_NO_LOCK},  {FILE_TOO_MANY, SAVE_TOO_MANY_FILES},
};
}  // namespace

const char* Outcome_Message(int outcome) {
    const OutcomeText* row = Row_Of(outcome);
    return row == nullptr || row->message == nullptr ? nullptr : Msg().*(row->message);
}

bool Outcome_HasReason(int outcome) {
    const OutcomeText* row = Row_Of(outcome);
    return row != nullptr && row->with_reason;
}

void Say_Outcome(int outcome) {
    const char* message = Outcome_Message(outcome);
    if (message == nullptr) return;
    std::cout << message;
    if (Outcome_HasReason(outcome)) std::cout << std::strerror(Last_FileError());
    std::cout << std::endl;
}

SaveOutcome File_Outcome(int file_status, SaveOutcome otherwise, std::initializer_list<int> own) {
    for (int named : own)
        if (named == file_status) return File_Outcome(file_status, otherwise);
    return file_status == FILE_DONE ? SAVE_DONE : otherwise;
}

SaveOutcome File_Outcome(int file_status, SaveOutcome otherwise) {
    if (file_status == FILE_DONE) return SAVE_DONE;
    for (const auto& pair : OWN_OUTCOMES)
        if (pair.file_status == file_status) return pair.outcome;
    return otherwise;
}

bool Is_FileOutcome(int outcome) {
    for (const auto& pair : OWN_OUTCOMES)
        if (pair.outcome == outcome) return true;
    return false;
}
