// User functions as text, for scripts: lines such as
// hyp(a0,a1)=sqrt(a0^2+a1^2), given with --define or in a text file named by
// --functions, checked as the dialogue's EnrUsrfunc checks a definition; and
// a save file's functions written as such lines (kansu functions FILE).
#ifndef KANSU_APP_DEFINETEXT_H
#define KANSU_APP_DEFINETEXT_H

#include <ostream>
#include <string>
#include <vector>

// Registers one definition line; false when refused, the refusal on
// std::cout after where ("kansu: defs.txt: 3 行目 / line 3: ").
bool Define_FromText(const std::string& line, const std::string& where);
// The functions of a save file, with their definitions, or the definition
// lines of a text file (# comments and blank lines skipped). Every refusal is
// said with its line number; false when any line or the file was refused.
bool Load_FunctionsFile(const std::string& path);
// Every --define in order; false when any was refused.
bool Define_All(const std::vector<std::string>& definitions);
// Writes the functions of the save file at path as definition lines, each
// after the functions it calls, so that they read back in order. Returns the
// exit status.
int Write_FunctionsText(const std::string& path, std::ostream& out);

#endif
