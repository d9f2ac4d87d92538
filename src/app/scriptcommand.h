// `kansu eval`, `kansu table`, `kansu roots` and `kansu functions`: what they
// do before their work (the console encoding, --digits, --threads, the user
// functions of --functions and --define) and the answer to --help or a
// command line not understood.
#ifndef KANSU_APP_SCRIPTCOMMAND_H
#define KANSU_APP_SCRIPTCOMMAND_H

// Runs the command whose word stands at argv[word]; returns the exit status.
int Run_ScriptCommand(int argc, const char* const* argv, int word);
// The signals as the script commands and plot take them: recorded, so that
// the command ends with its output file whole (see Install_ScriptSignalHandler).
void Install_ScriptSignals();

#endif
