/* int CallStdcallChecked(void* entry, const uint32_t* args, uint32_t count, uint32_t* result)
 *
 * cdecl. Pushes the arguments (the last one first), calls the entry and reports 1 when the
 * entry removed exactly its arguments from the stack, 0 otherwise. The stack pointer from
 * before the pushes is kept in a callee-saved register, which every convention preserves, and
 * is put back either way, so a wrong entry cannot make this frame read the wrong slots. */
        .text
        .globl  _CallStdcallChecked
        .def    _CallStdcallChecked; .scl 2; .type 32; .endef
_CallStdcallChecked:
        pushl   %ebp
        movl    %esp, %ebp
        pushl   %ebx
        pushl   %esi
        pushl   %edi
        movl    12(%ebp), %esi
        movl    16(%ebp), %ecx
        movl    %esp, %ebx
        testl   %ecx, %ecx
        jz      2f
1:      pushl   -4(%esi,%ecx,4)
        decl    %ecx
        jnz     1b
2:      call    *8(%ebp)
        movl    20(%ebp), %ecx
        movl    %eax, (%ecx)
        xorl    %eax, %eax
        cmpl    %ebx, %esp
        sete    %al
        movl    %ebx, %esp
        popl    %edi
        popl    %esi
        popl    %ebx
        popl    %ebp
        ret
