// The command line as UTF-8 on Windows, where the runtime would hand the
// tool its arguments in the ANSI code page.
#ifndef QUILLMARCH_UTF8_ARGUMENTS_H
#define QUILLMARCH_UTF8_ARGUMENTS_H

// Replaces argc and argv with the arguments read from the system's UTF-16
// command line, converted exactly. Returns false, having said why, when an
// argument cannot be converted without changing it.
bool UseUtf8Arguments(int* argc, char*** argv);

#endif
