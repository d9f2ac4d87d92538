// A save file through every operation on it: load names and all, set every
// definition, list, rewrite, delete, reload. After each step that writes, the
// file must be whole and every stored position must hold its own record.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "fuzz_common.h"
#include "commands/usrdefopr.h"
#include "userfunc/usrfunc.h"

namespace {
std::string Save_Path() { return fuzz::Scratch_Dir() + "/save.dat"; }

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (UsrFuncProp* entry = g_ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        names.push_back(entry->label);
    return names;
}

// Aborts, so that libFuzzer keeps the input, when the file written last is not a
// run of whole records or an entry's position does not hold its record.
void Check_FileAndPositions() {
    if (g_ufunc_list.GetSourceFile() == nullptr) return;
    std::ifstream in(g_ufunc_list.GetSourceFile(), std::ios::in | std::ios::binary);
    if (!in) return;  // deleted with its last record
    long file_end = Find_FileEnd(in);
    in.clear();
    in.seekg(UFUNC_FILE_ID_SIZE);
    SavedRecord record;
    while (Bytes_Left(in, file_end) > 0)
        if (Read_SavedRecord(in, file_end, &record) != 1) std::abort();
    for (UsrFuncProp* entry = g_ufunc_list.FirstPnt(); entry != nullptr; entry = entry->NextPnt())
        if (entry->filePos != -1 &&
            Check_StoredRecord(in, file_end, entry->filePos, entry->label, &record) != 1)
            std::abort();
}

void List_Everything() {
    OutPut_UfArrayCont(g_ufunc_list, std::cout);
    OutPut_UfFuncName(g_ufunc_list, std::cout);
    Create_UserFuncList(Save_Path().c_str(), std::cout, 1);
    Create_UserFuncList(Save_Path().c_str(), std::cout, 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool silenced = (fuzz::Silence_Console(), true);
    (void)silenced;
    fuzz::Empty_Dir(fuzz::Scratch_Dir());
    {
        std::ofstream out(Save_Path(), std::ios::out | std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    if (Create_UFunctionTable(g_ufunc_list, Save_Path().c_str(), 0) == 1) {
        for (const std::string& name : Names()) g_ufunc_list.SetFuncDefFrmFile(name.c_str());
        List_Everything();
        if (SaveDate_ToFileEx(g_ufunc_list) == 1) Check_FileAndPositions();
        std::vector<std::string> names = Names();
        if (!names.empty() && g_ufunc_list.DelUFncElem(names.front().c_str()) == 1)
            Check_FileAndPositions();
        Create_UFunctionTable(g_ufunc_list, Save_Path().c_str(), 1);
        List_Everything();
        if (SaveDate_ToFileEx(g_ufunc_list) == 1) Check_FileAndPositions();
    }
    g_ufunc_list.DeleteAllObject();
    return 0;
}
