#pragma once

// glvnd's libOpenGL exports every GL 4.5 core entry point, so the prototypes
// are used directly and no loader is needed.
#ifndef GL_GLEXT_PROTOTYPES
#define GL_GLEXT_PROTOTYPES 1
#endif
#include <GL/glcorearb.h>
