#include "tovNullNetworkPlay.h"

bool tovNullNetworkPlay::GetPlayerName(int32_t /*slot*/, char* buffer, size_t n)
{
    if (buffer != nullptr && n > 0)
        buffer[0] = '\0';
    return false;
}
