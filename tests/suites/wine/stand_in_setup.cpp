// Stands for a language's own setup program on the installation medium: it
// records how it was started (marker "setup.ran" beside it) and ends.
#include "marker.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    stand_in::WriteMarker("setup");
    return 0;
}
