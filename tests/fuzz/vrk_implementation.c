/* vrk.h's code as an engine compiles it, in C: the differential target's
   other side. */
#define VRK_IMPLEMENTATION
#include "vrk.h"
