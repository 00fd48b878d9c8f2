// Preloaded into Debian's 32-bit Wine (wine32:i386) when its processes run
// under qemu-i386 user-mode emulation, on a 64-bit kernel that refuses i386
// programs. qemu 7.2 differs from the kernel in three ways that Wine cannot
// live with; each section below gives one of them the kernel's behaviour.
//
//  1. mmap with MAP_FIXED_NOREPLACE: qemu takes the address as a hint and maps
//     elsewhere when the range is busy, instead of failing with EEXIST. Wine
//     keeps those misplaced blocks as reserved, the top of the address space
//     fills up, and the shared user data page at 0x7ffe0000 cannot be mapped.
//  2. Thread-local storage: all guest threads share one emulated GDT, so a TLS
//     entry set with set_thread_area holds only the newest thread's base. Wine
//     and glibc reload %fs and %gs often, and threads land on another thread's
//     TEB or TLS. Wine is steered to its per-thread LDT selectors for %fs, and
//     every thread moves glibc's %gs to an LDT entry of its own.
//  3. Page faults reach signal handlers with trap number -1, which Wine takes
//     for an illegal instruction. Handlers of SIGSEGV and SIGBUS see trap 14.
//
// Freestanding: no headers, no C or C++ runtime beyond the i386 libc it is
// linked against, so the stock 64-bit compiler builds it with -m32. Built for
// x86_64 it is empty: the runner preloads "$LIB/..." and 64-bit processes
// (wineserver, Wine's own helpers) find a library that does nothing.
#if defined(__i386__)

namespace {

using size_t = unsigned int;
using off64_t = long long;
using pthread_key_t = unsigned int;

}  // namespace

extern "C" {
int* __errno_location();
void* malloc(size_t);
void free(void*);
void* dlsym(void*, const char*);
int pthread_key_create(pthread_key_t*, void (*)(void*));
int pthread_setspecific(pthread_key_t, const void*);
long write(int, const void*, size_t);
[[noreturn]] void abort();
}

namespace {

void* const kRtldNext = reinterpret_cast<void*>(-1L);

// errno values and i386 system call numbers.
constexpr long kEinval = 22, kEexist = 17, kEagain = 11, kEnosys = 38;
constexpr long kSysMunmap = 91, kSysModifyLdt = 123, kSysRtSigprocmask = 175, kSysMmap2 = 192,
               kSysSetThreadArea = 243;

}  // namespace

// A raw i386 system call of up to six arguments; -errno on failure.
extern "C" long preload_syscall(long nr, long a, long b, long c, long d, long e, long f);
asm(R"(
    .text
    .globl preload_syscall
    .hidden preload_syscall
    .type preload_syscall, @function
preload_syscall:
    push %ebp
    push %ebx
    push %esi
    push %edi
    mov 20(%esp), %eax
    mov 24(%esp), %ebx
    mov 28(%esp), %ecx
    mov 32(%esp), %edx
    mov 36(%esp), %esi
    mov 40(%esp), %edi
    mov 44(%esp), %ebp
    int $0x80
    pop %edi
    pop %esi
    pop %ebx
    pop %ebp
    ret
    .size preload_syscall, . - preload_syscall
)");

namespace {

bool failed(long result) { return static_cast<unsigned long>(result) >= -4095UL; }

long with_errno(long result) {
    if (!failed(result)) return result;
    *__errno_location() = static_cast<int>(-result);
    return -1;
}

[[noreturn]] void die(const char* message) {
    size_t length = 0;
    while (message[length] != '\0')
        ++length;
    write(2, message, length);
    abort();
}

template <typename Fn>
Fn next_definition(const char* name) {
    void* found = dlsym(kRtldNext, name);
    if (found == nullptr) die("rtc_qemu_preload: a libc function is missing\n");
    return reinterpret_cast<Fn>(found);
}

// ---- 1. MAP_FIXED_NOREPLACE ----------------------------------------------

constexpr int kMapFixed = 0x10;
constexpr int kMapFixedNoreplace = 0x100000;
constexpr int kPageShift = 12;
constexpr off64_t kPageMask = (1 << kPageShift) - 1;

void* map(void* address, size_t length, int protection, int flags, int fd, off64_t offset) {
    // mmap2 takes the offset in pages, as 32 bits.
    if ((offset & kPageMask) != 0 || (static_cast<unsigned long long>(offset) >> 44) != 0)
        return reinterpret_cast<void*>(with_errno(-kEinval));
    const long pages = static_cast<long>(offset >> kPageShift);
    const bool no_replace = (flags & kMapFixedNoreplace) != 0 && (flags & kMapFixed) == 0;
    if (!no_replace) {
        return reinterpret_cast<void*>(with_errno(preload_syscall(
            kSysMmap2, reinterpret_cast<long>(address), length, protection, flags, fd, pages)));
    }
    // Ask for the address as a hint; a mapping anywhere else means the range
    // was busy, which is what the flag must report.
    long result = preload_syscall(kSysMmap2, reinterpret_cast<long>(address), length, protection,
                                  flags & ~kMapFixedNoreplace, fd, pages);
    if (!failed(result) && reinterpret_cast<void*>(result) != address) {
        preload_syscall(kSysMunmap, result, length, 0, 0, 0, 0);
        result = -kEexist;
    }
    return reinterpret_cast<void*>(with_errno(result));
}

}  // namespace

extern "C" __attribute__((visibility("default"))) void* mmap64(void* address, size_t length,
                                                               int protection, int flags, int fd,
                                                               off64_t offset) {
    return map(address, length, protection, flags, fd, offset);
}

extern "C" __attribute__((visibility("default"))) void* mmap(void* address, size_t length,
                                                             int protection, int flags, int fd,
                                                             long offset) {
    return map(address, length, protection, flags, fd, static_cast<unsigned long>(offset));
}

// ---- 2a. Wine's %fs stays off the shared GDT ------------------------------

namespace {

// What set_thread_area and modify_ldt take.
struct UserDesc {
    unsigned int entry_number, base_addr, limit, flags;
};
constexpr unsigned int kAnyGdtEntry = 0xFFFFFFFF;
// 32-bit segment, limit in pages, usable.
constexpr unsigned int kTlsSegmentFlags = 1u | (1u << 4) | (1u << 6);
constexpr unsigned int kFullLimit = 0xFFFFF;
constexpr long kModifyLdtWrite = 0x11;

}  // namespace

// Wine asks for a free GDT entry for %fs; refused one, it uses an LDT entry
// per thread, which qemu keeps apart.
extern "C" __attribute__((visibility("default"))) long syscall(long nr, ...) {
    __builtin_va_list arguments;
    __builtin_va_start(arguments, nr);
    long a[6];
    for (long& value : a)
        value = __builtin_va_arg(arguments, long);
    __builtin_va_end(arguments);
    if (nr == kSysSetThreadArea && a[0] != 0 &&
        reinterpret_cast<const UserDesc*>(a[0])->entry_number == kAnyGdtEntry)
        return with_errno(-kEnosys);
    return with_errno(preload_syscall(nr, a[0], a[1], a[2], a[3], a[4], a[5]));
}

// ---- 2b. a private %gs for every thread -----------------------------------

namespace {

// LDT entries for glibc's %gs. Wine takes its own entries from 512 up once
// it sees %gs in the LDT.
constexpr int kFirstSlot = 1;
constexpr int kSlotCount = 511;
constexpr unsigned short kLdtSelectorBits = 7;  // table indicator LDT, privilege 3
constexpr int kSigSetmask = 2;

unsigned short gdt_gs;  // glibc's %gs in the GDT, as the main thread found it
bool tls_moved;
pthread_key_t slot_key;
volatile int gdt_lock, slots_lock;
// Free LDT slots, handed out first in, first out: a slot freed by an exiting
// thread, which still runs on it for a moment, comes back last.
unsigned short free_slots[kSlotCount];
unsigned int slots_head, slots_tail;

unsigned short get_gs() {
    unsigned short selector;
    asm volatile("movw %%gs, %0" : "=r"(selector));
    return selector;
}

void set_gs(unsigned short selector) { asm volatile("movw %0, %%gs" : : "r"(selector) : "memory"); }

// glibc's i386 thread control block starts with a pointer to itself.
unsigned int tls_base() {
    unsigned int base;
    asm volatile("movl %%gs:0, %0" : "=r"(base));
    return base;
}

void lock(volatile int& flag) {
    while (__sync_lock_test_and_set(&flag, 1))
        asm volatile("pause");
}

void unlock(volatile int& flag) { __sync_lock_release(&flag); }

void set_signal_mask(const unsigned int* mask, unsigned int* previous) {
    preload_syscall(kSysRtSigprocmask, kSigSetmask, reinterpret_cast<long>(mask),
                    reinterpret_cast<long>(previous), 8, 0, 0);
}

// Blocks every signal; the mask before goes to `previous`.
void block_signals(unsigned int* previous) {
    static constexpr unsigned int kAll[2] = {~0u, ~0u};
    set_signal_mask(kAll, previous);
}

// Runs `action` on the slot list with its lock held and no signal delivered
// meanwhile: a handler on this thread could otherwise wait for the lock
// forever.
template <typename Action>
int with_slots(Action action) {
    unsigned int previous[2];
    block_signals(previous);
    lock(slots_lock);
    const int result = action();
    unlock(slots_lock);
    set_signal_mask(previous, nullptr);
    return result;
}

int take_slot() {
    return with_slots(
        [] { return slots_head != slots_tail ? free_slots[slots_head++ % kSlotCount] : -1; });
}

void give_slot(int slot) {
    with_slots([slot] {
        free_slots[slots_tail++ % kSlotCount] = static_cast<unsigned short>(slot);
        return 0;
    });
}

void on_thread_exit(void* slot) { give_slot(static_cast<int>(reinterpret_cast<long>(slot))); }

// Points this thread's %gs at its own TLS through an LDT entry of its own.
int move_gs_to_ldt() {
    const int slot = take_slot();
    if (slot < 0) return -1;
    UserDesc entry{static_cast<unsigned int>(slot), tls_base(), kFullLimit, kTlsSegmentFlags};
    if (failed(preload_syscall(kSysModifyLdt, kModifyLdtWrite, reinterpret_cast<long>(&entry),
                               sizeof entry, 0, 0, 0))) {
        give_slot(slot);
        return -1;
    }
    set_gs(static_cast<unsigned short>(slot << 3 | kLdtSelectorBits));
    return slot;
}

// The main thread moves before any other thread exists: qemu copies the LDT's
// base into each thread when it is cloned, and the first modify_ldt makes it.
__attribute__((constructor)) void move_main_thread() {
    gdt_gs = get_gs();
    if (gdt_gs == 0 || (gdt_gs & 4) != 0) return;  // no TLS yet, or already in the LDT
    for (int i = 0; i < kSlotCount; ++i)
        free_slots[i] = static_cast<unsigned short>(kFirstSlot + i);
    slots_head = 0;
    slots_tail = kSlotCount;
    if (move_gs_to_ldt() < 0) return;
    if (pthread_key_create(&slot_key, on_thread_exit) != 0)
        die("rtc_qemu_preload: pthread_key_create failed\n");
    tls_moved = true;
}

struct ThreadStart {
    void* (*function)(void*);
    void* argument;
    unsigned int signal_mask[2];
};

// A new thread starts on the shared GDT entry, with the base qemu cached when
// it was cloned and every signal blocked; it moves, then unblocks.
void* start_thread(void* raw) {
    const ThreadStart start = *static_cast<ThreadStart*>(raw);
    free(raw);
    const int slot = move_gs_to_ldt();
    if (slot < 0) die("rtc_qemu_preload: no free LDT entry for a new thread\n");
    pthread_setspecific(slot_key, reinterpret_cast<void*>(static_cast<long>(slot)));
    set_signal_mask(start.signal_mask, nullptr);
    return start.function(start.argument);
}

using PthreadCreate = int (*)(void*, const void*, void* (*)(void*), void*);

}  // namespace

extern "C" __attribute__((visibility("default"))) int pthread_create(void* thread,
                                                                     const void* attributes,
                                                                     void* (*function)(void*),
                                                                     void* argument) {
    static PthreadCreate real;
    if (real == nullptr) real = next_definition<PthreadCreate>("pthread_create");
    if (!tls_moved) return real(thread, attributes, function, argument);

    auto* start = static_cast<ThreadStart*>(malloc(sizeof(ThreadStart)));
    if (start == nullptr) return kEagain;
    start->function = function;
    start->argument = argument;
    unsigned int previous[2];
    block_signals(previous);
    start->signal_mask[0] = previous[0];
    start->signal_mask[1] = previous[1];
    // glibc takes the child's TLS entry number from %gs, and qemu the base
    // from the GDT entry: both must be this thread's for the clone.
    lock(gdt_lock);
    const unsigned short own_gs = get_gs();
    UserDesc entry{static_cast<unsigned int>(gdt_gs >> 3), tls_base(), kFullLimit,
                   kTlsSegmentFlags};
    preload_syscall(kSysSetThreadArea, reinterpret_cast<long>(&entry), 0, 0, 0, 0, 0);
    set_gs(gdt_gs);
    const int result = real(thread, attributes, start_thread, start);
    set_gs(own_gs);
    unlock(gdt_lock);
    if (result != 0) free(start);  // otherwise the new thread owns it
    set_signal_mask(previous, nullptr);
    return result;
}

// ---- 3. the page-fault trap number ----------------------------------------

namespace {

constexpr int kSigbus = 7, kSigsegv = 11;
constexpr int kSaSiginfo = 4;
constexpr unsigned int kTrapPageFault = 14;
constexpr unsigned int kTrapUnknown = 0xFFFFFFFF;
// In the i386 ucontext: uc_flags, uc_link and uc_stack (3 words) come first,
// then the registers, of which the trap number is the 13th.
constexpr int kRegistersOffset = 20;
constexpr int kTrapRegister = 12;

using Handler = void (*)(int, void*, void*);

// glibc's struct sigaction on i386.
struct SignalAction {
    Handler handler;
    unsigned int mask[32];
    int flags;
    void (*restorer)();
};

Handler volatile program_handler[kSigsegv + 1];

void fix_trap_number(int signal, void* info, void* context) {
    auto* registers =
        reinterpret_cast<unsigned int*>(static_cast<char*>(context) + kRegistersOffset);
    if (registers[kTrapRegister] == kTrapUnknown) registers[kTrapRegister] = kTrapPageFault;
    program_handler[signal](signal, info, context);
}

using Sigaction = int (*)(int, const SignalAction*, SignalAction*);

}  // namespace

extern "C" __attribute__((visibility("default"))) int sigaction(int signal,
                                                                const SignalAction* action,
                                                                SignalAction* previous) {
    static Sigaction real;
    if (real == nullptr) real = next_definition<Sigaction>("sigaction");
    if (signal != kSigsegv && signal != kSigbus) return real(signal, action, previous);

    const Handler earlier = program_handler[signal];
    int result;
    if (action != nullptr && (action->flags & kSaSiginfo) != 0 &&
        reinterpret_cast<unsigned long>(action->handler) > 1) {
        SignalAction wrapped = *action;
        program_handler[signal] = action->handler;
        wrapped.handler = fix_trap_number;
        result = real(signal, &wrapped, previous);
    } else {
        result = real(signal, action, previous);
    }
    // The program sees its own handler, never the wrapper.
    if (result == 0 && previous != nullptr && previous->handler == fix_trap_number)
        previous->handler = earlier;
    return result;
}

#endif  // __i386__
