// The program is built without exceptions (see turnix_product_code). These replace the
// library's throwing allocation and error paths, which would bring the whole unwinder
// back. None is reached in normal use: out of memory, the process ends. The runtime's own
// handler for an escaping exception would print its name, and for that link a demangler and
// printf (about 75 KiB): if one ever escapes, the process simply ends.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {
[[noreturn]] void OutOfMemory() noexcept { ExitProcess(ERROR_NOT_ENOUGH_MEMORY); }
}  // namespace

void* operator new(std::size_t size) {
    if (void* block = std::malloc(size ? size : 1)) return block;
    OutOfMemory();
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }

namespace std {
void __throw_bad_alloc() { OutOfMemory(); }
void __throw_bad_array_new_length() { OutOfMemory(); }
void __throw_length_error(const char*) { OutOfMemory(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
// A library assertion that fails (_GLIBCXX_ASSERTIONS) would print through the library's debug
// machinery, which brings threads and the unwinder along: end the process instead.
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept { std::abort(); }
}  // namespace std

namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
