// The console shell: the help screen, the menu loop, the command prompt and
// the end-of-run save question.
#ifndef KANSU_MAIN_H
#define KANSU_MAIN_H

class UsrFuncArray;

// What the shell does beyond the dialogue, as the command line asked.
struct ShellSettings {
    bool pictures_beside_reports = false;  // --plot
};

// The whole program: help, menu loop, end-of-run save. Returns the exit status;
// memory running out where no choice can go on ends it with 1, unsaved
// functions kept in a recovery file.
int Kansu_Main(const ShellSettings& settings = ShellSettings());
void Explain_Function();
int Select_Menu();
int Select_Command(char* cmmd_array, UsrFuncArray& ufunc_list);
void End_OutPut();

#endif
