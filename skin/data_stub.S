        .section .rdata
        .globl _stub_dll
_stub_dll:
        .incbin "/tmp/stub/SkinH_EL.dll"
        .globl _stub_dll_end
_stub_dll_end:
