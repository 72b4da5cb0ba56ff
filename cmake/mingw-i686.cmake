set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(KVT_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# 32-bit Windows walks stacks by the chain of frame pointers (RtlCaptureStackBackTrace, event
# tracing, crash reports without symbols): keep EBP as the frame pointer so a walk that
# starts in a host's code called from the DLL continues through the DLL to its callers.
set(CMAKE_C_FLAGS_INIT "-fno-omit-frame-pointer")
set(CMAKE_CXX_FLAGS_INIT "-fno-omit-frame-pointer")
