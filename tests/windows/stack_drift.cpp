#include "tests/windows/stack_drift.h"

#if defined(__i386__)
// The arguments are pushed last first, as a caller does; edi keeps the stack
// pointer from before the pushes (the callee must preserve edi).
asm(R"(
    .text
    .globl _stack_drift
_stack_drift:
    pushl %ebp
    movl %esp, %ebp
    pushl %esi
    pushl %edi
    pushl %ebx
    movl 8(%ebp), %eax
    movl 12(%ebp), %ecx
    movl 16(%ebp), %esi
    movl %esp, %edi
1:  testl %ecx, %ecx
    jz 2f
    decl %ecx
    pushl (%esi,%ecx,4)
    jmp 1b
2:  call *%eax
    movl %edi, %eax
    subl %esp, %eax
    movl %edi, %esp
    popl %ebx
    popl %edi
    popl %esi
    popl %ebp
    ret
)");
#endif
