// A compiled program as text, one step a line, for reading what the compiler
// made of a formula (KANSU_PROGRAM_LISTING) and for tests that compare whole
// programs.
#ifndef KANSU_EVALLISTING_H
#define KANSU_EVALLISTING_H

#include <iosfwd>
#include <string>

class EvalProgram;

// Each line: the step's number, its op (a fused form by its own name), the
// slot it saves to or combines with, and the operands the op reads. Cells are
// named by their place in Cells() (c0, c1, ...), routines by what they
// compute, so that two compilations of one formula list alike. The calls
// follow the steps.
std::string List_Program(const EvalProgram& program);

// Where every program compiled from now on is listed; nullptr, the start,
// lists none.
void Set_ProgramListing(std::ostream* out);
void List_Compiled(const EvalProgram& program);

#endif
