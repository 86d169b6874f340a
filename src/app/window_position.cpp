#include "app/window_position.h"

#include <cstdint>

WindowOrigin CenteredWindowOrigin(int screenWidth, int screenHeight)
{
    // C++20 defines >> on a negative value as the sign-keeping shift.
    const int32_t dx = int32_t{screenWidth} - kMainWindowWidth;
    const int32_t dy = int32_t{screenHeight} - kMainWindowHeight;
    return {dx >> 1, dy >> 1};
}
