#pragma once

#if defined(KORVEX_SIMULATION_BUILDING)
#define KORVEX_SIMULATION_EXPORT __attribute__((visibility("default")))
#else
#define KORVEX_SIMULATION_EXPORT
#endif
