#include "tovCatchText.h"

#include "tovGameSession.h"

namespace tovCatchText
{

bool HidesWeight(int32_t mode)
{
    return mode == tovGameSession::kTournament || mode == tovGameSession::kSeason;
}

const char* Article(int32_t n)
{
    if (n < 0)
        return "a";
    // The leading group of thousands is what is said first.
    while (n >= 1000)
        n /= 1000;
    const bool vowel = n == 8 || n == 11 || n == 18 || (n >= 80 && n <= 89) || (n >= 800 && n <= 899);
    return vowel ? "an" : "a";
}

std::string LengthAndSpecies(int32_t inches, const char* species)
{
    return std::to_string(inches) + " inch " + (species != nullptr ? species : "");
}

} // namespace tovCatchText
