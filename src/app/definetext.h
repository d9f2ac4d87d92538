// User functions as text, for scripts: lines such as
// hyp(a0,a1)=sqrt(a0^2+a1^2), given with --define or in a text file named by
// --functions, checked as the dialogue's EnrUsrfunc checks a definition.
#ifndef KANSU_APP_DEFINETEXT_H
#define KANSU_APP_DEFINETEXT_H

#include <string>
#include <string_view>
#include <vector>

// Registers one definition line; false when refused, the refusal on
// std::cout after where ("kansu: defs.txt: 3 行目 / line 3: ").
bool Define_FromText(const std::string& line, const std::string& where);
// The definition lines of a text file read from path (# comments and blank
// lines skipped). Every refusal is said with its line number; false when any.
bool Define_Lines(const std::string& path, const std::string& text);
// Every --define in order; false when any was refused.
bool Define_All(const std::vector<std::string>& definitions);
// The names a definition calls: each name directly before a "(".
std::vector<std::string> Called_Names(std::string_view formula);
// Script functions are never saved: none counts as changed.
void Mark_ScriptFunctionsUnchanged();

#endif
