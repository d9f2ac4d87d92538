// x86-64 code for straight programs. The accumulator lives in xmm0, xmm1
// holds the other operand, rbx points at the frame's slots and rax at a cell
// or a function. Constants sit in a pool after the code, read relative to the
// instruction. Two operands that a built-in function's routine reads sit in
// the code's own stack frame. Linux and Windows differ only in where the
// slots come in, the frame a call needs, and how memory is made executable.
#include "eval/evalnative.h"

#include "eval/evalprog.h"

namespace {
// Set once at start, before any worker thread.
bool native_code_allowed = true;
}  // namespace

void Allow_NativeCode(bool allowed) { native_code_allowed = allowed; }

#if defined(__x86_64__) && (defined(__linux__) || defined(_WIN64))
#if defined(_WIN64)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <sys/mman.h>
#endif

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "formula/trigreduce.h"

namespace {

#if defined(_WIN64)
// The slots come in rcx; a call needs 32 bytes above the return address for
// the callee's own use, and the routine's operands sit above those. The code
// follows 32 bytes of unwind data, so that Windows can walk the stack through it.
const uint8_t SLOTS_TO_RBX[] = {0x48, 0x89, 0xCB};                      // mov rbx, rcx
const uint8_t OPERANDS_TO_ARGUMENT[] = {0x48, 0x8D, 0x4C, 0x24, 0x20};  // lea rcx, [rsp + 32]
const uint8_t FRAME_BYTES = 48;
const uint8_t OPERANDS_AT = 32;
const size_t CODE_AT = 32;
#else
const uint8_t SLOTS_TO_RBX[] = {0x48, 0x89, 0xFB};          // mov rbx, rdi
const uint8_t OPERANDS_TO_ARGUMENT[] = {0x48, 0x89, 0xE7};  // mov rdi, rsp
const uint8_t FRAME_BYTES = 16;
const uint8_t OPERANDS_AT = 0;
const size_t CODE_AT = 0;
#endif

// The library's functions the steps call, as the run loop calls them.
double (*const Pow)(double, double) = std::pow;
double (*const Exp)(double) = std::exp;

const int XMM_ACC = 0;
const int XMM_OTHER = 1;

// Where an operand of a step is.
struct Place {
    enum Kind { ACC, OTHER, CONSTANT, CELL, SLOT, OPERANDS } kind;
    int index;           // CONSTANT: entry of the pool; SLOT and OPERANDS: which one
    const double* cell;  // CELL
};

Place Acc() { return {Place::ACC, 0, nullptr}; }
Place Other() { return {Place::OTHER, 0, nullptr}; }
Place Slot(int slot) { return {Place::SLOT, slot, nullptr}; }
Place Cell(const double* cell) { return {Place::CELL, 0, cell}; }
Place Operand(int which) { return {Place::OPERANDS, which, nullptr}; }

bool In_Register(const Place& place) {
    return place.kind == Place::ACC || place.kind == Place::OTHER;
}

// SSE2 scalar double opcodes (after F2 0F).
const uint8_t SD_LOAD = 0x10, SD_STORE = 0x11, SD_ADD = 0x58, SD_MUL = 0x59, SD_SUB = 0x5C,
              SD_DIV = 0x5E;
// By operator code, as EVAL_BINARY_FORMS.
const uint8_t ARITHMETIC_OPCODE[4] = {SD_ADD, SD_SUB, SD_MUL, SD_DIV};

class Assembler {
public:
    Place Constant(double value) {
        pool_.push_back(value);
        return {Place::CONSTANT, static_cast<int>(pool_.size() - 1), nullptr};
    }

    // The frame keeps rsp a multiple of 16 at every call.
    void Prologue() {
        Bytes({0x53});  // push rbx
        code_.insert(code_.end(), std::begin(SLOTS_TO_RBX), std::end(SLOTS_TO_RBX));
        Bytes({0x48, 0x83, 0xEC, FRAME_BYTES});  // sub rsp, FRAME_BYTES
        Bytes({0x66, 0x0F, 0x57, 0xC0});         // xorpd xmm0, xmm0
    }
    void Epilogue() {
        Bytes({0x48, 0x83, 0xC4, FRAME_BYTES});  // add rsp, FRAME_BYTES
        Bytes({0x5B, 0xC3});                     // pop rbx; ret
    }

    // xmm = place
    void Load(int xmm, const Place& from) {
        if (!In_Register(from)) {
            Scalar(SD_LOAD, xmm, from);
        } else if (Register(from) != xmm) {
            Bytes({0x66, 0x0F, 0x28, static_cast<uint8_t>(0xC0 | xmm << 3 | Register(from))});
        }
    }
    void Store(const Place& to, int xmm) { Scalar(SD_STORE, xmm, to); }
    void Copy(const Place& to, const Place& from) {
        if (In_Register(from)) {
            Store(to, Register(from));
            return;
        }
        Load(XMM_OTHER, from);
        Store(to, XMM_OTHER);
    }
    // xmm = xmm op place
    void Combine(uint8_t opcode, int xmm, const Place& with) { Scalar(opcode, xmm, with); }
    // acc = left op right, in that order.
    void Binary(uint8_t opcode, const Place& left, const Place& right) {
        if (right.kind != Place::ACC) {
            Load(XMM_ACC, left);
            Combine(opcode, XMM_ACC, right);
            return;
        }
        Load(XMM_OTHER, left);
        Combine(opcode, XMM_OTHER, right);
        Load(XMM_ACC, Other());
    }
    // acc = function(left, right)
    void Call2(double (*function)(double, double), const Place& left, const Place& right) {
        if (right.kind == Place::ACC) {
            Load(XMM_OTHER, right);
            Load(XMM_ACC, left);
        } else {
            Load(XMM_ACC, left);
            Load(XMM_OTHER, right);
        }
        Call(reinterpret_cast<const void*>(function));
    }
    // acc = function(argument)
    void Call1(double (*function)(double), const Place& argument) {
        Load(XMM_ACC, argument);
        Call(reinterpret_cast<const void*>(function));
    }
    // acc = routine({left, right})
    void Apply(OprFunction routine, const Place& left, const Place& right) {
        Copy(Operand(0), left);
        Copy(Operand(1), right);
        code_.insert(code_.end(), std::begin(OPERANDS_TO_ARGUMENT), std::end(OPERANDS_TO_ARGUMENT));
        Call(reinterpret_cast<const void*>(routine));
    }

    // The code, then its pool, ready to copy to executable memory.
    std::vector<uint8_t> Finished() {
        while (code_.size() % 8 != 0) Bytes({0xCC});
        for (const Fixup& fixup : fixups_) {
            int32_t distance =
                static_cast<int32_t>(code_.size() + 8 * fixup.entry - (fixup.position + 4));
            std::memcpy(code_.data() + fixup.position, &distance, 4);
        }
        std::vector<uint8_t> block = code_;
        for (double value : pool_) Append(block, &value, 8);
        return block;
    }

private:
    struct Fixup {
        size_t position;  // of a displacement to the pool
        size_t entry;
    };

    static int Register(const Place& place) {
        return place.kind == Place::ACC ? XMM_ACC : XMM_OTHER;
    }
    static void Append(std::vector<uint8_t>& to, const void* bytes, size_t count) {
        const uint8_t* first = static_cast<const uint8_t*>(bytes);
        to.insert(to.end(), first, first + count);
    }
    void Bytes(std::initializer_list<uint8_t> bytes) {
        code_.insert(code_.end(), bytes.begin(), bytes.end());
    }
    void Int32(int32_t value) { Append(code_, &value, 4); }
    void Address(const void* address) {
        Bytes({0x48, 0xB8});  // mov rax, imm64
        uint64_t value = reinterpret_cast<uint64_t>(address);
        Append(code_, &value, 8);
    }
    void Call(const void* function) {
        Address(function);
        Bytes({0xFF, 0xD0});  // call rax
    }
    // F2 0F opcode, xmm the first operand (or the stored register), at the other.
    void Scalar(uint8_t opcode, int xmm, const Place& at) {
        if (at.kind == Place::CELL) Address(at.cell);
        Bytes({0xF2, 0x0F, opcode});
        uint8_t reg = static_cast<uint8_t>(xmm << 3);
        switch (at.kind) {
        case Place::ACC:
        case Place::OTHER: Bytes({static_cast<uint8_t>(0xC0 | reg | Register(at))}); break;
        case Place::CELL: Bytes({reg}); break;  // [rax]
        case Place::SLOT:
            Bytes({static_cast<uint8_t>(0x83 | reg)});  // [rbx + disp32]
            Int32(8 * at.index);
            break;
        case Place::OPERANDS:  // [rsp + disp8]
            Bytes({static_cast<uint8_t>(0x44 | reg), 0x24,
                   static_cast<uint8_t>(OPERANDS_AT + 8 * at.index)});
            break;
        case Place::CONSTANT:  // [rip + disp32]
            Bytes({static_cast<uint8_t>(0x05 | reg)});
            fixups_.push_back({code_.size(), static_cast<size_t>(at.index)});
            Int32(0);
            break;
        }
    }

    std::vector<uint8_t> code_;
    std::vector<double> pool_;
    std::vector<Fixup> fixups_;
};

// The operands of a step that is one form of a binary operation.
bool Binary_Operands(const EvalBinaryForms& forms, const EvalStep& step, Assembler& code,
                     Place* left, Place* right) {
    Place local = Slot(step.local_slot);
    Place cell = Cell(step.cell);
    EvalOp op = step.op;
    if (op == forms.with_slot || op == forms.number_first || op == forms.cell_first) {
        *left = op == forms.with_slot    ? Slot(step.slot)
                : op == forms.cell_first ? cell
                                         : code.Constant(step.number);
        *right = Acc();
    } else if (op == forms.with_number || op == forms.with_cell || op == forms.with_local) {
        *left = Acc();
        *right = op == forms.with_cell    ? cell
                 : op == forms.with_local ? local
                                          : code.Constant(step.number);
    } else if (op == forms.cell_then_number || op == forms.local_then_number) {
        *left = op == forms.cell_then_number ? cell : local;
        *right = code.Constant(step.number);
    } else {
        return false;
    }
    return true;
}

// A step that is a form of + - * / ^ or of a two-argument built-in function.
bool Binary_Step(const EvalStep& step, Assembler& code) {
    Place left, right;
    for (int operation = 0; operation < BINARY_OPERATOR_COUNT; ++operation) {
        if (!Binary_Operands(EVAL_BINARY_FORMS[operation], step, code, &left, &right)) continue;
        if (operation == OPR_POWER)
            code.Call2(Pow, left, right);
        else
            code.Binary(ARITHMETIC_OPCODE[operation], left, right);
        return true;
    }
    if (!Binary_Operands(ROUTINE2_FORMS, step, code, &left, &right)) return false;
    code.Apply(step.routine, left, right);
    return true;
}

// An inlined call's argument cells, written as the run loop writes them.
void Write_Arguments(const EvalCall& call, Assembler& code) {
    for (int i = 0; i < call.arg_count; ++i) {
        const EvalArgument& source = call.sources[i];
        Place from = source.form == OPERAND_NUMBER ? code.Constant(source.number)
                     : source.form == OPERAND_CELL ? Cell(source.cell)
                                                   : Slot(source.slot);
        code.Copy(Cell(call.arg_cells[i]), from);
    }
}

// acc = first op second, with the product or square as its right operand
// computed first, one rounding each as the run loop does them.
void Fused_Step(const EvalStep& step, Assembler& code) {
    Place cell = Cell(step.cell);
    bool square = step.op == OP_NUMBER_MUL_CELL_SQUARE || step.op == OP_ADD_CELL_SQUARE ||
                  step.op == OP_SUB_CELL_SQUARE;
    code.Load(XMM_OTHER, square ? cell : code.Constant(step.number));
    code.Combine(SD_MUL, XMM_OTHER, cell);
    if (step.op == OP_NUMBER_MUL_CELL_SQUARE) {
        code.Load(XMM_ACC, code.Constant(step.number));
        code.Combine(SD_MUL, XMM_ACC, Other());
    } else {
        bool adds = step.op == OP_ADD_NUMBER_MUL_CELL || step.op == OP_ADD_CELL_SQUARE;
        code.Combine(adds ? SD_ADD : SD_SUB, XMM_ACC, Other());
    }
}

// Every other straight step; false for one without code here.
bool Other_Step(const EvalStep& step, const EvalProgram& program, Assembler& code) {
    Place cell = Cell(step.cell);
    auto zero = [&code] { return code.Constant(0.0); };
    switch (step.op) {
    case OP_NUMBER: code.Load(XMM_ACC, code.Constant(step.number)); break;
    case OP_CELL: code.Load(XMM_ACC, cell); break;
    case OP_LOCAL: code.Load(XMM_ACC, Slot(step.local_slot)); break;
    case OP_NUMBER_MUL_CELL_SQUARE:
    case OP_ADD_NUMBER_MUL_CELL:
    case OP_SUB_NUMBER_MUL_CELL:
    case OP_ADD_CELL_SQUARE:
    case OP_SUB_CELL_SQUARE: Fused_Step(step, code); break;
    case OP_SQUARE: code.Combine(SD_MUL, XMM_ACC, Acc()); break;
    case OP_CELL_SQUARE:
        code.Load(XMM_ACC, cell);
        code.Combine(SD_MUL, XMM_ACC, cell);
        break;
    case OP_CELL_POW_LOCAL: code.Call2(Pow, cell, Slot(step.local_slot)); break;
    case OP_ROUTINE0: code.Apply(step.routine, zero(), zero()); break;
    case OP_ROUTINE1: code.Apply(step.routine, Acc(), zero()); break;
    case OP_ROUTINE1_CELL: code.Apply(step.routine, cell, zero()); break;
    case OP_SIN: code.Call1(Reduced_Sin, Acc()); break;
    case OP_COS: code.Call1(Reduced_Cos, Acc()); break;
    case OP_TAN: code.Call1(Reduced_Tan, Acc()); break;
    case OP_EXP: code.Call1(Exp, Acc()); break;
    case OP_SIN_CELL: code.Call1(Reduced_Sin, cell); break;
    case OP_COS_CELL: code.Call1(Reduced_Cos, cell); break;
    case OP_TAN_CELL: code.Call1(Reduced_Tan, cell); break;
    case OP_EXP_CELL: code.Call1(Exp, cell); break;
    case OP_ARGUMENT: code.Store(cell, XMM_ACC); break;
    case OP_SAVE: break;
    case OP_ARGUMENTS:
    case OP_LEAF_ARGUMENTS: Write_Arguments(program.Calls()[step.call], code); break;
    default: return false;
    }
    return true;
}

// The program's code and pool; empty when some step has none.
std::vector<uint8_t> Assembled(const EvalProgram& program) {
    Assembler code;
    code.Prologue();
    for (const EvalStep& step : program.Steps()) {
        if (step.op == OP_END) break;
        // A step that pushes saves the accumulator in its slot first.
        if (EVAL_OP_EFFECT[step.op] == EFFECT_PUSH) code.Store(Slot(step.slot), XMM_ACC);
        if (!Binary_Step(step, code) && !Other_Step(step, program, code)) return {};
    }
    code.Epilogue();
    return code.Finished();
}

#if defined(_WIN64)
// A copy of code in memory that runs, or nullptr. The block starts with the
// code's function entry and unwind data: rbx pushed, then FRAME_BYTES taken.
void* Executable_Copy(const std::vector<uint8_t>& code, size_t* size) {
    *size = CODE_AT + code.size();
    uint8_t* block = static_cast<uint8_t*>(
        VirtualAlloc(nullptr, *size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (block == nullptr) return nullptr;
    RUNTIME_FUNCTION entry;
    entry.BeginAddress = CODE_AT;
    entry.EndAddress = static_cast<DWORD>(*size);
    entry.UnwindData = sizeof entry;
    std::memcpy(block, &entry, sizeof entry);
    const uint8_t prologue_size = 1 + sizeof SLOTS_TO_RBX + 4;
    // Version 1, the prologue's size, two codes and no frame register; each
    // code is the offset after its instruction, then operation | operand << 4.
    const uint8_t frame_taken = (FRAME_BYTES / 8 - 1) << 4 | 2;  // a small allocation
    const uint8_t rbx_pushed = 3 << 4;
    const uint8_t unwind[] = {1, prologue_size, 2, 0, prologue_size, frame_taken, 1, rbx_pushed};
    std::memcpy(block + sizeof entry, unwind, sizeof unwind);
    std::memcpy(block + CODE_AT, code.data(), code.size());
    DWORD previous = 0;
    if (!VirtualProtect(block, *size, PAGE_EXECUTE_READ, &previous) ||
        !FlushInstructionCache(GetCurrentProcess(), block, *size) ||
        !RtlAddFunctionTable(reinterpret_cast<RUNTIME_FUNCTION*>(block), 1,
                             reinterpret_cast<DWORD64>(block))) {
        VirtualFree(block, 0, MEM_RELEASE);
        return nullptr;
    }
    return block;
}

void Release(void* block, size_t) {
    RtlDeleteFunctionTable(static_cast<RUNTIME_FUNCTION*>(block));
    VirtualFree(block, 0, MEM_RELEASE);
}
#else
void* Executable_Copy(const std::vector<uint8_t>& code, size_t* size) {
    size_t page = 4096;
    *size = (code.size() + page - 1) / page * page;
    void* block = mmap(nullptr, *size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (block == MAP_FAILED) return nullptr;
    std::memcpy(block, code.data(), code.size());
    if (mprotect(block, *size, PROT_READ | PROT_EXEC) != 0) {
        munmap(block, *size);
        return nullptr;
    }
    return block;
}

void Release(void* block, size_t size) { munmap(block, size); }
#endif

}  // namespace

// The memory is never writable and executable at once; a system that refuses
// to make it executable gets no code.
std::unique_ptr<NativeCode> NativeCode::Compile(const EvalProgram& program) {
    if (!native_code_allowed || !program.Straight()) return nullptr;
    std::vector<uint8_t> code = Assembled(program);
    if (code.empty()) return nullptr;
    size_t size = 0;
    void* block = Executable_Copy(code, &size);
    if (block == nullptr) return nullptr;
    return std::unique_ptr<NativeCode>(new NativeCode(block, size));
}

NativeCode::NativeCode(void* block, size_t size)
    : block_(block),
      size_(size),
      start_(reinterpret_cast<Entry>(static_cast<uint8_t*>(block) + CODE_AT)) {}

NativeCode::~NativeCode() { Release(block_, size_); }

#else

std::unique_ptr<NativeCode> NativeCode::Compile(const EvalProgram&) { return nullptr; }
NativeCode::NativeCode(void* block, size_t size) : block_(block), size_(size), start_(nullptr) {}
NativeCode::~NativeCode() {}

#endif
