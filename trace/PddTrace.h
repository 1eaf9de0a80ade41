/* PddTrace.h: the one function of the port drivers WNT4XPDD.DLL and WNT43PDD.DLL that the
   trace programs import. */
#ifndef PDDTRACE_H
#define PDDTRACE_H

/* The calling convention of the drivers' functions, stated once. */
#ifndef PDDAPI
#ifdef _WIN32
#define PDDAPI __stdcall
#else
#define PDDAPI
#endif
#endif

/* The driver hands its 16-bit answer back in a 32-bit register; only the low 16 bits carry
   it, so a caller looks at nothing else. */
typedef unsigned int PDDRESULT;

#ifdef __cplusplus
extern "C" {
#endif

/* Copies the driver's trace to the start of `buffer`, at most 32768 bytes, and leaves the
   rest of the buffer alone. Returns 0 (in the low 16 bits) when the driver's trace is not
   active: nothing was copied then. */
PDDRESULT PDDAPI PddTrace(unsigned char* buffer);

#ifdef __cplusplus
}
#endif

#endif /* PDDTRACE_H */
