#pragma once

// Every operation that crosses to the host uses the platform's component-object calling
// convention. Attributes cannot be named by a constant, so this one spelling is a macro.
#if defined(_WIN32)
#define QUORLIN_CALL __stdcall
#else
#define QUORLIN_CALL
#endif
