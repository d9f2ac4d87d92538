// Machine code for programs that run straight through, made where kansu knows
// the processor and the system (x86-64 Linux and Windows): each step becomes
// the few instructions its handler runs, the same operations in the same order
// and the same functions called, so every value is the same to the bit.
// Elsewhere, or for a step without code, there is none and the machine's loop
// runs the program.
#ifndef KANSU_EVALNATIVE_H
#define KANSU_EVALNATIVE_H

#include <cstddef>
#include <memory>

class EvalProgram;

// Whether machine code is made at all (it is unless turned off, so that a
// report can be checked against the run loop's).
void Allow_NativeCode(bool allowed);

class NativeCode {
public:
    // Runs the program over a frame of slots; gives the accumulator at END.
    using Entry = double (*)(double* slots);

    // The program's code, or nullptr where none can be made: the program does
    // not run straight through, a step has no code here, or the system gives
    // no executable memory.
    static std::unique_ptr<NativeCode> Compile(const EvalProgram& program);
    ~NativeCode();
    NativeCode(const NativeCode&) = delete;
    NativeCode& operator=(const NativeCode&) = delete;

    Entry Start() const { return start_; }

private:
    NativeCode(void* block, size_t size);
    void* block_;
    size_t size_;
    Entry start_;
};

#endif
