// Read before every source of the exchange program when it is built against
// musl. The C++ headers are GCC's, configured for glibc; these are the few
// glibc names they expect of the C library.
#ifndef VANTREL_MUSL_PRELUDE_H_
#define VANTREL_MUSL_PRELUDE_H_

#define __GLIBC_PREREQ(major, minor) 0

#ifdef __cplusplus
struct __locale_struct;
typedef struct __locale_struct* __locale_t;

// glibc's character class bits (little-endian), which the compiled C++
// runtime's ctype tables use. The program classifies no characters through
// std::locale; the names are needed only for the headers to compile.
enum {
  _ISupper = 0x100,
  _ISlower = 0x200,
  _ISalpha = 0x400,
  _ISdigit = 0x800,
  _ISxdigit = 0x1000,
  _ISspace = 0x2000,
  _ISprint = 0x4000,
  _ISgraph = 0x8000,
  _ISblank = 0x1,
  _IScntrl = 0x2,
  _ISpunct = 0x4,
  _ISalnum = 0x8
};

// musl has no clock-selecting waits; the headers then use the plain ones.
#include <bits/c++config.h>
#undef _GLIBCXX_USE_PTHREAD_COND_CLOCKWAIT
#undef _GLIBCXX_USE_PTHREAD_MUTEX_CLOCKLOCK
#undef _GLIBCXX_USE_PTHREAD_RWLOCK_CLOCKLOCK
#endif

#endif  // VANTREL_MUSL_PRELUDE_H_
