#pragma once

// Programming errors inside the engine (an operation that needs an open file
// called on a closed object, an index beyond a list) stop the process with
// one line on standard error: "file:line: failed assertion `expression'".
// Active in every build: going on would read or write the wrong file.
[[noreturn]] void BwfAssertFailed(const char* file, unsigned line, const char* expression);

#define BWF_ASSERT(expression)                                                                     \
    ((expression) ? static_cast<void>(0) : BwfAssertFailed(__FILE__, __LINE__, #expression))
