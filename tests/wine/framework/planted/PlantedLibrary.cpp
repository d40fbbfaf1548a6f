// A library that stands beside the test program only, as one planted beside
// the program on a medium would.
#include <windows.h>

extern "C" __declspec(dllexport) int PlantedMarker() {
    return 1;
}
