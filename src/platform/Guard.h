#pragma once
// The guard every operation of the program runs in: any exception becomes one entry of the error
// log and the operation goes on to return its neutral result, so a fault in one command never ends
// the program.
//
//   bool CThing::DoIt() {
//       DEF_TRY
//       ...
//       return true;
//       DEF_CATCH
//       return false;   // the neutral result
//   }

namespace brellin {
// Writes the guard entry for a fault caught in `prettyFunction` at `file`:`line`.
void LogGuardEntry(const char* file, int line, const char* prettyFunction) noexcept;
} // namespace brellin

#define DEF_TRY try {
#define DEF_CATCH                                                                                  \
    }                                                                                              \
    catch (...) {                                                                                  \
        ::brellin::LogGuardEntry(__FILE__, __LINE__, __PRETTY_FUNCTION__);                         \
    }
