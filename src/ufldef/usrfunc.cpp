#include "usrfunc.h"

UsrFuncArray g_ufunc_list(nullptr);

// Not built yet: the registry stays empty.
UsrFuncArray::UsrFuncArray(const char*) : the_root(nullptr), ufndef_file(nullptr) {}
UsrFuncArray::~UsrFuncArray() {}
int UsrFuncArray::GetChangeFlag() { return 0; }
int UsrFuncArray::operator()(const char*) const { return 0; }
unsigned short UsrFuncArray::PutArgNum(const char*) const { return 0; }
CompForm* UsrFuncArray::operator[](const char*) const { return nullptr; }
int UsrFuncArray::PrintContent(const char*, std::ostream&) { return 1; }
