// Replaces the global allocation functions of the test program whose one file
// includes it: records the largest single allocation, and while g_fail_from is
// not 0 the next allocation of that many bytes or more fails (once), as under
// a tight memory limit; while g_fail_arrays_from is not 0, every array
// allocation of that many bytes or more fails. malloc and free pair up.
#ifndef KANSU_TESTS_ALLOCATION_HOOKS_H
#define KANSU_TESTS_ALLOCATION_HOOKS_H

#include <cstdlib>
#include <new>

static size_t g_largest_allocation = 0;
static size_t g_fail_from = 0;
static size_t g_fail_arrays_from = 0;

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

void* operator new(size_t size) {
    if (size > g_largest_allocation) g_largest_allocation = size;
    if (g_fail_from != 0 && size >= g_fail_from) {
        g_fail_from = 0;
        throw std::bad_alloc();
    }
    void* memory = std::malloc(size == 0 ? 1 : size);
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, size_t) noexcept { std::free(memory); }
void* operator new[](size_t size) {
    if (g_fail_arrays_from != 0 && size >= g_fail_arrays_from) throw std::bad_alloc();
    return ::operator new(size);
}
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory, size_t) noexcept { std::free(memory); }

#endif
