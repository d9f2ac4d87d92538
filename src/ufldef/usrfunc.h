// The registry of user-defined functions, their definitions, and their binary save file.
#ifndef KANSU_USRFUNC_H
#define KANSU_USRFUNC_H

#include <cstddef>
#include <fstream>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "baselnlist.h"
#include "fmula.h"
#include "saverecord.h"

// One registered function; label is its name.
class UsrFuncProp : public BaseLnList {
public:
    long filePos;              // offset of its record in the save file, -1 when none
    unsigned short argNum;     // arguments a0 .. a(argNum-1)
    unsigned short rtvKind;    // result kind code 1-8 (8 double)
    unsigned short chngFlag;   // 1 when changed since its record was last written
    CompForm* funcDef;         // analysed definition, null when undefined
    int funcAryNum;            // items in funcDef, -1 when undefined
    CompForm* funcRoot;        // tree root inside funcDef

    UsrFuncProp(const char* key, long file_pos, unsigned short arg_Number,
                unsigned short ret_kind, unsigned short flag, const char* def_string);
    ~UsrFuncProp() override;

    UsrFuncProp* NextPnt() override;
    int ChangeFuncDef(const char* def_string, unsigned short num_Arg, unsigned short ret_Kind);
    // New text (caller frees with delete[]) or null when undefined; outputs 0 and 10 then.
    char* GetFuncDef(unsigned short* arg_Number, unsigned short* ret_kind);
    int PrintContent(std::ostream& optstrm);
    int PrintFuncMame(std::ostream& optstrm);
    // Writes the record (1); 0 and nothing written when undefined.
    int SaveData(std::ostream& savetofile);

private:
    void Set_Definition(const char* def_string);
    void Free_Definition();
};

class UsrFuncArray {
public:
    explicit UsrFuncArray(const char* file_path);
    ~UsrFuncArray();
    UsrFuncArray(const UsrFuncArray&) = delete;
    UsrFuncArray& operator=(const UsrFuncArray&) = delete;

    int DeleteAllObject();
    int AddUFncElem(const char* key, long file_pos, unsigned int arg_Number,
                    unsigned short ret_kind, const char* def_string);
    UsrFuncProp* DelUFncElement(const char* key, long* file_pos, int* the_state);
    int DelUFncElem(const char* key);
    long ElementSaveNum();
    long& AccFilePos(const char* key);
    unsigned short PutArgNum(const char* key) const;
    // 1 set; 0 stored definition empty; -1 not registered or without record; -2 no
    // source file; -3 it cannot be opened; UFUNC_RECORD_DAMAGED no whole record
    // with this name at the entry's position (the file changed since it was read).
    int SetFuncDefFrmFile(const char* key);
    int PrintContent(const char* key, std::ostream& optstrm);
    CompForm* operator[](const char* key) const;
    int operator()(const char* key) const;  // 0 unknown, 1 undefined, 2 defined
    UsrFuncProp* FirstPnt() const { return the_root; }
    char* GetSourceFile() const { return ufndef_file; }
    int ChangeSourceFile(const char* file_path, int set_flag);
    int GetChangeFlag();

private:
    UsrFuncProp* Find(const char* key) const;

    UsrFuncProp* the_root;
    char* ufndef_file;
};

// The one registry of the program.
extern UsrFuncArray g_ufunc_list;

int SaveDate_ToFileNew(UsrFuncArray& the_target, const char* file_path);
// Rewrites the source file through the working copy, which then replaces it in
// one move: 1; 0 no usable source file; -1 the working copy cannot be written
// whole; UFUNC_WRITE_FAILED a stored record is not where the registry says, or
// the move failed. On failure the save file and the registry are as before.
int SaveDate_ToFileEx(UsrFuncArray& the_target);
int Check_FileID(const char* file_path);
int Create_UFunctionTable(UsrFuncArray& ufunc_list, const char* udef_file, int jread_form);
int Set_UFunctionTableAll(UsrFuncArray& ufunc_list, std::ifstream& fdef_stream, long file_end);
// Replaces the save file by a copy without the record at file_pos: 1; -1 the
// working copy cannot be written; -2 no record can start there or the move
// failed; -3 no whole record there (or, with a name, not that function's). The save file is untouched on failure.
int DeleteRecord_FrmFile(const char* file_path, unsigned long file_pos,
                         unsigned long* recd_length);
int DelBlunk_String(char* the_target, const char* the_source, long the_size);

// Longest definition text: what the console line reader keeps.
const size_t DEFINITION_MAX_LENGTH = 255;
// Analyses a definition text into a new exact-length item array; messages on failure.
int Formula_Analysis(CompForm** the_formlist, const char* line_array);

// A save that found a record moved or damaged, or could not replace the file;
// the save file is untouched.
const int UFUNC_WRITE_FAILED = -10;

// The record an entry points at is damaged or belongs to another function.
const int UFUNC_RECORD_DAMAGED = -4;

// Kind text of a result or argument kind code 1-8 ("double " for 8); null for any other.
const char* Kind_Text(unsigned short kind_code);

#endif
