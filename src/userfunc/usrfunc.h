// The registry of user-defined functions, their definitions, and their binary save file.
#ifndef KANSU_USRFUNC_H
#define KANSU_USRFUNC_H

#include <cstddef>
#include <fstream>
#include <istream>
#include <map>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "userfunc/baselnlist.h"
#include "formula/fmula.h"
#include "formula/functionnames.h"
#include "userfunc/saveoutcome.h"
#include "userfunc/saverecord.h"

class SaveFileIndex;

// One registered function; label is its name.
class UsrFuncProp : public BaseLnList {
public:
    long filePos;             // offset of its record in the save file, -1 when none
    unsigned short argNum;    // arguments a0 .. a(argNum-1)
    unsigned short rtvKind;   // result kind code 1-8 (8 double)
    unsigned short chngFlag;  // 1 when changed since its record was last written
    CompForm* funcDef;        // analysed definition, null when undefined
    int funcAryNum;           // items in funcDef, -1 when undefined
    CompForm* funcRoot;       // tree root inside funcDef
    // A definition known to analyse, held as its text until it is first used
    // (then funcDef holds it): a loaded save file costs its texts, not item
    // arrays. Null when funcDef holds the definition or there is none.
    char* heldDef;
    // What several runs sharing a save file need to merge their saves: whether
    // this run changed the function since it last read or wrote its record, and
    // that record's bytes as this run knows them (empty when it knows none).
    bool changedSinceRead;
    RecordStamp knownRecord;

    // def_string, when not null, is analysed with the calls function_names allows.
    UsrFuncProp(const char* key, long file_pos, unsigned short arg_Number, unsigned short ret_kind,
                unsigned short flag, const char* def_string, const FunctionNames& function_names);
    ~UsrFuncProp() override;

    UsrFuncProp* NextPnt() override;
    // function_names: the functions a new definition may call (its registry).
    int ChangeFuncDef(const char* def_string, unsigned short num_Arg, unsigned short ret_Kind,
                      const FunctionNames& function_names);
    // ChangeFuncDef for a definition read from a save file: it is analysed now
    // (a refusal is said now), but only its text is kept until it is used.
    int LoadFuncDef(const char* def_string, unsigned short num_Arg, unsigned short ret_Kind,
                    const FunctionNames& function_names);
    bool IsDefined() const { return funcDef != nullptr || heldDef != nullptr; }
    // The tree of the definition, its items made from a held text first (with
    // the calls function_names allows); null when undefined (or when a held
    // text no longer analyses).
    CompForm* DefinitionRoot(const FunctionNames& function_names);
    // New text (caller frees with delete[]) or null when undefined; outputs 0 and 10 then.
    char* GetFuncDef(unsigned short* arg_Number, unsigned short* ret_kind);
    int PrintContent(std::ostream& optstrm);
    int PrintFuncMame(std::ostream& optstrm);
    // Writes the record (1); 0 and nothing written when undefined.
    int SaveData(std::ostream& savetofile);

private:
    void Set_Definition(const char* def_string, const FunctionNames& function_names);
    void Hold_Definition(const char* def_string, const FunctionNames& function_names);
    int Change_Definition(const char* def_string, unsigned short num_Arg, unsigned short ret_Kind,
                          bool held, const FunctionNames& function_names);
    void Free_Definition();
};

// The registry answers the scanner's question about function names: a
// definition or formula may call the functions defined here.
class UsrFuncArray : public FunctionNames {
public:
    explicit UsrFuncArray(const char* file_path);
    ~UsrFuncArray();
    UsrFuncArray(const UsrFuncArray&) = delete;
    UsrFuncArray& operator=(const UsrFuncArray&) = delete;

    int DeleteAllObject();
    // Exchanges every entry, the source file and the pending deletions.
    void Swap(UsrFuncArray& other);
    int AddUFncElem(const char* key, long file_pos, unsigned int arg_Number,
                    unsigned short ret_kind, const char* def_string);
    UsrFuncProp* DelUFncElement(const char* key, long* file_pos, int* the_state);
    // Removes the function and its record from the save file as it is now
    // (savefile.cpp), a SaveOutcome: SAVE_DONE; DELETE_NOT_REGISTERED;
    // DELETE_FILE_NOT_REMOVED the emptied file could not be removed;
    // DELETE_RECORD_KEPT the record stays in the file; SAVE_LOCK_BUSY,
    // SAVE_NO_LOCK, SAVE_TOO_MANY_FILES or SAVE_DENIED the record stays in the
    // file for that reason.
    int DelUFncElem(const char* key);
    long ElementSaveNum();
    long& AccFilePos(const char* key);
    unsigned short PutArgNum(const char* key) const;
    // Reads the named record from the save file as it is now (savefile.cpp), a
    // SaveOutcome: SAVE_DONE the definition is set; DEFINITION_EMPTY,
    // DEFINITION_NO_RECORD, DEFINITION_NO_SOURCE, DEFINITION_UNREADABLE,
    // DEFINITION_RECORD_DAMAGED, SAVE_LOCK_BUSY (another run kept the file) or
    // SAVE_TOO_MANY_FILES (no file descriptor was left).
    int SetFuncDefFrmFile(const char* key);
    int PrintContent(const char* key, std::ostream& optstrm);
    CompForm* operator[](const char* key) const;
    int operator()(const char* key) const;  // 0 unknown, 1 undefined, 2 defined
    // argNum of a defined function, -1 for an unknown or undefined one.
    int DefinedArgNum(const char* key) const override;
    UsrFuncProp* FirstPnt() const { return the_root; }
    char* GetSourceFile() const { return ufndef_file; }
    int ChangeSourceFile(const char* file_path, int set_flag);
    int GetChangeFlag();

    UsrFuncProp* Find(const char* key) const;
    // Removes an entry without remembering it as deleted by this run.
    void Forget(const char* key);
    // Records of functions this run deleted while the save file still held them
    // (name, stamp of the record's bytes): a save drops exactly these records.
    std::map<std::string, RecordStamp>& DeletedRecords() { return deleted_records; }
    // A save file used through its index (savefileindex.cpp): its functions
    // are registered and defined when a formula calls them, by
    // Take_CalledFunctions before the formula is analysed.
    void Use_FileIndex(std::unique_ptr<SaveFileIndex> index);
    void Take_CalledFunctions(std::string_view formula);

private:
    UsrFuncProp* the_root;
    char* ufndef_file;
    std::map<std::string, RecordStamp> deleted_records;
    // The entries of the list by name: finding one, or the place of a new one,
    // takes a logarithmic time, so that loading many functions is not quadratic.
    // Keyed by the entry's own label, not a copy of it.
    std::map<std::string_view, UsrFuncProp*, std::less<>> by_name;
    std::unique_ptr<SaveFileIndex> file_index;
};

// The one registry of the program.
extern UsrFuncArray g_ufunc_list;

int DelBlunk_String(char* the_target, const char* the_source, long the_size);

// Longest definition text: what the console line reader keeps.
const size_t DEFINITION_MAX_LENGTH = 255;
// Analyses a definition text into a new exact-length item array, calling the
// functions function_names allows: its number of items, 0 (messages written)
// when refused.
int Formula_Analysis(CompForm** the_formlist, const char* line_array,
                     const FunctionNames& function_names);

// Kind text of a result or argument kind code 1-8 ("double " for 8); null for any other.
const char* Kind_Text(unsigned short kind_code);

#endif
