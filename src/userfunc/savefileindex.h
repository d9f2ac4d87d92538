// A save file used without loading it whole (kansu eval/table --functions):
// one pass keeps a hash and an offset per record, and a formula's analysis
// then defines only the functions it calls and the functions those call.
// Memory stays in proportion to the formula, not to the file.
#ifndef KANSU_SAVEFILEINDEX_H
#define KANSU_SAVEFILEINDEX_H

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "userfunc/saveoutcome.h"
#include "userfunc/saverecord.h"

class UsrFuncArray;

class SaveFileIndex {
public:
    // SAVE_DONE indexed; LOAD_NOT_SAVE_FILE; LOAD_UNREADABLE; SAVE_NOT_REGULAR;
    // SAVE_TOO_MANY_FILES. A broken record ends the index (Damaged()).
    SaveOutcome Open(const std::string& path);
    bool Damaged() const { return damaged_; }
    size_t RecordCount() const { return slots_.size(); }
    // name's last record (the definition that counts); false when the file
    // holds none.
    bool Find(const std::string& name, SavedRecord* last) const;

    struct Slot {
        uint32_t hash;
        uint32_t position;
    };

private:
    std::string path_;
    long file_end_ = 0;
    bool damaged_ = false;
    std::vector<Slot> slots_;  // by hash, then by position
};

// Names that a formula text may call: a name followed by "(" (a summation
// range such as n(1,10) counts too; looking it up costs nothing).
std::vector<std::string> Called_Names(std::string_view text);

// Empties the registry and gives it the index of the save file at path as the
// place its functions come from: the same results as Create_UFunctionTable.
SaveOutcome Index_UFunctionFile(UsrFuncArray& ufunc_list, const char* path);

#endif
