// Which of the problems `vrktool check` reports are about the file's
// structure (its length, its counts, its portals) rather than the level's
// content, which the editor lets a user shape freely.
#ifndef QUILLMARCH_STRUCTURAL_PROBLEM_H
#define QUILLMARCH_STRUCTURAL_PROBLEM_H

#include <string.h>

inline bool IsStructuralProblem(const char* problem)
{
    return strncmp(problem, "truncated", 9) == 0 || strstr(problem, "trailing byte") != nullptr ||
           strstr(problem, "sectors, more than") != nullptr || strncmp(problem, "stored portals differ", 21) == 0;
}

#endif
